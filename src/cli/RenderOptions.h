// The command line of kalvetra-render: what to draw and where to write it. Parsing is pure
// (no files touched) so that every refusal can be tested. QtCore/QtGui only.
#pragma once

#include "render/DecorationRenderer.h"
#include "render/DecorationType.h"
#include "render/LayerPlan.h"
#include "render/StyleSettings.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace kalvetra::cli {

struct RenderOptions {
    StyleSettings settings;  // the program's start-up state with the options applied
    DecorationType type = DecorationType::TripleOutline;
    QString output;
    std::optional<QSize> canvas;
    std::optional<Point> anchor;
    QString backgroundPicture;
    bool transparent = false;
    Engine engine = Engine::Fast;
    bool time = false;
    int repeat = 0;
    bool help = false;
};

struct ParseError {
    QString message;  // one line, naming the problem
};

// The largest canvas side the renderer accepts.
constexpr int MaxCanvasSide = 16384;

// The settings an image window starts with when the program starts without a settings
// file: the defaults, "三重縁取り" with its colours, shadow off, TwiceDraw off, black shadow.
StyleSettings startupSettings();

// Assigns the default colours of `type` over `settings`, as selecting the type does.
void applyTypeColors(StyleSettings& settings, DecorationType type);

std::variant<RenderOptions, ParseError> parseRenderOptions(const QStringList& arguments);

QString usageText();

}  // namespace kalvetra::cli
