#include "htmltext.h"

#include <QHash>

namespace wordlist {

namespace {

// Named character references that fields of flash cards use: markup characters, spaces and
// dashes, quotes, and the letters of the European languages learners type most.
const QHash<QString, char32_t>& namedEntities() {
    static const QHash<QString, char32_t> names = {
        {QStringLiteral("amp"), U'&'},       {QStringLiteral("lt"), U'<'},         {QStringLiteral("gt"), U'>'},
        {QStringLiteral("quot"), U'"'},      {QStringLiteral("apos"), U'\''},      {QStringLiteral("nbsp"), U' '},
        {QStringLiteral("ensp"), U' '},      {QStringLiteral("emsp"), U' '},       {QStringLiteral("thinsp"), U' '},
        {QStringLiteral("shy"), 0},          {QStringLiteral("zwnj"), 0},          {QStringLiteral("zwj"), 0},
        {QStringLiteral("ndash"), 0x2013},   {QStringLiteral("mdash"), 0x2014},    {QStringLiteral("hellip"), 0x2026},
        {QStringLiteral("lsquo"), 0x2018},   {QStringLiteral("rsquo"), 0x2019},    {QStringLiteral("sbquo"), 0x201A},
        {QStringLiteral("ldquo"), 0x201C},   {QStringLiteral("rdquo"), 0x201D},    {QStringLiteral("bdquo"), 0x201E},
        {QStringLiteral("laquo"), 0xAB},     {QStringLiteral("raquo"), 0xBB},      {QStringLiteral("middot"), 0xB7},
        {QStringLiteral("bull"), 0x2022},    {QStringLiteral("copy"), 0xA9},       {QStringLiteral("reg"), 0xAE},
        {QStringLiteral("trade"), 0x2122},   {QStringLiteral("deg"), 0xB0},        {QStringLiteral("times"), 0xD7},
        {QStringLiteral("divide"), 0xF7},    {QStringLiteral("plusmn"), 0xB1},     {QStringLiteral("euro"), 0x20AC},
        {QStringLiteral("pound"), 0xA3},     {QStringLiteral("yen"), 0xA5},        {QStringLiteral("cent"), 0xA2},
        {QStringLiteral("sect"), 0xA7},      {QStringLiteral("para"), 0xB6},       {QStringLiteral("iexcl"), 0xA1},
        {QStringLiteral("iquest"), 0xBF},    {QStringLiteral("larr"), 0x2190},     {QStringLiteral("rarr"), 0x2192},
        {QStringLiteral("harr"), 0x2194},    {QStringLiteral("rArr"), 0x21D2},     {QStringLiteral("hArr"), 0x21D4},
        {QStringLiteral("szlig"), 0xDF},     {QStringLiteral("Auml"), 0xC4},       {QStringLiteral("auml"), 0xE4},
        {QStringLiteral("Ouml"), 0xD6},      {QStringLiteral("ouml"), 0xF6},       {QStringLiteral("Uuml"), 0xDC},
        {QStringLiteral("uuml"), 0xFC},      {QStringLiteral("Euml"), 0xCB},       {QStringLiteral("euml"), 0xEB},
        {QStringLiteral("Iuml"), 0xCF},      {QStringLiteral("iuml"), 0xEF},       {QStringLiteral("yuml"), 0xFF},
        {QStringLiteral("Agrave"), 0xC0},    {QStringLiteral("agrave"), 0xE0},     {QStringLiteral("Aacute"), 0xC1},
        {QStringLiteral("aacute"), 0xE1},    {QStringLiteral("Acirc"), 0xC2},      {QStringLiteral("acirc"), 0xE2},
        {QStringLiteral("Atilde"), 0xC3},    {QStringLiteral("atilde"), 0xE3},     {QStringLiteral("Aring"), 0xC5},
        {QStringLiteral("aring"), 0xE5},     {QStringLiteral("AElig"), 0xC6},      {QStringLiteral("aelig"), 0xE6},
        {QStringLiteral("Ccedil"), 0xC7},    {QStringLiteral("ccedil"), 0xE7},     {QStringLiteral("Egrave"), 0xC8},
        {QStringLiteral("egrave"), 0xE8},    {QStringLiteral("Eacute"), 0xC9},     {QStringLiteral("eacute"), 0xE9},
        {QStringLiteral("Ecirc"), 0xCA},     {QStringLiteral("ecirc"), 0xEA},      {QStringLiteral("Igrave"), 0xCC},
        {QStringLiteral("igrave"), 0xEC},    {QStringLiteral("Iacute"), 0xCD},     {QStringLiteral("iacute"), 0xED},
        {QStringLiteral("Icirc"), 0xCE},     {QStringLiteral("icirc"), 0xEE},      {QStringLiteral("Ntilde"), 0xD1},
        {QStringLiteral("ntilde"), 0xF1},    {QStringLiteral("Ograve"), 0xD2},     {QStringLiteral("ograve"), 0xF2},
        {QStringLiteral("Oacute"), 0xD3},    {QStringLiteral("oacute"), 0xF3},     {QStringLiteral("Ocirc"), 0xD4},
        {QStringLiteral("ocirc"), 0xF4},     {QStringLiteral("Otilde"), 0xD5},     {QStringLiteral("otilde"), 0xF5},
        {QStringLiteral("Oslash"), 0xD8},    {QStringLiteral("oslash"), 0xF8},     {QStringLiteral("Ugrave"), 0xD9},
        {QStringLiteral("ugrave"), 0xF9},    {QStringLiteral("Uacute"), 0xDA},     {QStringLiteral("uacute"), 0xFA},
        {QStringLiteral("Ucirc"), 0xDB},     {QStringLiteral("ucirc"), 0xFB},      {QStringLiteral("Yacute"), 0xDD},
        {QStringLiteral("yacute"), 0xFD},    {QStringLiteral("OElig"), 0x152},     {QStringLiteral("oelig"), 0x153},
        {QStringLiteral("Scaron"), 0x160},   {QStringLiteral("scaron"), 0x161},    {QStringLiteral("ETH"), 0xD0},
        {QStringLiteral("eth"), 0xF0},       {QStringLiteral("THORN"), 0xDE},      {QStringLiteral("thorn"), 0xFE},
    };
    return names;
}

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Tags whose start or end breaks a line in a browser: each becomes one space.
bool breaksLine(const QString& tag) {
    static const QStringList names = {
        QStringLiteral("br"), QStringLiteral("div"),   QStringLiteral("p"),  QStringLiteral("li"),
        QStringLiteral("ul"), QStringLiteral("ol"),    QStringLiteral("tr"), QStringLiteral("td"),
        QStringLiteral("th"), QStringLiteral("table"), QStringLiteral("hr"), QStringLiteral("h1"),
        QStringLiteral("h2"), QStringLiteral("h3"),    QStringLiteral("h4"), QStringLiteral("h5"),
        QStringLiteral("h6"), QStringLiteral("blockquote"), QStringLiteral("pre"), QStringLiteral("dt"),
        QStringLiteral("dd"),
    };
    return names.contains(tag);
}

class Converter {
public:
    explicit Converter(QStringView in, bool html) : m_in(in), m_html(html) { m_out.reserve(in.size()); }

