#include "RenderOptions.h"

#include "Messages.h"

#include "imagefile/ImageSave.h"
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
            fail(say(QStringLiteral("%1 needs a value"), QStringLiteral("%1 には値が必要です")).arg(option));
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
            fail(say(QStringLiteral("%1: \"%2\" is not a whole number"), QStringLiteral("%1: \"%2\" は整数ではありません"))
                     .arg(option, *text));
            return std::nullopt;
        }
        if (*v < min || *v > max) {
            fail(say(QStringLiteral("%1: %2 is out of range (%3 to %4)"), QStringLiteral("%1: %2 は範囲外です (%3 から %4)"))
                     .arg(option)
                     .arg(*v)
                     .arg(min)
                     .arg(max));
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
            fail(say(QStringLiteral("%1: \"%2\" is not a colour R,G,B with each part 0 to 255"),
                     QStringLiteral("%1: \"%2\" は各値が 0 から 255 の色 R,G,B ではありません"))
                     .arg(option, *text));
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
    return say(names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") + names.last(),
               names.join(QStringLiteral("、")));
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
                                      QStringLiteral("--no-transparent"), QStringLiteral("--time"),
                                      QStringLiteral("--tate-chu-yoko"), QStringLiteral("--no-tate-chu-yoko")};
    static const QStringList valued{
        QStringLiteral("--text"),     QStringLiteral("-o"),          QStringLiteral("--output"),
        QStringLiteral("--type"),     QStringLiteral("--font"),      QStringLiteral("--size"),
        QStringLiteral("--width"),    QStringLiteral("--angle"),     QStringLiteral("--bordering"),
        QStringLiteral("--solid"),    QStringLiteral("--shadow-position"), QStringLiteral("--canvas"),
        QStringLiteral("--anchor"),   QStringLiteral("--settings"),  QStringLiteral("--save-settings"),
        QStringLiteral("--background-picture"), QStringLiteral("--format"), QStringLiteral("--engine"),
        QStringLiteral("--repeat"),   QStringLiteral("--ring-shape"), QStringLiteral("--text-file"),
        QStringLiteral("--align"),    QStringLiteral("--line-spacing"), QStringLiteral("--letter-spacing"),
        QStringLiteral("--shadow-blur"), QStringLiteral("--shadow-opacity"), QStringLiteral("--glow"),
        QStringLiteral("--glow-radius"), QStringLiteral("--glow-opacity")};
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
    // A font that is neither installed nor a Windows face with a stand-in leaves the face as
    // it was, as in the settings window.
    PlainSettingsControls c(QFontDatabase::families());
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
    for (int i = 0; i < ExtraCount; ++i)
        if (const auto& v = o.extras[static_cast<size_t>(i)])
            c.setExtra(static_cast<Extra>(i), *v);
    return c;
}

