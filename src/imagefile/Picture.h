// What the picture service gives back: a picture or the reason there is none. QtGui only.
#pragma once

#include <QImage>
#include <QString>

namespace kalvetra::imagefile {

enum class PictureError {
    None,
    NotFound,     // no file of that name
    CannotOpen,   // the file exists but cannot be read
    NotAPicture,  // no format this service reads
    Damaged,      // a known format whose content is inconsistent or cut short
    Unsupported,  // a known format using a feature this service does not read
    TooLarge,     // a side beyond 16384 pixels, or a file beyond what is read at all
    TooComplex,   // a metafile whose drawing did not end within the time allowed
};

struct Picture {
    QImage image;  // null unless error is None
    PictureError error = PictureError::None;

    bool ok() const { return error == PictureError::None && !image.isNull(); }
    static Picture failed(PictureError e) { return {QImage(), e}; }
};

// The Windows picture service's error number for the failure (53 file not found,
// 75 path/file access error, 481 invalid picture, 7 out of memory) and its description.
int pictureErrorNumber(PictureError error);
QString pictureErrorDescription(PictureError error);

}  // namespace kalvetra::imagefile
