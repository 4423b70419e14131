#include "wordlistreader.h"

#include "fieldsplitter.h"
#include "filetext.h"
#include "htmltext.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace wordlist {

namespace {

constexpr qint64 kBlock = 64 * 1024;
// One text is refused past this many bytes (and so a file with an unclosed quote); a
// quoted text counts its quotes.
constexpr qsizetype kFieldBound = kMaxTextBytes;

// Streaming check of UTF-8 (shortest forms only, no surrogates): counts the well-formed
// sequences of two to four bytes and the ill-formed ones, and notes the lines of the latter
// (lines counted as the reading counts them: CR, LF and CR LF each end one).
class Utf8Check {
public:
    static constexpr int kLinesKept = 20;

    void feed(const char* data, qsizetype n) {
        const auto* s = reinterpret_cast<const unsigned char*>(data);
        for (qsizetype i = 0; i < n; ++i) {
            const unsigned c = s[i];
            if (m_need > 0) {
                if (c >= m_lower && c <= m_upper) {
                    m_lower = 0x80;
                    m_upper = 0xBF;
                    if (--m_need == 0)
                        ++m_good;
                    continue;
                }
                // The sequence ends short; this byte starts anew.
                m_need = 0;
                bad();
            }
            if (c < 0x80) {
                if (c == '\r' || (c == '\n' && !m_lastCR))
                    ++m_line;
                m_lastCR = c == '\r';
                continue;
            }
            m_lastCR = false;
            m_lower = 0x80;
            m_upper = 0xBF;
            if (c >= 0xC2 && c <= 0xDF) {
                m_need = 1;
            } else if (c >= 0xE0 && c <= 0xEF) {
                m_need = 2;
                if (c == 0xE0)
                    m_lower = 0xA0;
                if (c == 0xED)
                    m_upper = 0x9F;
            } else if (c >= 0xF0 && c <= 0xF4) {
                m_need = 3;
                if (c == 0xF0)
                    m_lower = 0x90;
                if (c == 0xF4)
                    m_upper = 0x8F;
            } else {
                bad();
            }
        }
    }
    // A sequence cut by the end of the text is ill-formed.
    void finish() {
        if (m_need > 0) {
            m_need = 0;
            bad();
        }
    }
    bool valid() const { return m_bad == 0 && m_need == 0; }
    // UTF-8 with a few slips: at least two well-formed sequences for each ill-formed one. A
    // Windows-1252 file has hardly any well-formed ones (a letter from C2..DF followed by
    // one from 80..BF, like "Ã©", is rare in real words), but one ill-formed sequence per
    // letter outside ASCII.
    bool mostlyValid() const { return m_good >= 2 * m_bad; }
    const QVector<qint64>& badLines() const { return m_badLines; }
    qint64 badLineCount() const { return m_badLineCount; }

private:
    void bad() {
        ++m_bad;
        if (m_line == m_lastBadLine)
            return;
        m_lastBadLine = m_line;
        ++m_badLineCount;
        if (m_badLines.size() < kLinesKept)
            m_badLines.append(m_line);
    }

