#pragma once
// The statistics export: the whole deck as a plain-text table (question, answer, trouble
// flag, view count, chapter) for the user to read; the program never reads it back.
#include "deck.h"

#include <QDateTime>
#include <QStringList>
#include <QVector>

class QObject;

// The lines of the statistics file for the deck `d` (the spare slot at the end gets no line),
// without line ends. `now` stands in the second line, in the user's general date format.
QStringList statisticsLines(const QVector<Card>& d, const QDateTime& now);

// `now` in the general date format: short date, a space and the long time (hours, minutes
// and seconds, without a time zone); the time is left out at midnight.
QString generalDate(const QDateTime& now);

// The file's bytes: the lines with CR LF after each, in Windows-1252 when every text fits
// it, else in UTF-8 after a byte-order mark.
QByteArray statisticsBytes(const QVector<Card>& d, const QDateTime& now);

// Writes statisticsBytes() of the deck to `fileName`,
// replacing the file whole or leaving it as it was. A failure is shown in a message box with
// the system's reason and gives false; on success the file is opened for the user.
bool WriteStatistics(const QString& fileName, QObject* owner);

// Shows the file in the desktop's default viewer for text files.
void OpenInNotepad(const QString& fileName, QObject* owner);

// The "Export Cards" command: asks for a file name and writes the statistics there.
void ExportCardsCommand(QObject* owner);
