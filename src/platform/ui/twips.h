#pragma once

#include <QtGlobal>

namespace tallomar {

// Window layouts are measured in twips: 15 twips make one pixel at 96 dpi
// (Qt scales pixels for high-dpi screens).
constexpr int kTwipsPerPixel = 15;

inline int twipsToPixels(int twips) {
    return qRound(static_cast<double>(twips) / kTwipsPerPixel);
}
inline int pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

}  // namespace tallomar
