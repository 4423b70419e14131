#include "deck.h"

#include "appstate.h"
#include "ivordalite.h"
#include "messagelog.h"
#include "prompter.h"

QVector<Card> deck(1);
qint16 curcard = 0;
bool troubledefault = true;
QVector<DeckChapter> deckChapters;

void ForEachChapterCard(const ivordalite& store,
                        const std::function<void(QString& question, QString& answer, QString& tag)>& each) {
    for (int i = store.lb(); i <= store.ub(); ++i) {
        QString name, valuestring, tag;
        bool isstring = false;
        qint32 valuelong = 0;
        store.ienum(qint16(i), name, isstring, valuestring, valuelong, tag);
        DecodeSpecialLetters(valuestring);
        DecodeSpecialLetters(name);
        each(name, valuestring, tag);
    }
}

bool LoadChapterFile(const QString& path, const QString& title) {
    ivordalite store;
    if (app().hooks.showMainWindow)
        app().hooks.showMainWindow();
    if (!store.mount(path, false)) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't mount file"),
                       QStringLiteral("The file '") + path + QStringLiteral("' couldn't be mounted!"));
        return false;
    }
    const qint16 lb = store.lb();
    const qint16 ub = store.ub();
    if (!(lb < ub)) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't load file"),
                       QStringLiteral("The file '") + path + QStringLiteral("' can't be loaded!"));
        return false;
    }
    const int base = deckUpper();
    if (base + ub + 1 > kMaxDeckSlots) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't load file"),
                       QStringLiteral("The file '") + path +
                           QStringLiteral("' can't be loaded: a deck holds at most %1 cards, and this chapter "
                                          "would bring it to %2.")
                               .arg(kMaxDeckSlots - 1)
                               .arg(base + ub));
        return false;
    }
    deck.resize(base + ub + 1);
    const auto chapterIndex = qint16(deckChapters.size());
    deckChapters.append(DeckChapter{path, title});
    qint64 bytes = 0;
    int k = 0;
    ForEachChapterCard(store, [&](QString& name, QString& valuestring, QString& tag) {
        bytes += 2 * (valuestring.size() + tag.size() + name.size());
        Card& c = deck[base + k++];
        c.question = name;
        c.answer = valuestring;
        c.tag = tag;
        c.trouble = troubledefault ? -1 : 0;
        c.timesviewed = 0;
        c.chaptertitle = title;
        c.chapter = chapterIndex;
        c.reserved.clear();
    });
    LogMessage(QStringLiteral("file loaded; using ") + QString::number(bytes) + QStringLiteral(" bytes of memory/n"));
    return false;
}

void FlushDeck(bool firstuse) {
    deckChapters.clear();
    LogMessage(QStringLiteral("Entering FlushToZero mode/n"));
    if (firstuse) {
        LogMessage(QStringLiteral("Initializing data system for first use/n"));
        deck = QVector<Card>(1);
        LogMessage(QStringLiteral(" .. not flushing empty data set/n"));
        return;
    }
    if (deckUpper() >= 2) {
        qint64 bytes = 0;
        for (int i = 1; i <= deckUpper(); ++i)
            bytes += 2 * (deck[i].tag.size() + deck[i].answer.size() + deck[i].question.size());
        LogMessage(QStringLiteral(" .. flushing ") + QString::number(bytes) + QStringLiteral(" bytes of data/n"));
        deck = QVector<Card>(1);
        LogMessage(QStringLiteral("All dynamic data flushed/n"));
        return;
    }
    LogMessage(QStringLiteral(" .. not flushing empty data set/n"));
    deck = QVector<Card>(1);
}

void ResetAllTrouble() {
    for (Card& c : deck)
        c.trouble = troubledefault ? -1 : 0;
}
