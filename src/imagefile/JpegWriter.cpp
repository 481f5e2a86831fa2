#include "JpegWriter.h"

#include <turbojpeg.h>

#include <memory>

namespace kalvetra::imagefile {

namespace {

constexpr int Quality = 100;
constexpr int MaxJpegSide = 65535;

struct CompressorDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
struct BufferDeleter {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

}  // namespace

QByteArray encodeJpeg(const QImage& image)
{
    if (image.isNull() || image.width() > MaxJpegSide || image.height() > MaxJpegSide)
        return QByteArray();
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        return QByteArray();
    const std::unique_ptr<void, CompressorDeleter> compressor(tjInitCompress());
    if (!compressor)
        return QByteArray();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const int status = tjCompress2(compressor.get(), rgb.constBits(), rgb.width(), static_cast<int>(rgb.bytesPerLine()),
                                   rgb.height(), TJPF_RGB, &out, &size, TJSAMP_444, Quality, TJFLAG_ACCURATEDCT);
    const std::unique_ptr<unsigned char, BufferDeleter> buffer(out);
    if (status != 0 || !out)
        return QByteArray();
    return QByteArray(reinterpret_cast<const char*>(out), static_cast<qsizetype>(size));
}

}  // namespace kalvetra::imagefile
