#include "RenderOptions.h"

#include "render/Rounding.h"
#include "settings/DefaultSettings.h"
#include "settings/SettingsFile.h"

#include <QFontDatabase>
#include <QRegularExpression>

#include <array>
#include <cmath>

namespace kalvetra::cli {
namespace {

std::optional<long long> parseInteger(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?\\d{1,9}$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    return text.toLongLong();
}

std::optional<double> parseDecimal(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

// "A,B" or "AxB" pairs of integers.
std::optional<std::pair<long long, long long>> parsePair(const QString& text, QChar separator)
{
    const QStringList parts = text.split(separator);
    if (parts.size() != 2)
        return std::nullopt;
    const auto a = parseInteger(parts[0].trimmed());
    const auto b = parseInteger(parts[1].trimmed());
    if (!a || !b)
        return std::nullopt;
    return std::make_pair(*a, *b);
}

struct Parser {
    const QStringList& args;
    int index = 0;
    std::optional<ParseError> error;

    void fail(const QString& message)
    {
        if (!error)
            error = ParseError{message};
    }

    std::optional<QString> value(const QString& option)
    {
        if (index + 1 >= args.size()) {
            fail(QStringLiteral("%1 needs a value").arg(option));
            return std::nullopt;
        }
        return args[++index];
    }

    std::optional<int> integerIn(const QString& option, int min, int max)
    {
        const auto text = value(option);
        if (!text)
            return std::nullopt;
        const auto v = parseInteger(*text);
        if (!v) {
            fail(QStringLiteral("%1: \"%2\" is not a whole number").arg(option, *text));
            return std::nullopt;
        }
        if (*v < min || *v > max) {
            fail(QStringLiteral("%1: %2 is out of range (%3 to %4)").arg(option).arg(*v).arg(min).arg(max));
            return std::nullopt;
        }
        return static_cast<int>(*v);
    }

    // "R,G,B", each part 0 to 255.
    std::optional<ColorValue> colorValueOf(const QString& option)
    {
        const auto text = value(option);
        if (!text)
            return std::nullopt;
        const QStringList parts = text->split(u',');
        std::array<int, 3> rgb{};
        bool ok = parts.size() == 3;
        for (int i = 0; ok && i < 3; ++i) {
            const auto c = parseInteger(parts[i].trimmed());
            ok = c && *c >= 0 && *c <= 255;
            if (ok)
                rgb[static_cast<size_t>(i)] = static_cast<int>(*c);
        }
        if (!ok) {
            fail(QStringLiteral("%1: \"%2\" is not a colour R,G,B with each part 0 to 255").arg(option, *text));
            return std::nullopt;
        }
        return colorValue(rgb[0], rgb[1], rgb[2]);
    }
};

// "a, b or c".
QString namesInWords(const QStringList& names)
{
    if (names.size() < 2)
        return names.join(QString());
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") + names.last();
}

// The layer number 1 .. 4 at the end of an option such as "--gradient3", or nothing.
std::optional<int> layerNumberAfter(const QString& arg, QStringView prefix)
{
    if (!arg.startsWith(prefix) || arg.size() != prefix.size() + 1)
        return std::nullopt;
    const int n = arg.back().unicode() - u'0';
    return n >= 1 && n <= GradientLayerCount ? std::optional<int>(n) : std::nullopt;
}

// The style switches by their option names; "--no-" before a name switches it off.
constexpr std::pair<const char16_t*, Check> StyleSwitches[] = {
    {u"bold", Check::Bold},           {u"italic", Check::Italic},       {u"underline", Check::Underline},
    {u"strikeout", Check::StrikeOut}, {u"vertical", Check::UpToDown},   {u"twice-draw", Check::TwiceDraw},
    {u"shadow", Check::Shadow},
};

std::optional<std::pair<Check, bool>> checkOfSwitch(const QString& arg)
{
    if (!arg.startsWith(u"--"))
        return std::nullopt;
    const bool off = arg.startsWith(u"--no-");
    const QStringView name = QStringView(arg).mid(off ? 5 : 2);
    for (const auto& [switchName, check] : StyleSwitches)
        if (name == QStringView(switchName))
            return std::make_pair(check, !off);
    return std::nullopt;
}

}  // namespace

OptionKind optionKind(const QString& option)
{
    static const QStringList switches{QStringLiteral("--help"), QStringLiteral("-h"), QStringLiteral("--transparent"),
                                      QStringLiteral("--no-transparent"), QStringLiteral("--time")};
    static const QStringList valued{
        QStringLiteral("--text"),     QStringLiteral("-o"),          QStringLiteral("--output"),
        QStringLiteral("--type"),     QStringLiteral("--font"),      QStringLiteral("--size"),
        QStringLiteral("--width"),    QStringLiteral("--angle"),     QStringLiteral("--bordering"),
        QStringLiteral("--solid"),    QStringLiteral("--shadow-position"), QStringLiteral("--canvas"),
        QStringLiteral("--anchor"),   QStringLiteral("--settings"),  QStringLiteral("--save-settings"),
        QStringLiteral("--background-picture"), QStringLiteral("--format"), QStringLiteral("--engine"),
        QStringLiteral("--repeat")};
    if (switches.contains(option) || checkOfSwitch(option) || layerNumberAfter(option, u"--gradient-horizontal") ||
        layerNumberAfter(option, u"--no-gradient-horizontal"))
        return OptionKind::Switch;
    const bool colour = option.startsWith(u"--color") && option.size() == 8 && option[7] >= u'0' && option[7] <= u'5';
    if (valued.contains(option) || colour || layerNumberAfter(option, u"--gradient"))
        return OptionKind::Valued;
    return OptionKind::Unknown;
}

PlainSettingsControls settingsControls(const SettingOverrides& o, const QString& settingsFile)
{
    QStringList fonts = QFontDatabase::families();
    if (o.fontName)
        fonts.append(*o.fontName);
    PlainSettingsControls c(fonts);
    startUp(c);
    if (!settingsFile.isEmpty())
        loadSetting(settingsFile, c);

    if (o.fontName)
        c.setFontName(*o.fontName);
    for (int i = 0; i < SliderCount; ++i)
        if (const auto& v = o.sliders[static_cast<size_t>(i)])
            c.setSliderValue(static_cast<Slider>(i), *v);
    if (o.angle) {
        c.setSliderValue(Slider::FontEscape, roundToLong(*o.angle));
        // The box keeps the fraction, so that a saved file holds the angle as given.
        c.setNumberBoxText(Slider::FontEscape, QString::number(*o.angle));
    }
    for (int i = 0; i < CheckCount; ++i)
        if (const auto& on = o.checked[static_cast<size_t>(i)])
            c.setCheckValue(static_cast<Check>(i), *on ? 1 : 0);
    // As in the window: choosing a type assigns its colours first, chosen colours win.
    if (o.type)
        c.selectType(*o.type);
    for (int slot = 0; slot < ColorSlotCount; ++slot)
        if (const auto& v = o.colors[static_cast<size_t>(slot)])
            c.setColor(slot, *v);
    for (int layer = 1; layer <= GradientLayerCount; ++layer) {
        if (const auto& v = o.gradientColors[static_cast<size_t>(layer - 1)]) {
            c.setGradientColor(layer, *v);
            c.setGradientEnabled(layer, 1);
        }
        if (const auto& on = o.gradientHorizontal[static_cast<size_t>(layer - 1)])
            c.setGradientHorizontal(layer, *on ? 1 : 0);
    }
    return c;
}

void useSettings(RenderOptions& options, const SettingsControls& controls)
{
    const QString text = options.settings.DrawText;
    options.settings = captureSettings(controls);
    options.settings.DrawText = text;
    if (options.overrides.angle)
        options.settings.FontEscape = static_cast<float>(*options.overrides.angle);
    options.type = controls.selectedType();
}

std::variant<RenderOptions, ParseError> parseRenderOptions(const QStringList& arguments)
{
    RenderOptions o;
    SettingOverrides& set = o.overrides;
    std::optional<imagefile::ImageFormat> format;
    bool haveText = false;
    Parser p{arguments, 0, std::nullopt};

    for (p.index = 0; p.index < arguments.size() && !p.error; ++p.index) {
        const QString arg = arguments[p.index];
        if (arg == u"--help" || arg == u"-h") {
            o.help = true;
        } else if (arg == u"--text") {
            if (const auto v = p.value(arg)) {
                o.settings.DrawText = *v;
                haveText = true;
            }
        } else if (arg == u"-o" || arg == u"--output") {
            if (const auto v = p.value(arg))
                o.output = *v;
        } else if (arg == u"--type") {
            if (const auto v = p.integerIn(arg, 0, DecorationTypeCount - 1))
                set.type = *v;
        } else if (arg == u"--font") {
            if (const auto v = p.value(arg)) {
                if (v->trimmed().isEmpty())
                    p.fail(QStringLiteral("--font: the font name is empty"));
                set.fontName = *v;
            }
        } else if (arg == u"--size") {
            if (const auto v = p.integerIn(arg, 10, 500))
                set.sliders[static_cast<size_t>(Slider::FontSize)] = *v;
        } else if (arg == u"--width") {
            if (const auto v = p.integerIn(arg, 10, 500))
                set.sliders[static_cast<size_t>(Slider::FontAspect)] = *v;
        } else if (arg == u"--angle") {
            if (const auto text = p.value(arg)) {
                const auto v = parseDecimal(*text);
                if (!v)
                    p.fail(QStringLiteral("--angle: \"%1\" is not a number").arg(*text));
                else if (*v < 0 || *v > 360)
                    p.fail(QStringLiteral("--angle: %1 is out of range (0 to 360)").arg(*text));
                else
                    set.angle = *v;
            }
        } else if (const auto check = checkOfSwitch(arg)) {
            set.checked[static_cast<size_t>(check->first)] = check->second;
        } else if (arg == u"--bordering") {
            if (const auto v = p.integerIn(arg, 1, 30))
                set.sliders[static_cast<size_t>(Slider::Bordering)] = *v;
        } else if (arg == u"--solid") {
            if (const auto v = p.integerIn(arg, 0, 20))
                set.sliders[static_cast<size_t>(Slider::Solid)] = *v;
        } else if (arg == u"--shadow-position") {
            if (const auto v = p.integerIn(arg, 0, 20))
                set.sliders[static_cast<size_t>(Slider::ShadowPosition)] = *v;
        } else if (arg.startsWith(u"--color") && arg.size() == 8 && arg[7] >= u'0' && arg[7] <= u'5') {
            const int slot = arg[7].unicode() - u'0';
            if (const auto v = p.colorValueOf(arg))
                set.colors[static_cast<size_t>(slot)] = *v;
        } else if (const auto layer = layerNumberAfter(arg, u"--gradient")) {
            if (const auto v = p.colorValueOf(arg))
                set.gradientColors[static_cast<size_t>(*layer - 1)] = *v;
        } else if (const auto layer = layerNumberAfter(arg, u"--gradient-horizontal")) {
            set.gradientHorizontal[static_cast<size_t>(*layer - 1)] = true;
        } else if (const auto layer = layerNumberAfter(arg, u"--no-gradient-horizontal")) {
            set.gradientHorizontal[static_cast<size_t>(*layer - 1)] = false;
        } else if (arg == u"--canvas") {
            if (const auto text = p.value(arg)) {
                const auto v = parsePair(text->toLower(), u'x');
                if (!v)
                    p.fail(QStringLiteral("--canvas: \"%1\" is not WIDTHxHEIGHT").arg(*text));
                else if (v->first < 1 || v->second < 1 || v->first > MaxCanvasSide || v->second > MaxCanvasSide)
                    p.fail(QStringLiteral("--canvas: each side must be 1 to %1 pixels").arg(MaxCanvasSide));
                else
                    o.canvas = QSize(static_cast<int>(v->first), static_cast<int>(v->second));
            }
        } else if (arg == u"--anchor") {
            if (const auto text = p.value(arg)) {
                const auto v = parsePair(*text, u',');
                if (!v || std::llabs(v->first) > 1'000'000 || std::llabs(v->second) > 1'000'000)
                    p.fail(QStringLiteral("--anchor: \"%1\" is not X,Y").arg(*text));
                else
                    o.anchor = Point{static_cast<int>(v->first), static_cast<int>(v->second)};
            }
        } else if (arg == u"--settings") {
            if (const auto v = p.value(arg))
                o.settingsFile = *v;
        } else if (arg == u"--save-settings") {
            if (const auto v = p.value(arg))
                o.saveSettingsFile = *v;
        } else if (arg == u"--background-picture") {
            if (const auto v = p.value(arg))
                o.backgroundPicture = *v;
        } else if (arg == u"--transparent" || arg == u"--no-transparent") {
            o.transparent = arg == u"--transparent";
        } else if (arg == u"--format") {
            if (const auto text = p.value(arg)) {
                if (const auto f = imagefile::imageFormatForName(*text))
                    format = *f;
                else
                    p.fail(QStringLiteral("--format: \"%1\" is not %2").arg(*text, namesInWords(imagefile::imageFormatNames())));
            }
        } else if (arg == u"--engine") {
            if (const auto text = p.value(arg)) {
                const auto e = engineFromName(*text);
                if (!e)
                    p.fail(QStringLiteral("--engine: \"%1\" is not textout, stamp or fast").arg(*text));
                else
                    o.engine = *e;
            }
        } else if (arg == u"--time") {
            o.time = true;
        } else if (arg == u"--repeat") {
            if (const auto v = p.integerIn(arg, 1, 100000))
                o.repeat = *v;
        } else {
            p.fail(QStringLiteral("unknown option %1").arg(arg));
        }
    }
    if (p.error)
        return *p.error;
    if (o.help)
        return o;

    // Without a settings file the effective settings are known now; with one, they are
    // worked out again once the file has been read.
    useSettings(o, settingsControls(o.overrides, QString()));

    // Writing only the settings needs neither a text nor a picture.
    if (!o.saveSettingsFile.isEmpty() && o.output.isEmpty())
        return o;
    if (!haveText)
        return ParseError{QStringLiteral("--text is missing")};
    if (o.output.isEmpty())
        return ParseError{QStringLiteral("-o OUTPUT is missing")};
    // --format names the format of standard output (PNG unless given), and of a file whatever
    // its name; otherwise the file's extension does.
    if (!format && o.output != StandardOutput)
        format = imagefile::imageFormatOfPath(o.output);
    if (!format && o.output != StandardOutput) {
        QStringList extensions;
        for (const QString& name : imagefile::imageFormatNames())
            extensions << u'.' + name;
        return ParseError{QStringLiteral("%1: unsupported output format (use %2)").arg(o.output, namesInWords(extensions))};
    }
    o.format = format.value_or(imagefile::ImageFormat::Png);
    if (o.transparent && !imagefile::keepsTransparency(o.format))
        return ParseError{QStringLiteral("--transparent needs a .png, .svg or .pdf output")};
    return o;
}

QString usageText()
{
    return QStringLiteral(
        "usage: kalvetra-render --text TEXT -o OUT.png|.jpg|.jpeg|.bmp|.wmf|.emf|.svg|.pdf [options]\n"
        "       kalvetra-render --text TEXT -o - [--format png|jpg|bmp|wmf|emf|svg|pdf] [options]\n"
        "       kalvetra-render [options] --save-settings FILE\n"
        "\n"
        "Draws decorated lettering as an image window of Kalvetra would.\n"
        "\n"
        "  --settings FILE          start from a Kalvetra settings file (.ini); the options\n"
        "                           given here override it, wherever they stand\n"
        "  --save-settings FILE     write the settings into FILE as Kalvetra saves them,\n"
        "                           keeping its other sections; -o may then be left out\n"
        "  --type 0..4              0 立体縁取り, 1 三重縁取り (default), 2 二重縁取り, 3 一重縁取り, 4 ノーマル\n"
        "  --font NAME              font face (default ＭＳ Ｐゴシック, drawn with IPAPGothic)\n"
        "  --size 10..500           size in points (default 50)\n"
        "  --width 10..500          character width in percent (default 100)\n"
        "  --angle 0..360           angle in degrees, counter-clockwise; may have a fraction\n"
        "  --bold --italic --underline --strikeout --vertical --twice-draw\n"
        "  --no-bold, --no-shadow, ...  switch off what a settings file switched on\n"
        "  --bordering 1..30        outline width (default 5)\n"
        "  --solid 0..20            depth of the solid extrusion (default 5)\n"
        "  --shadow                 draw the shadow\n"
        "  --shadow-position 0..20  shadow offset in pixels (default 9)\n"
        "  --color0 .. --color5 R,G,B  background, the four layers from outside in, shadow\n"
        "  --gradient1 .. --gradient4 R,G,B  a gradient over layer 1 .. 4 from its colour to\n"
        "                           this one, top to bottom\n"
        "  --gradient-horizontal1 .. --gradient-horizontal4  that gradient left to right\n"
        "                           (--no-gradient-horizontalN: top to bottom)\n"
        "  --canvas WxH             canvas size (default: the drawing plus a 16-pixel margin)\n"
        "  --anchor X,Y             middle of the text's baseline (default: drawing centred)\n"
        "  --background-picture F   picture under everything, at the top-left corner\n"
        "  --transparent            transparent background (PNG, SVG, PDF)\n"
        "  -o -                     write the picture to standard output\n"
        "  --format png|jpg|bmp|wmf|emf|svg|pdf  format of the picture (default png for -o -,\n"
        "                           else the output's extension)\n"
        "  --engine textout|stamp|fast  drawing engine (default fast)\n"
        "  --time [--repeat N]      drawing time in ms on stderr (first, and median of N)\n"
        "\n"
        "       kalvetra-render --batch TABLE.csv|.tsv [-j N] [--overwrite] [options]\n"
        "\n"
        "Draws one picture per row of the table. Its first row names the columns: text\n"
        "(required), output (the file to write) and any option above without its dashes\n"
        "(size, color4, gradient4, type, shadow, ...), which overrides for that row the\n"
        "options given here. A switch column takes 1/0, true/false, yes/no or on/off.\n"
        "  -j N, --jobs N           draw on N processes (default: every core)\n"
        "  --overwrite              replace pictures that exist already\n"
        "Exit status 1 when a row failed (each is reported with its line), 2 when the\n"
        "table cannot be read.\n");
}

}  // namespace kalvetra::cli
