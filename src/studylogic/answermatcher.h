#pragma once
// Checks a typed answer against the text of a card. The check is forgiving where a learner
// would expect it to be: case (full Unicode case folding), surrounding and repeated spaces
// and the punctuation that ends a sentence never matter; a card text that lists
// alternatives with ",", ";" or "/" accepts each of them; accents and the German spellings
// ae/oe/ue/ss for the umlauts and sharp s can be forgiven; one wrong, missing or swapped
// letter in a long word is "almost" right.
#include <QString>
#include <QStringList>

enum class Verdict { Right, Almost, Wrong };

class AnswerMatcher {
public:
    explicit AnswerMatcher(bool forgiveAccents = true) : m_forgiveAccents(forgiveAccents) {}

    Verdict check(const QString& typed, const QString& cardText) const;

    // What the user is told: "Right", "Almost: <card text>", "Wrong: you typed '<typed>'".
    static QString verdictText(Verdict verdict, const QString& typed, const QString& cardText);

    // The text as it is compared: case folded, spaces collapsed, final punctuation gone,
    // accents and German spellings folded when they are forgiven.
    QString normalized(const QString& text) const;
    // The alternatives a card text accepts: the whole text and each part between ",", ";"
    // and "/" (and each of those without a part in brackets, such as "(to) go").
    static QStringList alternatives(const QString& cardText);

    // A word of at least this many letters may have one letter wrong, missing or swapped.
    static constexpr int kAlmostWordLength = 6;

private:
    bool matchesOne(const QString& typed, const QString& alternative, bool* almost) const;
    QStringList foldings(const QString& text) const;

    bool m_forgiveAccents = true;
};
