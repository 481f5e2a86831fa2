// The metafile reader on any bytes, as an enhanced and as a Windows metafile (the header
// checks of the picture service skipped, so that the records themselves are reached).
#include "FuzzTarget.h"

#include "imagefile/Dib.h"
#include "imagefile/MetafileReader.h"

#include <QElapsedTimer>

using namespace kalvetra;
using namespace kalvetra::imagefile;

namespace {

// Short, so that a slow file costs the fuzzer little; the reader must keep to it.
constexpr int TimeLimitMs = 300;

void check(const Picture& picture, qint64 elapsedMs)
{
    fuzz::require(picture.ok() == !picture.image.isNull(), "a picture's image and its error disagree");
    if (picture.ok())
        fuzz::require(picture.image.width() <= MaxPictureSide && picture.image.height() <= MaxPictureSide,
                      "a metafile picture beyond the largest side");
    // The limit is checked between records; three seconds on top cover the slowest record
    // under the sanitizers on a busy machine.
    fuzz::require(elapsedMs < TimeLimitMs + 3000 || picture.error == PictureError::TooLarge,
                  "a metafile took far longer than its time limit");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::startQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ByteView bytes(data, size);
    const ReferenceDevice screen = ReferenceDevice::atDpi(96);
    QElapsedTimer clock;
    clock.start();
    check(readEmf(bytes, screen, TimeLimitMs), clock.restart());
    check(readWmf(bytes, screen, TimeLimitMs), clock.restart());
    looksLikeEmf(bytes);
    looksLikeWmf(bytes);
    return 0;
}
