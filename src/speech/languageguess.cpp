#include "languageguess.h"

#include "lettermarkers.h"

#include <QHash>

#include <array>
#include <vector>

namespace speech {
namespace {

// The scripts a text can vote for. Han and kana are one, told apart afterwards.
enum class Script { Latin, Cyrillic, Greek, Arabic, Hebrew, Devanagari, Thai, Hangul, Cjk, Armenian, Georgian,
                    Bengali, Tamil, Other };

Script scriptOf(char32_t c) {
    switch (QChar::script(c)) {
    case QChar::Script_Latin: return Script::Latin;
    case QChar::Script_Cyrillic: return Script::Cyrillic;
    case QChar::Script_Greek: return Script::Greek;
    case QChar::Script_Arabic: return Script::Arabic;
    case QChar::Script_Hebrew: return Script::Hebrew;
    case QChar::Script_Devanagari: return Script::Devanagari;
    case QChar::Script_Thai: return Script::Thai;
    case QChar::Script_Hangul: return Script::Hangul;
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana: return Script::Cjk;
    case QChar::Script_Armenian: return Script::Armenian;
    case QChar::Script_Georgian: return Script::Georgian;
    case QChar::Script_Bengali: return Script::Bengali;
    case QChar::Script_Tamil: return Script::Tamil;
    default: return Script::Other;
    }
}

constexpr int kScripts = int(Script::Other) + 1;

bool isKana(char32_t c) {
    const QChar::Script s = QChar::script(c);
    return s == QChar::Script_Hiragana || s == QChar::Script_Katakana;
}

// A letter and the points it gives each language that uses it. The order of the languages
// below decides ties.
struct Sign {
    char32_t letter;
    const char* language;
    int points;
};

// clang-format off
constexpr Sign kSigns[] = {
    {U'ß', "de", 3}, {U'ä', "de", 2}, {U'ö', "de", 2}, {U'ü', "de", 2},
    {U'ñ', "es", 3}, {U'¿', "es", 3}, {U'¡', "es", 3},
    {U'á', "es", 1}, {U'í', "es", 1}, {U'ó', "es", 1}, {U'ú', "es", 1},
    {U'ø', "da", 3}, {U'æ', "da", 3}, {U'å', "da", 3},
    {U'ã', "pt", 3}, {U'õ', "pt", 3}, {U'ç', "pt", 2}, {U'â', "pt", 1}, {U'ê', "pt", 1}, {U'ô', "pt", 1},
    {U'á', "pt", 1}, {U'à', "pt", 1}, {U'ó', "pt", 1}, {U'í', "pt", 1}, {U'ú', "pt", 1},
    {U'ł', "pl", 3}, {U'ą', "pl", 3}, {U'ę', "pl", 3}, {U'ś', "pl", 3}, {U'ź', "pl", 3}, {U'ż', "pl", 3},
    {U'ń', "pl", 3}, {U'ć', "pl", 2}, {U'ó', "pl", 1},
    {U'é', "fr", 1}, {U'è', "fr", 2}, {U'ê', "fr", 2}, {U'à', "fr", 1}, {U'ù', "fr", 3}, {U'û', "fr", 2},
    {U'î', "fr", 1}, {U'ô', "fr", 1}, {U'â', "fr", 1}, {U'ë', "fr", 1}, {U'ï', "fr", 2}, {U'œ', "fr", 3},
    {U'ç', "fr", 1},
    {U'ő', "hu", 3}, {U'ű', "hu", 3}, {U'ö', "hu", 1}, {U'ü', "hu", 1}, {U'á', "hu", 1}, {U'é', "hu", 1},
    {U'č', "cs", 2}, {U'ř', "cs", 3}, {U'ě', "cs", 3}, {U'ů', "cs", 3}, {U'š', "cs", 1}, {U'ž', "cs", 1},
    {U'ý', "cs", 1}, {U'ď', "cs", 2}, {U'ť', "cs", 2}, {U'ň', "cs", 2},
    {U'ğ', "tr", 3}, {U'ş', "tr", 3}, {U'ı', "tr", 3}, {U'ç', "tr", 1}, {U'ö', "tr", 1}, {U'ü', "tr", 1},
    {U'ă', "ro", 3}, {U'ș', "ro", 3}, {U'ț', "ro", 3}, {U'ţ', "ro", 3}, {U'î', "ro", 1}, {U'â', "ro", 1},
    {U'å', "sv", 2}, {U'ä', "sv", 2}, {U'ö', "sv", 2},
    {U'ì', "it", 2}, {U'ò', "it", 2}, {U'è', "it", 1}, {U'à', "it", 1}, {U'ù', "it", 1},
    {U'þ', "is", 3}, {U'ð', "is", 3},
    {U'ơ', "vi", 3}, {U'ư', "vi", 3}, {U'đ', "vi", 2}, {U'ạ', "vi", 3}, {U'ả', "vi", 3}, {U'ế', "vi", 3},
    {U'ĉ', "eo", 3}, {U'ĝ', "eo", 3}, {U'ĥ', "eo", 3}, {U'ĵ', "eo", 3}, {U'ŝ', "eo", 3}, {U'ŭ', "eo", 3},
};
// clang-format on

// A Latin side needs this many points for a language; fewer is no sign at all.
constexpr int kLeastPoints = 2;

QString fallbackLanguage(const QLocale& fallback) {
    const QLocale::Language language = fallback.language();
    if (language == QLocale::C || language == QLocale::AnyLanguage)
        return QStringLiteral("en");
    return QLocale::languageToCode(language);
}

QString latinLanguage(const QStringList& texts, const QLocale& fallback) {
    std::vector<const char*> order; // languages in the table's order
    QHash<QString, int> points;
    for (const Sign& sign : kSigns)
        if (!points.contains(QLatin1String(sign.language))) {
            points.insert(QLatin1String(sign.language), 0);
            order.push_back(sign.language);
        }
    for (const QString& text : texts) {
        for (const uint u : text.toUcs4()) {
            char32_t c = u;
            if (c == U'İ') { // lower-cased it would become two characters
                points[QStringLiteral("tr")] += 3;
                continue;
            }
            c = QChar::toLower(c);
            for (const Sign& sign : kSigns)
                if (sign.letter == c)
                    points[QLatin1String(sign.language)] += sign.points;
        }
    }
    const char* best = nullptr;
    int bestPoints = kLeastPoints - 1;
    for (const char* language : order) {
        const int p = points.value(QLatin1String(language));
        if (p > bestPoints) {
            best = language;
            bestPoints = p;
        }
    }
    if (!best)
        return fallbackLanguage(fallback);
    if (qstrcmp(best, "da") == 0) {
        if (fallback.language() == QLocale::NorwegianBokmal)
            return QStringLiteral("nb");
        if (fallback.language() == QLocale::NorwegianNynorsk)
            return QStringLiteral("nn");
    }
    return QString::fromLatin1(best);
}

bool containsAny(const QStringList& texts, QStringView letters) {
    for (const QString& text : texts)
        for (const QChar c : letters)
            if (text.contains(c, Qt::CaseInsensitive))
                return true;
    return false;
}

} // namespace

QString guessLanguage(const QStringList& rawTexts, const QLocale& fallback) {
    QStringList texts;
    texts.reserve(rawTexts.size());
    for (QString text : rawTexts) {
        DecodeSpecialLetters(text);
        texts.append(text.normalized(QString::NormalizationForm_C));
    }

    std::array<int, kScripts> votes{};
    std::array<int, kScripts> letters{};
    std::array<int, kScripts> firstSeen{};
    firstSeen.fill(INT_MAX);
    bool kana = false;
    int seen = 0;
    for (const QString& text : texts) {
        std::array<int, kScripts> count{};
        for (const uint u : text.toUcs4()) {
            const char32_t c = u;
            if (!QChar::isLetter(c))
                continue;
            const Script s = scriptOf(c);
            if (s == Script::Other)
                continue;
            ++count[int(s)];
            ++letters[int(s)];
            if (firstSeen[int(s)] == INT_MAX)
                firstSeen[int(s)] = seen++;
            kana = kana || isKana(c);
        }
        int top = -1;
        for (int s = 0; s < kScripts; ++s)
            if (count[s] > 0 && (top < 0 || count[s] > count[top]))
                top = s;
        if (top >= 0)
            ++votes[top];
    }
    int side = -1;
    for (int s = 0; s < kScripts; ++s) {
        if (votes[s] == 0)
            continue;
        if (side < 0 || votes[s] > votes[side] || (votes[s] == votes[side] && letters[s] > letters[side]) ||
            (votes[s] == votes[side] && letters[s] == letters[side] && firstSeen[s] < firstSeen[side]))
            side = s;
    }
    if (side < 0)
        return fallbackLanguage(fallback);

    switch (Script(side)) {
    case Script::Latin: return latinLanguage(texts, fallback);
    case Script::Cyrillic:
        if (containsAny(texts, u"ђћџљњј"))
            return QStringLiteral("sr");
        if (containsAny(texts, u"іїєґ"))
            return QStringLiteral("uk");
        return QStringLiteral("ru");
    case Script::Greek: return QStringLiteral("el");
    case Script::Arabic: return containsAny(texts, u"پچژگ") ? QStringLiteral("fa") : QStringLiteral("ar");
    case Script::Hebrew: return QStringLiteral("he");
    case Script::Devanagari: return QStringLiteral("hi");
    case Script::Thai: return QStringLiteral("th");
    case Script::Hangul: return QStringLiteral("ko");
    case Script::Cjk: return kana ? QStringLiteral("ja") : QStringLiteral("zh");
    case Script::Armenian: return QStringLiteral("hy");
    case Script::Georgian: return QStringLiteral("ka");
    case Script::Bengali: return QStringLiteral("bn");
    case Script::Tamil: return QStringLiteral("ta");
    case Script::Other: break;
    }
    return fallbackLanguage(fallback);
}

} // namespace speech
