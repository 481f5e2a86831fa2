// The drawing state of a Windows device context and the GDI calls that metafile records
// stand for, played onto a QPainter: the shared back end of the WMF and EMF readers. The
// readers decode records; this class knows nothing of files. QtGui only.
#pragma once

#include <QColor>
#include <QDeadlineTimer>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

#include <variant>
#include <vector>

namespace kalvetra::imagefile {

struct GdiPen {
    bool null = false;
    QColor color = Qt::black;
    double width = 0;  // logical units; 0 draws one pixel wide
    bool cosmetic = true;
    Qt::PenStyle style = Qt::SolidLine;
    Qt::PenCapStyle cap = Qt::RoundCap;
    Qt::PenJoinStyle join = Qt::RoundJoin;
};

struct GdiBrush {
    enum class Kind { Null, Solid, Hatch, Pattern };
    Kind kind = Kind::Solid;
    QColor color = Qt::white;
    Qt::BrushStyle hatch = Qt::SolidPattern;
    QImage pattern;
};

struct GdiFont {
    int height = 0;  // logical units: negative the em height, positive the cell height
    int width = 0;
    int escapement = 0;  // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charSet = 1;
    QString face;
};

// A slot of the object table; monostate for the kinds that are only counted (palettes,
// regions), so that indices stay right.
using GdiObject = std::variant<std::monostate, GdiPen, GdiBrush, GdiFont>;

// GDI's stock objects by number (WHITE_BRUSH 0 ... DC_PEN 19); monostate where none.
GdiObject stockObject(std::uint32_t number);

// Text in a font's character set: code page 932 for the Japanese and default sets (the
// program's system code page), Latin-1 for the rest.
QString decodeAnsiText(const QByteArray& bytes, int charSet);
bool isCp932CharSet(int charSet);

enum class ClipMode { And = 1, Or = 2, Xor = 3, Diff = 4, Copy = 5 };

class GdiPlayer {
public:
    // `deviceToOutput` maps the device the metafile was made for onto the picture;
    // `pxPerMm*` is that device's resolution (for the metric mapping modes).
    GdiPlayer(QImage& target, const QTransform& deviceToOutput, double pxPerMmX, double pxPerMmY);
    ~GdiPlayer();
    GdiPlayer(const GdiPlayer&) = delete;
    GdiPlayer& operator=(const GdiPlayer&) = delete;

    struct State {
        GdiPen pen;
        GdiBrush brush;
        GdiFont font;
        QColor textColor = Qt::black;
        QColor bkColor = Qt::white;
        bool opaqueBackground = true;
        std::uint32_t textAlign = 0;
        Qt::FillRule fillRule = Qt::OddEvenFill;
        bool arcClockwise = false;
        int mapMode = 1;
        QPointF windowOrg{0, 0};
        QSizeF windowExt{1, 1};
        QPointF viewportOrg{0, 0};
        QSizeF viewportExt{1, 1};
        QTransform world;
        QPointF current{0, 0};
        bool clipped = false;
        QPainterPath clip;  // in picture pixels
    };
    State& dc() { return m_state; }

    void saveDc();
    void restoreDc(int which);  // negative: relative to the top; positive: absolute level

    // Whether map-mode records may switch to the fixed-scale modes (EMF) or only between
    // the two scalable ones (WMF, whose frame is given by the window extent).
    void setFixedModesAllowed(bool allowed) { m_fixedModesAllowed = allowed; }
    // When the drawing must end: a stroke that runs past it stops, and outOfTime() says so.
    void setDeadline(QDeadlineTimer deadline) { m_deadline = deadline; }
    bool outOfTime() const { return m_outOfTime; }
    void setMapMode(int mode);
    QTransform logicalToPicture() const;

    void select(const GdiObject& object);

    // Figures: in a path bracket they add to the path, otherwise they are drawn.
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(const QPolygonF& points);
    void polylineTo(const QPolygonF& points);
    void polygon(const QPolygonF& points);
    void polyPolygon(const QList<QPolygonF>& polygons);
    void polyPolyline(const QList<QPolygonF>& polylines);
    void polyBezier(const QPolygonF& points);    // start point, then three per curve
    void polyBezierTo(const QPolygonF& points);  // three per curve from the current point
    void rectangle(const QRectF& box);
    void roundRect(const QRectF& box, QSizeF corner);
    void ellipse(const QRectF& box);
    enum class ArcKind { Arc, ArcTo, Chord, Pie };
    void arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end);

    void beginPath();
    void endPath() { m_pathOpen = false; }
    void abortPath();
    void closeFigure();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    void selectClipPath(ClipMode mode);

    void intersectClipRect(const QRectF& logical);
    void excludeClipRect(const QRectF& logical);
    // Rectangles in the metafile's device units; none with Copy removes the clip.
    void clipToDeviceRects(const QList<QRectF>& rects, ClipMode mode);
    void fillDeviceRects(const QList<QRectF>& rects, const GdiBrush& brush);

    // Text at `reference` (ignored when the alignment says to use the current position),
    // with optional advances in logical units, ETO_OPAQUE/ETO_CLIPPED `options` and `box`.
    void text(QPointF reference, const QString& text, const QList<double>& advances, std::uint32_t options,
              const QRectF& box);

    // A bitmap from `source` stretched into `dest` (logical), with a ternary raster
    // operation; `opacity` below 1 for alpha blending.
    void bitmap(const QImage& image, const QRectF& dest, const QRectF& source, std::uint32_t rop,
                double opacity = 1.0);
    // A raster operation without a source bitmap (PATCOPY, BLACKNESS, WHITENESS...).
    void patternBlt(const QRectF& dest, std::uint32_t rop);

private:
    void draw(const QPainterPath& logical, bool fill, bool stroke);
    // Strokes `path` with the painter's current transform; a wide pen over a long path is
    // stroked a few segments at a time so that the deadline can stop it.
    void strokeWithin(const QPainterPath& path, const QPen& pen, double deviceWidth);
    void addToPath(const QPainterPath& logical);
    void continuePath(QPointF logicalStart);
    QPen pen(double scale) const;
    QBrush brush(const GdiBrush& b) const;
    void fillBackgroundOfHatch(const QPainterPath& path, const GdiBrush& b);
    void applyClip();
    void combineClip(const QPainterPath& area, ClipMode mode);

    QImage& m_target;
    QPainter m_painter;
    QTransform m_deviceToOutput;
    double m_pxPerMmX;
    double m_pxPerMmY;
    bool m_fixedModesAllowed = true;
    State m_state;
    std::vector<State> m_saved;
    bool m_pathOpen = false;
    QPainterPath m_path;  // in picture pixels
    double m_maxPenWidth;
    QDeadlineTimer m_deadline{QDeadlineTimer::Forever};
    bool m_outOfTime = false;
};

}  // namespace kalvetra::imagefile
