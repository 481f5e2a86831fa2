// The work around a drawing: PNG encoding of S2's canvas (the program's encoder against Qt's
// writer), and an image window's full drawing at the release of a drag on a 2600 x 2000 canvas
// over a 4000 x 3000 background picture - from the picture kept in memory, and, as before the
// picture was kept, read and decoded again from its file.
#include "BenchMain.h"
#include "Scenarios.h"

#include "imagefile/PictureCache.h"
#include "imagefile/PictureFile.h"
#include "imagefile/PngWriter.h"
#include "render/DecoratedDrawing.h"

#include <QBuffer>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace kalvetra;
using namespace kalvetra::bench;

namespace {

QImage s2Canvas()
{
    const Scenario sc = s2();
    Surface canvas(sc.canvas);
    canvas.setBackColor(sc.settings.Colors[BackgroundSlot]);
    DecorationRenderer renderer;
    drawPrintFont(canvas, sc.settings, sc.type, sc.anchor, Engine::Fast, renderer);
    return canvas.image();
}

void pngOurs(benchmark::State& state)
{
    const QImage image = s2Canvas();
    qsizetype bytes = 0;
    for (auto _ : state)
        bytes = imagefile::encodePng(image).size();
    state.counters["bytes"] = static_cast<double>(bytes);
}

void pngQt(benchmark::State& state)
{
    const QImage image = s2Canvas().convertToFormat(QImage::Format_RGB32);
    qsizetype bytes = 0;
    for (auto _ : state) {
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, "png").write(image);
        bytes = out.size();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

// A photograph-like picture: smooth colour with noise, as a camera's JPEG holds it.
QString writePhoto(const QTemporaryDir& dir)
{
    QImage photo(4000, 3000, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < photo.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x) {
            const int n = static_cast<int>(random.bounded(24));
            line[x] = qRgb((x / 16 + n) & 255, (y / 12 + n) & 255, ((x + y) / 28) & 255);
        }
    }
    const QString path = dir.filePath(QStringLiteral("photo.jpg"));
    photo.save(path, "JPEG", 90);
    return path;
}

void releaseDrawing(benchmark::State& state, bool kept)
{
    QTemporaryDir dir;
    const QString path = writePhoto(dir);
    imagefile::PictureCache cache([](const QString& p) -> std::optional<QImage> {
        const imagefile::Picture picture = imagefile::loadPicture(p);
        return picture.ok() ? std::optional<QImage>(picture.image) : std::nullopt;
    });
    const Scenario sc = s2();
    Surface canvas(QSize(2600, 2000));
    DecorationRenderer renderer;
    int x = 1000;
    for (auto _ : state) {
        // Each release puts the text somewhere else, as a drag does.
        x = x == 1000 ? 1400 : 1000;
        if (kept) {
            if (const std::optional<QImage> picture = cache.picture(path))
                canvas.setPicture(*picture);
        } else if (const imagefile::Picture fresh = imagefile::loadPicture(path); fresh.ok()) {
            canvas.setPicture(fresh.image);
        }
        drawPrintFont(canvas, sc.settings, sc.type, Point{x, 1200}, Engine::Fast, renderer);
        benchmark::DoNotOptimize(canvas.image().constBits());
    }
}

void registerAll()
{
    benchmark::RegisterBenchmark("PNG/S2/ours", pngOurs)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PNG/S2/Qt", pngQt)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Release/2600x2000 over 4000x3000/picture kept",
                                 [](benchmark::State& s) { releaseDrawing(s, true); })
        ->Unit(benchmark::kMillisecond)
        ->MeasureProcessCPUTime();
    benchmark::RegisterBenchmark("Release/2600x2000 over 4000x3000/picture read again",
                                 [](benchmark::State& s) { releaseDrawing(s, false); })
        ->Unit(benchmark::kMillisecond)
        ->MeasureProcessCPUTime();
}

}  // namespace

int main(int argc, char** argv)
{
    return runBenchmarks(argc, argv, registerAll);
}
