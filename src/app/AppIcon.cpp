#include "AppIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace kalvetra {

QImage programIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, size > 16);
    const qreal s = size / 32.0;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(130, 130, 255));
    p.drawRoundedRect(QRectF(1 * s, 1 * s, 30 * s, 30 * s), 5 * s, 5 * s);
    QFont f(QStringLiteral("IPAPGothic"));
    f.setPixelSize(static_cast<int>(24 * s));
    f.setBold(true);
    QPainterPath glyph;
    glyph.addText(5 * s, 26 * s, f, QStringLiteral("カ"));
    p.setPen(QPen(Qt::white, 4 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(glyph);
    p.setPen(QPen(QColor(0, 0, 255), 2 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(glyph);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 0, 0));
    p.drawPath(glyph);
    p.end();
    return image;
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addPixmap(QPixmap::fromImage(programIconImage(size)));
    return icon;
}

}  // namespace kalvetra
