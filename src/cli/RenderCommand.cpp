#include "RenderCommand.h"

#include "Messages.h"

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
#include <QStringDecoder>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <variant>
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
        return systemReason(ENOENT);
    if (!info.isFile())
        return say(QStringLiteral("not a file"), QStringLiteral("ファイルではありません"));
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return systemReason(errno);
    ::close(fd);
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
            return systemReason(n < 0 ? errno : EIO);
        written += n;
    }
    return {};
}

// The picture service's reason in the process's language.
QString pictureProblem(imagefile::PictureError error)
{
    using imagefile::PictureError;
    if (japaneseMessages())
        return imagefile::pictureErrorDescription(error);
    switch (error) {
    case PictureError::NotFound: return QStringLiteral("no such file");
    case PictureError::CannotOpen: return QStringLiteral("it cannot be opened as a file");
    case PictureError::TooLarge: return QStringLiteral("too large");
    case PictureError::TooComplex: return QStringLiteral("its drawing does not end in time");
    case PictureError::Unsupported: return QStringLiteral("a kind of picture that is not read");
    case PictureError::Damaged: return QStringLiteral("the picture is damaged");
    default: return QStringLiteral("not a picture");
    }
}

// A text file's text, or why it cannot be had. UTF-8 with or without its mark; the line ends
// (LF, CR LF) stay in the text, where the layout takes either as a line break.
constexpr qint64 MaxTextFileBytes = 1 << 20;

