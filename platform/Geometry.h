#pragma once
// Integer rectangles and points of the drawing layer.
#include <cstdint>

namespace tal {

struct TRect {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TRect&) const = default;
};

struct TPoint {
    std::int32_t X = 0, Y = 0;
    bool operator==(const TPoint&) const = default;
};

}  // namespace tal
