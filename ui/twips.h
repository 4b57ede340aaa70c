#pragma once

#include <QRect>
#include <QSize>
#include <cmath>

namespace lettermorph {

// Window geometry is given in twips, 1/1440 inch: 15 to a logical pixel at 96 dots per
// inch. Qt maps logical pixels to the screen's real ones, so this is the only conversion.
inline constexpr float kTwipsPerPixel = 15.0f;

inline int Pixels(float twips) {
  return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

// Whole pixels that cover at least `twips`, for sizes that must not fall short of a minimum.
inline int PixelsCovering(float twips) {
  return static_cast<int>(std::ceil(twips / kTwipsPerPixel));
}

inline float Twips(int pixels) {
  return static_cast<float>(pixels) * kTwipsPerPixel;
}

inline QRect TwipsRect(int left, int top, int width, int height) {
  return {Pixels(left), Pixels(top), Pixels(width), Pixels(height)};
}

inline QSize TwipsSize(int width, int height) {
  return {Pixels(width), Pixels(height)};
}

}  // namespace lettermorph
