#include "recorder/widgets/up_down.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace recorder {

UpDown::UpDown(QLineEdit* buddy, int minimum, int maximum, int step, QWidget* parent)
    : QWidget(parent), buddy_(buddy), minimum_(std::min(minimum, maximum)), maximum_(std::max(minimum, maximum)),
      step_(std::max(step, 1)), value_(minimum_)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    up_ = new QToolButton(this);
    down_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        column->addWidget(b);
    }
    connect(up_, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(down_, &QToolButton::clicked, this, [this] { stepBy(-1); });
    if (buddy_) {
        buddy_->installEventFilter(this);
        connect(buddy_, &QLineEdit::textEdited, this, &UpDown::takeTypedText);
    }
}

void UpDown::setValue(int value)
{
    value = std::clamp(value, minimum_, maximum_);
    const QString text = QString::number(value);
    if (buddy_ && buddy_->text() != text) buddy_->setText(text);
    if (value == value_) return;
    value_ = value;
    emit valueChanged(value_);
}

void UpDown::stepBy(int steps)
{
    int base = value_;
    bool ok = false;
    const int typed = buddy_ ? buddy_->text().trimmed().toInt(&ok) : 0;
    if (ok && typed >= minimum_ && typed <= maximum_) base = typed;
    setValue(base + steps * step_);
}

void UpDown::takeTypedText(const QString& text)
{
    bool ok = false;
    const int typed = text.trimmed().toInt(&ok);
    if (!ok || typed < minimum_ || typed > maximum_ || typed == value_) return;
    value_ = typed;
    emit valueChanged(value_);
}

bool UpDown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == buddy_ && event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace recorder
