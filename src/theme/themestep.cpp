#include "themestep.h"

#include "cmemdc.h"
#include "frmmain.h"
#include "modrender.h"
#include "qexcheck.h"
#include "qexflatbutton.h"
#include "qexhl.h"
#include "r_data.h"

#include <QMenu>

namespace {
QString css(qint32 c) {
    return QStringLiteral("#%1%2%3")
        .arg(c & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((c >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((c >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
}
} // namespace

ThemeColours themeColours(qint32 A, qint32 B, qint32 T) {
    ThemeColours t{};
    t.A = A;
    t.B = B;
    t.T = T;
    t.G = pvAlphaBlend(A, B, 0.75);
    t.C = pvAlphaBlend(t.G, T, 0.5);
    t.D = pvAlphaBlend(0xFFFFFF, t.C, 0.75);
    t.E = t.G <= T ? pvAlphaBlend(t.G, T, 0.25) : pvAlphaBlend(t.G, T, 0.75);
    t.F = pvAlphaBlend(0xFFFFFF, t.E, 0.75);
    return t;
}

void ApplyTheme(frmMain* w) {
    if (!w)
        w = mainWindow();
    auto d = mainRenderData();
    if (!w || !d)
        return;
    const ThemeColours t = themeColours(d->GetColorByAlias(QStringLiteral("backcolor_a"), 0),
                                        d->GetColorByAlias(QStringLiteral("backcolor_b"), 0xDE5549),
                                        d->GetColorByAlias(QStringLiteral("main_text_forecolor"), 0xFFFFFF));
    for (int i = 1; i <= 8; ++i) {
        qexFlatButton* b = i <= 4 ? w->button(i) : w->gradeButton(i - 4);
        b->setBackcolor(t.A);
        b->setBackcolorMouse(t.B);
        b->setForecolor(t.C);
        b->setForecolorMouse(t.E);
    }
    for (qexCheck* c : {w->Check1(), w->Check2()}) {
        c->setBackcolor(0);
        c->setForecolor(t.D);
        c->setForecolorMouse(t.F);
    }
    // The link reads like the check boxes beside it.
    if (qexHL* link = w->qexHL1()) {
        link->setBackcolor(0);
        link->setForecolor(t.D);
        link->setForecolorMouse(t.F);
    }
    // The menu: background from the darker of the two card colours, the selection from
    // the lighter, text in the card's text colour.
    const qint32 lo = std::min(t.A, t.B), hi = std::max(t.A, t.B);
    w->mP()->setStyleSheet(QStringLiteral("QMenu { background-color: %1; color: %2; border: 1px solid %3; }"
                                          "QMenu::item:selected { background-color: %3; color: %2; }"
                                          "QMenu::separator { height: 1px; background: %3; margin: 3px 6px; }")
                               .arg(css(lo), css(t.T), css(hi)));
}