    int m_need = 0;
    unsigned m_lower = 0x80;
    unsigned m_upper = 0xBF;
    qint64 m_good = 0;
    qint64 m_bad = 0;
    qint64 m_line = 1;
    bool m_lastCR = false;
    qint64 m_lastBadLine = 0;
    qint64 m_badLineCount = 0;
    QVector<qint64> m_badLines;
};

// A line break inside a quoted text becomes one space; spaces around a text go.
void cleanText(QByteArray& t) {
    if (t.contains('\n') || t.contains('\r')) {
        QByteArray out;
        out.reserve(t.size());
        for (qsizetype i = 0; i < t.size(); ++i) {
            const char c = t.at(i);
            if (c == '\r' && i + 1 < t.size() && t.at(i + 1) == '\n')
                continue;
            out.append(c == '\r' || c == '\n' ? ' ' : c);
        }
        t = std::move(out);
    }
    qsizetype from = 0, to = t.size();
    while (from < to && t.at(from) == ' ')
        ++from;
    while (to > from && t.at(to - 1) == ' ')
        --to;
    if (from > 0 || to < t.size())
        t = t.mid(from, to - from);
}

// Field counts per row of the first rows, for guessing the delimiter.
QVector<int> fieldCounts(const QByteArray& head, char delimiter, bool complete) {
    struct Counts : FieldSplitter::Sink {
        QVector<int> rows;
        int fields = 0;
        bool any = false;
        void field(const QByteArray& text) override {
            ++fields;
            for (qsizetype i = 0; i < text.size() && !any; ++i)
                any = text.at(i) != ' ';
        }
        void rowEnd() override {
            if (any && rows.size() < 100)
                rows.append(fields);
            fields = 0;
            any = false;
        }
    } c;
    FieldSplitter split(delimiter, kFieldBound);
    split.feed(head.constData(), head.size(), c);
    // A row cut by the end of the head is not counted.
    if (complete)
        split.finish(c);
    return c.rows;
}

char detectDelimiter(const QByteArray& head, bool complete, char fallback) {
    // Candidates in order of preference when they score alike: the one the file name
    // suggests, then the ones that rarely appear inside a word.
    std::array<char, 4> order = {fallback, '\t', ';', ','};
    char best = 0;
    qsizetype bestScore = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        const char d = order[k];
        if (k > 0 && d == fallback)
            continue;
        const QVector<int> counts = fieldCounts(head, d, complete);
        // The usual number of columns among rows of two or more; a delimiter wins by how
        // many rows have that number.
        QVector<int> sorted;
        for (int c : counts)
            if (c >= 2)
                sorted.append(c);
        std::sort(sorted.begin(), sorted.end());
        int mode = 0;
        qsizetype modeRun = 0;
        for (qsizetype i = 0; i < sorted.size();) {
            qsizetype j = i;
            while (j < sorted.size() && sorted[j] == sorted[i])
                ++j;
            if (j - i > modeRun) {
                modeRun = j - i;
                mode = sorted[i];
            }
            i = j;
        }
        const qsizetype score = mode >= 2 ? modeRun : 0;
        if (score > bestScore) {
            bestScore = score;
            best = d;
        }
    }
    return best ? best : fallback;
}

QString trimmed(const QString& t) {
    qsizetype from = 0, to = t.size();
    while (from < to && t.at(from) == u' ')
        ++from;
    while (to > from && t.at(to - 1) == u' ')
        --to;
    return (from == 0 && to == t.size()) ? t : t.mid(from, to - from);
}

QString decodeText(const QByteArray& raw, bool utf8) {
    if (!utf8)
        return FileText::decode(raw, TextEncoding::Windows1252);
    // A zero-width no-break space (a byte-order mark inside the text, where files were
    // joined) is invisible and would only make two equal words differ.
    // (fromUtf8 drops one at the start by itself.)
    QString t = QString::fromUtf8(raw);
    if (raw.contains("\xEF\xBB\xBF"))
        t = trimmed(t.remove(QChar(0xFEFF)));
    return t;
}

struct RawRow {
    qint64 line;
    QByteArray front;
    QByteArray back;
    bool tooLong;
};

// One pass over the text with a known delimiter.
class Pass : private FieldSplitter::Sink {
public:
    Pass(const ReadOptions& options, char delimiter) : m_opt(options), m_split(delimiter, kFieldBound) {
        m_keepRows = qsizetype(std::max(0, options.maxRows)) + 1; // one more for a header row
        // Rows that bring no new front (a repeated front, an empty one) are kept up to this
        // many rows in all, which bounds the memory of a file that repeats one front forever.
        m_rowBound = 4 * m_keepRows;
    }

