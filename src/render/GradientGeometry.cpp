#include "GradientGeometry.h"

#include <QTransform>

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace kalvetra {
namespace {

// The frame's unit axes in canvas pixels (y down): x = (cos a, -sin a), y = (sin a, cos a).
struct Axes {
    QPointF x;
    QPointF y;
};

Axes frameAxes(double angleDegrees)
{
    double c = 0.0, s = 0.0;
    const double turned = std::fmod(std::fmod(angleDegrees, 360.0) + 360.0, 360.0);
    // NOTE: the quarter turns exactly, so that an upright frame has no stray slope.
    if (turned == 0.0)
        c = 1.0;
    else if (turned == 90.0)
        s = 1.0;
    else if (turned == 180.0)
        c = -1.0;
    else if (turned == 270.0)
        s = -1.0;
    else {
        const double r = turned * M_PI / 180.0;
        c = std::cos(r);
        s = std::sin(r);
    }
    return {QPointF(c, -s), QPointF(s, c)};
}

double dot(const QPointF& a, const QPointF& b)
{
    return a.x() * b.x() + a.y() * b.y();
}

}  // namespace

QPointF frameToCanvas(const QPointF& f, double frameAngleDegrees)
{
    const Axes a = frameAxes(frameAngleDegrees);
    return f.x() * a.x + f.y() * a.y;
}

QPointF canvasToFrame(const QPointF& p, double frameAngleDegrees)
{
    const Axes a = frameAxes(frameAngleDegrees);
    return {dot(a.x, p), dot(a.y, p)};
}

QRectF textExtentInFrame(const TextShape& shape)
{
    const Axes a = frameAxes(shape.frameAngle);
    // Canvas -> frame, after the shape's own transform (line frame -> canvas).
    const QTransform toFrame(a.x.x(), a.y.x(), a.x.y(), a.y.y(), 0.0, 0.0);
    const QTransform t = shape.transform * toFrame;
    QRectF box;
    for (const QPainterPath& path : shape.paths)
        if (!path.isEmpty())
            box = box.isNull() ? t.map(path).boundingRect() : box.united(t.map(path).boundingRect());
    return box;
}

QRectF layerExtent(const QRectF& text, double frameAngleDegrees, const Layer& layer)
{
    if (text.isNull())
        return {};
    const Axes a = frameAxes(frameAngleDegrees);
    // How far a stamp's square of half-width 1 reaches along each frame axis.
    const double reachX = std::abs(a.x.x()) + std::abs(a.x.y());
    const double reachY = std::abs(a.y.x()) + std::abs(a.y.y());
    double minX = DBL_MAX, maxX = -DBL_MAX, minY = DBL_MAX, maxY = -DBL_MAX;
    for (const Ring& r : layer.rings) {
        if (!r.single && r.w < 0)
            continue;  // a ring that stamps nothing
        const int w = r.single ? 0 : r.w;
        const QPointF centre(r.x, r.y);
        const double u = dot(a.x, centre), v = dot(a.y, centre);
        minX = std::min(minX, u - w * reachX);
        maxX = std::max(maxX, u + w * reachX);
        minY = std::min(minY, v - w * reachY);
        maxY = std::max(maxY, v + w * reachY);
    }
    if (minX > maxX)
        return {};
    return QRectF(QPointF(text.left() + minX, text.top() + minY), QPointF(text.right() + maxX, text.bottom() + maxY));
}

QRectF layerExtent(const TextShape& shape, const Layer& layer)
{
    return layerExtent(textExtentInFrame(shape), shape.frameAngle, layer);
}

std::optional<GradientLine> layerGradientLine(const QRectF& textExtent, double frameAngleDegrees, const Layer& layer,
                                              ColorValue color, const LayerGradient& gradient)
{
    const QRectF box = layerExtent(textExtent, frameAngleDegrees, layer);
    if (box.isNull())
        return std::nullopt;
    const QPointF mid = box.center();
    const QPointF from = gradient.horizontal ? QPointF(box.left(), mid.y()) : QPointF(mid.x(), box.top());
    const QPointF to = gradient.horizontal ? QPointF(box.right(), mid.y()) : QPointF(mid.x(), box.bottom());
    return GradientLine{frameToCanvas(from, frameAngleDegrees), frameToCanvas(to, frameAngleDegrees), color,
                        gradient.color};
}

std::optional<GradientLine> layerGradientLine(const TextShape& shape, const Layer& layer, ColorValue color,
                                              const LayerGradient& gradient)
{
    return layerGradientLine(textExtentInFrame(shape), shape.frameAngle, layer, color, gradient);
}

}  // namespace kalvetra
