// The adjustment chain of an image element, on gamma-encoded sRGB values
// from 0 to 1:
//   colour controls   Y = 0.2125 R + 0.7154 G + 0.0721 B;
//                     c = Y + (c − Y) × saturation + brightness,
//                     then (c − 0.5) × contrast + 0.5, kept within 0..1;
//   sharpening        c + sharpness × (Y − Y blurred with σ 1.69);
//   blur              Gaussian, σ = blur in pixels;
//   tint              rgb × mix(1, tint, tint alpha), alpha kept;
//   effect            one of effects 1 to 11.
// Every stage keeps the picture's size, edges repeating their last pixel.
// Sharpening and blur weigh colour by alpha, so transparent pixels lend no
// colour to their neighbours.
#pragma once

#include <QImage>
#include <array>

namespace ql::effects {

struct LevelSettings {
    float brightness = 0.0f;
    float contrast = 1.0f;
    float saturation = 1.0f;
    float sharpness = 0.0f;
    double blur = 0.0; // σ in pixels
    bool tintEnabled = false;
    std::array<float, 4> tint {1.0f, 1.0f, 1.0f, 1.0f}; // red, green, blue, alpha
    int effect = 0;                                      // 0 none, 1 to 11
    // Pixels of the picture adjusted per pixel of the one the settings are
    // measured on: the blur, sharpening and effects reach that much less
    // far, so that a copy made smaller looks as the whole made smaller does.
    double scale = 1.0;

    // Nothing to change: the chain gives back the picture itself.
    bool isIdentity() const;
};

// The picture adjusted, as 8-bit RGBA (not premultiplied) of the same size;
// the picture itself when nothing changes it; null for a null picture. A
// picture of another kind is made 8-bit RGBA a band of rows at a time,
// never whole.
QImage applyLevels(const QImage& picture, const LevelSettings& settings);
// Whether the settings work on the whole picture at once (sharpening, blur,
// an effect that looks at neighbours): as floats, 16 bytes a pixel.
bool adjustsWholePicture(const LevelSettings& settings);

} // namespace ql::effects
