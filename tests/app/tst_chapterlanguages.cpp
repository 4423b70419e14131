// "Languages..." of the chapter window: the front and back language of a chapter chosen from
// the voices or left to the guess, kept in the review history (never in the chapter file),
// found again for the chapter's cards in the deck, also after the chapter was moved.
#include "appstate.h"
#include "chapterlanguages.h"
#include "deck.h"
#include "frmchapter.h"
#include "ivordalite.h"
#include "languagesdialog.h"
#include "modmain.h"
#include "programhistory.h"
#include "testsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
using Pair = QPair<QString, QString>;
} // namespace

class TestChapterLanguages : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void choicesShownAndKept_data();
    void choicesShownAndKept();
    void movedChapterKeepsItsLanguages();
    void fromTheToolbar();
    void unreadableChapterIsTold();

private:
    QString writeLesson(const QString& name);
    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    QString m_path;
};

QString TestChapterLanguages::writeLesson(const QString& name) {
    return writeChapter(m_dir.filePath(name), QStringLiteral("Lesson 1"),
                        {{u"кошка"_qs, u"Kätzchen"_qs}, {u"собака"_qs, u"Hündin"_qs}, {u"дом"_qs, u"Häuschen"_qs}});
}

void TestChapterLanguages::init() {
    AppState::reset();
    FlushDeck(true);
    app().homeFolder = m_dir.path();
    app().historyPathOverride = m_dir.filePath(QStringLiteral("history-%1.sqlite").arg(QTest::currentDataTag()));
    QFile::remove(app().historyPathOverride);
    review::closeProgramHistory();
    m_prompter = std::make_unique<ScriptedPrompter>();
    voiceLanguages() = [] { return QStringList{"ru", "de", "en", "uk"}; };
    m_path = writeLesson(QStringLiteral("lesson1.qex"));
}

void TestChapterLanguages::cleanup() {
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName().startsWith("frm"))
            delete w;
    review::closeProgramHistory();
    voiceLanguages() = {};
    m_prompter.reset();
}

// Each side shows the guess first, then the voices by name; OK keeps the choice in the history,
// the dialog opened again shows it, the deck's cards of the chapter find it, and the chapter
// file keeps its bytes. Both sides on the guess forget the choice.
void TestChapterLanguages::choicesShownAndKept_data() {
    QTest::addColumn<QString>("front");
    QTest::addColumn<QString>("back");
    QTest::addColumn<bool>("kept");
    QTest::newRow("both chosen") << "uk" << "en" << true;
    QTest::newRow("front chosen, back guessed") << "uk" << "" << true;
    QTest::newRow("front guessed, back chosen") << "" << "en" << true;
    QTest::newRow("both guessed") << "" << "" << false;
}

void TestChapterLanguages::choicesShownAndKept() {
    QFETCH(QString, front);
    QFETCH(QString, back);
    QFETCH(bool, kept);
    const QByteArray bytes = readAll(m_path);
    {
        LanguagesDialog d(m_path, QStringLiteral("Lesson 1"), nullptr);
        QVERIFY(d.ok());
        QComboBox* f = d.frontCombo();
        QComboBox* b = d.backCombo();
        QCOMPARE(f->itemText(0), QStringLiteral("Guess from the cards: Russian (ru)"));
        QCOMPARE(b->itemText(0), QStringLiteral("Guess from the cards: German (de)"));
        QStringList items;
        for (int i = 1; i < f->count(); ++i)
            items << f->itemText(i);
        QCOMPARE(items, (QStringList{"English (en)", "German (de)", "Russian (ru)", "Ukrainian (uk)"}));
        QCOMPARE(f->currentIndex(), 0);
        f->setCurrentIndex(f->findData(front));
        b->setCurrentIndex(b->findData(back));
        d.accept();
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }
    QCOMPARE(readAll(m_path), bytes);
    const auto stored = review::storedChapterLanguages({m_path, QStringLiteral("Lesson 1"), {"кошка", "собака", "дом"}});
    QCOMPARE(stored.has_value(), kept);
    if (kept)
        QCOMPARE(*stored, Pair(front, back));
    LanguagesDialog again(m_path, QStringLiteral("Lesson 1"), nullptr);
    QCOMPARE(again.frontCombo()->currentData().toString(), front);
    QCOMPARE(again.backCombo()->currentData().toString(), back);
    // The deck finds the choice for the chapter's cards.
    LoadChapterFile(m_path, QStringLiteral("Lesson 1"));
    const auto inDeck = review::deckChapterLanguages(deckChapters.value(0));
    QCOMPARE(inDeck.has_value(), kept);
    if (kept)
        QCOMPARE(*inDeck, Pair(front, back));
}

