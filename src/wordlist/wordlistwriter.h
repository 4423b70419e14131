#pragma once
// Writes word lists: the rows of a chapter as UTF-8 CSV (comma, RFC 4180 quoting) or as
// tab-separated text, one row per line, front then back. Both begin with a byte-order mark:
// spreadsheets take a CSV or TSV file without one for the system's 8-bit code page and
// garble every letter outside ASCII. A file's first line names the columns ("Front", "Back"):
// the reader always takes that line for column names, so the first card is read as a card
// whatever its words are ("Wort", "word"). A NUL in a text is written as a space. What is
// written reads back to the same rows.
#include <QPair>
#include <QString>
#include <QVector>

class QIODevice;

namespace wordlist {

enum class Format { Csv, Tsv };
// The names of the columns on a word list's first line.
inline const QString kFrontName = QStringLiteral("Front");
inline const QString kBackName = QStringLiteral("Back");
using TextPair = QPair<QString, QString>;

class WordListWriter {
public:
    // TSV for ".tsv" and ".txt", CSV otherwise.
    static Format formatForName(const QString& path);
    // One line, ended by CR LF; a text is quoted when it holds the delimiter, a quote, a line
    // break, a tab, or starts or ends with a space.
    static QByteArray line(const QString& front, const QString& back, Format format);
    // One field of such a line, quoted by the same rule, for other tables written as CSV.
    static void appendField(QByteArray& out, const QString& text, char delimiter = ',');
    static bool write(QIODevice& out, const QVector<TextPair>& rows, Format format, QString& error);
    // Replaces `path` as a whole or not at all.
    static bool writeFile(const QString& path, const QVector<TextPair>& rows, Format format, QString& error);
    // The clipboard's forms of rows: tab-separated lines, and an HTML table that
    // spreadsheets paste as cells.
    static QString clipboardText(const QVector<TextPair>& rows);
    static QString clipboardHtml(const QVector<TextPair>& rows);
};

} // namespace wordlist
