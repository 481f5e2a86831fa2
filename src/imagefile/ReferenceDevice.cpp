#include "ReferenceDevice.h"

#include "render/Rounding.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace kalvetra::imagefile {

ReferenceDevice ReferenceDevice::atDpi(int dpi)
{
    if (dpi <= 0)
        dpi = 96;
    // Ten inches by five: whole millimetres at any whole dpi, so the ratio is exact.
    return {254, dpi * 10, 127, dpi * 5};
}

ReferenceDevice ReferenceDevice::screen()
{
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
        ? QGuiApplication::primaryScreen()
        : nullptr;
    if (!screen)
        return atDpi(96);
    const double dpiX = screen->logicalDotsPerInchX();
    const double dpiY = screen->logicalDotsPerInchY();
    const int widthPx = screen->geometry().width();
    const int heightPx = screen->geometry().height();
    if (!(dpiX > 0 && dpiY > 0) || widthPx <= 0 || heightPx <= 0)
        return atDpi(96);
    const int widthMm = static_cast<int>(std::lround(widthPx * 25.4 / dpiX));
    const int heightMm = static_cast<int>(std::lround(heightPx * 25.4 / dpiY));
    if (widthMm <= 0 || heightMm <= 0)
        return atDpi(96);
    return {widthMm, widthPx, heightMm, heightPx};
}

HimetricRect emfBounds(int width, int height, const ReferenceDevice& device)
{
    if (!device.isValid())
        return {};
    // NOTE: the products are formed in 64 bits. In 32 bits a wide surface on a large screen
    // (HORZSIZE * 100 * w above 2^31) overflows into a negative or wrapped frame.
    const std::int64_t x = std::int64_t{device.widthMm} * 100 * width;
    const std::int64_t y = std::int64_t{device.heightMm} * 100 * height;
    return {0, 0, roundToLong(static_cast<double>(x) / device.widthPx),
            roundToLong(static_cast<double>(y) / device.heightPx)};
}

}  // namespace kalvetra::imagefile
