#pragma once
// The render module: the program's one render data and renderer (those of the main card
// window), the window that carries the corner-text timers, and the colour mixer.
#include <QtGlobal>
#include <memory>

class QObject;
class r_data;
class r_renderer;

// The main card window; an internal object stands in while there is none.
QObject* renderTimerWindow();
void setRenderTimerWindow(QObject* window);

std::shared_ptr<r_data> mainRenderData();
r_renderer* mainRenderer();
void setMainRenderPair(std::shared_ptr<r_data> data, std::unique_ptr<r_renderer> renderer);
// Stops and releases the main renderer, then lets go of the main render data (which writes
// the colour table when its last holder lets go).
void releaseMainRenderPair();

// weight x colour1 + (1 - weight) x colour2 per red, green and blue byte (COLORREF values).
qint32 pvAlphaBlend(qint32 colour1, qint32 colour2, double weight);
