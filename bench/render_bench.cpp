// The engines on the two reference scenarios, and the fast engine on what a user does most:
// the settings window's preview, a drag sketch, moving the text, changing a width. The literal engines would take minutes on
// the heavy scenario, so they draw a fixed share of the stamps and the time is scaled up to
// the whole plan (reported as manual time; the label says the share).
//   S1: 800x200, "カルベトラ Kalvetra", size 50, triple outline, Bordering 5, shadow at 9, centred.
//   S2: 1920x1080, "文字", size 500, solid outline, Bordering 30, Solid 20 (N = 100), shadow at 20,
//       anchor (960, 800).
//   S2 with gradients: the same with a gradient over each of the four layers, top to bottom
//       (rows of one colour), left to right, and at an angle of 30 degrees (flat as well, for
//       the ratio).
//   S2 with soft light: a shadow blurred at radius 20 and a glow of radius 20, warm, fresh,
//       moved and with a new width, against the same without.
#include "BenchMain.h"
#include "Scenarios.h"

#include "render/DecoratedDrawing.h"

#include <benchmark/benchmark.h>

#include <chrono>

using namespace kalvetra;
using namespace kalvetra::bench;

namespace {

// `sc` with a gradient over each layer colour ② .. ⑤.
Scenario withGradients(Scenario sc, bool horizontal)
{
    const ColorValue ends[] = {colorValue(0, 160, 255), colorValue(255, 230, 0), colorValue(255, 120, 0),
                               colorValue(255, 230, 0)};
    for (int i = 0; i < GradientLayerCount; ++i)
        sc.settings.Gradients[static_cast<size_t>(i)] = LayerGradient{true, ends[i], horizontal};
    return sc;
}

Scenario angled(Scenario sc)
{
    sc.settings.FontEscape = 30;
    return sc;
}

Scenario rounded(Scenario sc)
{
    sc.settings.RingShape = 1;
    return sc;
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
        renderer.draw(canvas.image(), d.shape, d.plan, sc.settings.Colors, sc.settings.Gradients, sc.effects, engine,
                      limit);
        benchmark::DoNotOptimize(canvas.image().constBits());
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count() * scale);
    }
    state.counters["stamps"] = static_cast<double>(total);
    if (engine == Engine::Fast && !freshBuffers) {
        // Everything the drawing holds, canvas included, against the canvas plus the text mask.
        const double canvasBytes = static_cast<double>(canvas.image().sizeInBytes());
        const double maskBytes = static_cast<double>(kept.mask().capacityBytes());
        state.counters["memory"] = (canvasBytes + static_cast<double>(kept.bufferBytes())) / (canvasBytes + maskBytes);
    }
    if (share)
        state.SetLabel(QStringLiteral("scaled from %1 of %2 stamps").arg(SlowShare).arg(total).toStdString());
}

// The fast engine while something changes between drawings: `vary` edits the scenario.
void drawChanging(benchmark::State& state, Scenario sc, void (*vary)(Scenario&, int))
{
    Surface canvas(sc.canvas);
    DecorationRenderer renderer;
    int i = 0;
    for (auto _ : state) {
        vary(sc, i++);
        const auto start = std::chrono::steady_clock::now();
        canvas.setBackColor(sc.settings.Colors[BackgroundSlot]);
        const PreparedDrawing d = preparePrintFont(sc.settings, sc.type, sc.anchor);
        renderer.draw(canvas.image(), d.shape, d.plan, sc.settings.Colors, sc.settings.Gradients, sc.effects,
                      Engine::Fast);
        benchmark::DoNotOptimize(canvas.image().constBits());
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
    }
}

