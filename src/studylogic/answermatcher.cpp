#include "answermatcher.h"

#include <QRegularExpression>
#include <algorithm>
#include <vector>

namespace {
// Marks that end (or, in Spanish, open) a sentence, in Latin, CJK and other scripts.
bool isFinalPunctuation(QChar c) {
    static const QString marks = QStringLiteral(".,;:!?\u00A1\u00BF\u037E\u0387\u061F\u06D4\u2026\u3001\u3002"
                                                "\uFF01\uFF0C\uFF0E\uFF1A\uFF1B\uFF1F\uFF61");
    return marks.contains(c);
}

QString stripFinalPunctuation(QString s) {
    s = s.trimmed();
    while (!s.isEmpty() && (isFinalPunctuation(s.back()) || s.back().isSpace()))
        s.chop(1);
    // The opening marks of Spanish questions and exclamations go with the closing ones.
    while (!s.isEmpty() && (s.front() == QChar(0x00BF) || s.front() == QChar(0x00A1) || s.front().isSpace()))
        s.remove(0, 1);
    return s;
}

// The combining accents of the Latin, Greek and Cyrillic letters; the voicing marks of
// Japanese kana lie elsewhere and are kept, so that "ka" and "ga" stay apart.
bool isAccent(QChar c) {
    return c.unicode() >= 0x0300 && c.unicode() <= 0x036F;
}

QString withoutAccents(const QString& s) {
    const QString decomposed = s.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed)
        if (!isAccent(c))
            out += c;
    return out.normalized(QString::NormalizationForm_C);
}

QString germanSpelled(QString s) {
    s.replace(QChar(0x00E4), QStringLiteral("ae"));
    s.replace(QChar(0x00F6), QStringLiteral("oe"));
    s.replace(QChar(0x00FC), QStringLiteral("ue"));
    s.replace(QChar(0x00DF), QStringLiteral("ss"));
    return s;
}

// Edits between two words, counting a swap of two neighbouring letters as one; it stops
// counting at two, which is all the check needs to know.
int editsUpToTwo(const QString& a, const QString& b) {
    const qsizetype n = a.size(), m = b.size();
    if (std::abs(n - m) > 1)
        return 2;
    std::vector<std::vector<int>> d(size_t(n + 1), std::vector<int>(size_t(m + 1)));
    for (qsizetype i = 0; i <= n; ++i)
        d[i][0] = int(i);
    for (qsizetype j = 0; j <= m; ++j)
        d[0][j] = int(j);
    for (qsizetype i = 1; i <= n; ++i)
        for (qsizetype j = 1; j <= m; ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            int v = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                v = std::min(v, d[i - 2][j - 2] + 1);
            d[i][j] = v;
        }
    return std::min(d[n][m], 2);
}

// The marks between alternatives, also in their full-width forms.
const QRegularExpression& separatorPattern() {
    static const QRegularExpression separators(QStringLiteral("[,;/\uFF0C\uFF1B\u3001]"));
    return separators;
}

int letterCount(const QString& word) {
    int n = 0;
    for (QChar c : word)
        if (c.isLetterOrNumber())
            ++n;
    return n;
}
} // namespace

QString AnswerMatcher::normalized(const QString& text) const {
    // Compatibility forms first, so that full-width letters and ligatures compare as typed.
    QString s = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    s = stripFinalPunctuation(s.simplified());
    if (m_forgiveAccents)
        s = withoutAccents(germanSpelled(s));
    return s;
}

QStringList AnswerMatcher::foldings(const QString& text) const {
    QStringList out{normalized(text)};
    if (m_forgiveAccents) {
        // "a" for "ä" is forgiven as an accent, "ae" for it as a German spelling.
        const QString plain = withoutAccents(
            stripFinalPunctuation(text.normalized(QString::NormalizationForm_KC).toCaseFolded().simplified()));
        if (!out.contains(plain))
            out << plain;
    }
    return out;
}

QStringList AnswerMatcher::alternatives(const QString& cardText) {
    static const QRegularExpression bracketed(QStringLiteral("\\([^()]*\\)"));
    QStringList out;
    auto addOne = [&out](const QString& s) {
        const QString t = s.simplified();
        if (!t.isEmpty() && !out.contains(t))
            out << t;
    };
    addOne(cardText);
    for (const QString& part : cardText.split(separatorPattern())) {
        addOne(part);
        addOne(QString(part).remove(bracketed));
    }
    return out;
}

bool AnswerMatcher::matchesOne(const QString& typed, const QString& alternative, bool* almost) const {
    const QStringList typedForms = foldings(typed);
    const QStringList cardForms = foldings(alternative);
    for (const QString& t : typedForms)
        for (const QString& c : cardForms)
            if (t == c)
                return true;
    // One letter off in one long word, every other word as it should be.
    for (const QString& t : typedForms)
        for (const QString& c : cardForms) {
            const QStringList tw = t.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            const QStringList cw = c.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (tw.size() != cw.size())
                continue;
            int differing = 0;
            bool close = true;
            for (qsizetype i = 0; i < cw.size() && close; ++i) {
                if (tw[i] == cw[i])
                    continue;
                ++differing;
                close = differing == 1 && letterCount(cw[i]) >= kAlmostWordLength && editsUpToTwo(tw[i], cw[i]) == 1;
            }
            if (close && differing == 1)
                *almost = true;
        }
    return false;
}

Verdict AnswerMatcher::check(const QString& typed, const QString& cardText) const {
    const QStringList accepted = alternatives(cardText);
    if (accepted.isEmpty())
        return normalized(typed).isEmpty() ? Verdict::Right : Verdict::Wrong;
    if (normalized(typed).isEmpty())
        return Verdict::Wrong;
    bool almost = false;
    for (const QString& a : accepted)
        if (matchesOne(typed, a, &almost))
            return Verdict::Right;
    // Several alternatives typed at once: right when each of them is one the card accepts.
    const QStringList typedParts = typed.split(separatorPattern(), Qt::SkipEmptyParts);
    if (typedParts.size() > 1) {
        bool partAlmost = false;
        const bool all = std::all_of(typedParts.begin(), typedParts.end(), [&](const QString& part) {
            return std::any_of(accepted.begin(), accepted.end(),
                               [&](const QString& a) { return matchesOne(part, a, &partAlmost); });
        });
        if (all)
            return Verdict::Right;
    }
    return almost ? Verdict::Almost : Verdict::Wrong;
}

QString AnswerMatcher::verdictText(Verdict verdict, const QString& typed, const QString& cardText) {
    switch (verdict) {
    case Verdict::Right:
        return QStringLiteral("Right");
    case Verdict::Almost:
        return QStringLiteral("Almost: ") + cardText;
    case Verdict::Wrong:
        break;
    }
    return QStringLiteral("Wrong: you typed '") + typed.simplified() + QStringLiteral("'");
}
