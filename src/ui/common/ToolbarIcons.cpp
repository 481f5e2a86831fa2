#include "ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kalvetra {
namespace {

const QColor Ink(40, 40, 40);

void drawOpen(QPainter& p)
{
    // A folder, its lid open.
    p.setPen(Ink);
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(1, 4, 12, 10);
    p.setBrush(QColor(255, 225, 120));
    p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 14), QPoint(1, 14)}));
    p.drawLine(1, 4, 4, 2);
    p.drawLine(4, 2, 7, 4);
}

void drawSave(QPainter& p)
{
    // A floppy disk: body, shutter and label.
    p.setPen(Ink);
    p.setBrush(QColor(60, 90, 170));
    p.drawRect(1, 1, 13, 13);
    p.setBrush(QColor(230, 230, 230));
    p.drawRect(4, 1, 7, 5);
    p.setBrush(Qt::white);
    p.drawRect(3, 9, 9, 5);
    p.fillRect(8, 2, 2, 3, Ink);
}

void drawCreate(QPainter& p)
{
    // An outlined letter: the program's own kind of picture.
    QFont f(QStringLiteral("IPAPGothic"));
    f.setPixelSize(14);
    f.setBold(true);
    QPainterPath a;
    a.addText(2, 14, f, QStringLiteral("A"));
    p.setPen(QPen(QColor(255, 255, 255), 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(a);
    p.setPen(QPen(QColor(0, 0, 200), 1));
    p.setBrush(QColor(220, 0, 0));
    p.drawPath(a);
    p.setPen(QColor(230, 170, 0));
    p.drawLine(13, 1, 13, 5);
    p.drawLine(11, 3, 15, 3);
}

void drawCodeTable(QPainter& p)
{
    // A grid of character cells.
    p.setPen(Ink);
    p.setBrush(Qt::white);
    p.drawRect(1, 1, 13, 13);
    for (int i = 1; i < 4; ++i) {
        p.drawLine(1 + i * 13 / 4 + 1, 1, 1 + i * 13 / 4 + 1, 14);
        p.drawLine(1, 1 + i * 13 / 4 + 1, 14, 1 + i * 13 / 4 + 1);
    }
    p.fillRect(5, 5, 3, 3, QColor(0, 90, 200));
}

void drawHelp(QPainter& p)
{
    p.setPen(Ink);
    p.setBrush(QColor(255, 240, 120));
    p.drawEllipse(1, 1, 13, 13);
    QFont f(QStringLiteral("IPAPGothic"));
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0, 60, 160));
    p.drawText(QRect(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
}

void drawRedisplay(QPainter& p)
{
    // Two arrows chasing each other round.
    p.setPen(QPen(QColor(0, 130, 60), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(2, 2, 12, 12, 30 * 16, 150 * 16);
    p.drawArc(2, 2, 12, 12, 210 * 16, 150 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 130, 60));
    p.drawPolygon(QPolygon({QPoint(11, 0), QPoint(15, 4), QPoint(10, 6)}));
    p.drawPolygon(QPolygon({QPoint(4, 15), QPoint(0, 11), QPoint(5, 9)}));
}

void drawMove(QPainter& p)
{
    // Four arrows out from the middle.
    p.setPen(QPen(Ink, 1));
    p.drawLine(8, 2, 8, 14);
    p.drawLine(2, 8, 14, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    p.drawPolygon(QPolygon({QPoint(8, 0), QPoint(11, 3), QPoint(5, 3)}));
    p.drawPolygon(QPolygon({QPoint(8, 16), QPoint(11, 13), QPoint(5, 13)}));
    p.drawPolygon(QPolygon({QPoint(0, 8), QPoint(3, 5), QPoint(3, 11)}));
    p.drawPolygon(QPolygon({QPoint(16, 8), QPoint(13, 5), QPoint(13, 11)}));
}

void drawCopy(QPainter& p)
{
    // Two sheets, the copy lying over the original.
    p.setPen(Ink);
    for (const QPoint at : {QPoint(1, 1), QPoint(6, 5)}) {
        p.setBrush(Qt::white);
        p.drawRect(at.x(), at.y(), 8, 10);
        for (int line = 3; line <= 7; line += 2)
            p.drawLine(at.x() + 2, at.y() + line, at.x() + 6, at.y() + line);
    }
}

void drawUndo(QPainter& p)
{
    // An arrow that turns back to the left; mirrored, it goes forward again.
    const QColor blue(30, 90, 190);
    QPainterPath turn;
    turn.moveTo(4, 6);
    turn.cubicTo(10, 6, 15, 7, 14, 11);
    turn.cubicTo(13, 14, 9, 14, 7, 14);
    p.setPen(QPen(blue, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(turn);
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawPolygon(QPolygon({QPoint(0, 6), QPoint(6, 1), QPoint(6, 11)}));
}

}  // namespace

QCursor moveModeCursor()
{
    // A cross of arrows whose centre, the hot spot, marks the middle of the text's baseline.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QPoint c(10, 10);
    for (const QColor& color : {QColor(Qt::white), QColor(Qt::black)}) {
        const int w = color == Qt::white ? 3 : 1;
        p.setPen(QPen(color, w));
        p.drawLine(c.x(), 1, c.x(), 19);
        p.drawLine(1, c.y(), 19, c.y());
        p.setBrush(color);
        p.setPen(color == Qt::white ? QPen(color, 2) : Qt::NoPen);
        p.drawPolygon(QPolygon({QPoint(10, 0), QPoint(13, 4), QPoint(7, 4)}));
        p.drawPolygon(QPolygon({QPoint(10, 20), QPoint(13, 16), QPoint(7, 16)}));
        p.drawPolygon(QPolygon({QPoint(0, 10), QPoint(4, 7), QPoint(4, 13)}));
        p.drawPolygon(QPolygon({QPoint(20, 10), QPoint(16, 7), QPoint(16, 13)}));
    }
    // "A" below right of the cross: this pointer moves lettering.
    QFont f(QStringLiteral("IPAPGothic"));
    f.setPixelSize(11);
    f.setBold(true);
    QPainterPath a;
    a.addText(19, 30, f, QStringLiteral("A"));
    p.setPen(QPen(Qt::white, 2));
    p.drawPath(a);
    p.fillPath(a, Qt::black);
    p.end();
    return QCursor(pixmap, 10, 10);
}

QIcon toolbarIcon(ToolbarPicture picture)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, picture == ToolbarPicture::Create || picture == ToolbarPicture::Help ||
                                                picture == ToolbarPicture::Redisplay || picture == ToolbarPicture::Undo ||
                                                picture == ToolbarPicture::Redo);
    switch (picture) {
    case ToolbarPicture::Open:
        drawOpen(p);
        break;
    case ToolbarPicture::Save:
        drawSave(p);
        break;
    case ToolbarPicture::Create:
        drawCreate(p);
        break;
    case ToolbarPicture::CodeTable:
        drawCodeTable(p);
        break;
    case ToolbarPicture::Help:
        drawHelp(p);
        break;
    case ToolbarPicture::Redisplay:
        drawRedisplay(p);
        break;
    case ToolbarPicture::Move:
        drawMove(p);
        break;
    case ToolbarPicture::Copy:
        drawCopy(p);
        break;
    case ToolbarPicture::Undo:
        drawUndo(p);
        break;
    case ToolbarPicture::Redo:
        p.translate(16, 0);
        p.scale(-1, 1);
        drawUndo(p);
        break;
    }
    p.end();
    return QIcon(pixmap);
}

}  // namespace kalvetra
