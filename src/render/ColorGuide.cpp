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

namespace {

// The guide on `image` (cleared to colour ① already), k device pixels a pixel: the panel, the
// sample from its plan made k times larger, the labels and their leaders.
LabelColors drawGuide(QImage& image, const QSize& size, const ColorGuideInputs& in, Engine engine,
                      DecorationRenderer& renderer, int k)
{
    LabelColors labels;
    if (image.isNull())
        return labels;
    // The painters work in pixels of the guide; the renderer in the image's own pixels.
    const auto inGuidePixels = [&image, k](bool on) { image.setDevicePixelRatio(on ? k : 1); };
    inGuidePixels(true);
    {
        // The panel right of the swatch, in the window's colour, over any picture.
        QPainter p(&image);
        p.fillRect(QRect(GuideSwatchWidth, 0, size.width() - GuideSwatchWidth + 1, size.height() + 1),
                   in.windowBackground);
    }
    inGuidePixels(false);
    if (in.type == DecorationType::None)
        return labels;

    StyleSettings sample = guideSettings();
    sample.FontSize *= static_cast<float>(k);
    LayerPlan plan = planColorGuide(in.type, in.shadowOn, in.shadowShift);
    plan.form = in.ringForm;
    renderer.draw(image, shapeForSettings(sample, GuideSample), k == 1 ? plan : scaledPlan(plan, k), in.colors,
                  in.gradients, scaledEffects(in.effects, k), engine);

    inGuidePixels(true);
    QPainter p(&image);
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
    p.end();
    if (k == 1)
        inGuidePixels(false);
    return labels;
}

}  // namespace

LabelColors DrawColorGuide(Surface& guide, const ColorGuideInputs& in, Engine engine, DecorationRenderer& renderer)
{
    guide.setBackColor(in.colors[BackgroundSlot]);
    return drawGuide(guide.image(), guide.size(), in, engine, renderer, 1);
}

QImage sharpColorGuide(const Surface& guide, const ColorGuideInputs& in, Engine engine, DecorationRenderer& renderer,
                       int k)
{
    Surface sharp(guide.size() * k);
    if (!guide.picture().isNull())
        sharp.setPicture(guide.picture().scaled(guide.picture().size() * k));
    sharp.setBackColor(in.colors[BackgroundSlot]);
    drawGuide(sharp.image(), guide.size(), in, engine, renderer, k);
    QImage image = sharp.image();
    image.setDevicePixelRatio(k);
    return image;
}

}  // namespace kalvetra
