// The picture service on any bytes, as a file chosen by the user would reach it: a picture
// of a sensible size, or a refusal without a picture.
#include "FuzzTarget.h"

#include "imagefile/Dib.h"
#include "imagefile/PictureFile.h"

using namespace kalvetra;
using namespace kalvetra::imagefile;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::startQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const Picture picture = readPicture(bytes, ReferenceDevice::atDpi(96));
    if (picture.error == PictureError::None) {
        fuzz::require(!picture.image.isNull(), "a picture without an image");
        fuzz::require(picture.image.width() <= MaxPictureSide && picture.image.height() <= MaxPictureSide,
                      "a picture beyond the largest side");
    } else {
        fuzz::require(picture.image.isNull(), "a refusal with an image");
        fuzz::require(pictureErrorNumber(picture.error) != 0, "a refusal without an error number");
    }
    return 0;
}
