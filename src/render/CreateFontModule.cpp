#include "CreateFontModule.h"

#include "RealisedFont.h"
#include "Rounding.h"

#include "platform/Cp932.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace kalvetra {

QByteArray LogFont::faceBytes() const
{
    const auto end = std::find(lfFaceName.begin(), lfFaceName.end(), '\0');
    return QByteArray(lfFaceName.data(), static_cast<qsizetype>(end - lfFaceName.begin()));
}

float screenTwipsPerPixelX()
{
    // NOTE: the offscreen platform and a missing screen both give the standard 96 dpi.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const qreal dpi = screen->logicalDotsPerInchX();
        if (dpi > 0)
            return static_cast<float>(1440.0 / dpi);
    }
    return 15.0f;
}

LogFont MakeFont(const StyleSettings& s, float twipsPerPixelX, const AverageWidthMeasure& trialAverageWidth)
{
    LogFont lf;
    // Single precision on purpose: the program computes pixels per point as a Single.
    const float pixelsPerPoint = 20.0f / twipsPerPixelX;
    const float height = s.FontSize * pixelsPerPoint;
    lf.lfHeight = -roundToLong(static_cast<double>(height));
    lf.lfItalic = static_cast<std::uint8_t>(s.FontItalic & 0xFF);
    lf.lfStrikeOut = static_cast<std::uint8_t>(s.FontStrikeOut & 0xFF);
    lf.lfUnderline = static_cast<std::uint8_t>(s.FontUnderline & 0xFF);
    lf.lfCharSet = 1;
    lf.lfWeight = s.FontBold ? 700 : 400;

    QString name = s.FontName;
    if (s.FontUpToDown) {
        name.prepend(u'@');
        lf.lfEscapement = VerticalEscapement;
    } else {
        lf.lfEscapement = roundToLong(static_cast<double>(s.FontEscape * 10.0f));
    }
    lf.lfOrientation = lf.lfEscapement;

    // The field needs its terminating zero: a longer name is cut at a character boundary.
    const QByteArray face = cp932::truncateAtCharacter(cp932::encode(name), FaceNameBytes - 1);
    std::copy(face.begin(), face.end(), lf.lfFaceName.begin());

    if (s.FontAspect > 0 && trialAverageWidth) {
        const int average = trialAverageWidth(lf);
        lf.lfWidth = roundToLong(s.FontAspect / 100.0 * average);
    }
    return lf;
}

LogFont MakeFont(const StyleSettings& settings)
{
    return MakeFont(settings, screenTwipsPerPixelX(),
                    [](const LogFont& trial) { return realiseFont(trial).naturalAverageWidth; });
}

}  // namespace kalvetra