// The settings window's preview: 85 x 69 pixels, the sample at 30 % of size 50.
void drawPreview(benchmark::State& state)
{
    Surface preview(QSize(85, 69));
    DecorationRenderer renderer;
    PreviewInputs in;
    in.fontName = QStringLiteral("ＭＳ Ｐゴシック");
    in.sizeText = QStringLiteral("50");
    in.aspectText = QStringLiteral("100");
    in.escapeText = QStringLiteral("0");
    in.widths = {5, 9, 5, 1, false};
    in.colors = baseSettings().Colors;
    in.type = DecorationType::TripleOutline;
    int i = 0;
    for (auto _ : state) {
        // Every preview follows a changed setting: alternate the outline width.
        in.widths.bordering = 5 + (i++ & 1);
        const auto start = std::chrono::steady_clock::now();
        DrawPreview(preview, in, Engine::Fast, renderer);
        benchmark::DoNotOptimize(preview.image().constBits());
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
    }
}

// A drag step on a 1920 x 1080 canvas at size 500: clear, one ring and the face.
void drawSketch(benchmark::State& state)
{
    const Scenario sc = s2();
    Surface canvas(sc.canvas);
    DecorationRenderer renderer;
    int i = 0;
    for (auto _ : state) {
        const Point anchor{600 + (i % 50) * 7, 700 + (i % 30) * 3};
        ++i;
        const auto start = std::chrono::steady_clock::now();
        canvas.clear();
        const TextShape shape = shapeForSettings(sc.settings, sc.settings.DrawText);
        renderer.draw(canvas.image(), shape, planDragSketch(sc.type, sc.settings.Bordering, anchor.x, anchor.y),
                      sc.settings.Colors, Engine::Fast);
        benchmark::DoNotOptimize(canvas.image().constBits());
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
    }
}

void registerAll()
{
    const std::pair<const char*, Scenario (*)()> scenarios[] = {{"S1", s1}, {"S2", [] { return s2(); }}};
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
    const std::pair<const char*, Scenario> gradients[] = {
        {"S2/fast/gradients-vertical/warm", withGradients(s2(), false)},
        {"S2/fast/gradients-horizontal/warm", withGradients(s2(), true)},
        {"S2-angle30/fast/warm", angled(s2())},
        {"S2-angle30/fast/gradients-vertical/warm", withGradients(angled(s2()), false)},
        {"S2-round/fast/warm", rounded(s2())},
        {"S2/fast/soft-light/warm", withSoftLight(s2())},
    };
    for (const auto& [name, sc] : gradients)
        benchmark::RegisterBenchmark(name, [sc](benchmark::State& st) { drawScenario(st, sc, Engine::Fast, false); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("S2/fast/moved", [](benchmark::State& st) {
        drawChanging(st, s2(), [](Scenario& sc, int i) { sc.anchor = {900 + (i & 1) * 40, 780 + (i & 1) * 30}; });
    })->UseManualTime()->Unit(benchmark::kMillisecond);
    for (const bool round : {false, true})
        benchmark::RegisterBenchmark(round ? "S2-round/fast/new-width" : "S2/fast/new-width", [round](benchmark::State& st) {
            drawChanging(st, round ? rounded(s2()) : s2(),
                         [](Scenario& sc, int i) { sc.settings.Bordering = static_cast<std::int16_t>(29 + (i & 1)); });
        })->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("S2-round/fast/fresh", [](benchmark::State& st) {
        drawScenario(st, rounded(s2()), Engine::Fast, true);
    })->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("S2/fast/soft-light/fresh", [](benchmark::State& st) {
        drawScenario(st, withSoftLight(s2()), Engine::Fast, true);
    })->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("S2/fast/soft-light/moved", [](benchmark::State& st) {
        drawChanging(st, withSoftLight(s2()),
                     [](Scenario& sc, int i) { sc.anchor = {900 + (i & 1) * 40, 780 + (i & 1) * 30}; });
    })->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("S2/fast/soft-light/new-width", [](benchmark::State& st) {
        drawChanging(st, withSoftLight(s2()),
                     [](Scenario& sc, int i) { sc.settings.Bordering = static_cast<std::int16_t>(29 + (i & 1)); });
    })->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Preview/fast/new-width", drawPreview)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Sketch/fast/1920x1080", drawSketch)->UseManualTime()->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv)
{
    return runBenchmarks(argc, argv, registerAll);
}
