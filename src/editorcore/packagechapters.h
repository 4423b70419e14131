#pragma once
// The chapters made from a package of another flash-card program: one chapter file per
// deck, in a folder, each titled by its deck, and the package's reviews of their cards in the
// review history. No windows here.
#include "collection.h"

#include <QString>
#include <QStringList>

namespace qredit {

struct PackageChapterFile {
    QString path;
    QString title;
    int cards = 0;
};

struct PackageWriteResult {
    QString error; // nothing was written when this is set
    QVector<PackageChapterFile> written;
    qint64 tooLong = 0;  // cards left out because they don't fit a chapter's record
    qint64 overflow = 0; // cards past the most a chapter holds
    qint64 reviewsAdded = 0;
    QString historyProblem; // the chapters were written, but their reviews could not be kept
    bool ok() const { return error.isEmpty(); }
};

// A chapter's file name for a deck title: characters no file name should hold become '_'.
QString chapterFileName(const QString& title);

// Writes the chapters of `result` into `folder` as NAME.qex. Nothing is written when a file of
// that name exists or a chapter can't be made; each file is replaced whole or not at all.
// Then the reviews of the cards written go into the history at `historyPath` (none when empty),
// with the source "import".
PackageWriteResult writePackageChapters(const package::ImportResult& result, const QString& folder,
                                        const QString& historyPath);

// One message for the user: what was written, and everything left out or changed (the
// package's counts and the chapters' own); the history's problem on a line of its own.
QString packageImportReport(const package::ImportResult& result, const PackageWriteResult& written);

} // namespace qredit