    // Feeds one block, split at line ends so that each row knows the line it starts on.
    bool feed(const char* s, qsizetype n) {
        qsizetype i = 0;
        while (i < n) {
            qsizetype j = i;
            while (j < n && s[j] != '\n' && s[j] != '\r')
                ++j;
            const qsizetype end = j < n ? j + 1 : n;
            if (!m_split.rowBegun())
                m_rowStart = m_line;
            if (!m_split.feed(s + i, end - i, *this)) {
                m_failed = true;
                return false;
            }
            if (j < n) {
                if (s[j] == '\r' || !(end - i == 1 && m_lastByte == '\r'))
                    ++m_line;
            }
            m_lastByte = s[end - 1];
            i = end;
        }
        return true;
    }
    // True when the end of the text leaves a quoted text open.
    bool quoteOpen() const { return m_split.quoteOpen(); }
    bool failed() const { return m_failed; }
    qint64 rowStart() const { return m_rowStart; }
    qint64 line() const { return m_line; }
    void startAtLine(qint64 line) { m_line = m_rowStart = line; }
    void finish() { m_split.finish(*this); }

    QVector<QList<QByteArray>> sample;
    QVector<qint64> sampleLines;
    QVector<RawRow> rows;
    qint64 dataRows = 0;
    qint64 firstRowLine = 0;
    int columns = 0;
    qint64 frontsLeftOut = 0;
    qint64 rowsNotRead = 0;
    qint64 firstLineNotRead = 0;

private:
    void field(const QByteArray& text) override {
        const int col = m_col++;
        if (col >= kMaxColumns)
            return;
        QByteArray& t = m_cur[size_t(col)];
        const bool cut = text.size() > kMaxKeptBytes;
        t = cut ? text.left(kMaxKeptBytes) : text;
        cleanText(t);
        m_cut[size_t(col)] = cut;
    }
    void rowEnd() override { endRow(); }

    void endRow() {
        const int n = std::min(m_col, kMaxColumns);
        m_col = 0;
        bool any = false;
        for (int i = 0; i < n && !any; ++i)
            any = !m_cur[size_t(i)].isEmpty();
        if (!any)
            return;
        columns = std::max(columns, n);
        if (firstRowLine == 0)
            firstRowLine = m_rowStart;
        if (sample.size() < m_opt.sampleRows) {
            sample.append(QList<QByteArray>(m_cur.begin(), m_cur.begin() + n));
            sampleLines.append(m_rowStart);
        }
        const int f = m_opt.frontColumn, b = m_opt.backColumn;
        const bool hasFront = f >= 0 && f < n && !m_cur[size_t(f)].isEmpty();
        const bool hasBack = b >= 0 && b < n && !m_cur[size_t(b)].isEmpty();
        if (!hasFront && !hasBack)
            return;
        ++dataRows;
        const QByteArray front = hasFront ? m_cur[size_t(f)] : QByteArray();
        // The limit is on cards, and rows with the same front make one card: a repeated
        // front is kept however many fronts came before it.
        if (hasFront && !m_fronts.contains(front)) {
            if (m_fronts.size() >= m_keepRows) {
                leaveOut(front);
                return;
            }
            m_fronts.insert(front);
        } else if (rows.size() >= m_rowBound) {
            if (rowsNotRead++ == 0)
                firstLineNotRead = m_rowStart;
            return;
        }
        rows.append(RawRow{m_rowStart, front, hasBack ? m_cur[size_t(b)] : QByteArray(),
                           (hasFront && m_cut[size_t(f)]) || (hasBack && m_cut[size_t(b)])});
    }

    // Counts the different fronts left out; past a million of them by row.
    void leaveOut(const QByteArray& front) {
        const size_t h = qHash(front, size_t(0x5bd1e995));
        if (m_leftOut.contains(h))
            return;
        if (m_leftOut.size() < (1 << 20))
            m_leftOut.insert(h);
        ++frontsLeftOut;
    }

    const ReadOptions& m_opt;
    FieldSplitter m_split;
    qsizetype m_keepRows;
    qsizetype m_rowBound;
    QSet<QByteArray> m_fronts;
    QSet<size_t> m_leftOut;
    std::array<QByteArray, kMaxColumns> m_cur;
    std::array<bool, kMaxColumns> m_cut{};
    int m_col = 0;
    qint64 m_line = 1;
    qint64 m_rowStart = 1;
    char m_lastByte = 0;
    bool m_failed = false;
};

