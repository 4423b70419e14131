#pragma once
// Reads a word list: a comma-, semicolon- or tab-separated text file with one card per row.
// Quoting is that of RFC 4180 as spreadsheets read it (a quoted text may hold delimiters,
// doubled quotes and line breaks; a line break inside a text becomes a space, since a card
// is one line; a quote counts only around a whole field, elsewhere it is a letter). The text
// is UTF-8 (with or without a byte-order mark) or UTF-16 (with a byte-order mark, or without
// one when its NUL bytes show which half of each unit is zero). A file that is UTF-8 but for
// a few ill-formed sequences is read as UTF-8, those sequences as U+FFFD and their lines
// named; one that is mostly not UTF-8 is read as Windows-1252. The delimiter, the encoding
// and a header row are detected unless given.
//
// The input is untrusted and may be large: it is read in blocks, the rows of at most
// `maxRows` different fronts are kept (rows of a front already kept are kept too, up to a
// bound; the others are only counted), each kept text at most kMaxKeptBytes, and a single
// text longer than kMaxTextBytes stops the reading. Binary input (a NUL byte, or many
// control characters) and a quote that is never closed refuse the whole file.
//
// A header row is dropped only when asked, or when its texts are all column names ("Front",
// "German", "Wort" ...), or when it is a name over a column of numbers beside other names;
// `headerLine` then says which line was taken, so that callers can say so.

#include "exportheader.h"

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QVector>

namespace wordlist {

enum class Encoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Windows1252 };
enum class Header { Detect, Yes, No };
// The encoding to read a file in: found from its bytes, or chosen. UTF-16 takes its byte
// order from a byte-order mark, else from where its NUL bytes are.
enum class Charset { Detect, Utf8, Utf16, Windows1252 };

// Columns shown and kept per row; further columns are counted only.
constexpr int kMaxColumns = 16;
// Bytes kept of one text: far more than a card holds, so a longer text is reported as too
// long without being kept whole.
constexpr int kMaxKeptBytes = 1024;
// One text longer than this stops the reading: it is no word list (or a quote is not closed).
constexpr qsizetype kMaxTextBytes = 1 << 20;

struct ReadOptions {
    char delimiter = 0;           // ',', ';' or '\t'; 0 detects it
    char fallbackDelimiter = ','; // taken when detection finds nothing (a list of one column)
    Header header = Header::Detect;
    Charset charset = Charset::Detect;
    int frontColumn = 0; // 0-based
    int backColumn = 1;
    int maxRows = 32767; // different fronts kept in `rows`
    int sampleRows = 20; // first rows kept with all their columns, for a preview
};

struct WordRow {
    qint64 line = 0; // where the row starts, from 1
    QString front;
    QString back;
    bool tooLong = false; // a text was longer than kMaxKeptBytes and is cut short here
};

struct WordTable {
    QString error;        // the file is refused when this is not empty; nothing else is then filled
    qint64 errorLine = 0; // the line the error is about, 0 when none
    Encoding encoding = Encoding::Utf8;
    char delimiter = ',';
    bool header = false;
    qint64 headerLine = 0; // the line taken as the column names (not a card), 0 when none
    int columns = 0; // the widest row seen, at most kMaxColumns
    // The first rows of the file (the header row included) with all their columns.
    QVector<QStringList> sample;
    QVector<qint64> sampleLines;
    // The rows that give a card (front or back not empty), header excluded, in file order.
    QVector<WordRow> rows;
    qint64 dataRows = 0;    // all such rows in the file; more than rows.size() when cut at maxRows
    qint64 frontsLeftOut = 0; // different fronts of the rows left out at maxRows
    // Rows left out although their front is kept (past the bound on kept rows); not cards
    // lost, but answers and problems that are not seen.
    qint64 rowsNotRead = 0;
    qint64 firstLineNotRead = 0;
    // UTF-8 read with ill-formed sequences (each read as U+FFFD): the first of their lines,
    // and how many lines hold one.
    QVector<qint64> badUtf8Lines;
    qint64 badUtf8LineCount = 0;
    // The settings lines of another flash-card program's export (see ExportHeader): they are
    // no rows. When they name meta columns (tags, ids) and the options ask for the first two
    // columns, front and back are the first two columns that are not meta columns.
    ExportHeader exportHeader;
    int frontColumn = 0; // the columns read as front and back
    int backColumn = 1;
    // Media references removed from the fields of an HTML export.
    qint64 soundsRemoved = 0;
    qint64 imagesRemoved = 0;
    bool ok() const { return error.isEmpty(); }
};

class WordListReader {
public:
    static WordTable read(QIODevice& in, const ReadOptions& options = {});
    // Reads a file; an unreadable file gives an error, never an exception.
    static WordTable readFile(const QString& path, const ReadOptions& options = {});
    // The delimiter a file name suggests: tab for ".tsv", comma otherwise.
    static char delimiterForName(const QString& path);
    // Whether a first row of these texts reads as column names rather than a card.
    static bool looksLikeHeader(const QVector<QStringList>& sample);
    // "line 1 taken as the column names" when a row was; empty otherwise.
    static QString headerNote(const WordTable& table);
    static QString encodingName(Encoding e);
    // The lines whose bytes are not UTF-8, for a message: "line 4 holds bytes that are not
    // UTF-8 (read as \uFFFD)"; empty when there are none.
    static QString badUtf8Note(const WordTable& table);
};

} // namespace wordlist
