#include "lettermarkers.h"

namespace {
// A marker is "asc(" and the three digits of the letter's code, then ")": eight characters.
constexpr qsizetype kMarkerSize = 8;

// The letter a marker at `at` (with at least kMarkerSize characters there) stands for, or 0.
// Case matters: "ASC(252)" is no marker.
char16_t markedLetter(const QChar* at) {
    if (at[0] != u'a' || at[1] != u's' || at[2] != u'c' || at[3] != u'(' || at[7] != u')')
        return 0;
    int code = 0;
    for (int i = 4; i < 7; ++i) {
        const char16_t d = at[i].unicode();
        if (d < u'0' || d > u'9')
            return 0;
        code = code * 10 + (d - u'0');
    }
    switch (code) {
    case 252: case 246: case 228: case 223: case 220: case 214: case 196:
        return char16_t(code); // each marker names its letter's code point
    default:
        return 0;
    }
}

bool isSpecialLetter(char16_t c) {
    switch (c) {
    case 0xFC: case 0xF6: case 0xE4: case 0xDF: case 0xDC: case 0xD6: case 0xC4:
        return true;
    default:
        return false;
    }
}

// Where the first marker starts, or -1.
qsizetype firstMarker(const QString& text) {
    const qsizetype last = text.size() - kMarkerSize;
    for (qsizetype at = text.indexOf(QLatin1String("asc(")); at >= 0 && at <= last;
         at = text.indexOf(QLatin1String("asc("), at + 1))
        if (markedLetter(text.constData() + at))
            return at;
    return -1;
}
} // namespace

// One pass from the first marker on, in place: every marker becomes one letter, so the text
// only shrinks. Markers cannot overlap (an "a" stands only at a marker's start) and a letter
// is never part of one, so this is what replacing each marker in turn gives. A text without
// a marker is left untouched and shared.
void DecodeSpecialLetters(QString& text) {
    const qsizetype first = firstMarker(text);
    if (first < 0)
        return;
    const qsizetype n = text.size();
    QChar* data = text.data();
    qsizetype w = first;
    for (qsizetype r = first; r < n;) {
        const char16_t letter = r + kMarkerSize <= n && data[r] == u'a' ? markedLetter(data + r) : 0;
        if (letter) {
            data[w++] = QChar(letter);
            r += kMarkerSize;
        } else {
            data[w++] = data[r++];
        }
    }
    text.truncate(w);
}

// One pass from the first special letter on; a text without one is left untouched and shared.
void EncodeSpecialLetters(QString& text) {
    const QChar* in = text.constData();
    const qsizetype n = text.size();
    qsizetype first = 0;
    while (first < n && !isSpecialLetter(in[first].unicode()))
        ++first;
    if (first == n)
        return;
    qsizetype letters = 0;
    for (qsizetype i = first; i < n; ++i)
        letters += isSpecialLetter(in[i].unicode());
    QString out;
    out.reserve(n + (kMarkerSize - 1) * letters);
    out.append(in, first);
    for (qsizetype i = first; i < n; ++i) {
        const char16_t c = in[i].unicode();
        if (isSpecialLetter(c)) {
            const char marker[kMarkerSize] = {'a', 's', 'c', '(', char('0' + c / 100), char('0' + c / 10 % 10),
                                              char('0' + c % 10), ')'};
            out.append(QLatin1String(marker, kMarkerSize));
        } else {
            out.append(in[i]);
        }
    }
    text = std::move(out);
}