qint64 lineOf(const QByteArray& text, qsizetype pos, qint64 firstLine) {
    qint64 line = firstLine;
    for (qsizetype i = 0; i < pos; ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++line;
    return line;
}

// Binary data: any NUL byte, or more than one in a hundred bytes a control character that
// text files don't hold.
bool tooManyControls(const QByteArray& head) {
    qsizetype controls = 0;
    for (const char ch : head) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') || c == 0x7F)
            ++controls;
    }
    return controls > 8 && controls * 100 > head.size();
}

// Turns the bytes of the file into the text the splitter reads: UTF-8 (or Windows-1252 bytes,
// which share the delimiters, quotes and line ends), without a byte-order mark.
class Source {
public:
    Source(QIODevice& in, Charset charset) : m_in(in), m_charset(charset) {}

    // The first block decides the encoding, unless it is given.
    bool start() {
        QByteArray first = readBlock();
        if (m_error)
            return false;
        const bool anyUtf8 = m_charset == Charset::Detect || m_charset == Charset::Utf8;
        const bool anyUtf16 = m_charset == Charset::Detect || m_charset == Charset::Utf16;
        bool littleEndian = true;
        if (anyUtf8 && first.startsWith("\xEF\xBB\xBF")) {
            encoding = Encoding::Utf8Bom;
            first.remove(0, 3);
        } else if (anyUtf16 && first.startsWith("\xFF\xFE")) {
            first.remove(0, 2);
            useUtf16(true);
        } else if (anyUtf16 && first.startsWith("\xFE\xFF")) {
            first.remove(0, 2);
            useUtf16(false);
        } else if (m_charset == Charset::Utf16) {
            useUtf16(moreNulsInOddBytes(first));
        } else if (m_charset == Charset::Detect && utf16WithoutMark(first, littleEndian)) {
            useUtf16(littleEndian);
        } else {
            encoding = m_charset == Charset::Windows1252 ? Encoding::Windows1252 : Encoding::Utf8;
        }
        m_pending = convert(first);
        return true;
    }
    // The next block of text; empty at the end.
    QByteArray next() {
        if (!m_pending.isEmpty())
            return std::exchange(m_pending, QByteArray());
        while (!m_in.atEnd() && !m_error) {
            QByteArray b = convert(readBlock());
            if (!b.isEmpty())
                return b;
        }
        return {};
    }
    // The first block of text, without taking it.
    const QByteArray& peek() const { return m_pending; }
    // Drops the first bytes of the first block.
    void skip(qsizetype n) { m_pending.remove(0, n); }
    bool atEnd() const { return m_in.atEnd(); }
    bool error() const { return m_error; }
    QString errorString() const { return m_in.errorString(); }
    Encoding encoding = Encoding::Utf8;

private:
    QByteArray readBlock() {
        QByteArray b = m_in.read(kBlock);
        if (b.isEmpty() && !m_in.atEnd())
            m_error = true;
        return b;
    }
    QByteArray convert(const QByteArray& b) {
        if (encoding != Encoding::Utf16LE && encoding != Encoding::Utf16BE)
            return b;
        return QString(m_decoder.decode(b)).toUtf8();
    }

