#pragma once
// The product's own pictures: the title "Quarnel 2007", the emblem (two study cards), and the
// eight frames of the small flipping card in the splash window's corner. They are drawn here
// once, in code, so the programs carry no picture files. In the emblem and the frames,
// magenta (red 255, green 0, blue 255) marks the pixels that are not part of the picture.
#include <QImage>
#include <QRgb>

namespace SplashPictures {
constexpr QRgb kTransparent = 0xFFFF00FF;
constexpr int kFrameCount = 8;
constexpr int kFrameSize = 16;

// Every picture is drawn for a device pixel ratio: its size counts logical pixels times the
// ratio, and it carries the ratio, so a HiDPI window shows it at its own resolution.
// The title on black, meant to be copied as it is.
const QImage& title(qreal ratio = 1.0);
// The emblem, magenta around it.
const QImage& emblem(qreal ratio = 1.0);
// Frame 0..7 of the corner animation, 16 x 16, magenta around the card; other numbers
// wrap into that range.
const QImage& frame(int index, qreal ratio = 1.0);

// The picture with every magenta pixel made fully transparent, to paint over a surface.
QImage keyedOut(const QImage& picture, QRgb key = kTransparent);
} // namespace SplashPictures
