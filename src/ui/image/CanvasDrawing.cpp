#include "CanvasDrawing.h"

#include "render/DecoratedDrawing.h"

namespace kalvetra {

QImage drawTransparent(const Surface& canvas, const CanvasDrawing& drawing, DecorationRenderer& renderer)
{
    Surface copy;
    copy.setTransparentBackground(true);
    copy.setPicture(canvas.picture());
    copy.resize(canvas.size());
    copy.clear();
    const StyleSettings& s = drawing.settings;
    switch (drawing.lettering) {
    case CanvasDrawing::Lettering::None: break;
    case CanvasDrawing::Lettering::Full: drawPrintFont(copy, s, drawing.type, drawing.anchor, Engine::Fast, renderer); break;
    case CanvasDrawing::Lettering::Sketch:
        renderer.draw(copy.image(), shapeForSettings(s, s.DrawText),
                      planDragSketch(drawing.type, s.Bordering, drawing.anchor.x, drawing.anchor.y, ringFormOf(s)), s.Colors,
                      s.Gradients, Engine::Fast);
        break;
    }
    return copy.image();
}

}  // namespace kalvetra
