#pragma once
// The editor's conversions without a window:
//   qredit --import WORDS.csv --output LESSON.qex [--title T] [--front N --back M]
//          [--delimiter ,|;|tab] [--header yes|no] [--limit N]
//   qredit --export LESSON.qex --output WORDS.csv|WORDS.tsv
// The chapter written is the one the window saves from the same rows. Any problem is
// reported on `err` (which rows, and why), nothing is written, and the status is 1.
#include <QStringList>
#include <cstdio>

namespace qredit {

// True when the arguments ask for a conversion rather than the window.
bool isConversion(const QStringList& args);
// Runs the conversion the arguments ask for and returns the exit status.
int runConversion(const QStringList& args, FILE* err);
// The lines of the usage text about conversions.
QString conversionUsage();

} // namespace qredit
