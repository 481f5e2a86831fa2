// Vector lettering on the reference scenarios: the exact layer polygons and the SVG or PDF
// bytes, as `kalvetra-render -o NAME.svg` makes them (the font warm, nothing else kept).
// The file size is reported as the counter "bytes". S1 and S2 as in Scenarios.h; S2-kana is
// S2 with "カルベトラ".
#include "BenchMain.h"
#include "Scenarios.h"

#include "imagefile/VectorFile.h"
#include "render/VectorLettering.h"

#include <benchmark/benchmark.h>

using namespace kalvetra;
using namespace kalvetra::bench;

namespace {

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
                ->UseRealTime()  // the layers' sums run on threads of their own
                ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv)
{
    return runBenchmarks(argc, argv, registerAll);
}
