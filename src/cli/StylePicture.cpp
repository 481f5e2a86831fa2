#include "StylePicture.h"

#include "RenderCommand.h"
#include "RenderOptions.h"

#include "render/DecoratedDrawing.h"
#include "render/Surface.h"

namespace kalvetra::cli {

QImage drawStylePicture(const QString& settingsFile, const QString& text)
{
    RenderOptions options;
    options.settingsFile = settingsFile;
    options.settings.DrawText = text;
    useSettings(options, settingsControls(options.overrides, settingsFile));
    const std::optional<Layout> layout = layoutCanvas(options);
    if (!layout)
        return {};
    Surface canvas(layout->canvas);
    if (canvas.image().isNull())
        return {};
    DecorationRenderer renderer;
    drawPrintFont(canvas, options.settings, options.type, layout->anchor, options.engine, renderer);
    return canvas.image();
}

QImage thumbnailOf(const QImage& picture, QSize box)
{
    if (picture.isNull() || box.isEmpty())
        return {};
    if (picture.width() <= box.width() && picture.height() <= box.height())
        return picture;
    return picture.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

}  // namespace kalvetra::cli
