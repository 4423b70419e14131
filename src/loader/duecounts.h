#pragma once
// "qr2 --due": how many cards of each chapter of the chapter list are due now and how many
// new ones today's review would bring, for scripts and desktop notifications. Reads the
// master database (never writes it) and the review history (never creates it): no window, no
// instance lock.
#include "duereview.h"

#include <QString>
#include <QStringList>
#include <cstdio>

class ivordalite;

struct DueReport {
    QStringList lines; // for standard output: "Lesson 1: 12 due, 5 new" ..., "Total: 30 due, 20 new"
    QString warning;   // one line for standard error, or empty
    int exitCode = 0;
};

// Whether the arguments (args[0] is the program) ask for the due counts; "--" ends the switches.
bool hasDueOption(const QStringList& args);

// The counts for the chapters listed in the master database of the home folder (the one
// AppState names, else homeFolderPath()), with the study day and new-card limit stored there.
// A history that can't be used counts every card as new and says why in `warning`; the exit
// code stays 0. A master database that can't be read gives exit code 1.
DueReport dueReport();

// The chapter files of the master database's list as the chapter window shows them: a file
// that is missing or can't be mounted is left out, a chapter without a title goes by its file
// name.
QVector<review::ChapterFile> listedChapterFiles(const ivordalite& master);

// Prints dueReport() and returns its exit code.
int printDueCounts(FILE* out, FILE* err);
