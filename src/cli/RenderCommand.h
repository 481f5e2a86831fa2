// kalvetra-render's work after parsing: lay out the canvas, draw as PrintFont does, time
// it if asked, and write the picture without ever leaving a partial file.
#pragma once

#include "RenderOptions.h"

#include <QImage>
#include <QRect>
#include <QTextStream>

namespace kalvetra::cli {

enum ExitStatus : int { Success = 0, WriteFailed = 1, BadInput = 2 };

// The decorated drawing's extent around an anchor at (0, 0): text bounds grown by the reach
// of every ring of the plan.
QRect decoratedBounds(const StyleSettings& settings, DecorationType type);

// Canvas size and anchor from the options (defaults: the drawing plus a 16-pixel margin,
// the drawing centred). Empty optional when the default canvas would be too large.
struct Layout {
    QSize canvas;
    Point anchor;
};
std::optional<Layout> layoutCanvas(const RenderOptions& options);

// Writes `image` to `path`, or to standard output for StandardOutput, in `format`; a file
// appears whole or not at all. Returns an error text, empty on success.
QString writeImage(const QImage& image, const QString& path, imagefile::ImageFormat format);

// `standardOutputOpen` false: standard output was closed when the process started.
int runRender(const RenderOptions& options, QTextStream& err, bool standardOutputOpen = true);

}  // namespace kalvetra::cli
