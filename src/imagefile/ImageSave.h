// The export side of an image window's save command: the format chosen from the name's
// extension, the file written atomically, and a failure reported with the number and text
// the window shows. QtGui only.
#pragma once

#include "ImageFormat.h"
#include "ReferenceDevice.h"

#include <QImage>
#include <QString>

namespace kalvetra::imagefile {

// Error numbers in the style of the file functions' own.
namespace saveError {
constexpr int None = 0;
constexpr int OutOfMemory = 7;
constexpr int DiskFull = 61;
constexpr int PermissionDenied = 70;
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
constexpr int InvalidPicture = 481;
}  // namespace saveError

struct SaveResult {
    int errorNumber = saveError::None;
    QString description;  // the text of the error, for the message box
    int systemError = 0;  // the system's reason (errno) when writing into a pipe or device failed
    bool ok() const { return errorNumber == saveError::None; }
};

// Writes `canvas` to `path` in the format the name selects (saveFormatForPath): PNG, JPEG
// at quality 100 and full colour, the metafiles holding the bitmap, else BMP (24 bits). The
// file appears whole or not at all: a failure leaves any earlier file of that name as it was.
// Metafile sizes are taken at `reference`'s resolution.
SaveResult saveImage(const QString& path, const QImage& canvas,
                     const ReferenceDevice& reference = ReferenceDevice::screen());
// The same in a format given apart from the name.
SaveResult saveImage(const QString& path, ImageFormat format, const QImage& canvas,
                     const ReferenceDevice& reference = ReferenceDevice::screen());

// What a name to save to stands for, its links followed.
enum class SaveTarget {
    File,    // a regular file, or nothing yet: replaced whole
    Folder,  // refused
    Stream,  // a named pipe or a character device (/dev/null, a terminal): written into
    Other,   // a socket, a block device: refused, never replaced
};
SaveTarget saveTargetOf(const QString& path);

// Writes `bytes` to `path`: whole or not at all, any earlier file kept on failure. A pipe
// or a character device is written into as it is (a pipe without a reader fails at once);
// anything else that is not a file is left alone.
SaveResult writeWholeFile(const QString& path, const QByteArray& bytes);

// Whether a file could be created at `path` (nothing is left there): the failure as a save
// would report it, for writers that do not tell why (printing to a file).
SaveResult probeWritable(const QString& path);

// The bytes saveImage would write, or an empty array when the canvas cannot be encoded
// (always for the vector formats, which are made from the lettering, not from pixels). A
// PNG has an alpha channel when the canvas has a pixel that is not opaque; every other
// format shows the canvas as it is, alpha ignored.
QByteArray encodeImage(ImageFormat format, const QImage& canvas, const ReferenceDevice& reference);

}  // namespace kalvetra::imagefile
