// Pictures being painted by the texture generator: an RGB canvas of doubles
// and a one-channel field (heights, masks), both addressed with y = 0 at the
// bottom row, which is texture coordinate t = 0 and the first row of a
// bottom-up BMP. Entry points: Canvas, Field, encodeBmp, encodeRaw, writeBytes.
//
// Channel values are display intensities in 0..1; they are rounded to bytes
// only when a picture is encoded, so painting can overshoot freely.
#pragma once

#include <string>
#include <vector>

struct Colour {
    double r = 0, g = 0, b = 0;
};

inline Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Colour operator-(Colour a, Colour b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Colour operator*(Colour a, double k) { return {a.r * k, a.g * k, a.b * k}; }
inline Colour operator*(Colour a, Colour b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }

// a where t = 0, b where t = 1.
inline Colour mix(Colour a, Colour b, double t) { return a + (b - a) * t; }
inline double mix(double a, double b, double t) { return a + (b - a) * t; }

// Colour from 0..255 components, as paint charts give them.
constexpr Colour rgb255(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }

class Canvas {
public:
    Canvas(int width, int height, Colour fill = {});

    int width() const { return width_; }
    int height() const { return height_; }

    Colour& at(int x, int y) { return pixels_[index(x, y)]; }
    const Colour& at(int x, int y) const { return pixels_[index(x, y)]; }
    // With both coordinates taken modulo the size: for pictures that tile.
    Colour& wrapped(int x, int y) { return pixels_[index(wrap(x, width_), wrap(y, height_))]; }
    const Colour& wrapped(int x, int y) const
    {
        return pixels_[index(wrap(x, width_), wrap(y, height_))];
    }

    static int wrap(int v, int n) { return ((v % n) + n) % n; }

private:
    int index(int x, int y) const { return y * width_ + x; }

    int width_;
    int height_;
    std::vector<Colour> pixels_;
};

class Field {
public:
    Field(int width, int height, double fill = 0);

    int width() const { return width_; }
    int height() const { return height_; }

    double& at(int x, int y) { return values_[y * width_ + x]; }
    double at(int x, int y) const { return values_[y * width_ + x]; }
    double wrapped(int x, int y) const
    {
        return values_[Canvas::wrap(y, height_) * width_ + Canvas::wrap(x, width_)];
    }

private:
    int width_;
    int height_;
    std::vector<double> values_;
};

// Brightness factor of a height field lit from the upper left, as a painter
// lights a relief: 1 on flat ground, above 1 on slopes facing the light,
// below 1 on slopes facing away. Heights are in pixels; neighbours wrap, so a
// tiling field gives a tiling shade.
Field shadeFromHeight(const Field& height);

// A 24-bit bottom-up BMP file: 54-byte header, rows padded to 4 bytes,
// blue-green-red pixels, first row = the canvas's row y = 0.
std::vector<unsigned char> encodeBmp(const Canvas& canvas);

// A headerless red-green-blue file, first row = the canvas's row y = 0.
std::vector<unsigned char> encodeRaw(const Canvas& canvas);

// Writes bytes to path, replacing the file; false if that fails.
bool writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);
