#include "r_renderer.h"

#include "appstate.h"
#include "cardview.h"
#include "messagelog.h"
#include "r_data.h"
#include "windowtimers.h"

#include <cmath>

namespace {
void log(const QString& text) { LogMessage(text, 3); }

QString hex(const void* p) { return QString::number(quintptr(p), 16).toUpper(); }

// Halves go to the even neighbour.
int roundHalfEven(double v) { return int(std::nearbyint(v)); }

constexpr int kRefreshTimerId = 0;
} // namespace

r_renderer::~r_renderer() {
    if (!m_killed)
        killrenderer(false);
}

void r_renderer::init(CardView* window, std::shared_ptr<r_data> data, float refreshMs, int widthReduction,
                      int heightReduction) {
    log(QStringLiteral("initializing renderer/n"));
    m_killed = false;
    m_window = window;
    m_data = std::move(data);
    m_refresh = refreshMs;
    m_widthReduction = widthReduction;
    m_heightReduction = heightReduction;
    const QRect client = window ? window->rect() : QRect();
    m_client = RECT{0, 0, client.width(), client.height()};
    m_surface.init(m_client.right - m_client.left, m_client.bottom - m_client.top, window);
    // The shown picture stands where the device context of the window would.
    log(QStringLiteral(" .. using DC @ 0x") + hex(window ? &window->shownImage() : nullptr) + QStringLiteral("/n"));
    log(QStringLiteral(" .. using window @ 0x") + hex(window) + QStringLiteral("/n"));
    log(QStringLiteral(" .. using window size of ( ") + QString::number(m_client.right) + QStringLiteral(" , ") +
        QString::number(m_client.bottom) + QStringLiteral(" )/n"));
    log(QStringLiteral(" .. using modded window size of ( ") + QString::number(m_client.right - widthReduction) +
        QStringLiteral(" , ") + QString::number(m_client.bottom - heightReduction) + QStringLiteral(" )/n"));
    log(QStringLiteral(" .. using r_data class @ ") + hex(m_data.get()) + QStringLiteral("/n"));
    log(QStringLiteral(" .. set refresh rate to ") + QString::number(double(refreshMs)) + QStringLiteral(" msec/n"));
    log(QStringLiteral(" .. using QEX DC drawing class @ ") + hex(&m_surface) + QStringLiteral("/n"));
    log(QStringLiteral("renderer initialized ok/n"));
}

void r_renderer::drawback() { drawtobuffer(false); }

int r_renderer::cornerTextWidth(const QString& text) {
    if (!m_surface.IsCreated())
        return 0;
    // The corners' font as drawtobuffer sets it; it sets its fonts afresh on every call.
    StdFont font = m_surface.Font();
    font.name = QStringLiteral("Tahoma");
    font.bold = true;
    font.size = 8;
    m_surface.setFont(font);
    return m_surface.TextWidth(text);
}

int r_renderer::cornerRowWidth() const {
    return m_client.right - m_widthReduction - 4 - m_client.left;
}

QString r_renderer::elideCorner(const QString& text, int room) {
    if (cornerTextWidth(text) <= room)
        return text;
    // A quoted text ("Showing answer to '...'") keeps its closing quote.
    const bool quoted = text.size() > 1 && text.endsWith(QLatin1Char('\''));
    const QString tail = QString(QChar(0x2026)) + (quoted ? QStringLiteral("'") : QString());
    QString body = quoted ? text.chopped(1) : text;
    while (!body.isEmpty()) {
        qsizetype n = body.size() - 1;
        if (n > 0 && body.at(n).isLowSurrogate() && body.at(n - 1).isHighSurrogate())
            --n; // never half a character
        body.truncate(n);
        if (cornerTextWidth(body + tail) <= room)
            break;
    }
    return body + tail;
}

void r_renderer::fitCornerPair(QString& left, QString& right) {
    constexpr int kGap = 12;
    if (left.isEmpty() || right.isEmpty())
        return;
    const int row = cornerRowWidth();
    const int wl = cornerTextWidth(left), wr = cornerTextWidth(right);
    if (wl + kGap + wr <= row)
        return;
    // A short text keeps its room and the long one has the rest; two long ones share halves.
    const int half = (row - kGap) / 2;
    if (wl <= half) {
        right = elideCorner(right, row - kGap - wl);
    } else if (wr <= half) {
        left = elideCorner(left, row - kGap - wr);
    } else {
        left = elideCorner(left, half);
        right = elideCorner(right, row - kGap - half);
    }
}

void r_renderer::fitFont(const QString& text, const RECT& r, StdFont& font) {
    const int room = r.right - r.left;
    for (int size = 8; size <= 17; ++size) {
        font.size = size;
        m_surface.setFont(font);
        if (m_surface.TextWidth(text) >= room) {
            font.size = size - 1;
            return;
        }
    }
    font.size = 17;
}

