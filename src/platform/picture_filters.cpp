#include "platform/picture_filters.h"

#include <QColorSpace>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace platform::filters {
namespace {

constexpr float kYr = 0.2126f, kYg = 0.7152f, kYb = 0.0722f;

// A working copy in un-premultiplied 8-bit ARGB that keeps the resolution.
QImage workingCopy(const QImage& in)
{
    QImage out = in.convertToFormat(QImage::Format_ARGB32);
    out.setDotsPerMeterX(in.dotsPerMeterX());
    out.setDotsPerMeterY(in.dotsPerMeterY());
    out.detach();
    return out;
}

inline int to8(float v)
{
    return std::clamp(static_cast<int>(std::lround(v * 255.0f)), 0, 255);
}

// Applies f(r, g, b) on 0..1 floats to every pixel; alpha untouched.
template <class F>
QImage perPixel(const QImage& in, F f)
{
    QImage out = workingCopy(in);
    const int w = out.width();
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb p = line[x];
            float r = qRed(p) / 255.0f, g = qGreen(p) / 255.0f, b = qBlue(p) / 255.0f;
            f(r, g, b);
            line[x] = qRgba(to8(r), to8(g), to8(b), qAlpha(p));
        }
    }
    return out;
}

// Applies one 256-entry table to R, G and B.
QImage perChannelTable(const QImage& in, const std::array<uchar, 256>& t)
{
    QImage out = workingCopy(in);
    const int w = out.width();
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(t[qRed(p)], t[qGreen(p)], t[qBlue(p)], qAlpha(p));
        }
    }
    return out;
}

// Running mean of width 2r + 1 over n samples with stride, edges clamped.
void meanPass(const float* src, float* dst, int n, int stride, int r)
{
    if (n <= 0)
        return;
    const float inv = 1.0f / float(2 * r + 1);
    auto at = [&](int i) { return src[std::clamp(i, 0, n - 1) * stride]; };
    double sum = 0;
    for (int i = -r; i <= r; ++i)
        sum += at(i);
    for (int i = 0; i < n; ++i) {
        dst[i * stride] = float(sum) * inv;
        sum += at(i + r + 1) - at(i - r);
    }
}

// Separable mean over a float plane.
void boxPlane(std::vector<float>& plane, int w, int h, int r)
{
    std::vector<float> tmp(plane.size());
    for (int y = 0; y < h; ++y)
        meanPass(plane.data() + size_t(y) * w, tmp.data() + size_t(y) * w, w, 1, r);
    for (int x = 0; x < w; ++x)
        meanPass(tmp.data() + x, plane.data() + x, h, w, r);
}

float srgbToLinear(float c)
{
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

float linearToSrgb(float c)
{
    c = std::max(c, 0.0f);
    return c <= 0.0031308f ? c * 12.92f : 1.055f * std::pow(c, 1.0f / 2.4f) - 0.055f;
}

} // namespace

QImage grayScale(const QImage& in)
{
    if (in.isNull())
        return in;
    return perPixel(in, [](float& r, float& g, float& b) {
        const float y = kYr * r + kYg * g + kYb * b;
        r = g = b = y;
    });
}

QImage sepia(const QImage& in)
{
    if (in.isNull())
        return in;
    return perPixel(in, [](float& r, float& g, float& b) {
        const float nr = 0.393f * r + 0.769f * g + 0.189f * b;
        const float ng = 0.349f * r + 0.686f * g + 0.168f * b;
        const float nb = 0.272f * r + 0.534f * g + 0.131f * b;
        r = nr, g = ng, b = nb;
    });
}

QImage invert(const QImage& in)
{
    if (in.isNull())
        return in;
    std::array<uchar, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = uchar(255 - i);
    return perChannelTable(in, t);
}

QImage hue(const QImage& in, double radians)
{
    if (in.isNull() || !std::isfinite(radians) || radians == 0.0)
        return in;
    // Rotation about the unit vector (1, 1, 1) / sqrt(3) (Rodrigues).
    const float c = float(std::cos(radians)), s = float(std::sin(radians));
    const float k = (1.0f - c) / 3.0f, q = s / std::sqrt(3.0f);
    const float m[3][3] = {{c + k, k - q, k + q}, {k + q, c + k, k - q}, {k - q, k + q, c + k}};
    return perPixel(in, [&m](float& r, float& g, float& b) {
        const float nr = m[0][0] * r + m[0][1] * g + m[0][2] * b;
        const float ng = m[1][0] * r + m[1][1] * g + m[1][2] * b;
        const float nb = m[2][0] * r + m[2][1] * g + m[2][2] * b;
        r = nr, g = ng, b = nb;
    });
}

