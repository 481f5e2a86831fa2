#include "SoftLayer.h"

#include "StyleSettings.h"

#include <QPainter>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cmath>

namespace kalvetra {
namespace {

constexpr int Passes = 4;

// One extended box (Gwosdek, Grewenig, Bruhn, Weickert 2011): 2r + 1 taps of weight `inner`
// and one more on each side of weight `edge`, its variance exactly sigma^2 / Passes, so the
// passes make a Gaussian of sigma whatever the radius - integer boxes alone cannot.
// NOTE: four passes, not three: three stay up to 3 levels off the Gaussian's edge profile
// (their flatter tails), four within 2.
struct ExtendedBox {
    int r = 0;
    float inner = 1;
    float edge = 0;
};

ExtendedBox extendedBox(double sigma)
{
    const double variance = sigma * sigma / Passes;
    int r = static_cast<int>(std::floor((std::sqrt(12.0 * variance + 1.0) - 1.0) / 2.0));
    while (r > 0 && r * (r + 1) / 3.0 > variance)
        --r;
    while ((r + 1) * (r + 2) / 3.0 <= variance)
        ++r;
    const double alpha = (2 * r + 1) * (variance - r * (r + 1) / 3.0) / (2.0 * ((r + 1.0) * (r + 1.0) - variance));
    const double norm = 2 * r + 1 + 2 * alpha;
    return {r, static_cast<float>(1.0 / norm), static_cast<float>(alpha / norm)};
}

// in and out point at element 0 of rows that are readable (zeros) from -(r + 1) to
// n + r; out[0 .. n) is written.
[[maybe_unused]] void boxRow(const float* in, float* out, int n, const ExtendedBox& box)
{
    const int r = box.r;
    float sum = 0;
    for (int k = -r; k <= r; ++k)
        sum += in[k];
    for (int x = 0; x < n; ++x) {
        out[x] = box.inner * sum + box.edge * (in[x - r - 1] + in[x + r + 1]);
        sum += in[x + r + 1] - in[x - r];
    }
}

#if defined(__SSE2__)
// boxRow on four interleaved rows at once: element x of row k at in[4 * x + k].
void boxRow4(const float* in, float* out, int n, const ExtendedBox& box)
{
    const int r = box.r;
    const auto at = [](const float* p, int x) { return _mm_loadu_ps(p + static_cast<std::ptrdiff_t>(x) * 4); };
    __m128 sum = _mm_setzero_ps();
    for (int k = -r; k <= r; ++k)
        sum = _mm_add_ps(sum, at(in, k));
    const __m128 inner = _mm_set1_ps(box.inner), edge = _mm_set1_ps(box.edge);
    for (int x = 0; x < n; ++x) {
        const __m128 after = at(in, x + r + 1);
        _mm_storeu_ps(out + static_cast<std::ptrdiff_t>(x) * 4,
                      _mm_add_ps(_mm_mul_ps(inner, sum), _mm_mul_ps(edge, _mm_add_ps(at(in, x - r - 1), after))));
        sum = _mm_add_ps(sum, _mm_sub_ps(after, at(in, x - r)));
    }
}
#endif

// The same down the columns of `width`-wide rows, all columns at once (vectorised).
void boxColumns(const float* in, float* out, int width, int height, const ExtendedBox& box, std::vector<float>& sum)
{
    const int r = box.r;
    const auto rowOf = [width](const float* p, int y) { return p + static_cast<std::ptrdiff_t>(y) * width; };
    sum.assign(static_cast<size_t>(width), 0.0f);
    float* s = sum.data();
    for (int k = -r; k <= r; ++k) {
        const float* a = rowOf(in, k);
        for (int x = 0; x < width; ++x)
            s[x] += a[x];
    }
    const float inner = box.inner, edge = box.edge;
    for (int y = 0; y < height; ++y) {
        const float* before = rowOf(in, y - r - 1);
        const float* after = rowOf(in, y + r + 1);
        const float* leaving = rowOf(in, y - r);
        float* o = out + static_cast<std::ptrdiff_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            o[x] = inner * s[x] + edge * (before[x] + after[x]);
            s[x] += after[x] - leaving[x];
        }
    }
}

}  // namespace

SoftEffects softEffectsOf(const StyleSettings& settings)
{
    SoftEffects e;
    e.shadowBlur = settings.ShadowBlur;
    e.shadowOpacity = settings.ShadowOpacity;
    e.glow = settings.GlowEnable;
    e.glowColor = settings.GlowColor;
    e.glowRadius = settings.GlowRadius;
    e.glowOpacity = settings.GlowOpacity;
    return e;
}

int blurReach(double sigma)
{
    if (!(sigma > 0))
        return 0;
    return Passes * (extendedBox(sigma).r + 1);
}

