// What a long geometric build is given besides its input: where to count its work, and a flag
// that stops it early. No Qt.
#pragma once

#include <atomic>
#include <cstdint>

namespace kalvetra {

// Polygon operations handed to Clipper and the vertices their sweeps visit (each operation's
// vertices times the most contours one sweep line crosses): the cost of a build, counted so
// that tests can bound how it grows.
struct WorkCount {
    std::atomic<std::int64_t> operations{0};
    std::atomic<std::int64_t> vertices{0};
};

// A stopped build's result is incomplete and must be thrown away.
struct BuildControl {
    WorkCount* work = nullptr;
    const std::atomic_bool* cancelled = nullptr;
    bool stopped() const { return cancelled && cancelled->load(std::memory_order_relaxed); }
};

}  // namespace kalvetra
