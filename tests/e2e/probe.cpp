// Looks at pictures for the end-to-end test: the screen under X, and the files the program
// wrote. Prints rectangles as "x y width height" (or "none").
//   probe screen-region R,G,B     the largest connected region of that colour on the screen
//   probe lettering FILE R,G,B    the bounds of everything in FILE that is not that colour
//   probe screen-lettering X,Y,W,H R,G,B   the same within a rectangle of the screen
//   probe alpha FILE              "clear N opaque N partial N": pixels by their alpha
//   probe same FILE FILE          "same" when the two pictures are equal pixel for pixel
//   probe pairs X,Y,W,H           "H V": within that rectangle of the screen, how many pixels
//                                 differ from their right (H) and lower (V) partner when the
//                                 screen is cut into pairs; 0 for a picture doubled pixel for
//                                 pixel (the smaller count of the two ways of pairing)
//   probe shot FILE               the whole screen into FILE, to see what a failing run saw
//   probe jpeg FILE               "SAMPLING QMAX": its sampling factors ("1x1,1x1,1x1" full
//                                 colour) and its largest quantiser (1 at quality 100)
//   probe gradient FILE R,G,B R,G,B  where a face running from the first colour to the second
//                                 lies: "T_TOP T_BOTTOM COUNT", the mean place (0 first colour,
//                                 1 second) of its top and bottom quarters, and its pixels
#include "../JpegFrame.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include "imagefile/PictureFile.h"
#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

QRgb parseColor(const QString& text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 3)
        return 0;
    return qRgb(parts[0].toInt(), parts[1].toInt(), parts[2].toInt());
}

void print(const QRect& r)
{
    if (r.isEmpty())
        std::printf("none\n");
    else
        std::printf("%d %d %d %d\n", r.x(), r.y(), r.width(), r.height());
}

// Bounding box of the largest 4-connected region of exactly `color`.
QRect largestRegion(const QImage& image, QRgb color)
{
    const int w = image.width(), h = image.height();
    std::vector<char> seen(static_cast<size_t>(w) * h, 0);
    QRect best;
    long bestArea = 0;
    std::vector<QPoint> stack;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (seen[static_cast<size_t>(y) * w + x] || (image.pixel(x, y) & 0xFFFFFF) != (color & 0xFFFFFF))
                continue;
            long area = 0;
            QRect box(x, y, 1, 1);
            stack.push_back({x, y});
            seen[static_cast<size_t>(y) * w + x] = 1;
            while (!stack.empty()) {
                const QPoint p = stack.back();
                stack.pop_back();
                ++area;
                box = box.united(QRect(p, QSize(1, 1)));
                const QPoint next[] = {{p.x() + 1, p.y()}, {p.x() - 1, p.y()}, {p.x(), p.y() + 1}, {p.x(), p.y() - 1}};
                for (const QPoint& n : next) {
                    if (n.x() < 0 || n.y() < 0 || n.x() >= w || n.y() >= h)
                        continue;
                    char& s = seen[static_cast<size_t>(n.y()) * w + n.x()];
                    if (s || (image.pixel(n) & 0xFFFFFF) != (color & 0xFFFFFF))
                        continue;
                    s = 1;
                    stack.push_back(n);
                }
            }
            if (area > bestArea) {
                bestArea = area;
                best = box;
            }
        }
    return best;
}

// Everything that differs from the background by more than JPEG's noise.
QRect lettering(const QImage& image, QRgb background)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int d = std::abs(qRed(p) - qRed(background)) + std::abs(qGreen(p) - qGreen(background)) +
                          std::abs(qBlue(p) - qBlue(background));
            if (d > 60)
                box = box.united(QRect(x, y, 1, 1));
        }
    return box;
}

// The pixels that are a mix of `from` and `to` (within a few levels), by row.
void gradientFace(const QImage& image, QRgb from, QRgb to)
{
    const int d[3] = {qRed(to) - qRed(from), qGreen(to) - qGreen(from), qBlue(to) - qBlue(from)};
    const double length2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    std::vector<std::pair<int, double>> face;  // row, place on the way
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int v[3] = {qRed(p) - qRed(from), qGreen(p) - qGreen(from), qBlue(p) - qBlue(from)};
            const double t = (v[0] * d[0] + v[1] * d[1] + v[2] * d[2]) / length2;
            bool onTheWay = t >= 0 && t <= 1;
            for (int c = 0; c < 3 && onTheWay; ++c)
                onTheWay = std::abs(v[c] - t * d[c]) <= 4;
            if (onTheWay)
                face.push_back({y, t});
        }
    if (face.empty()) {
        std::printf("none\n");
        return;
    }
    int top = image.height(), bottom = -1;
    for (const auto& [y, t] : face) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    const int quarter = std::max(1, (bottom - top + 1) / 4);
    double sumTop = 0, sumBottom = 0;
    int nTop = 0, nBottom = 0;
    for (const auto& [y, t] : face) {
        if (y < top + quarter) {
            sumTop += t;
            ++nTop;
        } else if (y > bottom - quarter) {
            sumBottom += t;
            ++nBottom;
        }
    }
    std::printf("%.2f %.2f %zu\n", sumTop / std::max(nTop, 1), sumBottom / std::max(nBottom, 1), face.size());
}

