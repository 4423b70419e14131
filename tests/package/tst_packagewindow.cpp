// A package imported from the editor's window: the choices of the decks dialog in each
// state, the chapters and reviews written, and a bad package refused with one message.
#include "editorwindow.h"
#include "history.h"
#include "packagedialog.h"
#include "packagemaker.h"
#include "testsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QTest>

using namespace qredit;

namespace {
maker::Collection sample() {
    maker::Collection c;
    c.decks = {{10, "Spanish::Verbs"}, {11, "French"}};
    c.types = {{100, "Basic", {"Front", "Back"}}, {102, "Vocab", {"Word", "Meaning", "Example"}}};
    c.notes = {{1000, 100, {"ir", "to go"}, {{2000, 10}}},
               {1001, 100, {"comer", "to eat"}, {{2001, 10}}},
               {1002, 102, {"chat", "cat", "Le chat dort."}, {{2002, 11}}}};
    c.reviews = {{1714987800000, 2000, 3, 0}, {1715074200000, 2000, 3, 1}, {1714987800000, 2002, 1, 0}};
    return c;
}
} // namespace

class TestPackageWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_w = std::make_unique<EditorWindow>();
        m_w->setHistoryPath(m_dir->filePath("history.sqlite"));
        QFile f(m_dir->filePath("decks.apkg"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(maker::package(sample(), maker::Schema::Anki21b));
    }
    void cleanup() {
        EditorWindow::setPackageRunner(nullptr);
        m_w.reset();
        QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
        QVERIFY(m_prompter->scriptDone());
        m_dialogs.reset();
        m_prompter.reset();
        m_dir.reset();
    }

    // Import... of a package: one deck unchecked, the other written with its reviews.
    void importFromMenu() {
        m_dialogs->answerFile(m_dir->filePath("decks.apkg"));
        QStringList decks, fronts;
        EditorWindow::setPackageRunner([&](PackageDialog& d) {
            auto* list = d.findChild<QListWidget*>("lstDecks");
            for (int i = 0; i < list->count(); ++i)
                decks << QStringLiteral("%1 %2").arg(list->item(i)->text()).arg(list->item(i)->checkState() == Qt::Checked);
            auto* front = d.findChild<QComboBox*>("cboFront");
            for (int i = 0; i < front->count(); ++i)
                fronts << front->itemText(i);
            if (const QByteArray shots = qgetenv("QUARNEL_SHOTS"); !shots.isEmpty()) {
                d.show();
                d.grab().save(QDir(QString::fromLocal8Bit(shots)).filePath("frmPackage.png"));
            }
            d.setDeckChecked(0, false); // French
            return true;
        });
        m_prompter->expect(MsgResult::Ok, "Decks Imported");
        QVERIFY(m_w->ImportList());
        QCOMPARE(decks, QStringList({"French (1 note) 1", "Spanish \u2013 Verbs (2 notes) 1"}));
        QCOMPARE(fronts, QStringList({"Field 1: Front / Word", "Field 2: Back / Meaning", "Field 3: Example"}));
        QCOMPARE(m_prompter->boxes.last().text,
                 QStringLiteral("1 chapter written with 2 cards and 2 reviews in the review history.\n\nIn '%1': "
                                "Spanish \u2013 Verbs.qex.\nOpen a chapter with File > Open, or study it in qr2.")
                     .arg(m_dir->path()));
        QVERIFY(QFile::exists(m_dir->filePath("Spanish \u2013 Verbs.qex")));
        QVERIFY(!QFile::exists(m_dir->filePath("French.qex")));
        history::History h;
        QVERIFY(h.open(m_dir->filePath("history.sqlite")).ok());
        QCOMPARE(h.reviewCount(), 2);
    }

    // Import stays off while the choices can't make a chapter, and says why.
    void dialogStates_data() {
        QTest::addColumn<QList<int>>("unchecked");
        QTest::addColumn<int>("front");
        QTest::addColumn<int>("back");
        QTest::addColumn<QString>("folder"); // under the test's folder
        QTest::addColumn<bool>("canImport");
        QTest::addColumn<QString>("info");
        QTest::newRow("as it opens") << QList<int>{} << 0 << 1 << "" << true
                                     << "2 decks with 3 notes become 2 chapters; the reviews come along into the review "
                                        "history.";
        QTest::newRow("one deck") << QList<int>{1} << 0 << 1 << "" << true
                                  << "1 deck with 1 note becomes 1 chapter; the reviews come along into the review "
                                     "history.";
        QTest::newRow("no deck") << QList<int>{0, 1} << 0 << 1 << "" << false << "Check at least one deck.";
        QTest::newRow("same fields") << QList<int>{} << 2 << 2 << "" << false << "Front and back are the same field.";
        QTest::newRow("swapped fields") << QList<int>{} << 1 << 0 << "" << true
                                        << "2 decks with 3 notes become 2 chapters; the reviews come along into the "
                                           "review history.";
        QTest::newRow("no such folder") << QList<int>{} << 0 << 1 << "none" << false
                                        << "The folder to save the chapters in does not exist.";
    }
    void dialogStates() {
        QFETCH(QList<int>, unchecked);
        QFETCH(int, front);
        QFETCH(int, back);
        QFETCH(QString, folder);
        package::Collection c;
        QVERIFY(c.open(m_dir->filePath("decks.apkg")));
        PackageDialog d("decks.apkg", c, m_dir->path());
        for (int row : unchecked)
            d.setDeckChecked(row, false);
        d.setFields(front, back);
        d.setFolder(m_dir->filePath(folder));
        QTEST(d.canImport(), "canImport");
        QTEST(d.findChild<QLabel*>("lblInfo")->text(), "info");
        QCOMPARE(d.choice().frontField, front);
        QCOMPARE(d.choice().decks.size(), 2 - unchecked.size());
    }

    // A damaged package: one message, no dialog, nothing written.
    void badPackage() {
        QFile f(m_dir->filePath("bad.colpkg"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(maker::package(sample(), maker::Schema::Anki2).chopped(10));
        f.close();
        bool asked = false;
        EditorWindow::setPackageRunner([&](PackageDialog&) { return asked = true; });
        m_prompter->expect(MsgResult::Ok, "Can't import file");
        QVERIFY(!m_w->importFile(m_dir->filePath("bad.colpkg")));
        QVERIFY(!asked);
        QCOMPARE(m_prompter->boxes.last().text,
                 QStringLiteral("'bad.colpkg' can't be imported: The file is no package: it is not a zip archive, or "
                                "one cut short. Nothing was written."));
        QCOMPARE(QDir(m_dir->path()).entryList({"*.qex"}).size(), 0);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<EditorWindow> m_w;
};

QTEST_MAIN(TestPackageWindow)
#include "tst_packagewindow.moc"
