#include "wordlistreader.h"

#include "filetext.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <csv.h>

namespace wordlist {

namespace {

constexpr qint64 kBlock = 64 * 1024;
// libcsv's state between rows; a row has begun once it leaves this state.
constexpr int kRowNotBegun = 0;
constexpr int kFieldBegun = 2;

// libcsv grows its buffer for one text without limit; this keeps one text (and so the
// memory of a file with an unclosed quote) bounded.
void* cappedRealloc(void* p, size_t n) {
    return n > size_t(kMaxTextBytes) + 256 ? nullptr : std::realloc(p, n);
}
// With a tab as delimiter a tab must never count as padding to be trimmed away.
int isSpaceOnly(unsigned char c) {
    return c == ' ';
}
int isSpaceOrTab(unsigned char c) {
    return c == ' ' || c == '\t';
}

void initParser(csv_parser& p, char delimiter) {
    csv_init(&p, 0);
    csv_set_delim(&p, static_cast<unsigned char>(delimiter));
    csv_set_space_func(&p, delimiter == '\t' ? isSpaceOnly : isSpaceOrTab);
    csv_set_realloc_func(&p, cappedRealloc);
    csv_set_blk_size(&p, 4096);
}

// Streaming check of UTF-8 (shortest forms only, no surrogates).
class Utf8Check {
public:
    void feed(const char* data, qsizetype n) {
        if (m_bad)
            return;
        const auto* s = reinterpret_cast<const unsigned char*>(data);
        for (qsizetype i = 0; i < n; ++i) {
            const unsigned c = s[i];
            if (m_need == 0) {
                if (c < 0x80)
                    continue;
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
                    m_bad = true;
                    return;
                }
            } else {
                if (c < m_lower || c > m_upper) {
                    m_bad = true;
                    return;
                }
                m_lower = 0x80;
                m_upper = 0xBF;
                --m_need;
            }
        }
    }
    bool valid() const { return !m_bad && m_need == 0; }

private:
    int m_need = 0;
    unsigned m_lower = 0x80;
    unsigned m_upper = 0xBF;
    bool m_bad = false;
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
    struct Counts {
        QVector<int> rows;
        int fields = 0;
        bool any = false;
    } c;
    csv_parser p;
    initParser(p, delimiter);
    auto onField = [](void* s, size_t n, void* d) {
        auto* c = static_cast<Counts*>(d);
        ++c->fields;
        for (size_t i = 0; i < n && !c->any; ++i)
            c->any = static_cast<const char*>(s)[i] != ' ';
    };
    auto onRow = [](int, void* d) {
        auto* c = static_cast<Counts*>(d);
        if (c->any && c->rows.size() < 100)
            c->rows.append(c->fields);
        c->fields = 0;
        c->any = false;
    };
    csv_parse(&p, head.constData(), size_t(head.size()), onField, onRow, &c);
    // A row cut by the end of the head is not counted.
    if (complete)
        csv_fini(&p, onField, onRow, &c);
    csv_free(&p);
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
class Pass {
public:
    Pass(const ReadOptions& options, char delimiter) : m_opt(options) {
        initParser(m_parser, delimiter);
        m_keepRows = qsizetype(std::max(0, options.maxRows)) + 1; // one more for a header row
    }
    ~Pass() { csv_free(&m_parser); }
    Pass(const Pass&) = delete;
    Pass& operator=(const Pass&) = delete;

