#include "RealisedFont.h"

#include "FontSubstitution.h"

#include "platform/Cp932.h"

#include <QFontMetrics>
#include <QFontMetricsF>

#include <algorithm>
#include <deque>
#include <mutex>
#include <cmath>

namespace kalvetra {
namespace {

// GDI's height for lfHeight 0: the default 12 point at 96 dpi.
constexpr int DefaultPixelSize = 16;
// Fonts beyond this size only make the rasteriser slow; the surfaces are smaller anyway.
constexpr int MaxPixelSize = 16384;

int emPixelsFor(const QFont& base, std::int32_t lfHeight)
{
    if (lfHeight < 0)
        return static_cast<int>(std::min<std::int64_t>(-static_cast<std::int64_t>(lfHeight), MaxPixelSize));
    if (lfHeight == 0)
        return DefaultPixelSize;
    // A positive height asks for the cell height (ascent + descent), not the em.
    QFont probe = base;
    probe.setPixelSize(100);
    const QFontMetricsF metrics(probe);
    const double cell = metrics.ascent() + metrics.descent();
    const double em = cell > 0 ? lfHeight * 100.0 / cell : lfHeight;
    return std::clamp(static_cast<int>(std::lround(em)), 1, MaxPixelSize);
}

}  // namespace

static RealisedFont realiseUncached(const LogFont& lf);

RealisedFont realiseFont(const LogFont& lf)
{
    // Matching a face through fontconfig costs more than a whole small drawing: keep the last few.
    static std::mutex mutex;
    static std::deque<std::pair<LogFont, RealisedFont>> recent;
    {
        const std::lock_guard lock(mutex);
        for (const auto& [key, font] : recent)
            if (key == lf)
                return font;
    }
    RealisedFont r = realiseUncached(lf);
    const std::lock_guard lock(mutex);
    recent.emplace_front(lf, r);
    if (recent.size() > 16)
        recent.pop_back();
    return r;
}

RealisedFont realiseUncached(const LogFont& lf)
{
    RealisedFont r;
    QString face = cp932::decode(lf.faceBytes());
    if (face.startsWith(u'@')) {
        r.vertical = true;
        face.remove(0, 1);
    }
    r.requestedFace = face;

    QFont font(substituteFontFamily(face));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::NoSubpixelAntialias));
    font.setKerning(true);
    font.setPixelSize(emPixelsFor(font, lf.lfHeight));
    font.setWeight(lf.lfWeight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(lf.lfItalic != 0);
    r.font = font;
    r.underline = lf.lfUnderline != 0;
    r.strikeOut = lf.lfStrikeOut != 0;

    r.naturalAverageWidth = QFontMetrics(font).averageCharWidth();
    if (lf.lfWidth > 0 && r.naturalAverageWidth > 0)
        r.horizontalScale = static_cast<double>(lf.lfWidth) / r.naturalAverageWidth;
    r.angleDegrees = lf.lfEscapement / 10.0;
    return r;
}

}  // namespace kalvetra
