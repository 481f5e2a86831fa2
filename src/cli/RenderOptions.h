// The command line of kalvetra-render: what to draw and where to write it. Parsing is pure
// (no files touched) so that every refusal can be tested. QtCore/QtGui only.
#pragma once

#include "imagefile/ImageFormat.h"
#include "render/DecorationRenderer.h"
#include "render/DecorationType.h"
#include "render/LayerPlan.h"
#include "render/StyleSettings.h"
#include "settings/PlainSettingsControls.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <variant>

namespace kalvetra::cli {

// The settings the command line gives. They apply over the program's start-up state, or
// over a settings file, whatever their place on the command line.
struct SettingOverrides {
    std::optional<QString> fontName;
    std::array<std::optional<int>, SliderCount> sliders;  // by Slider; the angle is apart
    std::optional<double> angle;                          // may have a fraction
    std::array<std::optional<bool>, CheckCount> checked;  // by Check: switched on or off
    std::optional<int> type;
    std::array<std::optional<ColorValue>, ColorSlotCount> colors;
    // By layer 1 .. 4 (colours ② .. ⑤): the second colour, which turns the gradient on, and
    // the direction left to right.
    std::array<std::optional<ColorValue>, GradientLayerCount> gradientColors;
    std::array<std::optional<bool>, GradientLayerCount> gradientHorizontal;
    std::array<std::optional<int>, ExtraCount> extras;  // by Extra
};

struct RenderOptions {
    // The effective settings. Without a settings file: the start-up state with the options
    // applied; with one, runRender reads it and applies the options again.
    StyleSettings settings;
    DecorationType type = DecorationType::TripleOutline;
    SettingOverrides overrides;
    QString textFile;          // --text-file: read by runRender, in place of --text
    QString settingsFile;      // --settings
    QString saveSettingsFile;  // --save-settings
    QString output;  // a file, or StandardOutput
    imagefile::ImageFormat format = imagefile::ImageFormat::Png;
    std::optional<QSize> canvas;
    std::optional<Point> anchor;
    QString backgroundPicture;
    bool transparent = false;
    Engine engine = Engine::Fast;
    bool time = false;
    int repeat = 0;
    bool help = false;
};

// The output name that stands for standard output.
inline const QString StandardOutput = QStringLiteral("-");

struct ParseError {
    QString message;  // one line, naming the problem
};

// The largest canvas side the renderer accepts, and the farthest anchor.
constexpr int MaxCanvasSide = 16384;
constexpr int MaxAnchor = 1'000'000;

// Whether the settings window would take `name` from a settings file or the font list.
bool isKnownFont(const QString& name);

// The settings window's controls as the program starts, then `settingsFile` (when not
// empty) read as loadSetting reads it, then the overrides. A font named on the command line
// that isKnownFont refuses leaves the face as it was.
PlainSettingsControls settingsControls(const SettingOverrides& overrides, const QString& settingsFile);

// Takes the settings and the type from `controls` into `options`, keeping its text.
void useSettings(RenderOptions& options, const SettingsControls& controls);

std::variant<RenderOptions, ParseError> parseRenderOptions(const QStringList& arguments);

// What an option such as "--size" is to the parser: a switch that stands alone ("--bold",
// "--no-bold"), one followed by a value, or none of its options.
enum class OptionKind { Unknown, Switch, Valued };
OptionKind optionKind(const QString& option);

QString usageText();

}  // namespace kalvetra::cli