void r_renderer::drawtobuffer(bool withMain) {
    if (!m_data || !m_surface.IsCreated())
        return;
    r_data& d = *m_data;
    RECT r = m_client;
    if (d.maintext().isEmpty())
        return;
    r.bottom -= m_heightReduction;
    r.right -= m_widthReduction;

    const qint32 a = d.GetColorByAlias(QStringLiteral("backcolor_a"), 0);
    const qint32 b = d.GetColorByAlias(QStringLiteral("backcolor_b"), 0xDE5549);
    const int m = roundHalfEven(r.right / 2.0);

    // The separator row just below the card area runs the other way round.
    m_surface.FillGradient(r.left, r.bottom, m, r.bottom + 1, b, a, false);
    m_surface.FillGradient(m, r.bottom, r.right, r.bottom + 1, a, b, false);
    m_surface.FillGradient(r.left, r.top, m, r.bottom, a, b, false);
    m_surface.FillGradient(m, r.top, r.right, r.bottom, b, a, false);

    r.left += 2;
    r.right -= 2;
    const RECT s{r.left - 1, r.top - 1, r.right - 1, r.bottom - 1};

    StdFont font = m_surface.Font();
    font.name = QStringLiteral("Tahoma");
    if (withMain) {
        font.bold = true;
        fitFont(d.shownMaintext(), r, font);
        m_surface.setFont(font);
        m_mainFontSize = int(font.size);
        const int flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        m_surface.setForecolor(d.GetColorByAlias(QStringLiteral("main_text_shadow"), 0xFF8080));
        m_surface.DrawText(d.shownMaintext(), s.left, s.top, s.right, s.bottom, flags);
        m_surface.setForecolor(d.GetColorByAlias(QStringLiteral("main_text_forecolor"), 0xFFFFFF));
        m_surface.DrawText(d.shownMaintext(), r.left, r.top, r.right, r.bottom, flags);
    }
    // The two corners of a side share its row: the texts as drawn, shortened where both
    // would not fit (assistive technology still gets them whole).
    QString drawn[4] = {d.tlshow() ? d.toplefttext() : QString(), d.blshow() ? d.bottomlefttext() : QString(),
                        d.trshow() ? d.toprighttext() : QString(), d.brshow() ? d.bottomrighttext() : QString()};
    fitCornerPair(drawn[0], drawn[2]);
    fitCornerPair(drawn[1], drawn[3]);
    for (int i = 0; i < 4; ++i)
        m_drawnCorners[i] = drawn[i];
    font.size = 8;
    m_surface.setFont(font);

    struct Corner {
        bool show;
        QString text;
        const char* shadow;
        const char* fore;
        int flags;
    };
    const Corner corners[] = {
        {d.tlshow(), d.toplefttext(), "tl_text_shadow", "tl_text_forecolor", DT_LEFT | DT_TOP},
        {d.blshow(), d.bottomlefttext(), "bl_text_shadow", "bl_text_forecolor", DT_LEFT | DT_BOTTOM},
        {d.trshow(), d.toprighttext(), "tr_text_shadow", "tr_text_forecolor", DT_RIGHT | DT_TOP},
        {d.brshow(), d.bottomrighttext(), "br_text_shadow", "br_text_forecolor", DT_RIGHT | DT_BOTTOM},
    };
    for (const Corner& c : corners) {
        if (!c.show)
            continue;
        const QString& text = drawn[&c - corners];
        m_surface.setForecolor(d.GetColorByAlias(QString::fromLatin1(c.shadow), 0));
        m_surface.DrawText(text, s.left, s.top, s.right, s.bottom, c.flags | DT_SINGLELINE);
        m_surface.setForecolor(d.GetColorByAlias(QString::fromLatin1(c.fore), 0xFFFFFF));
        m_surface.DrawText(text, r.left, r.top, r.right, r.bottom, c.flags | DT_SINGLELINE);
    }

    // The card's text is told once per card, not blanked by the background-only frame.
    if (m_window)
        m_window->setFaceTexts(d.shownMaintext(), corners[0].show ? corners[0].text : QString(),
                               corners[2].show ? corners[2].text : QString(),
                               corners[1].show ? corners[1].text : QString(),
                               corners[3].show ? corners[3].text : QString());
    if (withMain)
        Refresh();
    else
        m_surface.BitBlt(m_window.data());
}

void r_renderer::Refresh() {
    if (!m_surface.IsCreated() || !m_window)
        return;
    // An unchanged picture is not copied again, so a card left on screen costs next to nothing;
    // once both pictures were found equal, they are not even compared again until one changes
    // (an image's cache key moves with every write to it).
    const qint64 surfaceKey = m_surface.hDC()->cacheKey();
    if (surfaceKey == m_settledSurfaceKey && m_window->generation() == m_settledViewGeneration)
        return;
    if (m_window->shows(*m_surface.hDC())) {
        m_settledSurfaceKey = surfaceKey;
        m_settledViewGeneration = m_window->generation();
        return;
    }
    // A level of 0 would never bring the new card in: the slowest fade is level 1.
    if (app().alphaSupported && app().alphaEffects)
        m_surface.AlphaBlt(m_window.data(), 0, 0, 0, 0, 0, 0, quint8(qBound(1, app().alphaLevel, 255)));
    else
        m_surface.BitBlt(m_window.data());
}

void r_renderer::StartTimer() {
    if (app().shutdownSignal || !m_window)
        return;
    WindowTimers::start(m_window.data(), kRefreshTimerId, int(std::lround(m_refresh)), false, [this] { Refresh(); });
}

void r_renderer::HaltTimer() {
    if (m_window)
        WindowTimers::kill(m_window.data(), kRefreshTimerId);
}

void r_renderer::killrenderer(bool keepData) {
    log(QStringLiteral("renderer going down/n"));
    HaltTimer();
    if (!keepData)
        m_data.reset();
    m_surface.Destroy();
    m_killed = true;
    log(QStringLiteral(" .. renderer released ok/n"));
}