void softenCoverage(const Coverage& src, double sigma, int opacity, Coverage& out, BlurScratch& scratch)
{
    const int reach = blurReach(sigma);
    const QRect region = src.isEmpty() ? QRect() : src.rect().adjusted(-reach, -reach, reach, reach);
    out.resize(region);
    if (region.isEmpty())
        return;
    const float scale = static_cast<float>(std::clamp(opacity, 0, 100)) / 100.0f;
    const int width = region.width();
    const int height = region.height();
    if (reach == 0) {
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* s = src.row(region.top() + y);
            std::uint8_t* o = out.row(region.top() + y);
            for (int x = 0; x < width; ++x)
                o[x] = static_cast<std::uint8_t>(std::lround(s[x] * scale));
        }
        return;
    }

    const ExtendedBox box = extendedBox(sigma);
    const int margin = box.r + 1;
    // Rows of the region with `margin` rows of zeros above and below, for the vertical passes.
    const size_t rowsWithMargins = static_cast<size_t>(height + 2 * margin);
    scratch.a.assign(rowsWithMargins * static_cast<size_t>(width), 0.0f);
    scratch.b.assign(rowsWithMargins * static_cast<size_t>(width), 0.0f);
    float* a = scratch.a.data() + static_cast<size_t>(margin) * width;
    float* b = scratch.b.data() + static_cast<size_t>(margin) * width;

    // Horizontally: only the source's rows hold anything.
#if defined(__SSE2__)
    // Four rows side by side (x major, row minor), so that one running sum serves all four.
    const size_t paddedWidth = static_cast<size_t>(width + 2 * margin);
    for (int top = src.rect().top(); top <= src.rect().bottom(); top += 4) {
        const int rows = std::min(4, src.rect().bottom() - top + 1);
        scratch.row.assign(paddedWidth * 4, 0.0f);
        scratch.rowOut.assign(paddedWidth * 4, 0.0f);
        float* p = scratch.row.data() + static_cast<size_t>(margin) * 4;
        float* q = scratch.rowOut.data() + static_cast<size_t>(margin) * 4;
        for (int k = 0; k < rows; ++k) {
            const std::uint8_t* s = src.row(top + k);
            for (int x = 0; x < src.rect().width(); ++x)
                p[static_cast<size_t>(reach + x) * 4 + static_cast<size_t>(k)] = s[x];
        }
        for (int pass = 0; pass < Passes; ++pass) {
            boxRow4(p, q, width, box);
            std::swap(p, q);
        }
        for (int k = 0; k < rows; ++k) {
            float* out = a + static_cast<size_t>(top + k - region.top()) * width;
            for (int x = 0; x < width; ++x)
                out[x] = p[static_cast<size_t>(x) * 4 + static_cast<size_t>(k)];
        }
    }
#else
    scratch.row.assign(static_cast<size_t>(width + 2 * margin), 0.0f);
    scratch.rowOut.assign(static_cast<size_t>(width + 2 * margin), 0.0f);
    for (int y = src.rect().top(); y <= src.rect().bottom(); ++y) {
        float* p = scratch.row.data() + margin;
        float* q = scratch.rowOut.data() + margin;
        const std::uint8_t* s = src.row(y);
        std::fill(p, p + width, 0.0f);
        for (int x = 0; x < src.rect().width(); ++x)
            p[reach + x] = s[x];
        for (int pass = 0; pass + 1 < Passes; ++pass) {
            boxRow(p, q, width, box);
            std::swap(p, q);
        }
        boxRow(p, a + static_cast<size_t>(y - region.top()) * width, width, box);
    }
#endif
    for (int pass = 0; pass < Passes; ++pass) {
        boxColumns(a, b, width, height, box, scratch.sum);
        std::swap(a, b);
    }

    for (int y = 0; y < height; ++y) {
        const float* v = a + static_cast<size_t>(y) * width;
        std::uint8_t* o = out.row(region.top() + y);
        for (int x = 0; x < width; ++x)
            o[x] = static_cast<std::uint8_t>(std::clamp(v[x] * scale + 0.5f, 0.0f, 255.0f));
    }
}

const Coverage& SoftLayer::soften(const Coverage& src, double sigma, int opacity)
{
    if (src.contentId() != m_source || sigma != m_sigma || opacity != m_opacity) {
        softenCoverage(src, sigma, opacity, m_out, m_scratch);
        m_source = src.contentId();
        m_sigma = sigma;
        m_opacity = opacity;
    }
    return m_out;
}

std::size_t SoftLayer::bufferBytes() const
{
    return m_out.capacityBytes() + (m_scratch.a.capacity() + m_scratch.b.capacity() + m_scratch.row.capacity() +
                                    m_scratch.rowOut.capacity() + m_scratch.sum.capacity()) *
               sizeof(float);
}

QImage softLayerImage(const QPainterPath& path, const QColor& color, double sigma, int opacity, const QRectF& area,
                      double scale)
{
    const QSize size(std::max(1, static_cast<int>(std::ceil(area.width() * scale))),
                     std::max(1, static_cast<int>(std::ceil(area.height() * scale))));
    Coverage coverage;
    coverage.reset(QRect(QPoint(0, 0), size));
    {
        QImage target(coverage.data(), size.width(), size.height(), coverage.stride(), QImage::Format_Alpha8);
        QPainter painter(&target);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.scale(scale, scale);
        painter.translate(-area.topLeft());
        painter.fillPath(path, QColor(255, 255, 255, 255));
    }
    Coverage soft;
    BlurScratch scratch;
    softenCoverage(coverage, sigma * scale, opacity, soft, scratch);
    QImage image(size, QImage::Format_ARGB32);
    if (image.isNull())
        return image;
    const std::uint32_t rgb = color.rgb() & 0xFFFFFFu;
    for (int y = 0; y < size.height(); ++y) {
        auto* d = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        const std::uint8_t* s = soft.row(y) - soft.rect().left();
        for (int x = 0; x < size.width(); ++x)
            d[x] = static_cast<std::uint32_t>(s[x]) << 24 | rgb;
    }
    return image;
}

}  // namespace kalvetra

