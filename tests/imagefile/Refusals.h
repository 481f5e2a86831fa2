// Tables of damaged or hostile files and the reason each must be refused for, checked
// with a time bound: a refusal that takes seconds is a hang in the making.
#pragma once

#include "imagefile/PictureFile.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>

#include <gtest/gtest.h>

namespace kalvetra::test {

struct Refusal {
    const char* what;
    QByteArray bytes;
    imagefile::PictureError expected;
};

inline void expectRefused(const QList<Refusal>& cases)
{
    for (const Refusal& c : cases) {
        QElapsedTimer clock;
        clock.start();
        const imagefile::Picture p = imagefile::readPicture(c.bytes, imagefile::ReferenceDevice::atDpi(96));
        EXPECT_EQ(p.error, c.expected) << c.what;
        EXPECT_TRUE(p.image.isNull()) << c.what;
        EXPECT_LT(clock.elapsed(), 1000) << c.what;
    }
}

}  // namespace kalvetra::test