QImage colorControls(const QImage& in, double saturation, double brightness, double contrast)
{
    if (in.isNull() || !std::isfinite(saturation) || !std::isfinite(brightness) || !std::isfinite(contrast))
        return in;
    if (saturation == 1.0 && brightness == 0.0 && contrast == 1.0)
        return in;
    const float s = float(saturation), br = float(brightness), k = float(contrast);
    return perPixel(in, [=](float& r, float& g, float& b) {
        const float y = kYr * r + kYg * g + kYb * b;
        float* ch[3] = {&r, &g, &b};
        for (float* c : ch)
            *c = ((y + s * (*c - y)) + br - 0.5f) * k + 0.5f;
    });
}

QImage sharpen(const QImage& in, double strength, double radiusPx)
{
    if (in.isNull() || !std::isfinite(strength) || strength == 0.0)
        return in;
    QImage out = workingCopy(in);
    const int w = out.width(), h = out.height();
    std::vector<float> lum(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(out.constScanLine(y));
        for (int x = 0; x < w; ++x)
            lum[size_t(y) * w + x] = (kYr * qRed(line[x]) + kYg * qGreen(line[x]) + kYb * qBlue(line[x])) / 255.0f;
    }
    // Two passes of a mean of width 2r+1 approximate a gaussian of the radius.
    std::vector<float> blurred = lum;
    const int r = std::max(1, int(std::lround(std::max(0.0, radiusPx) * 0.87)));
    boxPlane(blurred, w, h, r);
    boxPlane(blurred, w, h, r);
    const float amount = float(strength);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * w + x;
            const float d = amount * (lum[i] - blurred[i]);
            const QRgb p = line[x];
            line[x] = qRgba(to8(qRed(p) / 255.0f + d), to8(qGreen(p) / 255.0f + d), to8(qBlue(p) / 255.0f + d), qAlpha(p));
        }
    }
    return out;
}

QImage boxBlur(const QImage& in, double radiusPx)
{
    if (in.isNull() || !std::isfinite(radiusPx))
        return in;
    const int r = int(std::lround(std::min(radiusPx, 4096.0)));
    if (r < 1)
        return in;
    QImage out = workingCopy(in);
    const int w = out.width(), h = out.height();
    // Colour is averaged weighted by alpha so transparent pixels add no colour.
    std::array<std::vector<float>, 4> planes;
    for (auto& p : planes)
        p.resize(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(out.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * w + x;
            const float a = qAlpha(line[x]) / 255.0f;
            planes[0][i] = qRed(line[x]) * a;
            planes[1][i] = qGreen(line[x]) * a;
            planes[2][i] = qBlue(line[x]) * a;
            planes[3][i] = a;
        }
    }
    for (auto& p : planes)
        boxPlane(p, w, h, r);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * w + x;
            const float a = planes[3][i];
            if (a <= 0.0f) {
                line[x] = qRgba(0, 0, 0, 0);
                continue;
            }
            auto ch = [&](int k) { return std::clamp(int(std::lround(planes[k][i] / a)), 0, 255); };
            line[x] = qRgba(ch(0), ch(1), ch(2), to8(a));
        }
    }
    return out;
}

QImage exposure(const QImage& in, double ev)
{
    if (in.isNull() || !std::isfinite(ev) || ev == 0.0)
        return in;
    const float f = float(std::exp2(ev));
    std::array<uchar, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = uchar(to8(linearToSrgb(srgbToLinear(i / 255.0f) * f)));
    return perChannelTable(in, t);
}

QImage gamma(const QImage& in, double power)
{
    if (in.isNull() || !std::isfinite(power) || power == 1.0 || power <= 0.0)
        return in;
    std::array<uchar, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = uchar(to8(std::pow(i / 255.0f, float(power))));
    return perChannelTable(in, t);
}

} // namespace platform::filters
