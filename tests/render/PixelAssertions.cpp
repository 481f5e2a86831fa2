#include "PixelAssertions.h"

#include <QString>

namespace kalvetra::test {

::testing::AssertionResult imagesEqual(const QImage& expected, const QImage& actual)
{
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure() << "sizes differ: " << expected.width() << "x" << expected.height() << " vs "
                                             << actual.width() << "x" << actual.height();
    const QImage a = expected.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage b = actual.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int differing = 0;
    QPoint first(-1, -1);
    for (int y = 0; y < a.height(); ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            if (ra[x] != rb[x]) {
                if (differing++ == 0)
                    first = QPoint(x, y);
            }
    }
    if (differing == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << differing << " pixels differ; first at (" << first.x() << ", " << first.y() << "): expected #"
           << QString::number(a.pixel(first), 16).toStdString() << ", got #"
           << QString::number(b.pixel(first), 16).toStdString();
}

namespace {

template <typename Predicate>
QRect boundsWhere(const QImage& image, Predicate match)
{
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    int left = img.width(), right = -1, top = img.height(), bottom = -1;
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (match(row[x])) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    if (right < 0)
        return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace

QRect paintedBounds(const QImage& image, QRgb background)
{
    return boundsWhere(image, [background](QRgb p) { return p != background; });
}

QRect boundsOfColor(const QImage& image, QRgb color)
{
    return boundsWhere(image, [color](QRgb p) { return p == color; });
}

int countColor(const QImage& image, QRgb color)
{
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            n += row[x] == color;
    }
    return n;
}

}  // namespace kalvetra::test
