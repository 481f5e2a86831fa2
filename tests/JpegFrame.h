// What a JPEG file's frame header says about colour: the sampling factors of its components
// as identify prints them ("1x1,1x1,1x1" is full colour, "2x2,1x1,1x1" is 4:2:0). QtCore only.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kalvetra::test {

// Empty when the bytes hold no frame header.
inline QString jpegSamplingFactors(const QByteArray& jpeg)
{
    const auto byte = [&jpeg](qsizetype i) { return static_cast<unsigned char>(jpeg[i]); };
    qsizetype i = 2;  // after the start-of-image marker
    while (i + 4 <= jpeg.size() && byte(i) == 0xFF) {
        const unsigned char marker = byte(i + 1);
        const qsizetype length = (byte(i + 2) << 8) | byte(i + 3);
        // Start-of-frame markers C0..CF, less DHT (C4), JPG (C8) and DAC (CC).
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            if (i + 10 > jpeg.size())
                return {};
            const int count = byte(i + 9);
            QStringList factors;
            for (int c = 0; c < count && i + 11 + c * 3 < jpeg.size(); ++c) {
                const unsigned char s = byte(i + 11 + c * 3);
                factors << QStringLiteral("%1x%2").arg(s >> 4).arg(s & 15);
            }
            return factors.join(u',');
        }
        i += 2 + length;
    }
    return {};
}

}  // namespace kalvetra::test
