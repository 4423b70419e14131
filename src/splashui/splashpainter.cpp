#include "splashpainter.h"

#include "appstate.h"
#include "frmsplash.h"
#include "messagelog.h"
#include "splashpictures.h"
#include "version.h"
#include "windowtimers.h"

SplashPainter& splashPainter() {
    static SplashPainter painter;
    return painter;
}

void SplashPainter::start(frmSplash* window) {
    m_frame = 1;
    m_version = VersionString();
    m_window = window;
    if (!window)
        return;
    m_surface.init(window->width(), window->height(), window);
    paint();
    LogMessage(QStringLiteral(" .. Started the Splash Screen's renderer/n"));
    WindowTimers::start(window, kTimerId, kIntervalMs, false, [this] { tick(); });
    LogMessage(QStringLiteral(" .. Splash Screen redraw set to 45msec/n"));
}

void SplashPainter::stop() {
    LogMessage(QStringLiteral(" .. Splash Screen renderer shut down/n"));
    if (m_window)
        WindowTimers::kill(m_window, kTimerId);
    m_surface.Destroy();
}

void SplashPainter::setStatus(const QString& text) {
    m_status = text;
    paint();
}

void SplashPainter::tick() {
    m_frame = m_frame >= SplashPictures::kFrameCount - 1 ? 0 : qint16(m_frame + 1);
    paint();
}

void SplashPainter::paint() {
    // A late tick after the shutdown began must not reach windows that are going away.
    if (app().shutdownSignal || !m_window || !m_surface.IsCreated())
        return;
    const int w = m_surface.Width();
    const int h = m_surface.height();
    m_surface.FillRect(0, 0, w, h, 0x000000);

    RECT r{1, 1, w - 1, h - 1};
    m_surface.Rectangle(r.left, r.top, r.right, r.bottom, 0x000000, QBrush(), kSilver);
    r = RECT{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};

    StdFont font = m_surface.Font();
    font.size = 7;
    font.bold = false;
    font.weight = 400;
    m_surface.setFont(font);
    m_surface.setForecolor(kSilver);
    const int lineFlags = DT_LEFT | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX;
    m_surface.DrawText(m_status, r.left, r.top, r.right, r.bottom, lineFlags);
    r.bottom -= m_surface.FontHeight() + 2;
    m_surface.DrawText(m_version, r.left, r.top, r.right, r.bottom, lineFlags);

    // The pictures are drawn at the window's own resolution; positions stay in logical pixels.
    const qreal ratio = m_surface.devicePixelRatio();
    const QImage& title = SplashPictures::title(ratio);
    const QSize titleSize = title.deviceIndependentSize().toSize();
    cMemDC titleSurface;
    titleSurface.PaintPicture(title);
    titleSurface.BitBlt(m_surface.hDC(), w / 2 - titleSize.width() / 2, h / 2 - titleSize.height() / 2);

    // Magenta stays out of the picture: each piece is laid on black first.
    cMemDC frameSurface;
    frameSurface.init(SplashPictures::kFrameSize, SplashPictures::kFrameSize, nullptr, ratio);
    frameSurface.FillRect(0, 0, SplashPictures::kFrameSize, SplashPictures::kFrameSize, 0x000000);
    frameSurface.PaintPicture(SplashPictures::keyedOut(SplashPictures::frame(m_frame, ratio)));
    frameSurface.BitBlt(m_surface.hDC(), r.right - 17, r.bottom - 17);

    const QImage& emblem = SplashPictures::emblem(ratio);
    const QSize emblemSize = emblem.deviceIndependentSize().toSize();
    cMemDC emblemSurface;
    emblemSurface.init(emblemSize.width(), emblemSize.height(), nullptr, ratio);
    emblemSurface.FillRect(0, 0, emblemSize.width(), emblemSize.height(), 0x000000);
    emblemSurface.PaintPicture(SplashPictures::keyedOut(emblem));
    emblemSurface.BitBlt(m_surface.hDC(), 2, 2);

    m_surface.BitBlt(static_cast<CardView*>(m_window.data()));
}