bool isKnownFont(const QString& name)
{
    PlainSettingsControls controls(QFontDatabase::families());
    return controls.setFontName(name);
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
    bool textGiven = false;
    Parser p{arguments, 0, std::nullopt};

    for (p.index = 0; p.index < arguments.size() && !p.error; ++p.index) {
        const QString arg = arguments[p.index];
        if (arg == u"--help" || arg == u"-h") {
            o.help = true;
        } else if (arg == u"--text") {
            if (const auto v = p.value(arg)) {
                o.settings.DrawText = *v;
                haveText = textGiven = true;
            }
        } else if (arg == u"--text-file") {
            if (const auto v = p.value(arg)) {
                o.textFile = *v;
                haveText = true;
            }
        } else if (arg == u"--align") {
            if (const auto v = p.value(arg)) {
                const QString name = v->toLower();
                if (name == u"left" || name == u"top")
                    set.extras[static_cast<size_t>(Extra::Align)] = 0;
                else if (name == u"center" || name == u"centre" || name == u"middle")
                    set.extras[static_cast<size_t>(Extra::Align)] = 1;
                else if (name == u"right" || name == u"bottom")
                    set.extras[static_cast<size_t>(Extra::Align)] = 2;
                else
                    p.fail(say(QStringLiteral("--align: \"%1\" is not left, center or right (top, middle or bottom)"),
                               QStringLiteral("--align: \"%1\" は left、center、right (top、middle、bottom) のどれでもありません"))
                               .arg(*v));
            }
        } else if (arg == u"--line-spacing") {
            if (const auto v = p.integerIn(arg, 50, 300))
                set.extras[static_cast<size_t>(Extra::LineSpacing)] = *v;
        } else if (arg == u"--letter-spacing") {
            if (const auto v = p.integerIn(arg, -200, 200))
                set.extras[static_cast<size_t>(Extra::LetterSpacing)] = *v;
        } else if (arg == u"--tate-chu-yoko" || arg == u"--no-tate-chu-yoko") {
            set.extras[static_cast<size_t>(Extra::TateChuYoko)] = arg == u"--tate-chu-yoko" ? 1 : 0;
        } else if (arg == u"-o" || arg == u"--output") {
            if (const auto v = p.value(arg))
                o.output = *v;
        } else if (arg == u"--type") {
            if (const auto v = p.integerIn(arg, 0, DecorationTypeCount - 1))
                set.type = *v;
        } else if (arg == u"--font") {
            if (const auto v = p.value(arg)) {
                if (v->trimmed().isEmpty())
                    p.fail(say(QStringLiteral("--font: the font name is empty"), QStringLiteral("--font: フォント名が空です")));
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
                    p.fail(say(QStringLiteral("--angle: \"%1\" is not a number"), QStringLiteral("--angle: \"%1\" は数値ではありません"))
                               .arg(*text));
                else if (*v < 0 || *v > 360)
                    p.fail(say(QStringLiteral("--angle: %1 is out of range (0 to 360)"), QStringLiteral("--angle: %1 は範囲外です (0 から 360)"))
                               .arg(*text));
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
        } else if (arg == u"--shadow-blur") {
            if (const auto v = p.integerIn(arg, 0, 50))
                set.extras[static_cast<size_t>(Extra::ShadowBlur)] = *v;
        } else if (arg == u"--shadow-opacity") {
            if (const auto v = p.integerIn(arg, 0, 100))
                set.extras[static_cast<size_t>(Extra::ShadowOpacity)] = *v;
        } else if (arg == u"--glow") {
            if (const auto v = p.colorValueOf(arg)) {
                set.extras[static_cast<size_t>(Extra::GlowColor)] = static_cast<int>(*v);
                set.extras[static_cast<size_t>(Extra::GlowEnable)] = 1;
            }
        } else if (arg == u"--glow-radius") {
            if (const auto v = p.integerIn(arg, 1, 50))
                set.extras[static_cast<size_t>(Extra::GlowRadius)] = *v;
        } else if (arg == u"--glow-opacity") {
            if (const auto v = p.integerIn(arg, 0, 100))
                set.extras[static_cast<size_t>(Extra::GlowOpacity)] = *v;
        } else if (arg.startsWith(u"--color") && arg.size() == 8 && arg[7] >= u'0' && arg[7] <= u'5') {
            const int slot = arg[7].unicode() - u'0';
            if (const auto v = p.colorValueOf(arg))
                set.colors[static_cast<size_t>(slot)] = *v;
        } else if (const auto layer = layerNumberAfter(arg, u"--gradient")) {
            if (const auto v = p.colorValueOf(arg))
                set.gradientColors[static_cast<size_t>(*layer - 1)] = *v;
        } else if (const auto layer = layerNumberAfter(arg, u"--gradient-horizontal")) {
            set.gradientHorizontal[static_cast<size_t>(*layer - 1)] = true;
        } else if (arg == u"--ring-shape") {
            if (const auto text = p.value(arg)) {
                if (*text == u"square" || *text == u"round")
                    set.extras[static_cast<size_t>(Extra::RingShape)] = *text == u"round" ? 1 : 0;
                else
                    p.fail(say(QStringLiteral("--ring-shape: \"%1\" is not square or round"),
                               QStringLiteral("--ring-shape: \"%1\" は square でも round でもありません"))
                               .arg(*text));
            }
        } else if (const auto layer = layerNumberAfter(arg, u"--no-gradient-horizontal")) {
            set.gradientHorizontal[static_cast<size_t>(*layer - 1)] = false;
        } else if (arg == u"--canvas") {
            if (const auto text = p.value(arg)) {
                const auto v = parsePair(text->toLower(), u'x');
                if (!v)
                    p.fail(say(QStringLiteral("--canvas: \"%1\" is not WIDTHxHEIGHT"), QStringLiteral("--canvas: \"%1\" は 幅x高さ ではありません"))
                               .arg(*text));
                else if (v->first < 1 || v->second < 1 || v->first > MaxCanvasSide || v->second > MaxCanvasSide)
                    p.fail(say(QStringLiteral("--canvas: each side must be 1 to %1 pixels"),
                               QStringLiteral("--canvas: 幅と高さは 1 から %1 ピクセルです"))
                               .arg(MaxCanvasSide));
                else
                    o.canvas = QSize(static_cast<int>(v->first), static_cast<int>(v->second));
            }
        } else if (arg == u"--anchor") {
            if (const auto text = p.value(arg)) {
                const auto v = parsePair(*text, u',');
                if (!v)
                    p.fail(say(QStringLiteral("--anchor: \"%1\" is not X,Y"), QStringLiteral("--anchor: \"%1\" は X,Y ではありません"))
                               .arg(*text));
                else if (std::llabs(v->first) > MaxAnchor || std::llabs(v->second) > MaxAnchor)
                    p.fail(say(QStringLiteral("--anchor: %1 is out of range (each of X and Y -%2 to %2)"),
                               QStringLiteral("--anchor: %1 は範囲外です (X、Y とも -%2 から %2)"))
                               .arg(*text)
                               .arg(MaxAnchor));
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
                    p.fail(say(QStringLiteral("--format: \"%1\" is not %2"), QStringLiteral("--format: \"%1\" は %2 のいずれでもありません"))
                               .arg(*text, namesInWords(imagefile::imageFormatNames())));
            }
        } else if (arg == u"--engine") {
            if (const auto text = p.value(arg)) {
                const auto e = engineFromName(*text);
                if (!e)
                    p.fail(say(QStringLiteral("--engine: \"%1\" is not textout, stamp or fast"),
                               QStringLiteral("--engine: \"%1\" は textout、stamp、fast のいずれでもありません"))
                               .arg(*text));
                else
                    o.engine = *e;
            }
        } else if (arg == u"--time") {
            o.time = true;
        } else if (arg == u"--repeat") {
            if (const auto v = p.integerIn(arg, 1, 100000))
                o.repeat = *v;
        } else {
            p.fail(say(QStringLiteral("unknown option %1"), QStringLiteral("%1 というオプションはありません")).arg(arg));
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
        return ParseError{say(QStringLiteral("--text is missing"), QStringLiteral("--text がありません"))};
    if (!o.textFile.isEmpty() && textGiven)
        return ParseError{say(QStringLiteral("--text and --text-file cannot both be given"),
                              QStringLiteral("--text と --text-file は一緒に指定できません"))};
    if (o.output.isEmpty())
        return ParseError{say(QStringLiteral("-o OUTPUT is missing"), QStringLiteral("-o 出力先 がありません"))};
    // --format names the format of standard output (PNG unless given), and of a file whatever
    // its name; otherwise the file's extension does.
    if (!format && o.output != StandardOutput)
        format = imagefile::imageFormatOfPath(o.output);
    // A pipe or a device named without an extension (/dev/stdout) takes PNG as "-" does; a
    // folder is refused when the picture is written, with the reason.
    const imagefile::SaveTarget target = imagefile::saveTargetOf(o.output);
    if (!format && (target == imagefile::SaveTarget::Stream || target == imagefile::SaveTarget::Folder))
        format = imagefile::ImageFormat::Png;
    if (!format && o.output != StandardOutput) {
        QStringList extensions;
        for (const QString& name : imagefile::imageFormatNames())
            extensions << u'.' + name;
        return ParseError{say(QStringLiteral("%1: unsupported output format (use %2)"),
                                  QStringLiteral("%1: 対応していない出力形式です (%2 を使ってください)"))
                              .arg(o.output, namesInWords(extensions))};
    }
    o.format = format.value_or(imagefile::ImageFormat::Png);
    if (o.transparent && !imagefile::keepsTransparency(o.format))
        return ParseError{say(QStringLiteral("--transparent needs a .png, .svg or .pdf output"),
                              QStringLiteral("--transparent には .png、.svg、.pdf の出力が必要です"))};
    return o;
}

QString usageText()
{
    return QStringLiteral(
        "usage: kalvetra-render --text TEXT -o OUT.png|.jpg|.jpeg|.bmp|.wmf|.emf|.svg|.pdf [options]\n"
        "       kalvetra-render --text-file FILE -o OUT [options]\n"
        "       kalvetra-render --text TEXT -o - [--format png|jpg|bmp|wmf|emf|svg|pdf] [options]\n"
        "       kalvetra-render [options] --save-settings FILE\n"
        "\n"
        "Draws decorated lettering as an image window of Kalvetra would.\n"
        "\n"
        "  --settings FILE          start from a Kalvetra settings file (.ini); the options\n"
        "                           given here override it, wherever they stand\n"
        "  --save-settings FILE     write the settings into FILE as Kalvetra saves them,\n"
        "                           keeping its other sections; -o may then be left out\n"
        "  --text TEXT              the text; line breaks in it start new lines\n"
        "  --text-file FILE         the text from a UTF-8 file (CR LF or LF line ends)\n"
        "  --align left|center|right  lines aligned within the block (default center;\n"
        "                           top, middle, bottom name the same in vertical writing)\n"
        "  --line-spacing 50..300   baseline distance in percent of the line height (100)\n"
        "  --letter-spacing -200..200  pixels added to each character's advance (0)\n"
        "  --tate-chu-yoko          vertical writing: 1-2 digits, !? and !! upright in one cell\n"
        "  --type 0..4              0 立体縁取り, 1 三重縁取り (default), 2 二重縁取り, 3 一重縁取り, 4 ノーマル\n"
        "  --font NAME              font face (default ＭＳ Ｐゴシック, drawn with IPAPGothic);\n"
        "                           one not installed keeps the default, with a warning\n"
        "  --size 10..500           size in points (default 50)\n"
        "  --width 10..500          character width in percent (default 100)\n"
        "  --angle 0..360           angle in degrees, counter-clockwise; may have a fraction\n"
        "  --bold --italic --underline --strikeout --vertical --twice-draw\n"
        "  --no-bold, --no-shadow, ...  switch off what a settings file switched on\n"
        "  --bordering 1..30        outline width (default 5)\n"
        "  --solid 0..20            depth of the solid extrusion (default 5)\n"
        "  --shadow                 draw the shadow\n"
        "  --shadow-position 0..20  shadow offset in pixels (default 9)\n"
        "  --ring-shape square|round  the outlines' corners: square 角 (default) or round 丸\n"
        "  --shadow-blur 0..50      blur radius of the shadow in pixels (default 0, sharp)\n"
        "  --shadow-opacity 0..100  opacity of the shadow in percent (default 100)\n"
        "  --glow R,G,B             a glow of this colour around the lettering\n"
        "  --glow-radius 1..50      its radius in pixels (default 10)\n"
        "  --glow-opacity 0..100    its opacity in percent (default 80)\n"
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
        "  --engine textout|stamp|fast  drawing engine (default fast); textout stamps the text\n"
        "                           along the border of each ring only, so pieces of a\n"
        "                           letter smaller than the ring stay hollow there\n"
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
