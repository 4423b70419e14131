#include "r_data.h"

#include "appstate.h"
#include "clock.h"
#include "ivordalite.h"
#include "messagelog.h"
#include "modrender.h"
#include "r_renderer.h"
#include "settingsoccasion.h"
#include "version.h"
#include "windowtimers.h"

namespace {
const QString kColourTag = QStringLiteral("color_metrics");

struct DefaultColour {
    const char* alias;
    qint32 colour;
};
constexpr DefaultColour kDefaults[] = {
    {"backcolor_a", 0x000000},         {"backcolor_b", 0xDE5549},       {"main_text_shadow", 0x000000},
    {"main_text_forecolor", 0xFFFFFF}, {"tr_text_shadow", 0x000000},    {"tr_text_forecolor", 0xFFFFFF},
    {"tl_text_shadow", 0x000000},      {"tl_text_forecolor", 0xFFFFFF}, {"br_text_shadow", 0x000000},
    {"br_text_forecolor", 0xFFFFFF},   {"bl_text_shadow", 0x000000},    {"bl_text_forecolor", 0xFFFFFF},
};

void log(const QString& text) { LogMessage(text, 3); }

// Arms the repaint that takes an expired corner text off the card. Timers may fire a little
// early; a tick that comes before the expiry would paint the text once more and nothing would
// paint again, so it arms itself for the rest of the time instead.
void armExpiryRepaint(QObject* window, int timerId, qint64 expiry, int intervalMs) {
    WindowTimers::start(window, timerId, intervalMs, true, [window, timerId, expiry] {
        const qint64 now = appClock().steadyMs();
        if (now <= expiry) {
            armExpiryRepaint(window, timerId, expiry, int(expiry - now) + 100);
            return;
        }
        WindowTimers::kill(window, timerId);
        if (r_renderer* r = mainRenderer())
            r->drawtobuffer(true);
    });
}
} // namespace

r_data::r_data() {
    clearTable();
    readin();
}

r_data::~r_data() {
    if (m_writeOnRelease)
        writeout();
    m_colours.clear();
}

void r_data::clearTable() {
    m_colours.clear();
    m_colours.append(ColourEntry{});
}

bool r_data::shown(const Expiry& expiry) {
    return !expiry || appClock().steadyMs() <= *expiry;
}

void r_data::start(Expiry& expiry, int timerId, qint32 seconds) {
    // The expiry is cut down to a whole second, so the text never stays past the requested
    // end. The steady clock never wraps, so an expiry across midnight still comes.
    const qint64 end = appClock().steadyMs() + qint64(seconds) * 1000;
    expiry = end >= 0 ? end / 1000 * 1000 : -((-end + 999) / 1000) * 1000;
    armExpiryRepaint(renderTimerWindow(), timerId, *expiry, qMax(0, seconds) * 1000 + 100);
}

void r_data::AddColor(const QString& alias, qint32 colour) { m_colours.append(ColourEntry{alias, colour}); }

qint32 r_data::GetColorByAlias(const QString& alias, qint32 def) const {
    for (const ColourEntry& e : m_colours)
        if (e.alias == alias)
            return e.colour;
    return def;
}

void r_data::UpdateColorByAlias(const QString& alias, qint32 colour) {
    for (ColourEntry& e : m_colours) {
        if (e.alias == alias) {
            e.colour = colour;
            return;
        }
    }
    AddColor(alias, colour);
}

void r_data::cenum(qint16 index, QString& alias, qint32& colour) const {
    if (index < clb() || index > cub())
        return;
    alias = m_colours[index].alias;
    colour = m_colours[index].colour;
}

template <typename Work> bool r_data::withStore(Work work) {
    if (app().master) {
        work(*app().master);
        return true;
    }
    // Without a home folder there is no master database to fall back on.
    if (app().homeFolder.isEmpty())
        return false;
    ivordalite store;
    if (!store.mount(app().homeFolder + QStringLiteral("/sys.qex"), false))
        return false;
    work(store);
    store.unmount();
    return true;
}

void r_data::writeout() {
    withStore([this](ivordalite& store) {
        for (const ColourEntry& e : m_colours)
            if (!SettingsOccasion::add(store, e.alias, QString(), e.colour, kColourTag))
                return;
        // A failed save is reported to the user; only a written table is logged as written.
        if (SettingsOccasion::save(store))
            log(QStringLiteral("wrote ") + QString::number(cub() - clb()) + QStringLiteral(" color definitions to disk/n"));
    });
}

void r_data::readin() {
    QString bottomLeft = QStringLiteral("Right click anywhere for menu");
    withStore([this, &bottomLeft](ivordalite& store) {
        clearTable();
        int count = 0;
        for (int i = store.lb(); i <= store.ub(); ++i) {
            QString name, valuestring, tag;
            bool isstring = false;
            qint32 valuelong = 0;
            store.ienum(qint16(i), name, isstring, valuestring, valuelong, tag);
            if (!isstring && tag == kColourTag) {
                AddColor(name, valuelong);
                ++count;
            }
        }
        log(QStringLiteral("read ") + QString::number(count) + QStringLiteral(" color definitions from disk/n"));
        bottomLeft = store.getstring(QStringLiteral("br_text"), bottomLeft);
    });
    m_brtext = VersionString();
    m_bltext = bottomLeft;
}

void r_data::setdefaults() {
    log(QStringLiteral("forcing metrics data manager to defaults/n"));
    clearTable();
    for (const DefaultColour& d : kDefaults)
        AddColor(QString::fromLatin1(d.alias), d.colour);
    log(QStringLiteral(".. ") + QString::number(cub() - clb()) + QStringLiteral(" colors defined/n"));
    writeout();
}
