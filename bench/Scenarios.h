// The reference scenarios the benchmarks share.
//   S1: 800x200, "カルベトラ Kalvetra", size 50, triple outline, Bordering 5, shadow at 9, centred.
//   S2: 1920x1080, "文字" (unless another text is given), size 500, solid outline, Bordering 30,
//       Solid 20 (N = 100), shadow at 20, anchor (960, 800).
//   Soft light: the shadow blurred at radius 20 (60 %), a glow of radius 20 (80 %).
#pragma once

#include "render/DecorationType.h"
#include "render/LayerPlan.h"
#include "render/SoftLayer.h"
#include "render/StyleSettings.h"

#include <QSize>

namespace kalvetra::bench {

struct Scenario {
    QSize canvas;
    StyleSettings settings;
    DecorationType type;
    Point anchor;
    SoftEffects effects{};
};

// `sc` with a soft shadow and a glow, both of radius 20.
inline Scenario withSoftLight(Scenario sc)
{
    sc.effects.shadowBlur = 20;
    sc.effects.shadowOpacity = 60;
    sc.effects.glow = true;
    sc.effects.glowColor = colorValue(255, 230, 0);
    sc.effects.glowRadius = 20;
    sc.effects.glowOpacity = 80;
    return sc;
}

inline StyleSettings baseSettings()
{
    StyleSettings s;
    s.FontName = QStringLiteral("ＭＳ Ｐゴシック");
    s.FontAspect = 100;
    s.ShadowEnable = 1;
    s.Colors = {colorValue(0, 0, 255),   colorValue(255, 255, 255), colorValue(255, 0, 0),
                colorValue(255, 255, 255), colorValue(0, 0, 255),   colorValue(0, 0, 0)};
    return s;
}

inline Scenario s1()
{
    StyleSettings s = baseSettings();
    s.DrawText = QStringLiteral("カルベトラ Kalvetra");
    s.FontSize = 50;
    s.Bordering = 5;
    s.ShadowPosition = 9;
    s.Solid = 5;
    return {QSize(800, 200), s, DecorationType::TripleOutline, Point{400, 100}};
}

inline Scenario s2(const QString& text = QStringLiteral("文字"))
{
    StyleSettings s = baseSettings();
    s.DrawText = text;
    s.FontSize = 500;
    s.Bordering = 30;
    s.ShadowPosition = 20;
    s.Solid = 20;
    return {QSize(1920, 1080), s, DecorationType::SolidOutline, Point{960, 800}};
}

}  // namespace kalvetra::bench
