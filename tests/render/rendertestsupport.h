#pragma once
// Shared by the render tests: one runner per test class, and a fresh program state with a
// home folder of its own.
#include "appstate.h"

#include <QImage>
#include <QTemporaryDir>

int runRDataTests(int argc, char** argv);
int runMemDcTests(int argc, char** argv);
int runRendererTests(int argc, char** argv);
int runHoverControlTests(int argc, char** argv);

// A COLORREF (0x00BBGGRR) as the pixel an RGB32 image holds.
inline QRgb pixelOf(qint32 colourref) {
    return qRgb(colourref & 0xFF, (colourref >> 8) & 0xFF, (colourref >> 16) & 0xFF);
}

inline QRgb pixelAt(const QImage& img, int x, int y) { return img.pixel(x, y) | 0xFF000000u; }

// Resets the program state and points the home folder at `dir`.
inline void freshApp(const QTemporaryDir& dir) {
    AppState::reset();
    app().homeFolder = dir.path();
}
