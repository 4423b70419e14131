#pragma once
// Reads a word list: a comma-, semicolon- or tab-separated text file with one card per row.
// Quoting is that of RFC 4180 (a quoted text may hold delimiters, doubled quotes and line
// breaks; a line break inside a text becomes a space, since a card is one line). The text
// is UTF-8 (with or without a byte-order mark) or UTF-16 with a byte-order mark; a file
// that is not valid UTF-8 is read as Windows-1252. The delimiter and a header row are
// detected unless given.
//
// The input is untrusted and may be large: it is read in blocks, at most `maxRows` rows are
// kept (the others are only counted), each kept text at most kMaxKeptBytes, and a single
// text longer than kMaxTextBytes stops the reading. Binary input (a NUL byte, or many
// control characters) and a quote that is never closed refuse the whole file.
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QVector>

namespace wordlist {

enum class Encoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Windows1252 };
enum class Header { Detect, Yes, No };

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
    int frontColumn = 0; // 0-based
    int backColumn = 1;
    int maxRows = 32767; // data rows kept in `rows`
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
    int columns = 0; // the widest row seen, at most kMaxColumns
    // The first rows of the file (the header row included) with all their columns.
    QVector<QStringList> sample;
    QVector<qint64> sampleLines;
    // The rows that give a card (front or back not empty), header excluded, in file order.
    QVector<WordRow> rows;
    qint64 dataRows = 0; // all such rows in the file; more than rows.size() when cut at maxRows
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
    static QString encodingName(Encoding e);
};

} // namespace wordlist