    // Feeds one block, split at line ends so that each row knows the line it starts on.
    bool feed(const char* s, qsizetype n) {
        qsizetype i = 0;
        while (i < n) {
            qsizetype j = i;
            while (j < n && s[j] != '\n' && s[j] != '\r')
                ++j;
            const qsizetype end = j < n ? j + 1 : n;
            if (m_parser.pstate == kRowNotBegun)
                m_rowStart = m_line;
            if (csv_parse(&m_parser, s + i, size_t(end - i), onField, onRow, this) != size_t(end - i)) {
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
    bool quoteOpen() const { return m_parser.pstate == kFieldBegun && m_parser.quoted; }
    bool failed() const { return m_failed; }
    qint64 rowStart() const { return m_rowStart; }
    qint64 line() const { return m_line; }
    void finish() { csv_fini(&m_parser, onField, onRow, this); }

    QVector<QList<QByteArray>> sample;
    QVector<qint64> sampleLines;
    QVector<RawRow> rows;
    qint64 dataRows = 0;
    qint64 firstRowLine = 0;
    int columns = 0;

private:
    static void onField(void* s, size_t n, void* d) {
        auto* self = static_cast<Pass*>(d);
        const int col = self->m_col++;
        if (col >= kMaxColumns)
            return;
        QByteArray& t = self->m_cur[size_t(col)];
        const bool cut = n > size_t(kMaxKeptBytes);
        t = QByteArray(static_cast<const char*>(s), qsizetype(cut ? size_t(kMaxKeptBytes) : n));
        cleanText(t);
        self->m_cut[size_t(col)] = cut;
    }
    static void onRow(int, void* d) { static_cast<Pass*>(d)->endRow(); }

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
        if (rows.size() < m_keepRows)
            rows.append(RawRow{m_rowStart, hasFront ? m_cur[size_t(f)] : QByteArray(),
                               hasBack ? m_cur[size_t(b)] : QByteArray(),
                               (hasFront && m_cut[size_t(f)]) || (hasBack && m_cut[size_t(b)])});
    }

    const ReadOptions& m_opt;
    csv_parser m_parser;
    qsizetype m_keepRows;
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

// Turns the bytes of the file into the text libcsv reads: UTF-8 (or Windows-1252 bytes,
// which share the delimiters, quotes and line ends), without a byte-order mark.
class Source {
public:
    explicit Source(QIODevice& in) : m_in(in) {}

    // The first block decides the encoding.
    bool start() {
        QByteArray first = readBlock();
        if (m_error)
            return false;
        if (first.startsWith("\xEF\xBB\xBF")) {
            encoding = Encoding::Utf8Bom;
            first.remove(0, 3);
        } else if (first.startsWith("\xFF\xFE")) {
            encoding = Encoding::Utf16LE;
            first.remove(0, 2);
            m_decoder = QStringDecoder(QStringConverter::Utf16LE);
        } else if (first.startsWith("\xFE\xFF")) {
            encoding = Encoding::Utf16BE;
            first.remove(0, 2);
            m_decoder = QStringDecoder(QStringConverter::Utf16BE);
        } else {
            encoding = Encoding::Utf8;
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

    QIODevice& m_in;
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
    // A column of numbers under a name.
    if (sample.size() < 2)
        return false;
    for (qsizetype c = 0; c < first.size(); ++c) {
        if (first[c].isEmpty() || isNumber(first[c]))
            continue;
        bool numbers = true;
        for (qsizetype r = 1; r < sample.size() && numbers; ++r)
            numbers = c < sample[r].size() && isNumber(sample[r][c]);
        if (numbers)
            return true;
    }
    return false;
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
    Source source(in);
    if (!source.start())
        return refuse(source.errorString());
    const QByteArray& head = source.peek();
    if (tooManyControls(head))
        return refuse(QStringLiteral("it holds binary data, not text"));

    char delimiter = options.delimiter;
    if (delimiter != ',' && delimiter != ';' && delimiter != '\t')
        delimiter = detectDelimiter(head, source.atEnd(), options.fallbackDelimiter);

    Pass pass(options, delimiter);
    Utf8Check utf8;
    const bool checkUtf8 = source.encoding == Encoding::Utf8;
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
                return refuse(QStringLiteral("the quote that opens on line %1 is never closed").arg(pass.rowStart()),
                              pass.rowStart());
            return refuse(
                QStringLiteral("line %1 holds a text longer than %2 MB").arg(pass.rowStart()).arg(kMaxTextBytes >> 20),
                pass.rowStart());
        }
    }
    if (source.error())
        return refuse(source.errorString());
    if (pass.quoteOpen())
        return refuse(QStringLiteral("the quote that opens on line %1 is never closed").arg(pass.rowStart()),
                      pass.rowStart());
    pass.finish();

    if (checkUtf8 && !utf8.valid())
        table.encoding = Encoding::Windows1252;
    else
        table.encoding = source.encoding;
    const bool isUtf8 = table.encoding != Encoding::Windows1252;
    table.delimiter = delimiter;
    table.columns = pass.columns;
    for (const QList<QByteArray>& raw : pass.sample) {
        QStringList texts;
        texts.reserve(raw.size());
        for (const QByteArray& t : raw)
            texts.append(decodeText(t, isUtf8));
        table.sample.append(texts);
    }
    table.sampleLines = pass.sampleLines;
    table.header = options.header == Header::Yes || (options.header == Header::Detect && looksLikeHeader(table.sample));
    qsizetype skip = 0;
    table.dataRows = pass.dataRows;
    if (table.header && !pass.rows.isEmpty() && pass.rows.first().line == pass.firstRowLine) {
        skip = 1;
        --table.dataRows;
    }
    const qsizetype keep = std::min(pass.rows.size() - skip, qsizetype(std::max(0, options.maxRows)));
    table.rows.reserve(keep);
    for (qsizetype i = skip; i < skip + keep; ++i) {
        const RawRow& r = pass.rows[i];
        WordRow row{r.line, decodeText(r.front, isUtf8), decodeText(r.back, isUtf8), r.tooLong};
        if (row.front.isEmpty() && row.back.isEmpty())
            --table.dataRows;
        else
            table.rows.append(std::move(row));
    }
    return table;
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
