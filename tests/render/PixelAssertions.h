// Pixel comparisons that say where two pictures first differ.
#pragma once

#include <QImage>
#include <QRect>

#include <gtest/gtest.h>

namespace kalvetra::test {

::testing::AssertionResult imagesEqual(const QImage& expected, const QImage& actual);

// Bounding box of the pixels that differ from `background`.
QRect paintedBounds(const QImage& image, QRgb background);

// Bounding box of the pixels exactly of colour `color`.
QRect boundsOfColor(const QImage& image, QRgb color);

// Number of pixels of exactly `color`.
int countColor(const QImage& image, QRgb color);

}  // namespace kalvetra::test