    void useUtf16(bool littleEndian) {
        encoding = littleEndian ? Encoding::Utf16LE : Encoding::Utf16BE;
        m_decoder = QStringDecoder(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
    }
    // UTF-16 text in a script of Latin letters has a NUL in every other byte, and any text
    // one at least in its delimiters and line breaks: in the second byte of a unit when it is
    // little-endian, in the first when big-endian.
    static bool moreNulsInOddBytes(const QByteArray& b) {
        qsizetype even = 0, odd = 0;
        for (qsizetype i = 0; i + 1 < b.size(); i += 2) {
            even += b[i] == '\0';
            odd += b[i + 1] == '\0';
        }
        return odd >= even;
    }
    // UTF-16 without a byte-order mark: NULs in one half of the units only, in at least one
    // unit in eight, and read so it is text with a delimiter or a line break and no control
    // characters. Binary data has NULs in both halves.
    static bool utf16WithoutMark(const QByteArray& b, bool& littleEndian) {
        littleEndian = moreNulsInOddBytes(b);
        const qsizetype units = b.size() / 2;
        qsizetype zeros = 0;
        for (qsizetype i = littleEndian ? 1 : 0; i < units * 2; i += 2)
            zeros += b[i] == '\0';
        for (qsizetype i = littleEndian ? 0 : 1; i < units * 2; i += 2)
            if (b[i] == '\0')
                return false;
        if (zeros == 0 || zeros * 8 < units)
            return false;
        QStringDecoder d(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        const QString text = d.decode(QByteArrayView(b.constData(), units * 2));
        if (d.hasError())
            return false;
        bool separated = false;
        for (const QChar ch : text) {
            const char16_t c = ch.unicode();
            if (c == u'\n' || c == u'\r' || c == u',' || c == u';' || c == u'\t')
                separated = true;
            else if (c < 0x20 || c == 0x7F)
                return false;
        }
        return separated;
    }

    QIODevice& m_in;
    const Charset m_charset;
    QStringDecoder m_decoder;
    QByteArray m_pending;
    bool m_error = false;
};

const QStringList& headerWords() {
    static const QStringList words = {
        QStringLiteral("front"),        QStringLiteral("back"),        QStringLiteral("front of card"),
        QStringLiteral("back of card"), QStringLiteral("question"),    QStringLiteral("questions"),
        QStringLiteral("answer"),       QStringLiteral("answers"),     QStringLiteral("word"),
        QStringLiteral("words"),        QStringLiteral("term"),        QStringLiteral("terms"),
        QStringLiteral("definition"),   QStringLiteral("definitions"), QStringLiteral("meaning"),
        QStringLiteral("meanings"),     QStringLiteral("translation"), QStringLiteral("translations"),
        QStringLiteral("vocabulary"),   QStringLiteral("phrase"),      QStringLiteral("expression"),
        QStringLiteral("example"),      QStringLiteral("examples"),    QStringLiteral("note"),
        QStringLiteral("notes"),        QStringLiteral("source"),      QStringLiteral("target"),
        QStringLiteral("native"),       QStringLiteral("foreign"),     QStringLiteral("language"),
        QStringLiteral("english"),      QStringLiteral("german"),      QStringLiteral("french"),
        QStringLiteral("spanish"),      QStringLiteral("italian"),     QStringLiteral("portuguese"),
        QStringLiteral("dutch"),        QStringLiteral("russian"),     QStringLiteral("polish"),
        QStringLiteral("turkish"),      QStringLiteral("greek"),       QStringLiteral("latin"),
        QStringLiteral("arabic"),       QStringLiteral("hebrew"),      QStringLiteral("chinese"),
        QStringLiteral("japanese"),     QStringLiteral("korean"),      QStringLiteral("deutsch"),
        QStringLiteral("englisch"),     QStringLiteral("wort"),        QStringLiteral("frage"),
        QStringLiteral("antwort"),      QStringLiteral("bedeutung"),   QStringLiteral("\u00FCbersetzung"),
    };
    return words;
}

bool isNumber(const QString& t) {
    bool ok = false;
    t.toDouble(&ok);
    return ok;
}

} // namespace

bool WordListReader::looksLikeHeader(const QVector<QStringList>& sample) {
    if (sample.isEmpty())
        return false;
    const QStringList& first = sample.first();
    int named = 0;
    bool allNamed = true;
    for (QString t : first) {
        t = t.trimmed().toLower();
        if (t.endsWith(u':'))
            t.chop(1);
        if (t.isEmpty())
            continue;
        if (headerWords().contains(t))
            ++named;
        else
            allNamed = false;
    }
    if (named > 0 && allNamed)
        return true;
    // A column of numbers under a name, the row's other texts being column names too: a
    // card's word over numbers below it ("eins", "one" over "zwei", "2") is no header.
    if (sample.size() < 3)
        return false;
    for (qsizetype c = 0; c < first.size(); ++c) {
        if (first[c].isEmpty() || isNumber(first[c]))
            continue;
        bool numbers = true;
        for (qsizetype r = 1; r < sample.size() && numbers; ++r)
            numbers = c < sample[r].size() && isNumber(sample[r][c]);
        if (!numbers)
            continue;
        bool othersNamed = true;
        for (qsizetype o = 0; o < first.size() && othersNamed; ++o) {
            QString t = first[o].trimmed().toLower();
            if (t.endsWith(u':'))
                t.chop(1);
            othersNamed = o == c || t.isEmpty() || headerWords().contains(t);
        }
        if (othersNamed)
            return true;
    }
    return false;
}

QString WordListReader::headerNote(const WordTable& table) {
    return table.headerLine > 0 ? QStringLiteral("line %1 taken as the column names").arg(table.headerLine) : QString();
}

char WordListReader::delimiterForName(const QString& path) {
    return path.endsWith(QStringLiteral(".tsv"), Qt::CaseInsensitive) ? '\t' : ',';
}

QString WordListReader::encodingName(Encoding e) {
    switch (e) {
    case Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case Encoding::Utf8Bom:
        return QStringLiteral("UTF-8 with byte-order mark");
    case Encoding::Utf16LE:
        return QStringLiteral("UTF-16 (little-endian)");
    case Encoding::Utf16BE:
        return QStringLiteral("UTF-16 (big-endian)");
    case Encoding::Windows1252:
        return QStringLiteral("Windows-1252");
    }
    return {};
}

WordTable WordListReader::read(QIODevice& in, const ReadOptions& options) {
    WordTable table;
    auto refuse = [&table](const QString& why, qint64 line = 0) {
        WordTable t;
        t.error = why;
        t.errorLine = line;
        table = std::move(t);
        return table;
    };
    Source source(in, options.charset);
    if (!source.start())
        return refuse(source.errorString());
    const QByteArray& head = source.peek();
    if (tooManyControls(head))
        return refuse(QStringLiteral("it holds binary data, not text"));

    // Settings lines of another program's export: read, then passed over.
    const ExportHeader settings = readExportHeader(head, source.atEnd());
    ReadOptions opt = options;
    if (settings.present() && opt.frontColumn == 0 && opt.backColumn == 1)
        settings.defaultColumns(opt.frontColumn, opt.backColumn);
    char delimiter = options.delimiter;
    if (delimiter != ',' && delimiter != ';' && delimiter != '\t' && delimiter != '|' && delimiter != ' ')
        delimiter = settings.separator;
    if (delimiter != ',' && delimiter != ';' && delimiter != '\t' && delimiter != '|' && delimiter != ' ')
        delimiter = detectDelimiter(head.mid(settings.bytes), source.atEnd(), options.fallbackDelimiter);

    Pass pass(opt, delimiter);
    Utf8Check utf8;
    if (settings.present()) {
        if (source.encoding == Encoding::Utf8 || source.encoding == Encoding::Utf8Bom)
            utf8.feed(head.constData(), settings.bytes);
        source.skip(settings.bytes);
        pass.startAtLine(settings.lines + 1);
    }
    const bool checkUtf8 = source.encoding == Encoding::Utf8 || source.encoding == Encoding::Utf8Bom;
    auto quoteError = [&pass, &refuse] {
        return refuse(QStringLiteral("the quote that opens on line %1 is never closed").arg(pass.rowStart()),
                      pass.rowStart());
    };
    for (QByteArray block = source.next(); !block.isEmpty(); block = source.next()) {
        const qsizetype nul = block.indexOf('\0');
        if (nul >= 0)
            return refuse(QStringLiteral("it holds binary data (a NUL byte on line %1), not text")
                              .arg(lineOf(block, nul, pass.line())),
                          lineOf(block, nul, pass.line()));
        if (checkUtf8)
            utf8.feed(block.constData(), block.size());
        if (!pass.feed(block.constData(), block.size())) {
            if (pass.quoteOpen())
                return quoteError();
            return refuse(
                QStringLiteral("line %1 holds a text longer than %2 MB").arg(pass.rowStart()).arg(kMaxTextBytes >> 20),
                pass.rowStart());
        }
    }
    if (source.error())
        return refuse(source.errorString());
    if (pass.quoteOpen())
        return quoteError();
    pass.finish();
    utf8.finish();

    // Only a file whose encoding was neither marked nor chosen falls back to Windows-1252.
    if (checkUtf8 && !utf8.valid() && source.encoding == Encoding::Utf8 && options.charset == Charset::Detect &&
        !utf8.mostlyValid()) {
        table.encoding = Encoding::Windows1252;
    } else {
        table.encoding = source.encoding;
        if (checkUtf8) {
            table.badUtf8Lines = utf8.badLines();
            table.badUtf8LineCount = utf8.badLineCount();
        }
    }
    const bool isUtf8 = table.encoding != Encoding::Windows1252;
    table.exportHeader = settings;
    table.frontColumn = opt.frontColumn;
    table.backColumn = opt.backColumn;
    // The fields of an HTML export become the text a card shows.
    auto text = [&](const QByteArray& raw) {
        QString t = decodeText(raw, isUtf8);
        if (!settings.html)
            return t;
        HtmlText h = htmlToText(t);
        table.soundsRemoved += h.sounds;
        table.imagesRemoved += h.images;
        return std::move(h.text);
    };
    table.delimiter = delimiter;
    table.columns = pass.columns;
    for (const QList<QByteArray>& raw : pass.sample) {
        QStringList texts;
        texts.reserve(raw.size());
        for (const QByteArray& t : raw)
            texts.append(settings.html ? htmlToText(decodeText(t, isUtf8)).text : decodeText(t, isUtf8));
        table.sample.append(texts);
    }
    table.sampleLines = pass.sampleLines;
    // An export with settings lines names its columns there, never in a row.
    table.header = options.header == Header::Yes ||
                   (options.header == Header::Detect && !settings.present() && looksLikeHeader(table.sample));
    qsizetype skip = 0;
    table.dataRows = pass.dataRows;
    if (table.header && !pass.rows.isEmpty() && pass.rows.first().line == pass.firstRowLine) {
        skip = 1;
        --table.dataRows;
    }
    if (table.header)
        table.headerLine = pass.firstRowLine;
    // The reading kept one front more than asked, for a header row; without one, the rows of
    // the last front are left out here.
    const qsizetype maxFronts = std::max(0, options.maxRows);
    QSet<QByteArray> fronts, leftOut;
    table.rows.reserve(pass.rows.size() - skip);
    for (qsizetype i = skip; i < pass.rows.size(); ++i) {
        const RawRow& r = pass.rows[i];
        if (!r.front.isEmpty() && !fronts.contains(r.front)) {
            if (fronts.size() >= maxFronts) {
                if (!leftOut.contains(r.front)) {
                    leftOut.insert(r.front);
                    ++table.frontsLeftOut;
                }
                continue;
            }
            fronts.insert(r.front);
        }
        WordRow row{r.line, text(r.front), text(r.back), r.tooLong};
        if (row.front.isEmpty() && row.back.isEmpty())
            --table.dataRows;
        else
            table.rows.append(std::move(row));
    }
    table.frontsLeftOut += pass.frontsLeftOut;
    table.rowsNotRead = pass.rowsNotRead;
    table.firstLineNotRead = pass.firstLineNotRead;
    return table;
}

QString WordListReader::badUtf8Note(const WordTable& table) {
    if (table.badUtf8LineCount == 0)
        return {};
    QStringList lines;
    for (const qint64 l : table.badUtf8Lines)
        lines << QString::number(l);
    const qint64 more = table.badUtf8LineCount - lines.size();
    QString where;
    if (more > 0)
        where = lines.join(QStringLiteral(", ")) + QStringLiteral(" and %1 more").arg(more);
    else if (lines.size() > 1)
        where = lines.mid(0, lines.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + lines.last();
    else
        where = lines.value(0);
    const bool one = table.badUtf8LineCount == 1;
    return QStringLiteral("%1 %2 %3 bytes that are not UTF-8 (read as \uFFFD)")
        .arg(one ? QStringLiteral("line") : QStringLiteral("lines"), where,
             one ? QStringLiteral("holds") : QStringLiteral("hold"));
}

WordTable WordListReader::readFile(const QString& path, const ReadOptions& options) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        WordTable t;
        t.error = f.errorString();
        return t;
    }
    return read(f, options);
}

} // namespace wordlist