// A chapter moved to another folder is the same chapter to the history: its languages follow.
// A language chosen before whose voice has gone stays on the list, chosen.
void TestChapterLanguages::movedChapterKeepsItsLanguages() {
    {
        LanguagesDialog d(m_path, QStringLiteral("Lesson 1"), nullptr);
        d.frontCombo()->setCurrentIndex(d.frontCombo()->findData(QStringLiteral("uk")));
        d.accept();
    }
    const QString moved = m_dir.filePath(QStringLiteral("elsewhere.qex"));
    QVERIFY(QFile::rename(m_path, moved));
    LoadChapterFile(moved, QStringLiteral("Lesson 1"));
    const auto inDeck = review::deckChapterLanguages(deckChapters.value(0));
    QVERIFY(inDeck.has_value());
    QCOMPARE(*inDeck, Pair("uk", ""));
    voiceLanguages() = [] { return QStringList{"ru", "de"}; };
    LanguagesDialog d(moved, QStringLiteral("Lesson 1"), nullptr);
    QCOMPARE(d.frontCombo()->currentText(), QStringLiteral("Ukrainian (uk)"));
}

// Ctrl+G in the chapter window opens the dialog for the current row; Escape leaves all as it was.
void TestChapterLanguages::fromTheToolbar() {
    app().master = std::make_unique<ivordalite>();
    QVERIFY(app().master->mount(masterPath(), false));
    app().master->add("flist_count", "", 1, "");
    app().master->add("flist_name_1", m_path, 0, "");
    frmChapter* w = showChapterWindow();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QAction* a = w->findChild<QAction*>(QStringLiteral("lang"));
    QVERIFY(a);
    QCOMPARE(a->text(), QStringLiteral("Languages..."));
    QCOMPARE(a->shortcut(), QKeySequence(QStringLiteral("Ctrl+G")));
    w->LV1()->setCurrentItem(w->LV1()->topLevelItem(0));
    QString seen;
    QTimer::singleShot(0, [&seen] {
        auto* d = qobject_cast<LanguagesDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        seen = d->windowTitle() + " | " + d->frontCombo()->itemText(0);
        d->frontCombo()->setCurrentIndex(d->frontCombo()->findData(QStringLiteral("en")));
        QTest::keyClick(d, Qt::Key_Escape);
    });
    a->trigger();
    QCOMPARE(seen, QStringLiteral("Languages of Lesson 1 | Guess from the cards: Russian (ru)"));
    QVERIFY(!review::storedChapterLanguages({m_path, QStringLiteral("Lesson 1"), {"кошка", "собака", "дом"}}));
    app().master.reset();
}

void TestChapterLanguages::unreadableChapterIsTold() {
    app().master = std::make_unique<ivordalite>();
    QVERIFY(app().master->mount(masterPath(), false));
    app().master->add("flist_count", "", 1, "");
    app().master->add("flist_name_1", m_path, 0, "");
    frmChapter* w = showChapterWindow();
    QVERIFY(QFile::remove(m_path));
    w->LV1()->setCurrentItem(w->LV1()->topLevelItem(0));
    m_prompter->expect(MsgResult::Ok, QStringLiteral("Languages"));
    w->findChild<QAction*>(QStringLiteral("lang"))->trigger();
    QCOMPARE(m_prompter->boxes.size(), 1);
    QVERIFY(m_prompter->boxes[0].text.startsWith(QStringLiteral("The cards of \"Lesson 1\" could not be read")));
    QVERIFY(!QFile::exists(m_path));
    app().master.reset();
}

QTEST_MAIN(TestChapterLanguages)
#include "tst_chapterlanguages.moc"
