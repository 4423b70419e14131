// Not a test: puts the main card window into a state worth looking at and leaves it open, for
// pictures taken under the screenshot tool. The typing drill after a right, an almost or a
// wrong answer (a long one too), the round summary after a typed round, or the review of due
// cards with its grade buttons (typed, and its summary), the listening drill's hidden question,
// or the quiet line of a language without a voice:
//     studyshots right|almost|wrong|long|summary|review|reviewdrill|reviewsummary|listening|novoice
#include "appstate.h"
#include "cardmanager.h"
#include "cardspeech.h"
#include "deck.h"
#include "duereview.h"
#include "frmmain.h"
#include "ivordalite.h"
#include "lettermarkers.h"
#include "modrender.h"
#include "r_data.h"
#include "testsupport.h"
#include "themestep.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// A speaker with a voice for every language but `voiceless`, saying nothing aloud.
class SilentSpeaker : public speech::Speaker {
public:
    void say(const QString&, const QString&) override {}
    void stop() override {}
    bool available(const QString& language, QString* whyNot) const override {
        if (language != voiceless)
            return true;
        if (whyNot)
            *whyNot = QStringLiteral("no voice for ") + language;
        return false;
    }
    QString voiceless;
};

void answer(frmMain* w, const QString& text, bool moveOn) {
    QTest::keyClicks(w->answerBox(), text);
    QTest::keyClick(w->answerBox(), Qt::Key_Return);
    if (moveOn)
        QTest::keyClick(w->answerBox(), Qt::Key_Return);
}
} // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("right");
    QTemporaryDir home;
    AppState::reset();
    app().homeFolder = home.path();
    app().hooks.quitProcess = [](int) { QCoreApplication::quit(); };
    app().hooks.releaseRenderer = [] { releaseMainRenderPair(); };
    FlushDeck(true);
    troubledefault = false;
    const QList<QPair<QString, QString>> cards{{QStringLiteral("die Straße"), QStringLiteral("the street")},
                                               {QStringLiteral("der Schlüssel"), QStringLiteral("the key")},
                                               {QStringLiteral("das Frühstück"), QStringLiteral("breakfast")}};
    deck = QVector<Card>(cards.size() + 1);
    for (int i = 0; i < cards.size(); ++i) {
        deck[i].question = cards[i].first;
        deck[i].answer = cards[i].second;
        deck[i].chaptertitle = QStringLiteral("Deutsch – Lektion 3");
    }
    const bool review = what.startsWith(QLatin1String("review"));
    if (review) {
        // A chapter of three cards in a file of its own, none reviewed yet.
        app().historyPathOverride = home.path() + QStringLiteral("/history.sqlite");
        ivordalite store;
        const QString path = home.path() + QStringLiteral("/lektion3.qex");
        store.mountnew(path);
        store.setTitle(QStringLiteral("Deutsch – Lektion 3"));
        store.setComment(chapterMark());
        for (const auto& [q, a] : cards)
            store.add(q, a, 0, QString());
        store.save();
        review::dueReview().begin({{path, QStringLiteral("Deutsch – Lektion 3")}});
    }
    static SilentSpeaker speaker;
    cardVoice().speaker = [] { return &speaker; };
    if (what == QLatin1String("listening")) {
        app().typeAnswers = true;
        app().listeningDrill = true;
    }
    if (what == QLatin1String("novoice")) {
        app().readAloud = 1;
        speaker.voiceless = QStringLiteral("de");
    }
    frmMain* w = loadMainWindow();
    if (!w)
        return 1;
    InitCardSurface();
    ShowFirstCard();
    ApplyTheme(w); // as when the chapter window opens the card window
    if (!QTest::qWaitForWindowExposed(w))
        return 1;
    if (what == QLatin1String("longquestion")) { // both top corners long
        deck[0].question = QStringLiteral("Wie weit ist es von hier bis zum alten Bahnhof am Fluss");
        ShowFirstCard();
    }
    if (what == QLatin1String("listening") || what == QLatin1String("novoice"))
        return qapp.exec();
    if (what == QLatin1String("review")) {
        QTest::keyClick(w, Qt::Key_Return);
        return qapp.exec();
    }
    if (what == QLatin1String("reviewsummary")) {
        for (int g : {4, 3, 4, 3})
            QTest::keyClick(w, Qt::Key_Return), QTest::keyClick(w, Qt::Key(Qt::Key_0 + g));
        return qapp.exec();
    }
    w->setTypingDrill(true);
    if (what == QLatin1String("reviewdrill")) {
        answer(w, QStringLiteral("the steet"), false);
        return qapp.exec();
    }
    if (what == QLatin1String("longquestion")) {
        answer(w, QStringLiteral("it is a long way from here to the old station by the river"), false);
    } else if (what == QLatin1String("right")) {
        answer(w, QStringLiteral("The street."), false);
    } else if (what == QLatin1String("almost")) {
        answer(w, QStringLiteral("the steet"), false);
    } else if (what == QLatin1String("wrong")) {
        answer(w, QStringLiteral("the road"), false);
    } else if (what == QLatin1String("long")) {
        answer(w, QStringLiteral("the long and winding road that runs around the old town wall"), false);
    } else if (what == QLatin1String("summary")) {
        answer(w, QStringLiteral("the street"), true);
        answer(w, QStringLiteral("the kye"), true);
        answer(w, QStringLiteral("lunch"), true);
    } else {
        qWarning("usage: studyshots right|almost|wrong|long|longquestion|summary");
        return 2;
    }
    return qapp.exec();
}