    HtmlText run() {
        const qsizetype n = m_in.size();
        qsizetype i = 0;
        while (i < n) {
            const QChar c = m_in[i];
            if (c == u'[' && m_in.mid(i).startsWith(u"[sound:")) {
                const qsizetype end = m_in.indexOf(u']', i + 7);
                if (end >= 0) {
                    ++m_result.sounds;
                    space();
                    i = end + 1;
                    continue;
                }
            }
            if (m_html && c == u'<') {
                if (const qsizetype next = tag(i); next > i) {
                    i = next;
                    continue;
                }
            }
            if (m_html && c == u'&') {
                if (const qsizetype next = entity(i); next > i) {
                    i = next;
                    continue;
                }
            }
            if (c.isSpace() || c == u'\0')
                space();
            else
                m_out.append(c);
            ++i;
        }
        while (m_out.endsWith(u' '))
            m_out.chop(1);
        m_result.text = std::move(m_out);
        return std::move(m_result);
    }

private:
    // One space, never at the start and never two.
    void space() {
        if (!m_out.isEmpty() && !m_out.endsWith(u' '))
            m_out.append(u' ');
    }
    void append(char32_t code) {
        if (code == 0)
            return;
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            code = 0xFFFD;
        // A reference to a line break or another space is a space of the text like any other.
        if (code < 0x20 || code == 0x7F || QChar::isSpace(code)) {
            space();
            return;
        }
        const char32_t one[] = {code};
        m_out.append(QString::fromUcs4(one, 1));
    }

