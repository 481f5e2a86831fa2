// kalvetra-render's command line: the arguments are the input cut at NUL bytes, taken as
// UTF-8 as the program's own arguments are. Parsing never touches a file; what it accepts
// is within the ranges it promises, and the canvas is laid out for it.
#include "FuzzTarget.h"

#include "cli/RenderCommand.h"
#include "cli/RenderOptions.h"

using namespace kalvetra;
using namespace kalvetra::cli;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::startQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringList arguments;
    for (const QByteArray& field : fuzz::splitFields(input, 64))
        arguments.append(QString::fromUtf8(field));

    const auto parsed = parseRenderOptions(arguments);
    if (const auto* error = std::get_if<ParseError>(&parsed)) {
        fuzz::require(!error->message.isEmpty(), "a refusal without a message");
        return 0;
    }
    const RenderOptions& o = std::get<RenderOptions>(parsed);
    if (o.help)
        return 0;
    const StyleSettings& s = o.settings;
    fuzz::require(s.FontSize >= 10 && s.FontSize <= 500 && s.FontAspect >= 10 && s.FontAspect <= 500,
                  "size or width out of range");
    fuzz::require(s.FontEscape >= 0 && s.FontEscape <= 360, "angle out of range");
    fuzz::require(s.Bordering >= 1 && s.Bordering <= 30 && s.Solid >= 0 && s.Solid <= 20 &&
                      s.ShadowPosition >= 0 && s.ShadowPosition <= 20,
                  "a width out of range");
    if (o.canvas)
        fuzz::require(o.canvas->width() >= 1 && o.canvas->height() >= 1 && o.canvas->width() <= MaxCanvasSide &&
                          o.canvas->height() <= MaxCanvasSide,
                      "canvas out of range");
    if (o.transparent)
        fuzz::require(imagefile::keepsTransparency(o.format), "a transparent picture in a format without alpha");
    if (!o.output.isEmpty() && s.DrawText.size() <= 256) {
        if (const std::optional<Layout> layout = layoutCanvas(o))
            fuzz::require(layout->canvas.width() >= 1 && layout->canvas.height() >= 1 &&
                              layout->canvas.width() <= MaxCanvasSide && layout->canvas.height() <= MaxCanvasSide,
                          "laid-out canvas out of range");
    }
    return 0;
}
