// The device whose resolution turns pixels into physical sizes and back: the screen, as
// the Windows picture services use it (GetDeviceCaps HORZSIZE/HORZRES/VERTSIZE/VERTRES).
// Metafiles written here carry their size in 0.01 mm at this resolution, and metafiles read
// here are shown at it. QtGui (for the screen) only.
#pragma once

#include <cstdint>

namespace kalvetra::imagefile {

struct ReferenceDevice {
    int widthMm = 508;   // HORZSIZE
    int widthPx = 1920;  // HORZRES
    int heightMm = 254;  // VERTSIZE
    int heightPx = 960;  // VERTRES

    // A screen of whole millimetres at `dpi` (the default is exactly 96 dpi both ways).
    static ReferenceDevice atDpi(int dpi);
    // The primary screen at its logical resolution; 96 dpi when there is no screen.
    static ReferenceDevice screen();

    // Pixels per 0.01 mm, the unit of metafile frames.
    double pixelsPerHimetricX() const { return static_cast<double>(widthPx) / (widthMm * 100.0); }
    double pixelsPerHimetricY() const { return static_cast<double>(heightPx) / (heightMm * 100.0); }
    bool isValid() const { return widthMm > 0 && widthPx > 0 && heightMm > 0 && heightPx > 0; }
};

// The bounds rectangle an enhanced metafile of a w x h pixel surface is created with:
// its size in 0.01 mm at the reference device, rounded half to even.
struct HimetricRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};
HimetricRect emfBounds(int width, int height, const ReferenceDevice& device);

}  // namespace kalvetra::imagefile
