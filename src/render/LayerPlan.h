// Layer plans: which rings of text stamps each decoration draws, in which colour slot,
// from back to front. The preview, the image window, the colour guide and the drag sketch
// each make a plan; the engines draw any plan. Pure arithmetic, no Qt.
#pragma once

#include "DecorationType.h"

#include <cstdint>
#include <vector>

namespace kalvetra {

// Ring(w, x, y): the text grown by the filled square [-w, w]^2 (or the disc of radius w, see
// RingForm) around (x, y); nothing for a negative w. A `single` ring is one plain text draw
// at (x, y) instead (the face of the drag sketch). The textout engine stamps only the
// ring's border (PrintRing), which equals the filled ring wherever each piece of the text
// is at least as large as the square.
struct Ring {
    int w = 0;
    int x = 0;
    int y = 0;
    bool single = false;

    friend bool operator==(const Ring&, const Ring&) = default;
};

struct Stamp {
    int x = 0;
    int y = 0;
    friend bool operator==(const Stamp&, const Stamp&) = default;
};

// The border stamp positions of a square ring, in the order the program stamps them (corners
// twice): 4 * (2w + 1). The textout engine's stamps.
std::vector<Stamp> PrintRing(const Ring& ring);
std::int64_t ringStampCount(const Ring& ring);
// The stamps of the circle of radius w around the ring's centre (textout's round rings).
std::vector<Stamp> circleStamps(const Ring& ring);

// How a ring grows the text: by the square (角, sharp corners) or by the disc (丸).
enum class RingForm { Square, Round };

struct Layer {
    int slot = 0;  // colour slot, Colors[slot]
    std::vector<Ring> rings;
};

struct LayerPlan {
    std::vector<Layer> layers;
    RingForm form = RingForm::Square;

    std::int64_t stampCount() const;
    // Largest distance of any stamp from the plan's anchor, per direction.
    struct Reach {
        int left = 0, right = 0, up = 0, down = 0;
    };
    Reach reachFrom(int anchorX, int anchorY) const;
};

// The plan without the layers that the opaque layers above them hide completely: each of their
// rings lies inside a ring of a later layer. Composited, such a layer would still leak its
// colour through the antialiased edge it shares with the layer above (a times 1 - a of it
// stays under the upper edge's coverage a): the shadow at offset 0 under the outer ring, the
// rings of equal width at the narrowest outline.
// A layer in colour slot `keepSlot` stays whatever covers it (a blurred shadow reaches past
// the layers above it).
LayerPlan withoutHiddenLayers(const LayerPlan& plan, int keepSlot = -1);

// The widths that shape a decoration, already in pixels where the program says so.
struct DecorationWidths {
    int bordering = 0;       // Slider2(0)
    int shadowPosition = 0;  // Slider2(1): P
    int solid = 0;           // Slider2(2)
    int shadowEnable = 0;    // Check2 value; the shadow layer only for exactly 1
    bool twiceDraw = false;  // Check3 set (any value but 0)
};

// W18, W12, W06, N and T as the drawing derives them.
struct DerivedSizes {
    int w18 = 0, w12 = 0, w06 = 0;
    int steps = 0;  // N
    int inner = 0;  // T
};
DerivedSizes deriveSizes(const DecorationWidths& widths, double sizeForSteps);

// The layers of one decorated drawing (PrintFont at the window's anchor; DrawPreview with
// its own anchor and N from the full size of the size box).
LayerPlan planDecoration(DecorationType type, const DecorationWidths& widths, double sizeForSteps, int x0, int y0);

// The preview's anchor: the middle of the surface, 20 pixels lower.
struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};
Point previewAnchor(double scaleWidth, double scaleHeight);

// The colour guide's sample: fixed rings 13, 8, 4, 1 around (30, 40), one extrusion step,
// shadow shift s from the shadow offset slider.
LayerPlan planColorGuide(DecorationType type, bool shadowOn, int shadowShift);

// The drag sketch: the ring Bordering x 0.6 in slot ② and the face once in the type's colour.
LayerPlan planDragSketch(DecorationType type, int bordering, int x0, int y0, RingForm form = RingForm::Square);

}  // namespace kalvetra
