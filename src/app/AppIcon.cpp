#include "AppIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace kalvetra {

namespace {

const QColor Tile(130, 130, 255);
const QColor Outline(0, 0, 255);
const QColor Face(255, 0, 0);

// "カ" in the 32-unit design square.
QPainterPath glyphPath()
{
    QFont f(QStringLiteral("IPAPGothic"));
    f.setPixelSize(24);
    f.setBold(true);
    QPainterPath glyph;
    glyph.addText(5, 26, f, QStringLiteral("カ"));
    return glyph;
}

QString svgPath(const QPainterPath& path)
{
    QString d;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        auto xy = [](const QPainterPath::Element& el) {
            return QString::number(el.x, 'f', 2) + u' ' + QString::number(el.y, 'f', 2);
        };
        if (e.isMoveTo()) {
            d += QStringLiteral("M") + xy(e);
        } else if (e.isLineTo()) {
            d += QStringLiteral("L") + xy(e);
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            d += QStringLiteral("C") + xy(e) + u' ' + xy(path.elementAt(i + 1)) + u' ' + xy(path.elementAt(i + 2));
            i += 2;
        }
    }
    return d;
}

}  // namespace

QImage programIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, size > 32);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(Qt::NoPen);
    p.setBrush(Tile);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);
    const QPainterPath glyph = glyphPath();
    p.setBrush(Qt::NoBrush);
    // At 16 pixels the white edge would swallow the letter: a one-pixel blue outline only.
    if (size > 16) {
        p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(glyph);
    }
    p.setPen(QPen(Outline, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(glyph);
    p.setPen(Qt::NoPen);
    p.setBrush(Face);
    p.drawPath(glyph);
    p.end();
    return image;
}

QString programIconSvg()
{
    const QString d = svgPath(glyphPath());
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" viewBox=\"0 0 32 32\">\n"
               "  <rect x=\"1\" y=\"1\" width=\"30\" height=\"30\" rx=\"5\" ry=\"5\" fill=\"#8282ff\"/>\n"
               "  <path d=\"%1\" fill=\"none\" stroke=\"#ffffff\" stroke-width=\"4\" stroke-linejoin=\"round\" stroke-linecap=\"round\"/>\n"
               "  <path d=\"%1\" fill=\"none\" stroke=\"#0000ff\" stroke-width=\"2\" stroke-linejoin=\"round\" stroke-linecap=\"round\"/>\n"
               "  <path d=\"%1\" fill=\"#ff0000\" fill-rule=\"nonzero\"/>\n"
               "</svg>\n")
        .arg(d);
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addPixmap(QPixmap::fromImage(programIconImage(size)));
    return icon;
}

}  // namespace kalvetra
