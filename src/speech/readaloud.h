#pragma once
// When a card is read aloud, and what is said. The card window tells it what happens
// (a card presented, a card turned, the read-aloud key); it says the shown side's text in
// that side's language through a Speaker. Every event stops the speech before anything
// new is said, so quick card changes never queue up speech.
//
// When a language has no voice, nothing is said and one quiet line ("No voice for Thai")
// goes to the report callback, once per language for the controller's lifetime, with the
// speaker's reason for the log.
#include "speaker.h"

#include <QSet>
#include <QString>

#include <functional>

namespace speech {

// The Preferences choice "Read aloud".
enum class ReadAloudMode {
    Never,     // only the read-aloud key speaks
    Question,  // the question when it shows
    BothSides, // the question when it shows and the answer when the card turns
};

enum class Side { Front, Back };

class ReadAloud {
public:
    using Report = std::function<void(const QString& line, const QString& whyNot)>;

    explicit ReadAloud(Speaker& speaker, Report report = {});

    void setMode(ReadAloudMode mode) { m_mode = mode; }
    ReadAloudMode mode() const { return m_mode; }
    // The chapter's languages of the front and the back.
    void setLanguages(const QString& front, const QString& back);
    QString language(Side side) const { return side == Side::Front ? m_front : m_back; }

    // The listening drill: the question is spoken whatever the mode, and hidden while it is
    // the side shown, so the learner types what was heard. Without a voice the question
    // shows as usual.
    void setListeningDrill(bool on) { m_listening = on; }
    bool listeningDrill() const { return m_listening; }

    // A new card shows its question `face`, which is the card's `side`.
    void cardPresented(const QString& face, Side side);
    // The card turned and shows its answer `face`, the card's `side`.
    void cardTurned(const QString& face, Side side);
    // The read-aloud key or menu item: says the side shown again, in every mode.
    void readAloudPressed();
    // Studying ended or paused: silence, and no card shown.
    void stop();

    // Whether the question shown is to be hidden (the listening drill spoke it).
    bool questionHidden() const { return m_questionHidden; }

    // "No voice for Thai"; the code itself when Qt knows no name for it.
    static QString noVoiceLine(const QString& language);

private:
    // Stops, then says `face` in `side`'s language; false when there was no voice.
    bool speak(const QString& face, Side side);

    Speaker& m_speaker;
    Report m_report;
    ReadAloudMode m_mode = ReadAloudMode::Never;
    QString m_front;
    QString m_back;
    bool m_listening = false;
    bool m_questionHidden = false;
    bool m_shown = false;
    QString m_face;
    Side m_side = Side::Front;
    QSet<QString> m_reported;
};

} // namespace speech
