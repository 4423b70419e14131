#pragma once
// Progress files (".qrs"): a snapshot of the whole deck, every card with its texts, chapter
// title, trouble flag and view count, so that a study run can be resumed later without the
// chapter files.
//
// Layout (little-endian, no header beyond the count): N as a 16-bit signed number (the deck's
// upper index), then N + 1 records, slot 0 first, the spare slot last. A record is question,
// answer, tag, reserved (each a 16-bit unsigned byte length and that many bytes of text),
// trouble (16-bit, -1 or 0), timesviewed (16-bit) and chaptertitle (as the texts). The texts
// are Windows-1252, unless the 7 bytes 05 00 "UTF-8" follow the spare record and end the
// file: then every text is UTF-8. The writer adds them only when some text needs it.
#include "deck.h"

#include <QString>
#include <QVector>

class QIODevice;
class QObject;

// The longest text a record can hold: its length is a 16-bit unsigned number.
constexpr int kMaxProgressText = 65535;
// The largest card count a file may give: the deck holds at most kMaxDeckSlots slots.
constexpr int kMaxProgressCount = kMaxDeckSlots - 1;

struct ProgressData {
    qint16 n = 0;        // the card count the file gives (its deck's upper index)
    int recordsRead = 0; // records filled, N + 1 after a successful read (missing ones count as read)
    QVector<Card> cards; // slots 0 to N, the spare last
    bool cut = false;    // the file ended inside a field
    int wholeCards = 0;  // cards read to their last field (N for a complete file)
};

// Writes the deck `d` (slots 0 to upper index, the spare included). Every text is checked
// against the 16-bit length limit before the first byte goes out, so a refused deck leaves
// `out` untouched. False with a readable reason in `error` on any failure.
bool writeProgress(QIODevice& out, const QVector<Card>& d, QString* error);

// Reads a progress file from untrusted bytes. A file that ends early reads the missing fields
// as empty texts and zero numbers, so its missing records become empty cards; when it ends
// inside a field (a text whose length runs past the end, half a number) that field and
// everything after it read as empty too, `cut` is set and `wholeCards` tells how many cards
// came whole. An error is only a count below 0 or above kMaxProgressCount, or a read error.
// Bytes after the last record are ignored. Allocation stays bounded: at most kMaxDeckSlots
// cards, and a read buffer of one block plus at most one text.
bool readProgress(QIODevice& in, ProgressData& out, QString* error);

// The "Save Progress" command: asks for a file and writes the deck to it, whole or not at all.
void SaveProgress(QObject* owner);
// The "Load Saved" command: asks for a file and replaces the deck by its contents. The file
// is read and checked completely before the deck is emptied, so a bad file leaves the deck
// as it was; a file that ends inside a record is loaded and the user is told how many cards
// came whole. True when the deck has been replaced. `curcard` is left to the caller.
bool LoadProgress(QObject* owner);
