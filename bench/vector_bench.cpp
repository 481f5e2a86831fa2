// Vector lettering on the reference scenarios: the exact layer polygons and the SVG or PDF
// bytes, as `kalvetra-render -o NAME.svg` makes them (the font warm, nothing else kept).
// The file size is reported as the counter "bytes".
//   S1: 800x200, "カルベトラ Kalvetra", size 50, triple outline, Bordering 5, shadow at 9.
//   S2: 1920x1080, "文字", size 500, solid outline, Bordering 30, Solid 20 (N = 100), shadow
//       at 20, anchor (960, 800); S2-kana the same with "カルベトラ".
#include "imagefile/VectorFile.h"
#include "render/VectorLettering.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

using namespace kalvetra;

namespace {

struct Scenario {
    QSize canvas;
    StyleSettings settings;
    DecorationType type;
    Point anchor;
};

StyleSettings baseSettings()
{
    StyleSettings s;
    s.FontName = QStringLiteral("ＭＳ Ｐゴシック");
    s.FontAspect = 100;
    s.ShadowEnable = 1;
    s.Colors = {colorValue(0, 0, 255),   colorValue(255, 255, 255), colorValue(255, 0, 0),
                colorValue(255, 255, 255), colorValue(0, 0, 255),   colorValue(0, 0, 0)};
    return s;
}

Scenario s1()
{
    StyleSettings s = baseSettings();
    s.DrawText = QStringLiteral("カルベトラ Kalvetra");
    s.FontSize = 50;
    s.Bordering = 5;
    s.ShadowPosition = 9;
    s.Solid = 5;
    return {QSize(800, 200), s, DecorationType::TripleOutline, Point{400, 100}};
}

Scenario s2(const QString& text)
{
    StyleSettings s = baseSettings();
    s.DrawText = text;
    s.FontSize = 500;
    s.Bordering = 30;
    s.ShadowPosition = 20;
    s.Solid = 20;
    return {QSize(1920, 1080), s, DecorationType::SolidOutline, Point{960, 800}};
}

enum class Output { Polygons, Svg, Pdf };

void vectorScenario(benchmark::State& state, const Scenario& sc, Output output)
{
    qint64 bytes = 0;
    for (auto _ : state) {
        const VectorLettering v = vectorPrintFont(sc.settings, sc.type, sc.anchor, sc.canvas, false, QImage());
        if (output == Output::Svg)
            bytes = imagefile::encodeSvg(v).size();
        else if (output == Output::Pdf)
            bytes = imagefile::encodePdf(v).size();
        benchmark::DoNotOptimize(v.layers.data());
    }
    if (output != Output::Polygons)
        state.counters["bytes"] = static_cast<double>(bytes);
}

void registerAll()
{
    const std::pair<const char*, Scenario> scenarios[] = {
        {"S1", s1()}, {"S2", s2(QStringLiteral("文字"))}, {"S2-kana", s2(QStringLiteral("カルベトラ"))}};
    const std::pair<const char*, Output> outputs[] = {
        {"polygons", Output::Polygons}, {"svg", Output::Svg}, {"pdf", Output::Pdf}};
    for (const auto& [name, sc] : scenarios)
        for (const auto& [what, output] : outputs)
            benchmark::RegisterBenchmark((std::string(name) + "/" + what).c_str(),
                                         [sc, output](benchmark::State& st) { vectorScenario(st, sc, output); })
                ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
