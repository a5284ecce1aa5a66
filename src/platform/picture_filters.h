#pragma once
// Colour and neighbourhood filters for pictures. Every filter is a pure
// function: it works on un-premultiplied colour, keeps alpha, returns a
// picture of the same size and resolution, and hands back the input itself
// (bit for bit) when its value is neutral.
#include <QImage>

namespace platform::filters {

// Gray: R = G = B = Y with Y = 0.2126 R + 0.7152 G + 0.0722 B.
QImage grayScale(const QImage& in);
// Sepia tone through the usual 3x3 matrix.
QImage sepia(const QImage& in);
// Colour inversion: c -> 1 - c.
QImage invert(const QImage& in);
// Turns the chroma about the gray axis by the angle (radians). 0 is neutral.
QImage hue(const QImage& in, double radians);
// c = Y + s (c - Y), then + b, then (c - 0.5) k + 0.5. (1, 0, 1) is neutral.
QImage colorControls(const QImage& in, double saturation, double brightness, double contrast);
// Unsharp mask on the luminance, radius about 1.7 px, the detail added to
// R, G and B with the given strength. 0 is neutral.
QImage sharpen(const QImage& in, double strength, double radiusPx = 1.7);
// Separable mean of width 2r + 1 (r rounded, in pixels), edges clamped,
// same size as the input. r < 0.5 is neutral.
QImage boxBlur(const QImage& in, double radiusPx);
// Exposure: sRGB to linear light, times 2^ev, back to sRGB. 0 is neutral.
QImage exposure(const QImage& in, double ev);
// Gamma: c^p. 1 is neutral.
QImage gamma(const QImage& in, double power);

} // namespace platform::filters