    // A tag starting at `at`; returns where the text goes on, or `at` when the '<' is a letter.
    qsizetype tag(qsizetype at) {
        const qsizetype n = m_in.size();
        if (m_in.mid(at).startsWith(u"<!--")) {
            const qsizetype end = m_in.indexOf(u"-->", at + 4);
            return end < 0 ? n : end + 3;
        }
        qsizetype i = at + 1;
        bool closing = false;
        if (i < n && (m_in[i] == u'!' || m_in[i] == u'?')) {
            const qsizetype end = m_in.indexOf(u'>', i);
            return end < 0 ? at : end + 1;
        }
        if (i < n && m_in[i] == u'/') {
            closing = true;
            ++i;
        }
        if (i >= n || !isAsciiLetter(m_in[i]))
            return at;
        const qsizetype nameStart = i;
        while (i < n && (isAsciiLetter(m_in[i]) || isAsciiDigit(m_in[i])))
            ++i;
        const QString name = m_in.mid(nameStart, i - nameStart).toString().toLower();
        // The tag ends at the first '>' outside a quoted attribute value.
        QChar quote;
        for (; i < n; ++i) {
            const QChar c = m_in[i];
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (c == u'"' || c == u'\'') {
                quote = c;
            } else if (c == u'>') {
                break;
            }
        }
        if (i >= n)
            return at; // never closed: not a tag
        const qsizetype after = i + 1;
        if (!closing && name == QStringLiteral("img")) {
            ++m_result.images;
            return after;
        }
        if (!closing && (name == QStringLiteral("script") || name == QStringLiteral("style"))) {
            const QString end = QStringLiteral("</") + name;
            const qsizetype stop = m_in.indexOf(end, after, Qt::CaseInsensitive);
            if (stop < 0)
                return n;
            const qsizetype close = m_in.indexOf(u'>', stop);
            return close < 0 ? n : close + 1;
        }
        if (breaksLine(name))
            space();
        return after;
    }

    // A character reference starting at `at`; returns where the text goes on, or `at` when the
    // '&' is a letter of the text.
    qsizetype entity(qsizetype at) {
        const qsizetype n = m_in.size();
        qsizetype i = at + 1;
        if (i < n && m_in[i] == u'#') {
            ++i;
            const bool hex = i < n && (m_in[i] == u'x' || m_in[i] == u'X');
            if (hex)
                ++i;
            const qsizetype digits = i;
            char32_t code = 0;
            bool tooBig = false;
            while (i < n) {
                const QChar c = m_in[i];
                int d;
                if (isAsciiDigit(c))
                    d = c.unicode() - u'0';
                else if (hex && c >= u'a' && c <= u'f')
                    d = c.unicode() - u'a' + 10;
                else if (hex && c >= u'A' && c <= u'F')
                    d = c.unicode() - u'A' + 10;
                else
                    break;
                if (code > 0x10FFFF)
                    tooBig = true;
                else
                    code = code * (hex ? 16 : 10) + char32_t(d);
                ++i;
            }
            if (i == digits)
                return at;
            if (i < n && m_in[i] == u';')
                ++i;
            append(tooBig || code == 0 ? char32_t(0xFFFD) : code);
            return i;
        }
        const qsizetype nameStart = i;
        while (i < n && i - nameStart < 10 && (isAsciiLetter(m_in[i]) || isAsciiDigit(m_in[i])))
            ++i;
        if (i >= n || m_in[i] != u';' || i == nameStart)
            return at;
        const auto found = namedEntities().constFind(m_in.mid(nameStart, i - nameStart).toString());
        if (found == namedEntities().cend())
            return at;
        append(found.value());
        return i + 1;
    }

    QStringView m_in;
    bool m_html;
    QString m_out;
    HtmlText m_result;
};

} // namespace

HtmlText htmlToText(QStringView html) {
    return Converter(html, true).run();
}

HtmlText withoutMedia(QStringView text) {
    return Converter(text, false).run();
}

} // namespace wordlist
