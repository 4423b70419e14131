#include "casefold.h"

// Simple folding maps each character to one character, so the folded text has the length of
// the text; a surrogate pair folds to a surrogate pair.
QStringView foldCase(QStringView text, std::u16string& buffer) {
    const qsizetype n = text.size();
    buffer.resize(size_t(n));
    const char16_t* in = text.utf16();
    char16_t* out = buffer.data();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i];
        if (c < 0x80) {
            out[i] = (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
        } else if (c == 0x130) {
            // U+0130 has no one-character folding; the text matches as its lower case, in
            // which it is "i" and a dot above.
            const QString lower = text.toString().toLower();
            std::u16string inner;
            const QStringView folded = foldCase(QStringView(lower), inner);
            buffer.assign(folded.utf16(), size_t(folded.size()));
            return QStringView(buffer.data(), qsizetype(buffer.size()));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(in[i + 1])) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, in[i + 1]));
            out[i] = QChar::requiresSurrogates(folded) ? QChar::highSurrogate(folded) : c;
            out[i + 1] = QChar::requiresSurrogates(folded) ? QChar::lowSurrogate(folded) : in[i + 1];
            ++i;
        } else {
            out[i] = QChar::toCaseFolded(c);
        }
    }
    return QStringView(buffer.data(), n);
}

QString foldCase(const QString& text) {
    std::u16string buffer;
    return foldCase(QStringView(text), buffer).toString();
}
