#pragma once
// Colours the main card window's controls and its popup menu from the main render data's
// colour table.
#include <QtGlobal>

class frmMain;

struct ThemeColours {
    qint32 A, B, T, G, C, D, E, F;
};
// The mixed colours for a background pair A/B and text colour T.
ThemeColours themeColours(qint32 A, qint32 B, qint32 T);
// Applies the theme to the main card window (the loaded one when `w` is null).
void ApplyTheme(frmMain* w = nullptr);
