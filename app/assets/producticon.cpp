#include "assets/producticon.h"

#include <QPainter>
#include <QPainterPath>

namespace velmora {
namespace {

// The standard 16-colour palette entries the picture uses.
const QColor Navy(0, 0, 128);
const QColor Blue(0, 0, 255);
const QColor White(255, 255, 255);
const QColor Yellow(255, 255, 0);
const QColor Red(255, 0, 0);
const QColor Silver(192, 192, 192);

} // namespace

QPixmap productPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.scale(size / 32.0, size / 32.0);

    // The card.
    p.setPen(Navy);
    p.setBrush(Blue);
    p.drawRect(1, 1, 29, 29);

    // Three numbered lines; the middle one highlighted as a picked line.
    const int rows[3] = {5, 13, 21};
    const int lengths[3] = {14, 10, 17};
    for (int i = 0; i < 3; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(i == 1 ? Yellow : White);
        p.drawRect(4, rows[i], 3, 5);                  // the number
        p.setBrush(i == 1 ? Yellow : Silver);
        p.drawRect(9, rows[i] + 1, lengths[i], 3);     // the text
    }

    // The exchange arrow between the first and the last line.
    QPen arrow(Red);
    arrow.setWidth(2);
    p.setPen(arrow);
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(26, 7);
    path.cubicTo(31, 11, 31, 19, 26, 23);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(Red);
    p.drawPolygon(QPolygon({QPoint(23, 20), QPoint(28, 21), QPoint(25, 26)}));
    p.end();
    return pixmap;
}

QIcon productIcon()
{
    QIcon icon;
    icon.addPixmap(productPixmap(32));
    icon.addPixmap(productPixmap(16));
    return icon;
}

} // namespace velmora
