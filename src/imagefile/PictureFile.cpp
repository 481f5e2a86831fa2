#include "PictureFile.h"

#include "ByteView.h"
#include "Dib.h"
#include "MetafileReader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace kalvetra::imagefile {

namespace {

// A file larger than this is not read at all (a 16384 x 16384 bitmap at 32 bits is 1 GiB).
constexpr qint64 MaxFileBytes = qint64{1100} * 1024 * 1024;

ByteView viewOf(const QByteArray& bytes) { return ByteView(bytes.constData(), static_cast<std::size_t>(bytes.size())); }

PictureError fromDib(DibError e)
{
    switch (e) {
    case DibError::None: return PictureError::None;
    case DibError::Damaged: return PictureError::Damaged;
    case DibError::Unsupported: return PictureError::Unsupported;
    case DibError::TooLarge: return PictureError::TooLarge;
    }
    return PictureError::Damaged;
}

Picture readBmp(ByteView data)
{
    if (!data.has(0, 14 + 4))
        return Picture::failed(PictureError::Damaged);
    const ByteView dib = data.sub(14, data.size() - 14);
    DibHeader header;
    if (const DibError e = readDibHeader(dib, header); e != DibError::None)
        return Picture::failed(fromDib(e));
    // The pixels start where the file header says, unless that points into the header or
    // past the end; then they follow the colour table.
    std::uint64_t bitsAt = data.u32(10);
    if (bitsAt < 14 + std::uint64_t{header.headerSize} || bitsAt >= data.size())
        bitsAt = 14 + header.infoBytes();
    if (bitsAt > data.size())
        return Picture::failed(PictureError::Damaged);
    const DibResult result = decodeDib(dib, data.sub(bitsAt, data.size() - bitsAt));
    if (result.error != DibError::None)
        return Picture::failed(fromDib(result.error));
    return {result.image, PictureError::None};
}

Picture readWithQt(const QByteArray& bytes, const char* format)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > MaxPictureSide || size.height() > MaxPictureSide))
        return Picture::failed(PictureError::TooLarge);
    // Qt's own limit (256 MiB) would refuse large pictures that are within ours.
    reader.setAllocationLimit(1100);
    QImage image = reader.read();
    if (image.isNull())
        return Picture::failed(PictureError::Damaged);
    if (image.width() > MaxPictureSide || image.height() > MaxPictureSide)
        return Picture::failed(PictureError::TooLarge);
    return {image, PictureError::None};
}

}  // namespace

PictureFormat detectPictureFormat(const QByteArray& bytes)
{
    const ByteView data = viewOf(bytes);
    if (data.has(0, 2) && data.u8(0) == 'B' && data.u8(1) == 'M')
        return PictureFormat::Bmp;
    if (data.has(0, 3) && data.u8(0) == 0xFF && data.u8(1) == 0xD8 && data.u8(2) == 0xFF)
        return PictureFormat::Jpeg;
    if (data.has(0, 6) && data.u16(0) == 0 && (data.u16(2) == 1 || data.u16(2) == 2) && data.u16(4) > 0)
        return data.u16(2) == 1 ? PictureFormat::Icon : PictureFormat::Cursor;
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return PictureFormat::Gif;
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return PictureFormat::Png;
    if (looksLikeEmf(data))
        return PictureFormat::Emf;
    if (looksLikeWmf(data))
        return PictureFormat::Wmf;
    return PictureFormat::Unknown;
}

Picture readPicture(const QByteArray& bytes, const ReferenceDevice& screen)
{
    const ReferenceDevice device = screen.isValid() ? screen : ReferenceDevice::atDpi(96);
    switch (detectPictureFormat(bytes)) {
    case PictureFormat::Bmp: return readBmp(viewOf(bytes));
    case PictureFormat::Jpeg: return readWithQt(bytes, "jpeg");
    case PictureFormat::Icon:
    case PictureFormat::Cursor: return readWithQt(bytes, "ico");
    case PictureFormat::Gif: return readWithQt(bytes, "gif");
    case PictureFormat::Png: return readWithQt(bytes, "png");
    case PictureFormat::Emf: return readEmf(viewOf(bytes), device);
    case PictureFormat::Wmf: return readWmf(viewOf(bytes), device);
    case PictureFormat::Unknown: break;
    }
    return Picture::failed(PictureError::NotAPicture);
}

Picture loadPicture(const QString& path, const ReferenceDevice& screen)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return Picture::failed(PictureError::NotFound);
    // NOTE: a named pipe or a device is refused before it is opened: opening a pipe waits
    // for a writer, and reading a device may never end.
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return Picture::failed(PictureError::CannotOpen);
    const qint64 size = file.size();
    if (size > MaxFileBytes)
        return Picture::failed(PictureError::TooLarge);
    // NOTE: a mapped file costs no copy; the raw-data array must not outlive the mapping.
    if (size > 0) {
        if (uchar* mapped = file.map(0, size)) {
            const QByteArray view = QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), size);
            Picture picture = readPicture(view, screen);
            file.unmap(mapped);
            return picture;
        }
    }
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (bytes.size() > MaxFileBytes)
        return Picture::failed(PictureError::TooLarge);
    return readPicture(bytes, screen);
}

int pictureErrorNumber(PictureError error)
{
    switch (error) {
    case PictureError::None: return 0;
    case PictureError::NotFound: return 53;
    case PictureError::CannotOpen: return 75;
    case PictureError::TooLarge: return 7;
    default: return 481;
    }
}

QString pictureErrorDescription(PictureError error)
{
    switch (pictureErrorNumber(error)) {
    case 0: return QString();
    case 53: return QStringLiteral("ファイルが見つかりません。");
    case 75: return QStringLiteral("パス名が無効です。");
    case 7: return QStringLiteral("メモリが不足しています。");
    default: return QStringLiteral("ピクチャが無効です。");
    }
}

}  // namespace kalvetra::imagefile
