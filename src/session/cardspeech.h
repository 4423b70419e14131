#pragma once
// The card window's voice: it tells the read-aloud rules what the card face does (a card
// presented, turned, the read-aloud key), with the language of the shown side's chapter,
// and hides the question of the listening drill behind a "Listen" line.
//
// The engine comes from cardVoice(), which the program's wiring fills (tests put a recorder
// there). Until the engine has been made, the first card that would speak is spoken just
// after it is drawn, so making the engine never holds a card back; from then on speech
// starts as the card is drawn.
#include "readaloud.h"

#include <QHash>
#include <QObject>
#include <QPair>

#include <functional>
#include <optional>

struct DeckChapter;

struct CardVoice {
    // The engine; nullptr or empty: no speech at all.
    std::function<speech::Speaker*()> speaker;
    // Whether the engine has been made, so that saying something now costs no wait.
    std::function<bool()> ready;
    // The front and back languages the user set for a chapter file; an empty code or none
    // at all: guessed from the chapter's cards.
    std::function<std::optional<QPair<QString, QString>>(const DeckChapter&)> chapterLanguages;
    // Every line for the message log (the reason behind a quiet line, an engine's error).
    std::function<void(const QString&)> log;
};
CardVoice& cardVoice();

class CardSpeech : public QObject {
public:
    explicit CardSpeech(QObject* parent);
    ~CardSpeech() override;

    // From the card manager: the current card's face is set and about to be drawn.
    void presenting();
    // The current card turned to its other side.
    void turned();
    // The read-aloud key or menu item.
    void readAloudPressed();
    // Studying ends: silence.
    void stop();
    // A problem of the engine (logged by the engine's owner), for the quiet line.
    void engineProblem(const QString& problem);

    // What the face shows over the listening drill's question.
    static QString listenText();
    // The front and back languages of the chapter of the card in `slot`.
    QPair<QString, QString> languagesOfSlot(int slot);

private:
    class Forwarder;
    void present(bool deferred);
    void quietLine(const QString& line);
    void refresh();

    std::unique_ptr<Forwarder> m_forwarder;
    std::unique_ptr<speech::ReadAloud> m_rules;
    QHash<QString, QPair<QString, QString>> m_languages; // per chapter, while the deck stays
    int m_deckSize = -1;
    QString m_face; // the face the rules were last told of
    bool m_presenting = false; // the card is drawn right after
    quint64 m_presentation = 0; // counts presentations, so a late first card is not spoken twice
};
