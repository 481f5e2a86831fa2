#include "FrameStyle.h"

#include <QApplication>
#include <QGroupBox>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>
#include <qdrawutil.h>

namespace kalvetra {
namespace {

// Over a base style of its own, made like the application's (QProxyStyle's default).
class WindowsFrameStyle : public QProxyStyle {
public:
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override
    {
        const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (control != CC_GroupBox || !box)
            return QProxyStyle::subControlRect(control, option, part, widget);
        const QRect r = option->rect;
        const int titleHeight = box->fontMetrics.height();
        switch (part) {
        case SC_GroupBoxLabel:
            return box->text.isEmpty()
                       ? QRect()
                       : QRect(r.left() + TitleIndent, r.top(), box->fontMetrics.horizontalAdvance(box->text) + 2 * TitleGap,
                               titleHeight);
        case SC_GroupBoxFrame:
            return r.adjusted(0, titleHeight / 2, 0, 0);
        case SC_GroupBoxContents:
            return r.adjusted(BorderWidth, titleHeight, -BorderWidth, -BorderWidth);
        default:
            return QProxyStyle::subControlRect(control, option, part, widget);
        }
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (control != CC_GroupBox || !box) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        const QRect title = subControlRect(control, option, SC_GroupBoxLabel, widget);
        painter->save();
        // An etched line, as Windows draws a frame's border; it stops on either side of the title.
        painter->setClipRegion(QRegion(option->rect).subtracted(title));
        qDrawShadeRect(painter, subControlRect(control, option, SC_GroupBoxFrame, widget), box->palette, true, 1, 0);
        painter->restore();
        proxy()->drawItemText(painter, title, Qt::AlignCenter, box->palette, box->state & State_Enabled, box->text,
                              QPalette::WindowText);
    }

private:
    static constexpr int TitleIndent = 6;  // from the frame's left edge to the title's gap
    static constexpr int TitleGap = 2;     // free line on either side of the title's text
    static constexpr int BorderWidth = 2;
};

}  // namespace

void useWindowsFrame(QGroupBox* box)
{
    // One style for every frame; it lives as long as the application.
    static QPointer<QStyle> style;
    if (!style) {
        style = new WindowsFrameStyle;
        style->setParent(qApp);
    }
    // NOTE: a widget's style is not passed on to its children.
    box->setStyle(style);
}

}  // namespace kalvetra
