#pragma once

#include <cstdint>

namespace gdi {

// A rectangle as RECT holds it: left and top inside, right and bottom just outside.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // In 64 bits: the corners are arbitrary numbers.
    std::int64_t Width() const { return std::int64_t{right} - left; }
    std::int64_t Height() const { return std::int64_t{bottom} - top; }
};

}  // namespace gdi
