#include "filetext.h"

#include "ansi.h"

namespace {
constexpr char16_t kReplacement = 0xFFFD;

// The characters above U+00FF that Windows-1252 holds (bytes 0x80..0x9F), plus the five C1
// controls that stand for its undefined bytes.
bool highFits(char16_t c) {
    switch (c) {
    case 0x20AC:
    case 0x201A:
    case 0x0192:
    case 0x201E:
    case 0x2026:
    case 0x2020:
    case 0x2021:
    case 0x02C6:
    case 0x2030:
    case 0x0160:
    case 0x2039:
    case 0x0152:
    case 0x017D:
    case 0x2018:
    case 0x2019:
    case 0x201C:
    case 0x201D:
    case 0x2022:
    case 0x2013:
    case 0x2014:
    case 0x02DC:
    case 0x2122:
    case 0x0161:
    case 0x203A:
    case 0x0153:
    case 0x017E:
    case 0x0178:
    case 0x0081:
    case 0x008D:
    case 0x008F:
    case 0x0090:
    case 0x009D:
        return true;
    default:
        return false;
    }
}

qsizetype utf8Length(const QString& text) {
    const char16_t* c = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype n = text.size();
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = c[i];
        if (u < 0x80)
            bytes += 1;
        else if (u < 0x800)
            bytes += 2;
        else if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(c[i + 1])) {
            bytes += 4;
            ++i;
        } else
            bytes += 3; // a lone surrogate is written as U+FFFD
    }
    return bytes;
}

qsizetype utf8EncodeInto(const QString& text, char* out) {
    const char16_t* c = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype n = text.size();
    auto* o = reinterpret_cast<unsigned char*>(out);
    for (qsizetype i = 0; i < n; ++i) {
        char32_t u = c[i];
        if (u < 0x80) {
            *o++ = u;
            continue;
        }
        if (u < 0x800) {
            *o++ = 0xC0 | (u >> 6);
            *o++ = 0x80 | (u & 0x3F);
            continue;
        }
        if (QChar::isSurrogate(u)) {
            if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(c[i + 1])) {
                u = QChar::surrogateToUcs4(char16_t(u), c[++i]);
                *o++ = 0xF0 | (u >> 18);
                *o++ = 0x80 | ((u >> 12) & 0x3F);
                *o++ = 0x80 | ((u >> 6) & 0x3F);
                *o++ = 0x80 | (u & 0x3F);
                continue;
            }
            u = kReplacement;
        }
        *o++ = 0xE0 | (u >> 12);
        *o++ = 0x80 | ((u >> 6) & 0x3F);
        *o++ = 0x80 | (u & 0x3F);
    }
    return o - reinterpret_cast<unsigned char*>(out);
}
} // namespace

namespace FileText {

bool fitsWindows1252(const QString& text) {
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
            continue;
        if (!highFits(c))
            return false;
    }
    return true;
}

qsizetype windows1252Length(const QString& text, bool& fits) {
    const char16_t* c = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype n = text.size();
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < n; ++i, ++bytes) {
        const char16_t u = c[i];
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
            continue;
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(c[i + 1]))
            ++i;
        if (!highFits(u))
            fits = false;
    }
    return bytes;
}

qsizetype byteLength(const QString& text, TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? utf8Length(text) : Ansi::byteLength(text);
}

qsizetype encodeInto(const QString& text, TextEncoding encoding, char* out) {
    return encoding == TextEncoding::Utf8 ? utf8EncodeInto(text, out) : Ansi::encodeInto(text, out);
}

QByteArray encode(const QString& text, TextEncoding encoding) {
    QByteArray out(byteLength(text, encoding), Qt::Uninitialized);
    encodeInto(text, encoding, out.data());
    return out;
}

QString decode(const char* data, qsizetype size, TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? decodeUtf8(data, size) : Ansi::decode(data, size);
}

QString decodeUtf8(const char* data, qsizetype size) {
    // Every byte gives at most one UTF-16 unit (a 4-byte sequence gives two), so `size`
    // units always suffice.
    QString out(size, Qt::Uninitialized);
    char16_t* d = reinterpret_cast<char16_t*>(out.data());
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    qsizetype i = 0, w = 0;
    auto cont = [&](qsizetype at, unsigned char lo, unsigned char hi) {
        return at < size && p[at] >= lo && p[at] <= hi;
    };
    while (i < size) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            d[w++] = b;
            ++i;
            continue;
        }
        // The bounds of the second byte exclude overlong forms, surrogates and values above
        // U+10FFFF; a bad sequence is replaced as far as it was well-formed, by one U+FFFD.
        int need = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        char32_t cp = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2;
            cp = b & 0x0F;
            if (b == 0xE0)
                lo = 0xA0;
            else if (b == 0xED)
                hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3;
            cp = b & 0x07;
            if (b == 0xF0)
                lo = 0x90;
            else if (b == 0xF4)
                hi = 0x8F;
        } else {
            d[w++] = kReplacement;
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        int got = 0;
        while (got < need && cont(j, got == 0 ? lo : 0x80, got == 0 ? hi : 0xBF)) {
            cp = (cp << 6) | (p[j] & 0x3F);
            ++j;
            ++got;
        }
        i = j;
        if (got < need) {
            d[w++] = kReplacement;
            continue;
        }
        if (cp >= 0x10000) {
            d[w++] = QChar::highSurrogate(cp);
            d[w++] = QChar::lowSurrogate(cp);
        } else
            d[w++] = char16_t(cp);
    }
    out.truncate(w);
    return out;
}

} // namespace FileText
