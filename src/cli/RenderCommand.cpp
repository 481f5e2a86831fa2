#include "RenderCommand.h"

#include "imagefile/ImageSave.h"
#include "imagefile/PictureFile.h"
#include "imagefile/VectorFile.h"
#include "render/DecoratedDrawing.h"
#include "render/Surface.h"
#include "render/VectorLettering.h"
#include "settings/SettingsFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace kalvetra::cli {
namespace {

constexpr int Margin = 16;

DecorationWidths widthsOf(const StyleSettings& s)
{
    return {s.Bordering, s.ShadowPosition, s.Solid, s.ShadowEnable, s.TwiceDraw != 0};
}

// Why a settings file cannot be read, or empty when it can.
QString settingsFileProblem(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("no such file");
    if (!info.isFile())
        return QStringLiteral("not a file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return {};
}

// Writes all of `bytes` to file descriptor 1; the system's reason when it cannot.
QString writeToStandardOutput(const QByteArray& bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return qt_error_string(n < 0 ? errno : EIO);
        written += n;
    }
    return {};
}

}  // namespace

QRect decoratedBounds(const StyleSettings& settings, DecorationType type)
{
    const TextShape shape = shapeForSettings(settings, settings.DrawText);
    const QRect text = shape.isEmpty() ? QRect() : shape.bounds().toAlignedRect();
    const LayerPlan plan = planDecoration(type, widthsOf(settings), settings.FontSize, 0, 0);
    if (text.isEmpty() || plan.layers.empty())
        return text;
    const LayerPlan::Reach reach = plan.reachFrom(0, 0);
    // The soft light spreads beyond the layers.
    const SoftEffects soft = softEffectsOf(settings);
    const int spread = std::max(soft.glow ? blurReach(blurSigma(soft.glowRadius)) : 0,
                                shadowIsOn(settings) ? blurReach(blurSigma(soft.shadowBlur)) : 0);
    return text.adjusted(-reach.left - spread, -reach.up - spread, reach.right + spread, reach.down + spread);
}

std::optional<Layout> layoutCanvas(const RenderOptions& o)
{
    const QRect bounds = decoratedBounds(o.settings, o.type);
    Layout layout;
    if (o.canvas) {
        layout.canvas = *o.canvas;
    } else {
        const QSize needed = bounds.isEmpty() ? QSize(1, 1) : bounds.size();
        const long long w = static_cast<long long>(needed.width()) + 2 * Margin;
        const long long h = static_cast<long long>(needed.height()) + 2 * Margin;
        if (w > MaxCanvasSide || h > MaxCanvasSide)
            return std::nullopt;
        layout.canvas = QSize(static_cast<int>(w), static_cast<int>(h));
    }
    if (o.anchor) {
        layout.anchor = *o.anchor;
    } else if (bounds.isEmpty()) {
        layout.anchor = {layout.canvas.width() / 2, layout.canvas.height() / 2};
    } else {
        // Centre the drawing: the anchor sits where the bounds' centre lands on the canvas'.
        layout.anchor = {(layout.canvas.width() - bounds.width()) / 2 - bounds.left(),
                         (layout.canvas.height() - bounds.height()) / 2 - bounds.top()};
    }
    return layout;
}

QString writeImage(const QImage& image, const QString& path, imagefile::ImageFormat format)
{
    if (path == StandardOutput) {
        const QByteArray bytes = imagefile::encodeImage(format, image, imagefile::ReferenceDevice::screen());
        if (bytes.isEmpty())
            return QStringLiteral("the picture cannot be encoded");
        return writeToStandardOutput(bytes);
    }
    // The image windows' own writer: the file appears whole or not at all.
    const imagefile::SaveResult saved = imagefile::saveImage(path, format, image);
    return saved.ok() ? QString() : saved.description;
}

QString writeVector(const QByteArray& bytes, const QString& path)
{
    if (path == StandardOutput)
        return bytes.isEmpty() ? QStringLiteral("the picture cannot be encoded") : writeToStandardOutput(bytes);
    const imagefile::SaveResult saved = imagefile::writeWholeFile(path, bytes);
    return saved.ok() ? QString() : saved.description;
}

