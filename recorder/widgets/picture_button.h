#pragma once
// A picture button of the main window's button row: an icon with a caption
// label under it, both clickable. The row shows a single-line border around
// the button under the mouse only.

#include <QFrame>

class QLabel;

namespace recorder {

class PictureButton : public QFrame {
    Q_OBJECT
public:
    PictureButton(const QString& objectName, const QIcon& icon, const QString& caption, QWidget* parent);
    QLabel* captionLabel() const { return caption_; }
    // Border style 1 (single line) or 0 (none).
    void setBorderStyle(int style);
    int borderStyle() const { return border_; }

signals:
    void clicked();
    void hovered(PictureButton* self);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QLabel* picture_;
    QLabel* caption_;
    int border_ = 0;
};

} // namespace recorder
