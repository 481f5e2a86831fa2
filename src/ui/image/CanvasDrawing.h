// What an image window's canvas shows - the picture under everything and the lettering, as
// a full drawing or a drag sketch - kept so that the same picture can be drawn once more on
// a transparent background (PNG files and the clipboard). No widgets.
#pragma once

#include "render/DecorationRenderer.h"
#include "render/DecorationType.h"
#include "render/LayerPlan.h"
#include "render/StyleSettings.h"
#include "render/Surface.h"

#include <QImage>

namespace kalvetra {

struct CanvasDrawing {
    enum class Lettering { None, Full, Sketch };
    Lettering lettering = Lettering::None;
    StyleSettings settings;
    DecorationType type = DecorationType::None;
    Point anchor;
};

// The canvas's picture drawn again with alpha 0 wherever only colour ① showed: its picture
// stays as it is, the lettering is opaque with its antialiased edges partly transparent.
// Over colour ① it gives the canvas back.
QImage drawTransparent(const Surface& canvas, const CanvasDrawing& drawing, DecorationRenderer& renderer);

}  // namespace kalvetra
