#include "frmsplash.h"

#include "appstate.h"
#include "splashpainter.h"
#include "windowroles.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace {
QPointer<frmSplash>& current() {
    static QPointer<frmSplash> w;
    return w;
}
} // namespace

frmSplash::frmSplash(QWidget* parent) : CardView(parent) {
    setObjectName(QStringLiteral("frmSplash"));
    installWindowRoles();
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Quarnel 2007"));
    setFixedSize(kWidth, kHeight);
    setFont(QFont(QStringLiteral("Trebuchet MS"), 8));
    setCursor(Qt::BusyCursor);
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void ShowSplash() {
    frmSplash* w = current();
    if (!w) {
        w = new frmSplash;
        current() = w;
    }
    w->show();
    splashPainter().start(w);
}

void StopSplashPainting() {
    splashPainter().stop();
}

void UnloadSplash() {
    if (splashPainter().isPainting())
        splashPainter().stop();
    frmSplash* w = current();
    current() = nullptr;
    if (!w)
        return;
    // The loader's shutdown treats windows marked this way as already gone.
    w->setProperty("quarnelUnloaded", true);
    w->hide();
    w->deleteLater();
}

QWidget* splashWindow() {
    return current().data();
}

void SetSplashStatus(const QString& text) {
    splashPainter().setStatus(text);
}

void wireSplashHooks(LoaderHooks& hooks) {
    hooks.showSplash = [] { ShowSplash(); };
    hooks.stopSplashPainting = [] { StopSplashPainting(); };
    hooks.unloadSplash = [] { UnloadSplash(); };
    hooks.splashWindow = [] { return splashWindow(); };
    hooks.setSplashStatus = [](const QString& text) { SetSplashStatus(text); };
}
