// The engines on the two reference scenarios. The literal engines would take minutes on
// the heavy scenario, so they draw a fixed share of the stamps and the time is scaled up to
// the whole plan (reported as manual time; the label says the share).
//   S1: 800x200, "カルベトラ Kalvetra", size 50, triple outline, Bordering 5, shadow at 9, centred.
//   S2: 1920x1080, "文字", size 500, solid outline, Bordering 30, Solid 20 (N = 100), shadow at 20,
//       anchor (960, 800).
#include "render/DecoratedDrawing.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <chrono>

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

Scenario s2()
{
    StyleSettings s = baseSettings();
    s.DrawText = QStringLiteral("文字");
    s.FontSize = 500;
    s.Bordering = 30;
    s.ShadowPosition = 20;
    s.Solid = 20;
    return {QSize(1920, 1080), s, DecorationType::SolidOutline, Point{960, 800}};
}

// Stamps drawn per iteration by the literal engines on the heavy scenario.
constexpr std::int64_t SlowShare = 600;

void drawScenario(benchmark::State& state, const Scenario& sc, Engine engine, bool freshBuffers)
{
    Surface canvas(sc.canvas);
    DecorationRenderer kept;
    const PreparedDrawing prepared = preparePrintFont(sc.settings, sc.type, sc.anchor);
    const std::int64_t total = prepared.plan.stampCount();
    const bool share = engine != Engine::Fast && total > SlowShare * 4;
    const std::int64_t limit = share ? SlowShare : -1;
    const double scale = share ? static_cast<double>(total) / SlowShare : 1.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        DecorationRenderer fresh;
        DecorationRenderer& renderer = freshBuffers ? fresh : kept;
        canvas.setBackColor(sc.settings.Colors[BackgroundSlot]);
        const PreparedDrawing d = preparePrintFont(sc.settings, sc.type, sc.anchor);
        renderer.draw(canvas.image(), d.shape, d.plan, sc.settings.Colors, engine, limit);
        benchmark::DoNotOptimize(canvas.image().constBits());
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count() * scale);
    }
    state.counters["stamps"] = static_cast<double>(total);
    if (share)
        state.SetLabel(QStringLiteral("scaled from %1 of %2 stamps").arg(SlowShare).arg(total).toStdString());
}

void registerAll()
{
    const std::pair<const char*, Scenario (*)()> scenarios[] = {{"S1", s1}, {"S2", s2}};
    for (const auto& [name, make] : scenarios) {
        const Scenario sc = make();
        for (Engine engine : {Engine::TextOut, Engine::Stamp, Engine::Fast}) {
            const std::string label = std::string(name) + "/" + engineName(engine).toStdString();
            benchmark::RegisterBenchmark((label + "/warm").c_str(),
                                         [sc, engine](benchmark::State& st) { drawScenario(st, sc, engine, false); })
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
        benchmark::RegisterBenchmark((std::string(name) + "/fast/fresh").c_str(),
                                     [sc](benchmark::State& st) { drawScenario(st, sc, Engine::Fast, true); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
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
