#pragma once
// What the splash window shows and how it is painted: the loader's latest status text, the
// version text, the corner animation's frame, and the off-screen surface the picture is
// composed on before it is copied to the window.
#include "cmemdc.h"

#include <QPointer>
#include <QString>

class frmSplash;

class SplashPainter {
public:
    // Frame 1, the version text, a surface of the window's client size, a first paint, and
    // timer id 1 on the window at 45 ms that advances the frame and paints.
    void start(frmSplash* window);
    // Kills timer id 1 and releases the surface.
    void stop();
    // Stores the text and paints at once.
    void setStatus(const QString& text);
    // One timer tick: the next frame (after 7 comes 0), then a paint.
    void tick();
    // Composes the picture and copies it to the window; nothing once the program shuts down
    // or while there is no surface.
    void paint();

    QString status() const { return m_status; }
    QString version() const { return m_version; }
    qint16 frame() const { return m_frame; }
    bool isPainting() const { return m_surface.IsCreated(); }
    frmSplash* window() const { return m_window; }

    static constexpr int kTimerId = 1;
    static constexpr int kIntervalMs = 45;
    static constexpr qint32 kSilver = 0xC0C0C0;

private:
    QString m_status;
    QString m_version;
    qint16 m_frame = 1;
    cMemDC m_surface;
    QPointer<frmSplash> m_window;
};

// The program's one splash painter.
SplashPainter& splashPainter();
