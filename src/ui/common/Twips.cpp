#include "Twips.h"

#include "render/CreateFontModule.h"

namespace kalvetra {

double twipsPerPixel()
{
    return screenTwipsPerPixelX();
}

}  // namespace kalvetra