std::variant<QString, QString> readTextFile(const QString& path)
{
    auto refused = [](const QString& reason) { return std::variant<QString, QString>(std::in_place_index<1>, reason); };
    if (const QString problem = settingsFileProblem(path); !problem.isEmpty())
        return refused(problem);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(systemReason(EACCES));
    // NOTE: read one byte more than allowed, so that a file that grows is still caught.
    const QByteArray bytes = file.read(MaxTextFileBytes + 1);
    if (bytes.size() > MaxTextFileBytes)
        return refused(say(QStringLiteral("larger than 1 MiB"), QStringLiteral("1 MiB を超えています")));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return refused(say(QStringLiteral("not UTF-8 text"), QStringLiteral("UTF-8 のテキストではありません")));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return std::variant<QString, QString>(std::in_place_index<0>, text);
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

namespace {

QString reasonOf(const imagefile::SaveResult& saved)
{
    return saved.systemError != 0 ? systemReason(saved.systemError) : saveReason(saved.errorNumber, saved.description);
}

}  // namespace

QString writeImage(const QImage& image, const QString& path, imagefile::ImageFormat format)
{
    if (path == StandardOutput) {
        const QByteArray bytes = imagefile::encodeImage(format, image, imagefile::ReferenceDevice::screen());
        if (bytes.isEmpty())
            return saveReason(imagefile::saveError::InvalidPicture, QString());
        return writeToStandardOutput(bytes);
    }
    // The image windows' own writer: the file appears whole or not at all.
    const imagefile::SaveResult saved = imagefile::saveImage(path, format, image);
    return saved.ok() ? QString() : reasonOf(saved);
}

QString writeVector(const QByteArray& bytes, const QString& path)
{
    if (path == StandardOutput)
        return bytes.isEmpty() ? saveReason(imagefile::saveError::InvalidPicture, QString()) : writeToStandardOutput(bytes);
    const imagefile::SaveResult saved = imagefile::writeWholeFile(path, bytes);
    return saved.ok() ? QString() : reasonOf(saved);
}

// Why `path` cannot take the picture at all, or empty.
QString outputProblem(const QString& path, bool standardOutputOpen)
{
    if (path == StandardOutput)
        return standardOutputOpen ? QString() : systemReason(EBADF);
    switch (imagefile::saveTargetOf(path)) {
    case imagefile::SaveTarget::Folder: return systemReason(EISDIR);
    case imagefile::SaveTarget::Other:
        return say(QStringLiteral("it is not a file, a pipe or a character device"),
                   QStringLiteral("ファイル、パイプ、キャラクタデバイスのいずれでもありません"));
    default: return {};
    }
}

QString cannotWrite(const QString& path, const QString& reason)
{
    return say(QStringLiteral("kalvetra-render: cannot write %1: %2"), QStringLiteral("kalvetra-render: %1 に書き込めません: %2"))
        .arg(path, reason);
}

int runRender(const RenderOptions& options, QTextStream& err, bool standardOutputOpen)
{
    RenderOptions o = options;
    if (!o.settingsFile.isEmpty()) {
        // The program stays silent about a settings file it cannot read; a command line
        // that names one expects it to be used.
        const QString problem = settingsFileProblem(o.settingsFile);
        if (!problem.isEmpty()) {
            err << say(QStringLiteral("kalvetra-render: %1: cannot read the settings file (%2)"),
                       QStringLiteral("kalvetra-render: %1: 設定ファイルを読めません (%2)"))
                       .arg(o.settingsFile, problem)
                << "\n";
            return BadInput;
        }
    }
    if (!o.settingsFile.isEmpty() || !o.saveSettingsFile.isEmpty()) {
        const PlainSettingsControls controls = settingsControls(o.overrides, o.settingsFile);
        useSettings(o, controls);
        int systemError = 0;
        if (!o.saveSettingsFile.isEmpty() && !saveSettings(o.saveSettingsFile, controls, &systemError)) {
            err << say(QStringLiteral("kalvetra-render: cannot write the settings file %1: %2"),
                       QStringLiteral("kalvetra-render: 設定ファイル %1 に書き込めません: %2"))
                       .arg(o.saveSettingsFile, systemError != 0 ? systemReason(systemError)
                                                                 : say(QStringLiteral("a value does not fit on one line"),
                                                                       QStringLiteral("1 行に収まらない値があります")))
                << "\n";
            return WriteFailed;
        }
    }
    if (o.overrides.fontName && !isKnownFont(*o.overrides.fontName)) {
        // As in the window, the face stays as it was; the picture is still drawn.
        err << say(QStringLiteral("kalvetra-render: warning: the font \"%1\" is not installed; drawn in \"%2\""),
                   QStringLiteral("kalvetra-render: 警告: フォント \"%1\" はインストールされていません。\"%2\" で描きます"))
                   .arg(*o.overrides.fontName, o.settings.FontName)
            << "\n";
        err.flush();
    }
    if (o.output.isEmpty())
        return Success;
    if (const QString problem = outputProblem(o.output, standardOutputOpen); !problem.isEmpty()) {
        err << cannotWrite(o.output, problem) << "\n";
        return WriteFailed;
    }
    if (!o.textFile.isEmpty()) {
        const auto text = readTextFile(o.textFile);
        if (text.index() == 1) {
            err << say(QStringLiteral("kalvetra-render: %1: cannot read the text file (%2)"),
                       QStringLiteral("kalvetra-render: %1: テキスト ファイルを読めません (%2)"))
                       .arg(o.textFile, std::get<1>(text))
                << "\n";
            return BadInput;
        }
        o.settings.DrawText = std::get<0>(text);
    }

    QImage picture;
    if (!o.backgroundPicture.isEmpty()) {
        // The program's picture service: BMP (RLE too), JPEG, ICO, CUR, WMF and EMF.
        const imagefile::Picture loaded = imagefile::loadPicture(o.backgroundPicture);
        if (!loaded.ok()) {
            err << say(QStringLiteral("kalvetra-render: %1: cannot read the picture (%2)"),
                       QStringLiteral("kalvetra-render: %1: 画像を読めません (%2)"))
                       .arg(o.backgroundPicture, pictureProblem(loaded.error))
                << "\n";
            return BadInput;
        }
        picture = loaded.image;
    }
    const std::optional<Layout> layout = layoutCanvas(o);
    if (!layout) {
        err << say(QStringLiteral("kalvetra-render: the drawing is larger than %1 pixels; give --canvas"),
                   QStringLiteral("kalvetra-render: 描画が %1 ピクセルを超えます。--canvas を指定してください"))
                   .arg(MaxCanvasSide)
            << "\n";
        return BadInput;
    }

    const bool vector = imagefile::isVectorFormat(o.format);
    Surface canvas(vector ? QSize() : layout->canvas);
    if (!vector && canvas.image().isNull()) {
        err << say(QStringLiteral("kalvetra-render: not enough memory for a canvas of %1x%2"),
                   QStringLiteral("kalvetra-render: %1x%2 のキャンバスに使うメモリが足りません"))
                   .arg(layout->canvas.width())
                   .arg(layout->canvas.height())
            << "\n";
        return BadInput;
    }
    canvas.setTransparentBackground(o.transparent);
    canvas.setPicture(picture);

    // A vector picture's drawing is its polygons and the file's bytes.
    QByteArray vectorBytes;
    DecorationRenderer renderer;
    // A picture drawn once needs no pieces kept for a redraw; timed repeats measure redraws.
    renderer.releasePiecesAfterUse(o.repeat == 0);
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
        err << cannotWrite(o.output, error) << "\n";
        return WriteFailed;
    }
    return Success;
}

}  // namespace kalvetra::cli
