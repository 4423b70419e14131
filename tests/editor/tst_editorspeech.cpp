// The editor's read-aloud buttons beside Front and Back, through a recording speaker: the
// button and its key speak the field in its side's language, guessed from the chapter's cards;
// a missing voice is one status-bar line per language.
#include "cardlistmodel.h"
#include "editorwindow.h"
#include "readaloudbuttons.h"
#include "testsupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QSet>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

using namespace qredit;

namespace {
class RecordingSpeaker : public speech::Speaker {
public:
    void say(const QString& text, const QString& language) override {
        calls << QStringLiteral("say %1: %2").arg(language, text);
    }
    void stop() override { calls << QStringLiteral("stop"); }
    bool available(const QString& language, QString* whyNot) const override {
        if (!voiceless.contains(language))
            return true;
        if (whyNot)
            *whyNot = QStringLiteral("no voice for ") + language;
        return false;
    }
    QStringList calls;
    QSet<QString> voiceless;
};
} // namespace

class TestEditorSpeech : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init();
    void cleanup();
    void buttonsBesideTheFields();
    void readsTheField_data();
    void readsTheField();
    void missingVoiceToldOnce();

private:
    std::unique_ptr<EditorWindow> m_w;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    RecordingSpeaker m_speaker;
    QTemporaryDir m_dir;
};

void TestEditorSpeech::init() {
    m_speaker = RecordingSpeaker();
    editorSpeaker() = [this] { return &m_speaker; };
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_w = std::make_unique<EditorWindow>();
    m_w->setHistoryPath(m_dir.filePath(QStringLiteral("history.sqlite")));
    m_w->show();
    QApplication::setActiveWindow(m_w.get());
    QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
}

void TestEditorSpeech::cleanup() {
    m_w.reset();
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    m_prompter.reset();
}

void TestEditorSpeech::buttonsBesideTheFields() {
    const struct {
        const char* button;
        const char* field;
        const char* name;
    } pairs[] = {{"readFront", "Text1", "Read the front aloud"}, {"readBack", "Text2", "Read the back aloud"}};
    for (const auto& p : pairs) {
        auto* b = m_w->findChild<QToolButton*>(QLatin1String(p.button));
        auto* f = m_w->findChild<QLineEdit*>(QLatin1String(p.field));
        QVERIFY(b && f);
        QCOMPARE(b->accessibleName(), QLatin1String(p.name));
        QVERIFY(b->isVisible());
        // On the field's row, right of it.
        const QRect bg = b->geometry(), fg = f->geometry();
        QVERIFY2(bg.left() > fg.right() && bg.center().y() > fg.top() && bg.center().y() < fg.bottom(), p.button);
    }
}

// The front in the chapter's front language, the back in its back language; an empty chapter
// guesses from the field; the markers of special letters and alternatives are spoken as words.
void TestEditorSpeech::readsTheField_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("withCards");
    QTest::addColumn<QString>("front");
    QTest::addColumn<QString>("back");
    QTest::addColumn<QString>("expected");
    QTest::newRow("front button") << "front button" << true << u"мышь"_qs << "Maus" << u"say ru: мышь"_qs;
    QTest::newRow("back button") << "back button" << true << u"мышь"_qs << "Maus" << "say de: Maus";
    QTest::newRow("front key") << "Ctrl+Shift+F" << true << u"мышь"_qs << "Maus" << u"say ru: мышь"_qs;
    QTest::newRow("back key") << "Ctrl+Shift+B" << true << u"мышь"_qs << "der/die" << "say de: der, die";
    QTest::newRow("empty chapter, the field's own script") << "Ctrl+Shift+F" << false << u"γάτα"_qs << ""
                                                          << u"say el: γάτα"_qs;
    QTest::newRow("empty field says nothing") << "Ctrl+Shift+B" << true << u"мышь"_qs << "  " << "";
}

void TestEditorSpeech::readsTheField() {
    QFETCH(QString, how);
    QFETCH(bool, withCards);
    QFETCH(QString, front);
    QFETCH(QString, back);
    QFETCH(QString, expected);
    if (withCards) {
        m_w->model()->appendRow({u"кошка"_qs, u"Kätzchen"_qs});
        m_w->model()->appendRow({u"собака"_qs, u"Hündin"_qs});
    }
    m_w->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(front);
    m_w->findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(back);
    m_w->findChild<QLineEdit*>(QStringLiteral("Text1"))->setFocus();
    if (how == QLatin1String("front button"))
        QTest::mouseClick(m_w->findChild<QToolButton*>(QStringLiteral("readFront")), Qt::LeftButton);
    else if (how == QLatin1String("back button"))
        QTest::mouseClick(m_w->findChild<QToolButton*>(QStringLiteral("readBack")), Qt::LeftButton);
    else
        QTest::keySequence(QApplication::focusWidget(), QKeySequence(how));
    QCOMPARE(m_speaker.calls, expected.isEmpty() ? QStringList{"stop"} : (QStringList{"stop", expected}));
    // The field keeps its text.
    QCOMPARE(m_w->findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), front);
}

void TestEditorSpeech::missingVoiceToldOnce() {
    m_speaker.voiceless.insert(QStringLiteral("th"));
    m_w->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(u"แมว"_qs);
    QTest::keySequence(m_w.get(), QKeySequence(QStringLiteral("Ctrl+Shift+F")));
    QCOMPARE(m_w->statusBar()->currentMessage(), QStringLiteral("No voice for Thai (no voice for th)"));
    m_w->statusBar()->clearMessage();
    QTest::keySequence(m_w.get(), QKeySequence(QStringLiteral("Ctrl+Shift+F")));
    QCOMPARE(m_w->statusBar()->currentMessage(), QString());
    QCOMPARE(m_speaker.calls, (QStringList{"stop", "stop"}));
}

QTEST_MAIN(TestEditorSpeech)
#include "tst_editorspeech.moc"
