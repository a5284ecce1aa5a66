#pragma once
// Picture effects: gray, sepia, inversion, hue, colour controls, sharpness,
// blur, exposure and rotation, as one chain and as single steps. Every step
// returns a new picture and leaves its input alone; filters keep size and
// resolution, rotation returns the turned bounding box.
#include "drawing/PictureStore.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <QSizeF>

// The effect values a picture graphic stores.
struct PictureEffects {
    bool gray = false, sepia = false, invert = false;
    float hue = 0.0f;        // radians
    float sat = 1.0f, brt = 0.0f, con = 1.0f;
    float sharp = 0.0f;      // sharpness strength
    float ev = 0.0f;         // exposure value
    float blur = 0.0f;       // box blur radius in source pixels
    bool finite() const;
    bool operator==(const PictureEffects&) const = default;
};

class ImageProcesser {
public:
    // The whole chain: effects in their fixed order, then the rotation (whole
    // degrees, taken modulo 360). `transparency` is applied by the caller when
    // drawing. A null picture when a value is not finite (logged).
    static QImage Get_Processed_Image(const QImage& picture, bool grayscale, bool sepia, bool invrtclr,
                                      float hue, float sat, float brt, float con, int rotate,
                                      float r, float g, float b, float tranprency);

    static QImage GrayScale(const QImage& p);
    static QImage Sepia(const QImage& p);
    static QImage Invert_Color(const QImage& p);
    static QImage adjust_Hue(const QImage& p, float hue);
    static QImage adjust_Color_Control(const QImage& p, float sat, float brt, float con);
    static QImage adjust_Sharpness(const QImage& p, float value);
    static QImage adjust_boxBlur(const QImage& p, float value);
    static QImage adjust_EV(const QImage& p, float value);
    static QImage adjust_Gamma(const QImage& p, float value);
    // The size cap on a size in points: each side by itself, 724 x 468.
    static QSizeF Set_Dimaension(QSizeF size);
    // The picture with its opaque parts painted in the colour (source-atop);
    // an invalid colour returns it unchanged.
    static QImage imageTintedWithColor(const QImage& p, const QColor& tint);
    static QImage imageRotatedByDegrees(const QImage& p, double degrees);
    static QImage adjust_Rotate(const QImage& p, float degrees);

    // The effect steps (no rotation) for drawing at a target size in device
    // pixels: the work runs on a copy reduced to that size (radii scaled with
    // it), and results are cached by picture, effects and target size.
    static QImage processForDrawing(const drawing::PicturePtr& picture, const PictureEffects& effects, QSize targetPx);
    static void clearCache();
};

// Rotation by degrees (positive counter-clockwise on the card), taken modulo
// 360; the result is the turned bounding box, nothing is cut. 0 returns p.
QImage imageRotated(const QImage& p, float degrees);
// 8-bit RGBA copy of the picture; null when a side is below one pixel.
QImage bitmapImageRepresentation(const QImage& p);
// One point per pixel (72 dpi).
QImage normalizeSize(const QImage& p);
// Tags the picture with the resolution (its size in points follows);
// dpi <= 0 is ignored.
QImage setDPI(const QImage& p, int dpi);
