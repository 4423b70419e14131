#include "spokentext.h"

#include "lettermarkers.h"

namespace speech {
namespace {

bool isBracket(QChar c) {
    switch (c.unicode()) {
    case u'(': case u')': case u'[': case u']': case u'{': case u'}': case u'\uFF08': case u'\uFF09':
        return true;
    default:
        return false;
    }
}

bool isSeparator(QChar c) {
    switch (c.unicode()) {
    case u',': case u';': case u'/': case u'\uFF0C': case u'\uFF1B': case u'\u3001':
        return true;
    default:
        return false;
    }
}

} // namespace

QString spokenText(const QString& face) {
    QString text = face;
    DecodeSpecialLetters(text);
    const qsizetype n = text.size();

    QString out;
    out.reserve(n + 8);
    bool pause = false; // a pause is due before the next word
    bool space = false; // a space is due before the next word
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        const bool inNumber = (c == u',' || c == u'/') && i > 0 && i + 1 < n && text.at(i - 1).isDigit() &&
                              text.at(i + 1).isDigit();
        if (!inNumber && (isBracket(c) || isSeparator(c))) {
            pause = true;
            continue;
        }
        if (c.isSpace()) {
            space = true;
            continue;
        }
        if (!out.isEmpty()) {
            if (pause)
                out.append(QLatin1String(", "));
            else if (space)
                out.append(QLatin1Char(' '));
        }
        pause = false;
        space = false;
        out.append(c);
    }
    return out;
}

} // namespace speech
