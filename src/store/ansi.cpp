#include "ansi.h"

namespace {
// Code points of the bytes 0x80..0x9F; the five bytes Windows leaves undefined map to
// the C1 control of the same number, as the system's own conversion does.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char toByte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return char(cp);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == cp)
            return char(0x80 + i);
    return '?';
}
} // namespace

namespace Ansi {
qsizetype encodeInto(const QString& text, char* out) {
    const qsizetype n = text.size();
    const QChar* c = text.constData();
    qsizetype written = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (c[i].isHighSurrogate() && i + 1 < n && c[i + 1].isLowSurrogate()) {
            out[written++] = '?';
            ++i;
            continue;
        }
        out[written++] = toByte(c[i].unicode());
    }
    return written;
}

QByteArray encode(const QString& text) {
    QByteArray out(byteLength(text), Qt::Uninitialized);
    encodeInto(text, out.data());
    return out;
}

QString decode(const char* data, qsizetype size) {
    QString out(size, Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        d[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return out;
}

qsizetype byteLength(const QString& text) {
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        ++n;
    }
    return n;
}
} // namespace Ansi
