#pragma once
// The two informational switches both programs answer before any window exists.
#include <QString>
#include <QStringList>
#include <cstdio>

// Looks for "--help" or "--version" among the program's arguments (args[0] is the program
// itself and is not looked at). Prints the usage text or the version text, each followed
// by a line end, to standard output and returns true: the caller then exits with 0
// without creating the application object's windows. When both are given, the first wins.
// Returns false, printing nothing, when neither is there.
bool handleInfoOptions(const QStringList& args, const QString& usage, const QString& versionText);
// The same, printing to `out`.
bool handleInfoOptions(const QStringList& args, const QString& usage, const QString& versionText, FILE* out);

// What "--version" prints: the program's own version line, then the licence the programs
// are given under.
QString versionTextWithLicence(const QString& versionLine);

// The arguments of main() as strings; usable before the application object exists.
QStringList argumentsOf(int argc, char** argv);
