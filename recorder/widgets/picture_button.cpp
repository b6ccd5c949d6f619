#include "recorder/widgets/picture_button.h"

#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace recorder {

PictureButton::PictureButton(const QString& name, const QIcon& icon, const QString& caption, QWidget* parent)
    : QFrame(parent)
{
    setObjectName(name);
    setCursor(Qt::PointingHandCursor);
    picture_ = new QLabel(this);
    picture_->setPixmap(icon.pixmap(32, 32));
    picture_->setAlignment(Qt::AlignCenter);
    caption_ = new QLabel(caption, this);
    caption_->setObjectName(name + "Label");
    caption_->setAlignment(Qt::AlignCenter);
    caption_->installEventFilter(this);
    picture_->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(picture_);
    layout->addWidget(caption_);
    setBorderStyle(0);
}

void PictureButton::setBorderStyle(int style)
{
    border_ = style;
    setFrameStyle(style == 1 ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
    setLineWidth(1);
}

bool PictureButton::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton) emit clicked();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void PictureButton::enterEvent(QEnterEvent* event)
{
    emit hovered(this);
    QFrame::enterEvent(event);
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) emit clicked();
    QFrame::mouseReleaseEvent(event);
}

} // namespace recorder
