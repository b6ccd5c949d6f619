#pragma once
// An up-down control bound to a text box beside it: its arrows (and the Up
// and Down keys in the box) step the value from the box's number, and each
// value it takes is written into the box. Typing a number in range into the
// box moves the value too; other text stays in the box untouched.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace recorder {

class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(QLineEdit* buddy, int minimum, int maximum, int step, QWidget* parent = nullptr);

    int value() const { return value_; }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int singleStep() const { return step_; }
    QLineEdit* buddy() const { return buddy_; }

    // Clamps into the range and shows the value in the box; valueChanged
    // only when the value differs.
    void setValue(int value);
    // One step up (positive) or down, from the number in the box when it
    // holds one in range.
    void stepBy(int steps);

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

signals:
    void valueChanged(int value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void takeTypedText(const QString& text);

    QLineEdit* buddy_;
    QToolButton* up_;
    QToolButton* down_;
    int minimum_, maximum_, step_;
    int value_;
};

} // namespace recorder
