// The memory this test process holds, from /proc/self/status: for tests that show that a
// large input is streamed or that memory returns to its level. Linux only.
#pragma once

#include <QByteArray>
#include <QFile>

namespace kalvetra::test {

// Under AddressSanitizer freed memory is held back in quarantine and every byte has a
// shadow, so resident sizes say nothing about the code; such tests check leaks instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool MemoryIsMeasurable = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool MemoryIsMeasurable = false;
#else
constexpr bool MemoryIsMeasurable = true;
#endif
#else
constexpr bool MemoryIsMeasurable = true;
#endif

// A field of /proc/self/status in kilobytes ("VmRSS", "VmHWM"); -1 when it cannot be read.
inline long long statusKilobytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

inline long long residentKilobytes() { return statusKilobytes("VmRSS"); }
inline long long peakResidentKilobytes() { return statusKilobytes("VmHWM"); }

// Starts the peak over at the present resident size (Linux 4.0 and later).
inline bool resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

}  // namespace kalvetra::test
