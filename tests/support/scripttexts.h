#pragma once
// One card in each script a learner may study, for the round trips of every file format.
#include <QString>
#include <QTest>
#include <QVector>

namespace scripttexts {

struct Sample {
    const char* name;
    QString question;
    QString answer;
    QString chapterTitle;
};

inline QVector<Sample> samples() {
    return {
        {"Russian", QStringLiteral("Здравствуйте, Юрий!"), QStringLiteral("Hello, Yuri!"),
         QStringLiteral("Русский – урок 1")},
        {"Greek", QStringLiteral("Καλημέρα, ΣΟΦΊΑ σοφός"), QStringLiteral("good morning"), QStringLiteral("Ελληνικά")},
        {"Japanese", QStringLiteral("図書館はどこですか"), QStringLiteral("where is the library?"),
         QStringLiteral("日本語 第一課")},
        {"Chinese", QStringLiteral("我们学习汉语"), QStringLiteral("we study Chinese"), QStringLiteral("中文")},
        {"Arabic", QStringLiteral("مرحبا بالعالم"), QStringLiteral("hello world"), QStringLiteral("العربية")},
        {"Hebrew", QStringLiteral("שלום עולם"), QStringLiteral("hello world"), QStringLiteral("עברית")},
        {"emoji", QStringLiteral("die Katze 🐈"), QStringLiteral("the cat 😺"), QStringLiteral("Tiere 🐾")},
        {"German-Russian", QStringLiteral("die Straße"), QStringLiteral("улица (Übung für Jürgen)"),
         QStringLiteral("Deutsch–Русский")},
    };
}

// The columns (question, answer, chapter title by default) and one row a sample, for a
// `_data()` function.
inline void addRows(const char* question = "question", const char* answer = "answer", const char* title = "title") {
    QTest::addColumn<QString>(question);
    QTest::addColumn<QString>(answer);
    QTest::addColumn<QString>(title);
    for (const Sample& t : samples())
        QTest::newRow(t.name) << t.question << t.answer << t.chapterTitle;
}

} // namespace scripttexts
