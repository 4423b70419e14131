#pragma once
// Start-up and shutdown of the study program and the small program-wide services they use.
#include <QString>

#include "version.h"

class QWidget;

void Main();
void LoadSystem(bool firststart);
void ShutdownSystem(int code, bool keepmain);
void NewSession();
// A logout, `kill` or Ctrl+C ends the program as Exit does, so the session's settings and
// window places are kept.
void EndOnTerminationSignals();
void SetHomeFolder();
void WriteUpdaterFile();
QString RunModeName();
qint32 GetOSVersion(qint32& major, qint32& minor, qint32& build);
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
bool FileExists(const QString& path);
void Pause(qint32 ms, bool fine);
void MakeTopmost(QWidget* window);
void MakeNotTopmost(QWidget* window);
void RemoveCloseCommand(QWidget* window);
void RequestDatabaseReset();

// The program folder (where qr2, qredit and the sample chapters are) and the master
// database's path.
QString programFolder();
QString masterPath();
// Reads and writes the alpha options ("alpha_level", "alpha_effects") of the master database.
void ReadAlphaOptions();
void WriteAlphaOptions();
// Reads and writes the study options ("card_direction", "type_answers", "forgive_accents",
// "right_clears_trouble", "round_summary", tag "options"). A key is written only when it is
// in the file already or its value is not the default, so a file of someone who never
// changed them is saved exactly as before.
void ReadStudyOptions();
void WriteStudyOptions();
// Pixels to twips and back, through the screen's logical DPI.
int twipsPerPixelX();
int twipsPerPixelY();
