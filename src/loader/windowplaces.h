#pragma once
// Where the study program's windows open and how they sit: their stored places in the master
// database (in twips from the screen's corner), topmost, and the close box taken away.
class QWidget;

void RestoreWindowPosition(QWidget* window);
// Stores where the window is, in twips from the screen's corner. Where the windowing system
// does not tell a program where its windows are (Wayland), the stored position is kept.
void SaveWindowPosition(QWidget* window, bool savenow);
// Whether this windowing platform lets a program read and set its windows' positions.
bool windowPositionsKnown();
// As RestoreWindowPosition; a window without a stored position opens beside `anchor` (to its
// right, else to its left) when the screen has room there, so that it doesn't cover it.
void RestoreWindowPositionBeside(QWidget* window, QWidget* anchor);
// Shows the window in front of the others, with the keyboard focus.
void BringToFront(QWidget* window);
void MakeTopmost(QWidget* window);
void MakeNotTopmost(QWidget* window);
// Takes the close box away where the window manager honours the hint, and refuses a close
// request where it does not.
void RemoveCloseCommand(QWidget* window);
// Pixels to twips and back, through the screen's logical DPI.
int twipsPerPixelX();
int twipsPerPixelY();
