// The drawer's layout arithmetic, shared by its text and table layout: lengths clamped to a
// range, and coordinates that saturate, so that whatever markup asks for a sum of widths or
// heights never wraps round to a small or negative one.
#pragma once
#include <algorithm>

namespace layout_arithmetic {
// Far enough below anything drawable, and far from overflowing when heights add up.
const int kMaxCoordinate = 0x3FFFFFFF;

inline int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

inline int Saturated(long long value) {
    return static_cast<int>(std::max<long long>(-kMaxCoordinate, std::min<long long>(kMaxCoordinate, value)));
}

inline int AddClamped(int a, long long b) { return Saturated(a + b); }

// The percent of a width, rounded as MulDiv rounds, kept within the coordinates.
inline int PercentOf(long long width, long long percent) {
    return Saturated((width * percent + (width * percent >= 0 ? 50 : -50)) / 100);
}
}  // namespace layout_arithmetic