int runRender(const RenderOptions& options, QTextStream& err)
{
    RenderOptions o = options;
    if (!o.settingsFile.isEmpty()) {
        // The program stays silent about a settings file it cannot read; a command line
        // that names one expects it to be used.
        const QString problem = settingsFileProblem(o.settingsFile);
        if (!problem.isEmpty()) {
            err << "kalvetra-render: " << o.settingsFile << ": cannot read the settings file (" << problem << ")\n";
            return BadInput;
        }
    }
    if (!o.settingsFile.isEmpty() || !o.saveSettingsFile.isEmpty()) {
        const PlainSettingsControls controls = settingsControls(o.overrides, o.settingsFile);
        useSettings(o, controls);
        if (!o.saveSettingsFile.isEmpty() && !saveSettings(o.saveSettingsFile, controls)) {
            err << "kalvetra-render: cannot write the settings file " << o.saveSettingsFile << "\n";
            return WriteFailed;
        }
    }
    if (o.output.isEmpty())
        return Success;

    QImage picture;
    if (!o.backgroundPicture.isEmpty()) {
        // The program's picture service: BMP (RLE too), JPEG, ICO, CUR, WMF and EMF.
        const imagefile::Picture loaded = imagefile::loadPicture(o.backgroundPicture);
        if (!loaded.ok()) {
            err << "kalvetra-render: " << o.backgroundPicture << ": cannot read the picture ("
                << imagefile::pictureErrorDescription(loaded.error) << ")\n";
            return BadInput;
        }
        picture = loaded.image;
    }
    const std::optional<Layout> layout = layoutCanvas(o);
    if (!layout) {
        err << "kalvetra-render: the drawing is larger than " << MaxCanvasSide << " pixels; give --canvas\n";
        return BadInput;
    }

    const bool vector = imagefile::isVectorFormat(o.format);
    Surface canvas(vector ? QSize() : layout->canvas);
    if (!vector && canvas.image().isNull()) {
        err << "kalvetra-render: not enough memory for a canvas of " << layout->canvas.width() << "x"
            << layout->canvas.height() << "\n";
        return BadInput;
    }
    canvas.setTransparentBackground(o.transparent);
    canvas.setPicture(picture);

    // A vector picture's drawing is its polygons and the file's bytes.
    QByteArray vectorBytes;
    DecorationRenderer renderer;
    auto draw = [&] {
        if (!vector) {
            drawPrintFont(canvas, o.settings, o.type, layout->anchor, o.engine, renderer);
            return;
        }
        const VectorLettering lettering =
            vectorPrintFont(o.settings, o.type, layout->anchor, layout->canvas, o.transparent, picture);
        vectorBytes = imagefile::encodeVector(o.format, lettering);
    };
    QElapsedTimer timer;
    timer.start();
    draw();
    const double first = timer.nsecsElapsed() / 1e6;
    if (o.time) {
        err << "first drawing: " << QString::number(first, 'f', 3) << " ms\n";
        if (o.repeat > 0) {
            std::vector<double> times;
            times.reserve(static_cast<size_t>(o.repeat));
            for (int i = 0; i < o.repeat; ++i) {
                timer.restart();
                draw();
                times.push_back(timer.nsecsElapsed() / 1e6);
            }
            std::sort(times.begin(), times.end());
            const size_t n = times.size();
            const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
            err << "median of " << n << " drawings: " << QString::number(median, 'f', 3) << " ms\n";
        }
        err.flush();
    }

    const QString error =
        vector ? writeVector(vectorBytes, o.output) : writeImage(canvas.image(), o.output, o.format);
    if (!error.isEmpty()) {
        err << "kalvetra-render: cannot write " << o.output << ": " << error << "\n";
        return WriteFailed;
    }
    return Success;
}

}  // namespace kalvetra::cli
