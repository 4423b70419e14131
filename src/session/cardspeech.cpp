#include "cardspeech.h"

#include "appstate.h"
#include "cardmanager.h"
#include "deck.h"
#include "languageguess.h"
#include "modrender.h"
#include "r_data.h"
#include "r_renderer.h"

#include <QTimer>

CardVoice& cardVoice() {
    static CardVoice v;
    return v;
}

namespace {
// Cards read per side to guess a chapter's language: enough for the vote, and a chapter of
// thirty thousand cards costs no more than one of a few hundred.
constexpr int kGuessSample = 400;

QString chapterKey(const Card& c) {
    return c.chapter >= 0 ? QStringLiteral("#%1").arg(c.chapter) : QStringLiteral("title:") + c.chaptertitle;
}
} // namespace

// The rules speak through whatever engine the wiring gives; without one, no language has a
// voice and nothing is said.
class CardSpeech::Forwarder : public speech::Speaker {
public:
    void say(const QString& text, const QString& language) override {
        if (speech::Speaker* s = engine())
            s->say(text, language);
    }
    void stop() override {
        if (speech::Speaker* s = engine())
            s->stop();
    }
    bool available(const QString& language, QString* whyNot) const override {
        if (speech::Speaker* s = engine())
            return s->available(language, whyNot);
        if (whyNot)
            *whyNot = QStringLiteral("no speech engine");
        return false;
    }

private:
    static speech::Speaker* engine() { return cardVoice().speaker ? cardVoice().speaker() : nullptr; }
};

CardSpeech::CardSpeech(QObject* parent) : QObject(parent), m_forwarder(std::make_unique<Forwarder>()) {
    m_rules = std::make_unique<speech::ReadAloud>(*m_forwarder, [this](const QString& line, const QString& whyNot) {
        if (cardVoice().log)
            cardVoice().log(QStringLiteral("speech: ") + line + (whyNot.isEmpty() ? QString() : QStringLiteral(" (") + whyNot + QStringLiteral(")")));
        quietLine(line);
    });
}

CardSpeech::~CardSpeech() = default;

QString CardSpeech::listenText() {
    return QStringLiteral("\U0001F50A Listen \u2014 press Ctrl+L to hear it again");
}

void CardSpeech::quietLine(const QString& line) {
    auto d = mainRenderData();
    if (!d)
        return;
    d->setBottomlefttext(line);
    d->blreset();
    if (!m_presenting)
        refresh();
}

void CardSpeech::refresh() {
    if (r_renderer* r = mainRenderer()) {
        r->drawtobuffer(false);
        r->drawtobuffer(true);
    }
}

void CardSpeech::engineProblem(const QString& problem) { quietLine(problem); }

QPair<QString, QString> CardSpeech::languagesOfSlot(int slot) {
    if (slot < 0 || slot >= deck.size())
        return {};
    if (m_deckSize != deck.size()) {
        m_languages.clear();
        m_deckSize = int(deck.size());
    }
    const Card& card = deck[slot];
    const QString key = chapterKey(card);
    if (auto found = m_languages.constFind(key); found != m_languages.constEnd())
        return found.value();
    QPair<QString, QString> set;
    if (card.chapter >= 0 && card.chapter < deckChapters.size() && cardVoice().chapterLanguages) {
        if (const auto stored = cardVoice().chapterLanguages(deckChapters[card.chapter]))
            set = *stored;
    }
    if (set.first.isEmpty() || set.second.isEmpty()) {
        QStringList fronts, backs;
        for (int i = 0; i < deckUpper() && fronts.size() < kGuessSample; ++i) {
            if (chapterKey(deck[i]) != key)
                continue;
            fronts << deck[i].question;
            backs << deck[i].answer;
        }
        const QLocale fallback = QLocale::system();
        if (set.first.isEmpty())
            set.first = speech::guessLanguage(fronts, fallback);
        if (set.second.isEmpty())
            set.second = speech::guessLanguage(backs, fallback);
    }
    m_languages.insert(key, set);
    return set;
}

void CardSpeech::presenting() {
    ++m_presentation;
    auto d = mainRenderData();
    if (d)
        d->setVeil(QString(), QString());
    const bool listening = app().typeAnswers && app().listeningDrill;
    // A value from outside the choice's range reads as "never", as sys.qex's reader takes it.
    const auto mode = app().readAloud == 1 || app().readAloud == 2 ? speech::ReadAloudMode(app().readAloud)
                                                                   : speech::ReadAloudMode::Never;
    m_rules->setMode(mode);
    m_rules->setListeningDrill(listening);
    const bool speaks = listening || mode != speech::ReadAloudMode::Never;
    const bool ready = !cardVoice().ready || cardVoice().ready();
    if (!speaks || ready) {
        m_presenting = true;
        present(false);
        m_presenting = false;
        return;
    }
    // The engine is made just after the card is drawn. The listening drill's question is
    // hidden meanwhile, and shown should there be no voice for it.
    if (listening && d)
        d->setVeil(d->maintext(), listenText());
    const quint64 presentation = m_presentation;
    QTimer::singleShot(0, this, [this, presentation] {
        if (presentation == m_presentation && mainRenderData())
            present(true);
    });
}

void CardSpeech::present(bool deferred) {
    auto d = mainRenderData();
    if (!d || curcard < 0 || curcard >= deckUpper()) {
        m_rules->stop();
        return;
    }
    const bool question = m_rules->mode() != speech::ReadAloudMode::Never || m_rules->listeningDrill();
    if (question) {
        const auto [front, back] = languagesOfSlot(curcard);
        m_rules->setLanguages(front, back);
    }
    const QString face = d->maintext();
    m_face = face;
    m_rules->cardPresented(face, CurrentAnswerFirst() ? speech::Side::Back : speech::Side::Front);
    const QString veil = m_rules->questionHidden() ? listenText() : QString();
    if (d->veil() != veil || deferred) {
        d->setVeil(veil.isEmpty() ? QString() : face, veil);
        if (deferred)
            refresh();
    }
}

void CardSpeech::turned() {
    auto d = mainRenderData();
    if (!d || curcard < 0 || curcard >= deckUpper())
        return;
    d->setVeil(QString(), QString());
    const bool front = ShowingFrontSide();
    const bool answerFirst = CurrentAnswerFirst();
    const speech::Side side = front != answerFirst ? speech::Side::Front : speech::Side::Back;
    if (m_rules->mode() == speech::ReadAloudMode::BothSides) {
        const auto [f, b] = languagesOfSlot(curcard);
        m_rules->setLanguages(f, b);
    }
    m_face = d->maintext();
    m_rules->cardTurned(m_face, side);
}

void CardSpeech::readAloudPressed() {
    auto d = mainRenderData();
    if (!d || curcard < 0 || curcard >= deckUpper())
        return;
    const auto [f, b] = languagesOfSlot(curcard);
    m_rules->setLanguages(f, b);
    // The face can change without a presentation (the side cards show first was changed):
    // the rules learn the face on screen, silently, before it is said.
    if (d->maintext() != m_face) {
        const speech::ReadAloudMode mode = m_rules->mode();
        const bool listening = m_rules->listeningDrill();
        m_rules->setMode(speech::ReadAloudMode::Never);
        m_rules->setListeningDrill(false);
        m_rules->cardPresented(d->maintext(), ShowingFrontSide() != CurrentAnswerFirst() ? speech::Side::Front
                                                                                          : speech::Side::Back);
        m_rules->setMode(mode);
        m_rules->setListeningDrill(listening);
    }
    m_face = d->maintext();
    m_rules->readAloudPressed();
}

void CardSpeech::stop() { m_rules->stop(); }
