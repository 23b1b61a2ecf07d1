// Lengths on the window are given in twips (1/1440 inch) and scaled with the window's DPI.
#pragma once

namespace talvex {

inline constexpr int kTwipsPerInch = 1440;

// Rounds to the nearest pixel, as MulDiv(twips, dpi, 1440) does.
constexpr int TwipsToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                        : -((-scaled + half) / kTwipsPerInch));
}

struct TwipsRect {
    int left, top, width, height;
};

} // namespace talvex