// The screen's pixels in the region "X,Y,W,H"; a null image when the text is no region.
QImage grabRegion(const QString& region)
{
    const QStringList r = region.split(u',');
    if (r.size() != 4)
        return {};
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == u"screen-region") {
        QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
        print(largestRegion(shot, parseColor(args[2])));
        return 0;
    }
    if (args.size() == 4 && args[1] == u"screen-lettering") {
        const QImage shot = grabRegion(args[2]);
        if (shot.isNull())
            return 2;
        print(lettering(shot, parseColor(args[3])));
        return 0;
    }
    if (args.size() == 4 && args[1] == u"lettering") {
        // The program's own picture service, which reads its metafiles too.
        const kalvetra::imagefile::Picture picture = kalvetra::imagefile::loadPicture(args[2]);
        const QImage image = picture.image.convertToFormat(QImage::Format_RGB32);
        if (!picture.ok()) {
            std::fprintf(stderr, "probe: cannot read %s\n", qPrintable(args[2]));
            return 2;
        }
        print(lettering(image, parseColor(args[3])));
        std::printf("size %d %d\n", image.width(), image.height());
        return 0;
    }
    if (args.size() == 3 && args[1] == u"alpha") {
        const QImage image = QImage(args[2]).convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            return 2;
        long clear = 0, opaque = 0, partial = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const int a = qAlpha(image.pixel(x, y));
                (a == 0 ? clear : a == 255 ? opaque : partial) += 1;
            }
        std::printf("clear %ld opaque %ld partial %ld\n", clear, opaque, partial);
        return 0;
    }
    if (args.size() == 4 && args[1] == u"same") {
        const QImage a = QImage(args[2]).convertToFormat(QImage::Format_ARGB32);
        const QImage b = QImage(args[3]).convertToFormat(QImage::Format_ARGB32);
        std::printf(!a.isNull() && a == b ? "same\n" : "differ\n");
        return 0;
    }
    if (args.size() == 3 && args[1] == u"shot") {
        return QGuiApplication::primaryScreen()->grabWindow(0).save(args[2]) ? 0 : 2;
    }
    if (args.size() == 3 && args[1] == u"pairs") {
        const QImage shot = grabRegion(args[2]);
        if (shot.isNull())
            return 2;
        long across[2] = {0, 0}, down[2] = {0, 0};
        for (int y = 0; y + 1 < shot.height(); ++y)
            for (int x = 0; x + 1 < shot.width(); ++x) {
                across[x % 2] += shot.pixel(x, y) != shot.pixel(x + 1, y) ? 1 : 0;
                down[y % 2] += shot.pixel(x, y) != shot.pixel(x, y + 1) ? 1 : 0;
            }
        std::printf("%ld %ld\n", std::min(across[0], across[1]), std::min(down[0], down[1]));
        return 0;
    }
    if (args.size() == 3 && args[1] == u"jpeg") {
        QFile file(args[2]);
        if (!file.open(QIODevice::ReadOnly))
            return 2;
        const QByteArray jpeg = file.readAll();
        const auto byte = [&jpeg](qsizetype i) { return static_cast<unsigned char>(jpeg[i]); };
        int largest = 0;
        for (qsizetype i = 2; i + 4 <= jpeg.size() && byte(i) == 0xFF;) {
            const qsizetype length = (byte(i + 2) << 8) | byte(i + 3);
            if (byte(i + 1) == 0xDB)  // quantisation tables: a precision byte, then 64 values
                for (qsizetype t = i + 4; t < i + 2 + length && t < jpeg.size();) {
                    const bool wide = byte(t) >> 4;
                    for (int k = 0; k < 64 && t + 1 + (k + 1) * (wide ? 2 : 1) <= jpeg.size(); ++k)
                        largest = std::max(largest, wide ? byte(t + 1 + 2 * k) << 8 | byte(t + 2 + 2 * k)
                                                         : static_cast<int>(byte(t + 1 + k)));
                    t += 1 + 64 * (wide ? 2 : 1);
                }
            if (byte(i + 1) == 0xDA)
                break;
            i += 2 + length;
        }
        std::printf("%s %d\n", qPrintable(kalvetra::test::jpegSamplingFactors(jpeg)), largest);
        return 0;
    }
    if (args.size() == 5 && args[1] == u"gradient") {
        const QImage image(args[2]);
        if (image.isNull()) {
            std::fprintf(stderr, "probe: cannot read %s\n", qPrintable(args[2]));
            return 2;
        }
        gradientFace(image.convertToFormat(QImage::Format_RGB32), parseColor(args[3]), parseColor(args[4]));
        return 0;
    }
    std::fprintf(stderr, "usage: probe screen-region R,G,B | screen-lettering X,Y,W,H R,G,B | lettering FILE R,G,B | alpha FILE | same FILE FILE | pairs X,Y,W,H | shot FILE | jpeg FILE | gradient FILE R,G,B R,G,B\n");
    return 2;
}
