#include "ColorGuide.h"

#include "DecoratedDrawing.h"
#include "LayerPlan.h"

#include <QFontMetrics>
#include <QPainter>

namespace kalvetra {
namespace {

const QString GuideSample = QStringLiteral("色");
const QString GuideFace = QStringLiteral("ＭＳ Ｐゴシック");

QString labelText(int slot)
{
    static const char16_t* const texts[] = {u"①", u"②", u"③", u"④", u"⑤"};
    return QString::fromUtf16(texts[slot]);
}

StyleSettings guideSettings()
{
    StyleSettings s;
    s.FontName = GuideFace;
    s.FontSize = GuideFontSize;
    s.FontAspect = 100;
    return s;
}

}  // namespace

std::vector<GuideLabel> colorGuideLabels(DecorationType type)
{
    switch (type) {
    case DecorationType::SolidOutline:
        return {{0, 10, {55, 5}, {65, 5}},
                {1, 20, {50, 15}, {65, 15}},
                {2, 30, {46, 25}, {65, 25}},
                {3, 40, {44, 35}, {65, 35}},
                {4, 50, {40, 40}, {65, 45}}};
    case DecorationType::TripleOutline:
        return {{0, 10, {55, 5}, {65, 5}},
                {1, 20, {50, 15}, {65, 15}},
                {2, 30, {45, 25}, {65, 25}},
                {3, 40, {44, 35}, {65, 35}},
                {4, 50, {38, 40}, {65, 45}}};
    case DecorationType::DoubleOutline:
        return {{0, 10, {55, 5}, {65, 5}}, {1, 25, {45, 20}, {65, 20}}, {2, 40, {43, 35}, {65, 35}}, {3, 55, {35, 40}, {65, 50}}};
    case DecorationType::SingleOutline:
        return {{0, 20, {55, 15}, {65, 15}}, {1, 35, {41, 30}, {65, 30}}, {2, 50, {38, 41}, {65, 45}}};
    case DecorationType::Normal:
        return {{0, 20, {55, 15}, {65, 15}}, {1, 35, {38, 30}, {65, 30}}};
    case DecorationType::None:
        break;
    }
    return {};
}

LabelColors DrawColorGuide(Surface& guide, const ColorGuideInputs& in, Engine engine, DecorationRenderer& renderer)
{
    LabelColors labels;
    guide.setBackColor(in.colors[BackgroundSlot]);
    if (guide.image().isNull())
        return labels;
    {
        // The panel right of the swatch, in the window's colour, over any picture.
        QPainter p(&guide.image());
        p.fillRect(QRect(GuideSwatchWidth, 0, guide.scaleWidth() - GuideSwatchWidth + 1, guide.scaleHeight() + 1),
                   in.windowBackground);
    }
    if (in.type == DecorationType::None)
        return labels;

    const LayerPlan plan = planColorGuide(in.type, in.shadowOn, in.shadowShift);
    renderer.draw(guide.image(), shapeForSettings(guideSettings(), GuideSample), plan, in.colors, in.gradients,
                  in.effects, engine);

    QPainter p(&guide.image());
    p.setFont(in.labelFont);
    const int ascent = QFontMetrics(in.labelFont).ascent();
    for (const GuideLabel& label : colorGuideLabels(in.type)) {
        const ColorValue color = in.colors[static_cast<size_t>(label.slot)];
        labels[static_cast<size_t>(label.slot)] = color;
        p.setPen(toQColor(color));
        p.drawText(GuideLabelColumn, label.y + ascent, labelText(label.slot));
        // The line of ① starts in the swatch: white, whatever colour ① is.
        p.setPen(label.slot == BackgroundSlot ? QColor(255, 255, 255) : toQColor(color));
        p.drawLine(label.from.x, label.from.y, label.to.x, label.to.y);
    }
    return labels;
}

}  // namespace kalvetra
