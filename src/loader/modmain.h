#pragma once
// Start-up and shutdown of the study program and the small program-wide services they use.
#include <QString>

#include "version.h"
#include "windowplaces.h"

class QWidget;

void Main();
void LoadSystem(bool firststart);
void ShutdownSystem(int code, bool keepmain);
void NewSession();
// A logout, `kill` or Ctrl+C ends the program as Exit does, so the session's settings and
// window places are kept.
void EndOnTerminationSignals();
void SetHomeFolder();
// The home folder SetHomeFolder() uses ("Quarnel" in the documents folder), without creating it.
QString homeFolderPath();
// Writes the updater file "qr2.upd" into the program folder, unless that folder is one the
// package manager keeps (under /usr, but not /usr/local): a file written there would stay
// behind, owned by no package, once the package is removed.
void WriteUpdaterFile();
// Whether `folder` is a system folder that the package manager fills and updates.
bool isPackageManagedFolder(const QString& folder);
// Removes the copies a save left beside the program's own files when the program was killed
// between naming the new file and renaming it into place ("sys.qex.aB3xY9", "run.qrs.Q1w2E3",
// "qr2.upd.zZ9yY8"): only in the home folder and the program folder, only names of that
// pattern whose file still sits beside them (else the copy is the only one and stays).
void RemoveLeftoverCopies();
QString RunModeName();
qint32 GetOSVersion(qint32& major, qint32& minor, qint32& build);
bool FileExists(const QString& path);
void Pause(qint32 ms, bool fine);
void RequestDatabaseReset();

// The program folder (where qr2, qredit and the sample chapters are) and the master
// database's path.
QString programFolder();
QString masterPath();
// Reads and writes the alpha options ("alpha_level", "alpha_effects") of the master database.
void ReadAlphaOptions();
void WriteAlphaOptions();
// Reads and writes the study options ("card_direction", "type_answers", "forgive_accents",
// "right_clears_trouble", "round_summary", and for the review of due cards "review_retention",
// "review_new_per_day", "review_day_start", "review_fuzz"; tag "options"). A key is written only when it is
// in the file already or its value is not the default, so a file of someone who never
// changed them is saved exactly as before.
void ReadStudyOptions();
void WriteStudyOptions();
