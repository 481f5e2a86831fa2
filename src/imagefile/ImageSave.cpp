#include "ImageSave.h"

#include "Dib.h"
#include "JpegWriter.h"
#include "MetafileModule.h"
#include "PngWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cmath>
#include <limits>

namespace kalvetra::imagefile {

namespace {

SaveResult failure(int number)
{
    switch (number) {
    case saveError::OutOfMemory: return {number, QStringLiteral("メモリが不足しています。")};
    case saveError::DiskFull: return {number, QStringLiteral("ディスクの空き容量が不足しています。")};
    case saveError::PermissionDenied: return {number, QStringLiteral("書き込みできません。")};
    case saveError::PathNotFound: return {number, QStringLiteral("パスが見つかりません。")};
    case saveError::InvalidPicture: return {number, QStringLiteral("ピクチャが無効です。")};
    default: return {saveError::PathFileAccess, QStringLiteral("パス名が無効です。")};
    }
}

// Qt reports file errors as the system's text; the numbers are told apart by that text.
int numberForFileError(const QFileDevice& file, const QString& path)
{
    const QString text = file.errorString();
    if (text == qt_error_string(ENOSPC) || text == qt_error_string(EDQUOT))
        return saveError::DiskFull;
    if (text == qt_error_string(EACCES) || text == qt_error_string(EPERM) || text == qt_error_string(EROFS))
        return saveError::PermissionDenied;
    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        return saveError::PathNotFound;
    if (!QFileInfo(target.absolutePath()).isWritable() || (target.exists() && !target.isWritable()))
        return saveError::PermissionDenied;
    return saveError::PathFileAccess;
}

int pixelsPerMetre(int px, int mm)
{
    return static_cast<int>(std::lround(px * 1000.0 / mm));
}

}  // namespace

QByteArray encodeImage(ImageFormat format, const QImage& canvas, const ReferenceDevice& reference)
{
    if (canvas.isNull() || !reference.isValid())
        return QByteArray();
    switch (format) {
    case ImageFormat::Png: return encodePng(canvas);
    case ImageFormat::Jpeg: return encodeJpeg(canvas);
    case ImageFormat::Wmf: return metafileModule::WinMetaFileBits(canvas, reference).value_or(QByteArray());
    case ImageFormat::Emf: return metafileModule::CreateEmf(canvas, reference).value_or(QByteArray());
    case ImageFormat::Svg:
    case ImageFormat::Pdf: return QByteArray();
    case ImageFormat::Bmp: {
        // The file header holds the size in 32 bits.
        const double bytes = 54.0 + (canvas.width() * 3.0 + 3) * canvas.height();
        if (bytes > std::numeric_limits<std::uint32_t>::max())
            return QByteArray();
        return encodeBmp(canvas, pixelsPerMetre(reference.widthPx, reference.widthMm),
                         pixelsPerMetre(reference.heightPx, reference.heightMm));
    }
    }
    return QByteArray();
}

SaveResult saveImage(const QString& path, const QImage& canvas, const ReferenceDevice& reference)
{
    return saveImage(path, saveFormatForPath(path), canvas, reference);
}

SaveResult saveImage(const QString& path, ImageFormat format, const QImage& canvas, const ReferenceDevice& reference)
{
    if (path.isEmpty())
        return failure(saveError::PathFileAccess);
    if (QFileInfo(path).isDir())
        return failure(saveError::PathFileAccess);
    const QByteArray bytes = encodeImage(format, canvas, reference);
    if (bytes.isEmpty())
        return failure(saveError::InvalidPicture);
    return writeWholeFile(path, bytes);
}

SaveResult probeWritable(const QString& path)
{
    if (path.isEmpty() || QFileInfo(path).isDir())
        return failure(saveError::PathFileAccess);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(numberForFileError(file, path));
    file.cancelWriting();
    return {};
}

SaveResult writeWholeFile(const QString& path, const QByteArray& bytes)
{
    if (path.isEmpty() || QFileInfo(path).isDir())
        return failure(saveError::PathFileAccess);
    if (bytes.isEmpty())
        return failure(saveError::InvalidPicture);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(numberForFileError(file, path));
    // A disk that fills up takes part of a write without an error; writing the rest then
    // fails with the reason. Small files stay in the buffer until commit, which would put
    // them in place even when writing them out fails: they are flushed and checked first.
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            break;
        written += n;
    }
    if (written != bytes.size() || !file.flush()) {
        const int number = numberForFileError(file, path);
        file.cancelWriting();
        return failure(number);
    }
    if (!file.commit())
        return failure(numberForFileError(file, path));
    return {};
}

}  // namespace kalvetra::imagefile
