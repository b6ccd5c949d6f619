#include "recorder/widgets/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace recorder::icons {

namespace {

constexpr int kSize = 32;

template <class Draw>
QIcon drawn(Draw&& draw)
{
    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return QIcon(pm);
}

} // namespace

QIcon record()
{
    return drawn([](QPainter& p) {
        p.setBrush(QColor(200, 30, 30));
        p.setPen(Qt::NoPen);
        p.drawEllipse(6, 6, 20, 20);
    });
}

QIcon stop()
{
    return drawn([](QPainter& p) {
        p.fillRect(8, 8, 16, 16, QColor(60, 60, 60));
    });
}

QIcon play()
{
    return drawn([](QPainter& p) {
        QPainterPath path;
        path.moveTo(9, 6);
        path.lineTo(26, 16);
        path.lineTo(9, 26);
        path.closeSubpath();
        p.fillPath(path, QColor(30, 140, 40));
    });
}

QIcon pause()
{
    return drawn([](QPainter& p) {
        p.fillRect(9, 7, 5, 18, QColor(60, 60, 60));
        p.fillRect(18, 7, 5, 18, QColor(60, 60, 60));
    });
}

QIcon folder()
{
    return drawn([](QPainter& p) {
        p.setPen(QColor(150, 110, 20));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(4, 10, 24, 16);
        p.drawRect(4, 7, 10, 4);
    });
}

QIcon settings()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(70, 70, 120), 3));
        for (int y : {9, 16, 23}) p.drawLine(5, y, 27, y);
        p.setBrush(QColor(230, 230, 250));
        p.drawEllipse(9, 6, 6, 6);
        p.drawEllipse(18, 13, 6, 6);
        p.drawEllipse(12, 20, 6, 6);
    });
}

QIcon player()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 40), 2));
        p.setBrush(QColor(180, 180, 200));
        p.drawEllipse(4, 4, 24, 24);
        p.setBrush(QColor(40, 40, 40));
        p.drawEllipse(13, 13, 6, 6);
    });
}

QIcon mixer()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(60, 60, 60), 2));
        for (int x : {9, 16, 23}) p.drawLine(x, 5, x, 27);
        p.setBrush(QColor(30, 120, 200));
        p.drawRect(6, 18, 6, 4);
        p.drawRect(13, 9, 6, 4);
        p.drawRect(20, 14, 6, 4);
    });
}

QIcon schedule()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 40), 2));
        p.setBrush(Qt::white);
        p.drawEllipse(4, 4, 24, 24);
        p.drawLine(16, 16, 16, 8);
        p.drawLine(16, 16, 22, 16);
    });
}

QIcon help()
{
    return drawn([](QPainter& p) {
        p.setBrush(QColor(30, 90, 200));
        p.setPen(Qt::NoPen);
        p.drawEllipse(4, 4, 24, 24);
        p.setPen(Qt::white);
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(18);
        p.setFont(f);
        p.drawText(QRect(4, 4, 24, 24), Qt::AlignCenter, "?");
    });
}

QIcon exitIcon()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(170, 30, 30), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(9, 9, 23, 23);
        p.drawLine(23, 9, 9, 23);
    });
}

QIcon tag()
{
    return drawn([](QPainter& p) {
        QPainterPath path;
        path.moveTo(4, 16);
        path.lineTo(12, 7);
        path.lineTo(28, 7);
        path.lineTo(28, 25);
        path.lineTo(12, 25);
        path.closeSubpath();
        p.setPen(QColor(120, 80, 20));
        p.setBrush(QColor(250, 220, 150));
        p.drawPath(path);
        p.setBrush(Qt::white);
        p.drawEllipse(9, 14, 4, 4);
    });
}

} // namespace recorder::icons
