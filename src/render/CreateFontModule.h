// Font creation: a StyleSettings record becomes a LogFont record, exactly as the program
// describes its font to the system (height from points, width in percent of the trial
// font's average width, escapement, weight, flags, CP932 face bytes). Pure apart from the
// trial font's average width, which a caller-supplied measurement gives.
#pragma once

#include "StyleSettings.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <functional>

namespace kalvetra {

struct LogFont {
    std::int32_t lfHeight = 0;
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 0;
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = 0;
    std::uint8_t lfPitchAndFamily = 0;
    std::array<char, 32> lfFaceName{};

    // The face name bytes up to the terminating zero.
    QByteArray faceBytes() const;

    friend bool operator==(const LogFont&, const LogFont&) = default;
};

constexpr int FaceNameBytes = 32;
constexpr std::int32_t VerticalEscapement = 2700;

// The screen's horizontal twips per pixel (15 at 96 dpi).
float screenTwipsPerPixelX();

// tmAveCharWidth of the font the record describes (with lfWidth 0).
using AverageWidthMeasure = std::function<int(const LogFont&)>;

// MakeFont with an explicit measurement; the measure is called only when FontAspect > 0.
LogFont MakeFont(const StyleSettings& settings, float twipsPerPixelX, const AverageWidthMeasure& trialAverageWidth);

// MakeFont at the screen's resolution, measuring the trial font with the realised font.
LogFont MakeFont(const StyleSettings& settings);

}  // namespace kalvetra
