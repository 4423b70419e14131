#pragma once
// The splash window the study program shows while it starts, and the operations the loader
// uses to show, update and remove it.
#include "cardview.h"

#include <QString>

struct LoaderHooks;

// A frameless window that shows what the splash painter composes for it.
class frmSplash : public CardView {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    static constexpr int kWidth = 440;
    static constexpr int kHeight = 220;
};

// Loads the splash window, shows it (non-modal) and starts painting it.
void ShowSplash();
// Stops the timer and releases the surface; the window stays until it is unloaded.
void StopSplashPainting();
// Stops painting if needed and removes the window.
void UnloadSplash();
// The splash window, nullptr when there is none.
QWidget* splashWindow();
// The status line: stored and painted at once.
void SetSplashStatus(const QString& text);

// Points the loader's splash hooks at the operations above.
void wireSplashHooks(LoaderHooks& hooks);
