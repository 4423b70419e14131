#pragma once
// KVTML files as chapters: which texts of a KVTML document become the cards (two of its
// identifiers, some or all of its lessons), the title and file name of one chapter per
// lesson, and the KVTML document that holds a chapter. Shared by the window and the command
// line. No windows here.
#include "chapterfile.h"
#include "kvtml.h"
#include "wordlistreader.h"

namespace qredit {

struct KvtmlChoice {
    QString frontId; // identifier ids
    QString backId;
    QVector<int> lessons; // indices into the document's lessons
    bool entriesInNoLesson = true;
};

// The first two identifiers (the second empty when there is one), every lesson and the
// entries that no lesson names: the whole file.
KvtmlChoice defaultKvtmlChoice(const kvtml::Document& doc);
// Whether the choice takes every entry of the file.
bool takesAll(const kvtml::Document& doc, const KvtmlChoice& choice);

// The cards of the chosen entries in file order, as rows for planImport: the row's line is
// the line its entry starts on; an entry without a text for the front gives a row with an
// empty front (a problem), one without a back a card with an empty back; an entry without
// either is no row.
wordlist::WordTable kvtmlTable(const kvtml::Document& doc, const KvtmlChoice& choice);

// "Lesson 1", or "Unit 2 – Lesson 1" for a lesson inside another, cut so that it fits a
// chapter's title in the encoding its cards need.
QString lessonTitle(const kvtml::Lesson& lesson, const QVector<CardRow>& rows = {});
// A file name for the chapter of each lesson: its title with the characters a file name
// can't hold replaced, different for every lesson ("Lesson 1.qex", "Lesson 1 (2).qex").
QStringList lessonFileNames(const QVector<kvtml::Lesson>& lessons);

// A chapter as KVTML: two identifiers (the front "0", the back "1", named and with locales
// as given), one entry per card, one lesson named after the title holding them all.
kvtml::Document chapterDocument(const QVector<CardRow>& rows, const QString& title,
                                const kvtml::Identifier& front = {QStringLiteral("0"), QStringLiteral("Front"), {}},
                                const kvtml::Identifier& back = {QStringLiteral("1"), QStringLiteral("Back"), {}});

// "0 English, 1 German": the identifiers, for a message about --front and --back.
QString identifierList(const kvtml::Document& doc);

} // namespace qredit

namespace qredit {
// Keeps the identifiers' locales as the front and back languages of the chapter saved at
// `chapterPath`, in the review history at `historyPath`; nothing when both are empty. An
// empty text when it went through, else why not.
QString storeChapterLanguages(const QString& historyPath, const QString& chapterPath, const QVector<CardRow>& rows,
                              const QString& title, const QString& frontLocale, const QString& backLocale);
} // namespace qredit
