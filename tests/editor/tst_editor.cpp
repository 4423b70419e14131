// The card file editor: its window driven for real under offscreen, the chapter files it
// writes compared byte for byte, and what the study program's loader makes of them.
#include "appstate.h"
#include "cardlistmodel.h"
#include "chapterfile.h"
#include "commandline.h"
#include "deck.h"
#include "editorversion.h"
#include "editorwindow.h"
#include "exportname.h"
#include "history.h"
#include "importdialog.h"
#include "lessondialog.h"
#include "ivordalite.h"
#include "scripttexts.h"
#include "testsupport.h"
#include "westerntexts.h"
#include "wordimport.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QPushButton>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QComboBox>
#include <QTreeView>
#include <QUndoStack>
#include <atomic>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using qredit::CardRow;
using qredit::EditorWindow;

namespace qredit {
char* toString(const CardRow& r) { return QTest::toString(QStringLiteral("%1 = %2").arg(r.question, r.answer)); }
} // namespace qredit

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Key presses for any text, letters outside ASCII included.
void typeText(QWidget* w, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A character outside the basic plane is one key press of two units.
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, text.mid(i, n), Qt::NoModifier);
        i += n - 1;
    }
}

QByteArray le(quint32 v, int n) {
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
    return b;
}
QByteArray str16(const QByteArray& s) { return le(quint32(s.size()), 2) + s; }
QByteArray padded(const QByteArray& record) { return record + QByteArray(128 - record.size(), '\0'); }

// A chapter file written by hand: header slot, the empty hidden entry, one slot per card.
QByteArray chapterBytes(const QByteArray& title, const QList<QByteArray>& entries) {
    QByteArray out = padded(str16("generated automatically by the Quarnel Editor v1.21") + le(4, 4) +
                            le(quint32(entries.size()), 2) + str16(title) + str16(""));
    out += padded(QByteArray(20, '\0'));
    for (const QByteArray& e : entries)
        out += padded(e);
    return out;
}
// Runs a command-line conversion in this process; returns the status and what it said.
int convert(const QStringList& args, QString& said) {
    FILE* err = std::tmpfile();
    const int status = qredit::runConversion(QStringList{"qredit"} + args, err);
    std::rewind(err);
    QByteArray text;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, err)) > 0;)
        text.append(buf, qsizetype(n));
    std::fclose(err);
    said = QString::fromUtf8(text);
    return status;
}

wordlist::WordTable tableOf(const QByteArray& bytes) {
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    return wordlist::WordListReader::read(b);
}

// 30,000 different fronts, then new answers for the first `repeats` of them.
QByteArray repeatedFronts(int distinct, int repeats) {
    QByteArray out;
    for (int i = 0; i < distinct; ++i)
        out += "w" + QByteArray::number(i) + ",old" + QByteArray::number(i) + "\n";
    for (int i = 0; i < repeats; ++i)
        out += "w" + QByteArray::number(i) + ",NEW" + QByteArray::number(i) + "\n";
    return out;
}

QByteArray cardEntry(const QByteArray& name, const QByteArray& answer) {
    return str16(name) + le(answer.isEmpty() ? 0 : 0xFFFF, 2) + str16(answer) + le(0, 4) + str16("qre_word") +
           le(0, 4) + le(0, 4);
}
} // namespace

// What a line edit does with the keys of the X11 key scheme: it claims them before shortcuts.
class X11LineKeys : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::ControlModifier &&
            (key->key() == Qt::Key_E || key->key() == Qt::Key_A || key->key() == Qt::Key_K || key->key() == Qt::Key_U))
            event->accept();
        return false;
    }
};

class TestEditor : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<EditorWindow> m_w;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QLineEdit* field(const char* name) const { return m_w->findChild<QLineEdit*>(QLatin1String(name)); }
    QPushButton* button(const char* name) const { return m_w->findChild<QPushButton*>(QLatin1String(name)); }
    QAction* action(const char* name) const { return m_w->findChild<QAction*>(QLatin1String(name)); }
    QTreeView* list() const { return m_w->findChild<QTreeView*>(QStringLiteral("LV")); }
    QList<CardRow> rows() const { return m_w->model()->rows(); }

    // Types a card into the fields and presses Enter in Back, as a user adds a card.
    void type(const QString& front, const QString& back) {
        field("Text1")->clear();
        field("Text2")->clear();
        QTest::keyClicks(field("Text1"), front);
        QTest::keyClicks(field("Text2"), back);
        QTest::keyClick(field("Text2"), Qt::Key_Return);
    }
    static QList<CardRow> filterRows() {
        return {{"Haus", "house"},
                {QString::fromUtf8("Straße"), "road"},
                {QString::fromUtf8("ΣΟΦΟΣ"), "wise"},
                {"Baum", "tree"},
                {"Hausaufgabe", "homework"}};
    }
    QStringList shownQuestions() const {
        QStringList out;
        for (int r = 0; r < m_w->model()->rowCount(); ++r)
            if (!list()->isRowHidden(r, QModelIndex()))
                out.append(m_w->model()->row(r).question);
        return out;
    }
    void clickRow(int row) {
        QTreeView* lv = list();
        const QRect r = lv->visualRect(m_w->model()->index(row, 0));
        QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, r.center());
    }
    void saveAs(const QString& file) {
        m_dialogs->answerFile(file);
        QVERIFY(m_w->SaveDeck());
    }
    // Reviews for some cards of the chapter at `file`, in the window's review history.
    void seedHistory(const QString& file, const QList<QPair<QString, int>>& counts) {
        history::History h;
        QVERIFY(h.open(m_w->historyPath()).ok());
        history::Chapter c{file, QStringLiteral("T"), {}};
        for (const auto& [q, n] : counts)
            c.questions.append(q);
        qint64 t = 1767225600000;
        for (const auto& [q, n] : counts)
            for (int i = 0; i < n; ++i)
                QVERIFY2(h.record(c, q, fsrs::Grade::Good, 1000, "review", t += 3600000), qPrintable(h.lastError()));
    }
    // "A=1,B=2": the reviews of each card of `file` the history holds, by front.
    QString historyCounts(const QString& file) const {
        history::History h;
        if (!h.open(m_w->historyPath()).ok())
            return QStringLiteral("(not open)");
        QStringList out;
        qint64 reviews = 0;
        for (const char* q : {"A", "B", "C", "N", "X", "Y"}) {
            const auto n = qint64(h.reviews(file, q).size());
            reviews += n;
            if (n > 0)
                out.append(QStringLiteral("%1=%2").arg(q).arg(n));
        }
        // No card left under a temporary front, no review lost.
        if (h.cardCount() != out.size() || h.reviewCount() != reviews)
            out.append(QStringLiteral("and %1 more cards").arg(h.cardCount() - out.size()));
        return out.join(u',');
    }

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() {
        AppState::reset();
        FlushDeck(true);
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_w = std::make_unique<EditorWindow>();
        // Never the user's own review history.
        m_w->setHistoryPath(path("history.sqlite"));
        m_w->show();
        QApplication::setActiveWindow(m_w.get());
        QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
    }
    void cleanup() {
        m_w.reset();
        QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
        QVERIFY2(m_dialogs->unexpected.isEmpty(), qPrintable(m_dialogs->unexpected.join(", ")));
        QVERIFY(m_prompter->scriptDone());
        m_dialogs.reset();
        m_prompter.reset();
        m_dir.reset();
    }

    void startState() {
        QCOMPARE(m_w->objectName(), QStringLiteral("frmMain"));
        QCOMPARE(m_w->windowTitle(), QStringLiteral("Quarnel Editor - Orvandel"));
        QCOMPARE(m_w->statusText(), QStringLiteral("Quarnel Editor v.1.1 [build %1]").arg(QUARNEL_REVISION));
        QVERIFY(!button("Command1")->isEnabled());
        QCOMPARE(m_w->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Front of Card"));
        QCOMPARE(m_w->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Back of Card"));
        const QStringList lines = EditorWindow::aboutText().split(u'\n');
        QCOMPARE(lines.size(), 12);
        QCOMPARE(lines.at(0), QStringLiteral("RI Zariru Doviva"));
        QCOMPARE(lines.at(1), QStringLiteral("version 1.1 (build %1)").arg(QUARNEL_REVISION));
        QCOMPARE(lines.at(2), QStringLiteral("Built on the VORDA Platform version 3.44 of 16Jan2010"));
        QCOMPARE(lines.at(8), QStringLiteral("Project start date: 14April2007"));
        QCOMPARE(lines.at(10), QStringLiteral("This program is free software under the GNU General Public License, "
                                              "version 3 or later."));
        m_prompter->expect(MsgResult::Ok, QStringLiteral("About"));
        action("mH_a")->trigger();
        QCOMPARE(m_prompter->boxes.last().icon, MsgIcon::Information);
    }

    void enterMovesFocusThenAdds() {
        QTest::keyClicks(field("Text1"), QStringLiteral("  Haus "));
        QVERIFY(!button("Command1")->isEnabled());
        field("Text1")->setFocus();
        QTest::keyClick(field("Text1"), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), field("Text2"));
        QTest::keyClicks(field("Text2"), QStringLiteral("house  "));
        QVERIFY(button("Command1")->isEnabled());
        QTest::keyClick(field("Text2"), Qt::Key_Return);
        QCOMPARE(rows(), (QList<CardRow>{{"Haus", "house"}}));
        QVERIFY(field("Text1")->text().isEmpty() && field("Text2")->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), field("Text1"));
        QVERIFY(!button("Command1")->isEnabled());
        QVERIFY(m_w->isModified());
    }

    // A question already in the list replaces that row's answer and selects the row; with a
    // row selected a new question goes in above it, without one it is appended.
    void addReplacesOrInserts() {
        type("eins", "one");
        type("zwei", "two");
        type("drei", "three");
        QCOMPARE(m_w->selectedRow(), -1);
        type("zwei", "TWO");
        QCOMPARE(rows(), (QList<CardRow>{{"eins", "one"}, {"zwei", "TWO"}, {"drei", "three"}}));
        QCOMPARE(m_w->selectedRow(), 1);
        type("vier", "four");
        QCOMPARE(rows(), (QList<CardRow>{{"eins", "one"}, {"vier", "four"}, {"zwei", "TWO"}, {"drei", "three"}}));
        QCOMPARE(m_w->selectedRow(), 2);
        // Escape in the list drops the selection, and the next card is appended again.
        QTest::keyClick(list(), Qt::Key_Escape);
        type("fuenf", "five");
        QCOMPARE(rows().last(), (CardRow{"fuenf", "five"}));
    }

    void saveWritesChapterBytes() {
        m_w->PutRow("Haus", "house", -1, false);
        field("Text3")->setText(QStringLiteral("  Zu Hause "));
        m_dialogs->answerFile(path("home.qex"));
        QVERIFY(m_w->SaveDeck());
        const FileDialogRequest req = m_dialogs->fileRequests.last();
        QVERIFY(req.save);
        QCOMPARE(req.filterParts, (QStringList{"Quarnel Save File", "*.qex"}));
        QCOMPARE(req.defaultExt, QStringLiteral("qex"));
        QVERIFY(req.flags & 0x2); // ask before overwriting
        const QByteArray haus = QByteArray::fromHex("040048617573FFFF0500686F7573650000000008007172655F776F726400000000"
                                                    "00000000");
        QCOMPARE(haus.size(), 37);
        QCOMPARE(readAll(path("home.qex")), chapterBytes("Zu Hause", {haus}));
        QCOMPARE(m_w->statusText(), QStringLiteral("File saved successfully"));
        QCOMPARE(m_w->windowTitle(), QStringLiteral("Quarnel Editor - home.qex - Orvandel"));
        type("Baum", "tree");
        QCOMPARE(m_w->windowTitle(), QStringLiteral("Quarnel Editor - home.qex* - Orvandel"));
        // The second save goes to the same file without a dialog.
        QVERIFY(m_w->SaveDeck());
        QCOMPARE(m_dialogs->fileRequests.size(), 1);
        QCOMPARE(readAll(path("home.qex")), chapterBytes("Zu Hause", {haus, cardEntry("Baum", "tree")}));
    }

    // Special letters are markers in questions only; a duplicate question is one entry with
    // the last answer; an empty answer is a numeric entry; an empty question never returns.
    void chapterConventions() {
        m_w->PutRow(QStringLiteral("\u00DCber"), QStringLiteral("\u00DCber"), -1, false);
        m_w->PutRow("Tag", "day", -1, false);
        m_w->PutRow("Nacht", "", -1, false);
        m_w->PutRow(QStringLiteral("\u00DCber"), QStringLiteral("\u00DCber alles"), -1, false);
        m_w->PutRow("", "lost", -1, false);
        field("Text3")->setText(QStringLiteral("Gr\u00FC\u00DFe"));
        saveAs(path("c.qex"));
        // The row without a question lands in the hidden entry, which is never read back.
        QByteArray expected = chapterBytes("Gr\xFC\xDF"
                                           "e",
                                           {cardEntry("asc(220)ber", "\xDC" "ber alles"), cardEntry("Tag", "day"),
                                            cardEntry("Nacht", "")});
        expected.replace(128, 128, padded(cardEntry("", "lost")));
        QCOMPARE(readAll(path("c.qex")), expected);

        QVERIFY(m_w->NewDeck());
        QVERIFY(m_w->openFile(path("c.qex")));
        QCOMPARE(rows(), (QList<CardRow>{{QStringLiteral("\u00DCber"), QStringLiteral("\u00DCber alles")},
                                          {"Tag", "day"},
                                          {"Nacht", ""}}));
        QCOMPARE(field("Text3")->text(), QStringLiteral("Gr\u00FC\u00DFe"));
        QCOMPARE(m_w->statusText(), QStringLiteral("File loaded successfully"));
        QVERIFY(!m_w->isModified());

        // The study program reads the same cards.
        LoadChapterFile(path("c.qex"), QStringLiteral("Gr\u00FC\u00DFe"));
        QCOMPARE(deckUpper(), qint16(3));
        QCOMPARE(deck[0].question, QStringLiteral("\u00DCber"));
        QCOMPARE(deck[0].answer, QStringLiteral("\u00DCber alles"));
        QCOMPARE(deck[2].question, QStringLiteral("Nacht"));
        QVERIFY(deck[2].answer.isEmpty());
        QCOMPARE(deck[1].chaptertitle, QStringLiteral("Gr\u00FC\u00DFe"));
        ivordalite store;
        QVERIFY(store.mount(path("c.qex"), false));
        QCOMPARE(store.title(), QStringLiteral("Gr\u00FC\u00DFe"));
    }

    void openRefusesOtherFiles_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("asStore");
        QTest::newRow("other store") << QByteArray() << true;
        QTest::newRow("empty file") << QByteArray() << false;
        QTest::newRow("text") << QByteArray("just some text that is no record store at all\n").repeated(5) << false;
        QTest::newRow("mark in capitals") << padded(str16("GENERATED AUTOMATICALLY BY THE QUARNEL EDITOR V1.21")) << false;
    }
    void openRefusesOtherFiles() {
        QFETCH(QByteArray, content);
        QFETCH(bool, asStore);
        const QString file = path("other.qex");
        if (asStore) {
            ivordalite s;
            QVERIFY(s.mount(file, false));
            s.add("k", "v", 0, "");
            QVERIFY(s.save());
        } else {
            writeAll(file, content);
        }
        const QByteArray before = readAll(file);
        m_w->PutRow("a", "b", -1, false);
        saveAs(path("mine.qex"));
        m_dialogs->answerFile(file);
        m_prompter->expect(MsgResult::Ok, QStringLiteral("Incompatible File Detected"));
        QVERIFY(!m_w->OpenDeck());
        QCOMPARE(m_prompter->boxes.last().text, QStringLiteral("The specified file cannot be opened by this program. "
                                                               "Please choose a different one to edit."));
        QCOMPARE(m_prompter->boxes.last().icon, MsgIcon::Exclamation);
        QCOMPARE(m_dialogs->fileRequests.last().flags & 0x1000u, 0x1000u); // the file must exist
        QCOMPARE(m_w->fileName(), path("mine.qex"));
        QCOMPARE(rows(), (QList<CardRow>{{"a", "b"}}));
        QCOMPARE(readAll(file), before);
    }

    void openMissingFileCreatesNothing() {
        m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't open file"));
        QVERIFY(!m_w->openFile(path("gone.qex")));
        QVERIFY(m_prompter->boxes.last().text.contains(QStringLiteral("No such file")));
        QVERIFY(!QFile::exists(path("gone.qex")));
    }

    void cancelledOpenKeepsFile() {
        m_w->PutRow("a", "b", -1, false);
        saveAs(path("a.qex"));
        m_dialogs->cancelFile();
        QVERIFY(!m_w->OpenDeck());
        QCOMPARE(m_w->fileName(), path("a.qex"));
        type("c", "d");
        QVERIFY(m_w->SaveDeck()); // no second dialog
        QCOMPARE(m_dialogs->fileRequests.size(), 2);
    }

    // Closing, New and Open on unsaved changes ask first; whatever keeps the changes unsaved
    // (Cancel, a cancelled dialog, a failed save) keeps the document.
    void unsavedChangesAreKept_data() {
        QTest::addColumn<int>("operation"); // 0 close, 1 New, 2 Open
        QTest::addColumn<int>("answer");    // 0 Cancel, 1 Yes then cancel the dialog, 2 Yes and the save fails, 3 No
        QTest::addColumn<bool>("kept");
        const char* ops[] = {"close", "new", "open"};
        for (int op = 0; op < 3; ++op) {
            QTest::addRow("%s cancel", ops[op]) << op << 0 << true;
            QTest::addRow("%s yes, dialog cancelled", ops[op]) << op << 1 << true;
            QTest::addRow("%s yes, save fails", ops[op]) << op << 2 << true;
            QTest::addRow("%s no", ops[op]) << op << 3 << false;
        }
    }
    void unsavedChangesAreKept() {
        QFETCH(int, operation);
        QFETCH(int, answer);
        QFETCH(bool, kept);
        type("Haus", "house");
        const QString title = operation == 0 ? QStringLiteral("Save Before Exit") : QStringLiteral("Save Changes");
        m_prompter->expect(answer == 0 ? MsgResult::Cancel : answer == 3 ? MsgResult::No : MsgResult::Yes, title);
        if (answer == 1)
            m_dialogs->cancelFile();
        if (answer == 2) {
            m_dialogs->answerFile(path("no/such/folder/x.qex"));
            m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't save file"));
        }
        if (operation == 2 && !kept)
            m_dialogs->cancelFile();
        const bool went = operation == 0 ? m_w->close() : operation == 1 ? m_w->NewDeck() : m_w->OpenDeck();
        QCOMPARE(m_prompter->boxes.first().text, QStringLiteral("Would you like to save your changes?"));
        QCOMPARE(m_prompter->boxes.first().buttons, MsgButtons::YesNoCancel);
        if (kept) {
            QVERIFY(!went);
            QVERIFY(m_w->isVisible());
            QCOMPARE(rows(), (QList<CardRow>{{"Haus", "house"}}));
            QVERIFY(m_w->isModified());
        } else if (operation != 2) {
            QVERIFY(went);
        }
        if (answer == 2) {
            QVERIFY(m_prompter->boxes.last().text.contains(QStringLiteral("No such file or directory")));
            QCOMPARE(m_w->fileName(), QString());
        }
        if (operation == 1 && !kept) {
            QVERIFY(rows().isEmpty());
            QVERIFY(!m_w->isModified());
            QCOMPARE(m_w->windowTitle(), QStringLiteral("Quarnel Editor - Orvandel"));
        }
    }

    void yesSavesBeforeClosing() {
        type("Haus", "house");
        m_prompter->expect(MsgResult::Yes, QStringLiteral("Save Before Exit"));
        m_dialogs->answerFile(path("closed.qex"));
        QVERIFY(m_w->close());
        QCOMPARE(readAll(path("closed.qex")).size(), 3 * 128);
    }

    void deleteAndTitleEditAreChanges() {
        m_w->PutRow("a", "b", -1, false);
        m_w->PutRow("c", "d", -1, false);
        saveAs(path("d.qex"));
        clickRow(0);
        QTest::keyClick(list(), Qt::Key_Delete);
        QCOMPARE(rows(), (QList<CardRow>{{"c", "d"}}));
        QVERIFY(m_w->isModified());
        QCOMPARE(m_w->windowTitle(), QStringLiteral("Quarnel Editor - d.qex* - Orvandel"));
        QVERIFY(m_w->SaveDeck());
        QTest::keyClicks(field("Text3"), QStringLiteral("T"));
        QVERIFY(m_w->isModified());
        m_prompter->expect(MsgResult::Cancel, QStringLiteral("Save Before Exit"));
        QVERIFY(!m_w->close());
    }

    void declinedReadOnlyWritesNothing() {
        const QString file = path("keep.qex");
        m_w->PutRow("a", "b", -1, false);
        m_w->PutRow("c", "d", -1, false);
        saveAs(file);
        const QByteArray before = readAll(file);
        // Declining the read-only question writes nothing and keeps the changes.
        QFile::setPermissions(file, QFile::ReadOwner);
        type("e", "f");
        m_prompter->expect(MsgResult::No, QStringLiteral("Readonly File Detected"));
        m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't save file"));
        QVERIFY(!m_w->SaveDeck());
        QCOMPARE(readAll(file), before);
        QVERIFY(m_w->isModified());
        QCOMPARE(rows().size(), 3);
    }

    // Texts too long for their 128-byte record can't be typed, and the status bar says why.
    void overlongInputIsRefused() {
        QLineEdit* front = field("Text1");
        QLineEdit* back = field("Text2");
        QTest::keyClicks(back, QString(95, u'a'));
        typeText(front, QStringLiteral("\u00FC"));   // 8 as a marker: 103
        QCOMPARE(front->text(), QString());
        QVERIFY(m_w->statusText().contains(QStringLiteral("at most 100 characters")));
        QTest::keyClicks(front, QStringLiteral("bcdefg"));
        QCOMPARE(front->text(), QStringLiteral("bcdef"));
        QTest::keyClicks(back, QStringLiteral("z"));
        QCOMPARE(back->text().size(), 95);
        QLineEdit* title = field("Text3");
        QTest::keyClicks(title, QString(qredit::maxTitleLength() + 3, u't'));
        QCOMPARE(title->text().size(), 65);
        QCOMPARE(qredit::maxTitleLength(), 65);
        QVERIFY(m_w->statusText().contains(QStringLiteral("65")));
    }

    // A chapter of Windows-1252 texts is written as before any file could hold UTF-8.
    void windows1252ChapterKeepsItsBytes() {
        for (const auto& [q, a] : westerntexts::cards())
            QVERIFY(m_w->PutRow(q, a, -1, false));
        field("Text3")->setText(westerntexts::chapterTitle());
        saveAs(path("western.qex"));
        QCOMPARE(readAll(path("western.qex")), readAll(QStringLiteral(QUARNEL_TEST_DATA "/western-chapter.qex")));
    }

    void scriptsRoundTrip_data() { scripttexts::addRows(); }
    void scriptsRoundTrip() {
        QFETCH(QString, question);
        QFETCH(QString, answer);
        QFETCH(QString, title);
        typeText(field("Text1"), question);
        typeText(field("Text2"), answer);
        QTest::keyClick(field("Text2"), Qt::Key_Return);
        m_w->PutRow(QStringLiteral("\u00DCbung"), QStringLiteral("exercise"), -1, false);
        typeText(field("Text3"), title);
        saveAs(path("s.qex"));
        QVERIFY(readAll(path("s.qex")).contains(QByteArray("\x05\x00UTF-8", 7)));
        QVERIFY(m_w->NewDeck());
        QVERIFY(m_w->openFile(path("s.qex")));
        const QList<CardRow> expected{{question, answer}, {QStringLiteral("\u00DCbung"), "exercise"}};
        QCOMPARE(rows(), expected);
        QCOMPARE(field("Text3")->text(), title);
        ivordalite store;
        QVERIFY(store.mount(path("s.qex"), false));
        LoadChapterFile(path("s.qex"), store.title());
        QCOMPARE(deckUpper(), qint16(2));
        QCOMPARE(deck[0].question, question);
        QCOMPARE(deck[0].answer, answer);
        QCOMPARE(deck[1].question, QStringLiteral("\u00DCbung"));
        QCOMPARE(deck[1].chaptertitle, title);
    }

    // 60 umlauts fit a card as Windows-1252 but take 120 bytes as UTF-8: a Russian letter
    // anywhere would make the chapter UTF-8, so it is refused and the message names the card.
    void utf8WouldOverfillAnotherCard() {
        QVERIFY(m_w->PutRow("x", QString(60, QChar(0xFC)), -1, false));
        typeText(field("Text1"), QStringLiteral("a"));
        QCOMPARE(m_w->statusText(), QStringLiteral("99 bytes left on this card"));
        typeText(field("Text1"), QStringLiteral("\u0434"));
        QCOMPARE(field("Text1")->text(), QStringLiteral("a"));
        QCOMPARE(m_w->statusText(), QStringLiteral("Not changed: with this text the chapter is saved in UTF-8, and "
                                                   "the card 'x' would take 121 bytes there, more than the 100 a "
                                                   "card holds. Shorten that card first."));
        typeText(field("Text3"), QStringLiteral("\u0434"));
        QVERIFY(field("Text3")->text().isEmpty());
        // Once the long card is gone, Russian can be typed; the count is in UTF-8 bytes.
        m_w->model()->removeRowAt(0);
        typeText(field("Text1"), QStringLiteral("\u0434"));
        QCOMPARE(m_w->statusText(), QStringLiteral("97 bytes left on this card (the chapter is saved in UTF-8)"));
    }

    void chapterFit_data() {
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<int>("limit");
        QTest::newRow("65-byte title unmarked") << "Haus" << QString(65, u't') << true << 0;
        QTest::newRow("60-byte title marked") << QStringLiteral("\u0434") << QString(60, u't') << true << 0;
        QTest::newRow("61-byte title marked") << QStringLiteral("\u0434") << QString(61, u't') << false << 60;
        QTest::newRow("Russian title of 31 letters") << "Haus" << QString(31, QChar(0x0434)) << false << 60;
        QTest::newRow("front of 50 Russian letters") << QString(50, QChar(0x0434)) << "" << true << 0;
        QTest::newRow("front of 51 Russian letters") << QString(51, QChar(0x0434)) << "" << false << 100;
    }
    void chapterFit() {
        QFETCH(QString, question);
        QFETCH(QString, title);
        QFETCH(bool, fits);
        QFETCH(int, limit);
        const qredit::ChapterFit fit = qredit::checkChapter({{"a", "b"}}, title, {{question, ""}});
        QCOMPARE(fit.fits(), fits);
        QCOMPARE(fit.limit, limit);
        QCOMPARE(fit.badRow, !fits && !fit.titleTooLong ? 1 : -1);
        QString error;
        QCOMPARE(qredit::saveChapter(path("fit.qex"), {{"a", "b"}, {question, ""}}, title, error), fits);
        QCOMPARE(error.isEmpty(), fits);
    }

    void limits_data() {
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("length");
        QTest::newRow("plain") << "Haus" << "house" << 9;
        QTest::newRow("spaces trimmed") << "  Haus " << " house  " << 9;
        QTest::newRow("marker on the front") << QStringLiteral("\u00DF") << QStringLiteral("\u00DF") << 9;
        QTest::newRow("outside the code page") << QStringLiteral("\U0001F600") << "x" << 2;
        QTest::newRow("just fits") << QString(12, QChar(0xE4)) + "abcd" << "" << 100;
        QTest::newRow("one over") << QString(12, QChar(0xE4)) + "abcd" << "e" << 101;
    }
    void limits() {
        QFETCH(QString, question);
        QFETCH(QString, answer);
        QFETCH(int, length);
        QCOMPARE(qredit::cardLength(question, answer), length);
        QCOMPARE(qredit::cardFits(question, answer), length <= 100);
        QCOMPARE(m_w->PutRow(question, answer, -1, false), length <= 100);
    }

    // A card from a foreign file that doesn't fit the editor's record is reported, selected,
    // and the old file stays as it was.
    void overlongRowIsNotSaved() {
        const QString file = path("foreign.qex");
        {
            ivordalite s;
            QVERIFY(s.mount(file, false));
            s.setComment(chapterMark());
            s.add("short", "one", 0, "");
            s.add(QString(50, u'q'), QString(55, u'a'), 0, ""); // 105 fits without the tag
            QVERIFY(s.save());
        }
        const QByteArray before = readAll(file);
        QVERIFY(m_w->openFile(file));
        type("neu", "new");
        m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't save file"));
        QVERIFY(!m_w->SaveDeck());
        QVERIFY(m_prompter->boxes.last().text.contains(QString(50, u'q')));
        QCOMPARE(m_w->selectedRow(), 1);
        QCOMPARE(readAll(file), before);
        QVERIFY(m_w->isModified());
    }

    void overwriteReplacesWholeFile() {
        const QString file = path("w.qex");
        for (int i = 0; i < 5; ++i)
            m_w->PutRow(QString::number(i), "x", -1, false);
        saveAs(file);
        QVERIFY(m_w->NewDeck());
        m_w->PutRow("only", "one", -1, false);
        saveAs(file);
        QCOMPARE(readAll(file), chapterBytes("", {cardEntry("only", "one")}));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"w.qex"});
    }

    // A chapter at the size limit opens, saves over itself and refuses one card more.
    void fullChapter() {
        QVector<CardRow> full;
        for (int i = 0; i < qredit::kMaxCards; ++i)
            full.append({QStringLiteral("q%1").arg(i), QStringLiteral("a%1").arg(i)});
        m_w->model()->setRows(full);
        saveAs(path("full.qex"));
        QVERIFY(m_w->openFile(path("full.qex")));
        QCOMPARE(m_w->model()->rowCount(), qredit::kMaxCards);
        QCOMPARE(rows().last(), full.last());
        m_w->SetModified(true);
        QVERIFY(m_w->SaveDeck());
        QCOMPARE(readAll(path("full.qex")).size(), qsizetype(qredit::kMaxCards + 2) * 128);
        type("one", "more");
        QCOMPARE(m_w->model()->rowCount(), qredit::kMaxCards);
        QVERIFY(m_w->statusText().contains(QString::number(qredit::kMaxCards)));
        QCOMPARE(field("Text1")->text(), QStringLiteral("one"));
    }

    void newElementAndInsertAbove() {
        QTest::keyClicks(field("Text1"), QStringLiteral("frage"));
        action("newel")->trigger();
        QCOMPARE(rows(), (QList<CardRow>{{"frage", ""}}));
        QCOMPARE(field("Text1")->text(), QStringLiteral("frage")); // the fields stay
        QVERIFY(!action("insert")->isEnabled());
        clickRow(0);
        QCOMPARE(field("Text1")->text(), QStringLiteral("frage"));
        QCOMPARE(m_w->selectedRow(), 0);
        field("Text1")->setText(QStringLiteral("oben"));
        field("Text2")->setText(QStringLiteral("above"));
        QVERIFY(action("insert")->isEnabled());
        action("insert")->trigger();
        QCOMPARE(rows(), (QList<CardRow>{{"oben", "above"}, {"frage", ""}}));
    }

    // A conversion that finds any problem says which rows and why, writes nothing and
    // returns 1; an existing output stays as it was.
    void conversionRefuses_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("words");
        QTest::addColumn<QStringList>("said");
        const QStringList imp = {"--import", "w.csv", "--output", "out.qex"};
        QTest::newRow("no output") << QStringList{"--import", "w.csv"} << QByteArray("a,b\n")
                                   << QStringList{"--output is missing"};
        QTest::newRow("both ways") << QStringList{"--import", "w.csv", "--export", "x.qex", "--output", "o"}
                                   << QByteArray("a,b\n") << QStringList{"either --import or --export"};
        QTest::newRow("unknown") << imp + QStringList{"--colour", "red"} << QByteArray("a,b\n")
                                 << QStringList{"unknown argument '--colour'"};
        QTest::newRow("column 0") << imp + QStringList{"--front", "0"} << QByteArray("a,b\n")
                                  << QStringList{"--front takes a column number from 1 to 16, not '0'"};
        QTest::newRow("same column") << imp + QStringList{"--front", "2"} << QByteArray("a,b\n")
                                     << QStringList{"--front and --back name the same column"};
        QTest::newRow("delimiter") << imp + QStringList{"--delimiter", "|"} << QByteArray("a,b\n")
                                   << QStringList{"--delimiter takes , or ; or tab, not '|'"};
        QTest::newRow("long title") << imp + QStringList{"--title", QString(66, u't')} << QByteArray("a,b\n")
                                    << QStringList{"the deck title is longer than 65 characters"};
        // A Russian word makes the chapter UTF-8, where the accents of the first card take two bytes each.
        QTest::newRow("too long in UTF-8") << imp << QByteArray(QString(QString(50, QChar(0xE9)) + ",bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb\n\u0434\u043E\u043C,house\n").toUtf8())
                                           << QStringList{"w.csv, line 1: the card takes 150 bytes in UTF-8"};
        QTest::newRow("bad rows") << imp << QByteArray("Haus,house\nBaum,\n,x\n" + QByteArray(60, 'q') + "," +
                                                       QByteArray(41, 'a') + "\n")
                                  << QStringList{"w.csv, line 3: the front is empty",
                                                 "w.csv, line 4: the card takes 101 bytes; front and back together hold at most 100",
                                                 "nothing written to out.qex"};
        QTest::newRow("binary") << imp << QByteArray("a,b\0\n", 5)
                                << QStringList{"w.csv can't be imported: it holds binary data"};
        QTest::newRow("no cards") << imp << QByteArray("\n\n") << QStringList{"w.csv holds no cards"};
        QByteArray many;
        for (int i = 0; i < 40000; ++i)
            many += "w" + QByteArray::number(i) + ",x\n";
        QTest::newRow("too many") << imp << many
                                  << QStringList{"w.csv holds 40000 cards; a chapter holds at most 32766"};
        QTest::newRow("too many, repeats counted once")
            << imp << repeatedFronts(33000, 5000) << QStringList{"w.csv holds 33000 cards; a chapter holds at most 32766"};
        QTest::newRow("export of a word list") << QStringList{"--export", "w.csv", "--output", "o.csv"}
                                               << QByteArray("a,b\n") << QStringList{"w.csv is not a chapter file"};
        QTest::newRow("export to .doc") << QStringList{"--export", "out.qex", "--output", "o.doc"} << QByteArray()
                                        << QStringList{"must end in .csv, .tsv or .txt"};
        QTest::newRow("--limit 0") << imp + QStringList{"--limit", "0"} << QByteArray("a,b\n")
                                   << QStringList{"--limit takes a number of cards from 1 to 32767, not '0'"};
        QTest::newRow("--limit 32768") << imp + QStringList{"--limit", "32768"} << QByteArray("a,b\n")
                                       << QStringList{"--limit takes a number of cards from 1 to 32767, not '32768'"};
        QTest::newRow("--limit on export") << QStringList{"--export", "out.qex", "--output", "o.csv", "--limit", "3"}
                                           << QByteArray() << QStringList{"--limit belongs to --import"};
    }
    void conversionRefuses() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, words);
        QFETCH(QStringList, said);
        QDir::setCurrent(m_dir->path());
        writeAll(path("w.csv"), words);
        writeChapter(path("out.qex"), "old", {{"alt", "old"}});
        const QByteArray before = readAll(path("out.qex"));
        QString text;
        QCOMPARE(convert(args, text), 1);
        for (const QString& s : said)
            QVERIFY2(text.contains(s), qPrintable(text));
        QVERIFY(text.startsWith(QStringLiteral("qredit: ")));
        QCOMPARE(readAll(path("out.qex")), before);
        QVERIFY(!QFile::exists(path("o.csv")) && !QFile::exists(path("o.doc")) && !QFile::exists(path("o")));
    }

    // What an import brings in and says: a row with an empty back is a card, a one-column
    // list gives cards with empty backs, a row taken as the column names is named, --limit
    // takes the first cards and counts the rest.
    void conversionImports_data() {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QByteArray>("words");
        QTest::addColumn<QList<CardRow>>("cards");
        QTest::addColumn<QString>("said"); // after "qredit: w.csv: "; empty: nothing said
        QTest::newRow("empty back is a card") << QStringList() << QByteArray("Haus,house\nBaum,\n")
                                              << QList<CardRow>{{"Haus", "house"}, {"Baum", ""}}
                                              << "1 card with an empty back";
        QTest::newRow("one column is cards with empty backs")
            << QStringList() << QByteArray("Haus\nBaum\n") << QList<CardRow>{{"Haus", ""}, {"Baum", ""}}
            << "2 cards with an empty back";
        QTest::newRow("header dropped is said") << QStringList() << QByteArray("Deutsch,German\nHaus,house\n")
                                                << QList<CardRow>{{"Haus", "house"}}
                                                << "line 1 taken as the column names; --header no keeps it";
        QTest::newRow("--header no keeps it") << QStringList{"--header", "no"}
                                              << QByteArray("Deutsch,German\nHaus,house\n")
                                              << QList<CardRow>{{"Deutsch", "German"}, {"Haus", "house"}} << QString();
        QTest::newRow("--header yes is not said") << QStringList{"--header", "yes"} << QByteArray("a,b\nHaus,house\n")
                                                  << QList<CardRow>{{"Haus", "house"}} << QString();
        QTest::newRow("--limit takes the first") << QStringList{"--limit", "2"} << QByteArray("a,1\nb,2\nc,3\na,4\nd,5\n")
                                                 << QList<CardRow>{{"a", "4"}, {"b", "2"}}
                                                 << "the first 2 cards taken, 2 left out";
        QTest::newRow("--limit at the count") << QStringList{"--limit", "2"} << QByteArray("a,1\nb,2\n")
                                              << QList<CardRow>{{"a", "1"}, {"b", "2"}} << QString();
        QTest::newRow("--limit one") << QStringList{"--limit", "1"} << QByteArray("a,1\nb,2\n")
                                     << QList<CardRow>{{"a", "1"}} << "the first 1 card taken, 1 left out";
    }
    void conversionImports() {
        QFETCH(QStringList, extra);
        QFETCH(QByteArray, words);
        QFETCH(QList<CardRow>, cards);
        QFETCH(QString, said);
        writeAll(path("w.csv"), words);
        QString text, title, error;
        QCOMPARE(convert(QStringList{"--import", path("w.csv"), "--output", path("w.qex")} + extra, text), 0);
        QCOMPARE(text, said.isEmpty() ? QString() : QStringLiteral("qredit: %1: %2\n").arg(path("w.csv"), said));
        QVector<CardRow> got;
        QCOMPARE(qredit::loadChapter(path("w.qex"), got, title, error), qredit::LoadResult::Loaded);
        QCOMPARE(QList<CardRow>(got), cards);
    }

    // --limit past what a chapter holds takes a full chapter and says how many were left.
    void conversionLimitPastChapter() {
        QByteArray many;
        for (int i = 0; i < 32800; ++i)
            many += "w" + QByteArray::number(i) + ",x\n";
        writeAll(path("w.csv"), many);
        QString text, title, error;
        QCOMPARE(convert({"--import", path("w.csv"), "--output", path("w.qex"), "--limit", "32767"}, text), 0);
        QCOMPARE(text, QStringLiteral("qredit: %1: the first 32766 cards taken, 34 left out\n").arg(path("w.csv")));
        QVector<CardRow> got;
        QCOMPARE(qredit::loadChapter(path("w.qex"), got, title, error), qredit::LoadResult::Loaded);
        QCOMPARE(got.size(), qredit::kMaxCards);
    }

    // A chapter exported and imported again on the command line is the same chapter, byte
    // for byte, however much its first card looks like column names.
    void conversionRoundTripKeepsFirstCard_data() {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QVector<CardRow>>("cards");
        const QVector<CardRow> numbers = {{"eins", "one"}, {"zwei", "2"}, {"drei", "3"}};
        for (const char* ending : {"csv", "tsv"}) {
            QTest::addRow("Wort, word, %s", ending) << ending << QVector<CardRow>{{"Wort", "word"}, {"Haus", "house"}};
            QTest::addRow("Deutsch, German, %s", ending)
                << ending << QVector<CardRow>{{"Deutsch", "German"}, {"ja", "yes"}};
            QTest::addRow("word over numbers, %s", ending) << ending << numbers;
            QTest::addRow("empty back first, %s", ending) << ending << QVector<CardRow>{{"Front", ""}, {"b", "c"}};
        }
    }
    void conversionRoundTripKeepsFirstCard() {
        QFETCH(QString, ending);
        QFETCH(QVector<CardRow>, cards);
        QString error, text;
        QVERIFY(qredit::saveChapter(path("c.qex"), cards, "T", error));
        const QString list = path("c." + ending);
        for (int pass = 0; pass < 2; ++pass) {
            QCOMPARE(convert({"--export", path("c.qex"), "--output", list}, text), 0);
            QCOMPARE(convert({"--import", list, "--output", path("again.qex"), "--title", "T"}, text), 0);
            QCOMPARE(readAll(path("again.qex")), readAll(path("c.qex")));
        }
    }

    void conversionKeepsReadOnlyOutput() {
        writeAll(path("w.csv"), "a,b\n");
        writeChapter(path("ro.qex"), "old", {{"alt", "old"}});
        QFile::setPermissions(path("ro.qex"), QFile::ReadOwner);
        const QByteArray before = readAll(path("ro.qex"));
        QString text;
        QCOMPARE(convert({"--import", path("w.csv"), "--output", path("ro.qex")}, text), 1);
        QVERIFY2(text.contains(QStringLiteral("read-only")), qPrintable(text));
        QCOMPARE(readAll(path("ro.qex")), before);
    }

    // The command line's chapter is the window's, byte for byte, and its export reads back
    // to the same rows.
    void conversionMatchesWindow() {
        writeAll(path("w.csv"), "Deutsch;Englisch\n\"Stra\xC3\x9F" "e, die\";street\n\xC3\x9C" "ber;over\n"
                                "Haus;house\nHaus;home\n\n");
        QString text;
        QCOMPARE(convert({"--import", path("w.csv"), "--output", path("cli.qex"), "--title", "Lektion 1"}, text), 0);
        QCOMPARE(text, QStringLiteral("qredit: %1: line 1 taken as the column names; --header no keeps it\n")
                           .arg(path("w.csv")));
        const QList<CardRow> expected = {{QStringLiteral("Stra\u00DFe, die"), "street"},
                                         {QStringLiteral("\u00DCber"), "over"},
                                         {"Haus", "home"}};
        for (const CardRow& r : expected)
            m_w->PutRow(r.question, r.answer, -1, false);
        field("Text3")->setText(QStringLiteral("Lektion 1"));
        saveAs(path("window.qex"));
        QCOMPARE(readAll(path("cli.qex")), readAll(path("window.qex")));

        for (const char* out : {"back.csv", "back.tsv"}) {
            QCOMPARE(convert({"--export", path("cli.qex"), "--output", path(out)}, text), 0);
            QCOMPARE(convert({"--import", path(out), "--output", path("again.qex"), "--title", "Lektion 1"}, text), 0);
            QCOMPARE(readAll(path("again.qex")), readAll(path("cli.qex")));
        }
        QCOMPARE(readAll(path("back.tsv")), QByteArray("\xEF\xBB\xBF" "Front\tBack\r\nStra\xC3\x9F" "e, die\tstreet\r\n\xC3\x9C" "ber\tover\r\n"
                                                       "Haus\thome\r\n"));
    }

    // Open and Save start in the current file's folder, else in the study program's home
    // folder (the documents folder's "Quarnel"), else in the documents folder; never in
    // whatever folder the process started in.
    void dialogsStartInFileFolderOrHome_data() {
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<bool>("homeExists");
        QTest::newRow("current file") << true << true;
        QTest::newRow("no file, home folder") << false << true;
        QTest::newRow("no file, no home folder") << false << false;
    }
    void dialogsStartInFileFolderOrHome() {
        QFETCH(bool, withFile);
        QFETCH(bool, homeExists);
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(path("user")));
        const QString documents = path("user/Documents");
        QVERIFY(QDir().mkpath(documents));
        if (homeExists)
            QVERIFY(QDir().mkpath(documents + "/Quarnel"));
        QString expected = homeExists ? documents + "/Quarnel" : documents;
        if (withFile) {
            QVERIFY(QDir().mkpath(path("deep/folder")));
            type("Haus", "house");
            saveAs(path("deep/folder/a.qex"));
            expected = path("deep/folder");
        }
        m_dialogs->fileRequests.clear();
        m_dialogs->cancelFile();
        m_w->OpenDeck();
        if (!withFile) {
            type("Haus", "house");
            m_dialogs->cancelFile();
            m_w->SaveDeck();
        }
        qputenv("HOME", oldHome);
        QCOMPARE(m_dialogs->fileRequests.size(), withFile ? 1 : 2);
        for (const FileDialogRequest& r : std::as_const(m_dialogs->fileRequests))
            QCOMPARE(r.initDir, expected);
    }

    // The status text stays while menus open and actions are pointed at (their status tips
    // are empty), until the program replaces it.
    void statusTextSurvivesMenus() {
        type("Haus", "house");
        saveAs(path("s.qex"));
        QCOMPARE(m_w->statusText(), QStringLiteral("File saved successfully"));
        auto* menu = m_w->findChild<QMenu*>(QStringLiteral("mF"));
        QVERIFY(menu);
        menu->popup(m_w->mapToGlobal(QPoint(10, 10)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                QTest::mouseMove(menu, menu->actionGeometry(a).center());
        menu->hide();
        QStatusTipEvent empty((QString()));
        QApplication::sendEvent(m_w.get(), &empty);
        QCOMPARE(m_w->statusText(), QStringLiteral("File saved successfully"));
        QCOMPARE(m_w->findChild<QStatusBar*>(QStringLiteral("SB"))->currentMessage(), QString());
        QVERIFY(m_w->findChild<QLabel*>(QStringLiteral("SBText"))->isVisible());
    }

    // Every change is one step of the history; the modified flag and the caption follow it,
    // and undoing back to the saved state needs no save.
    void undoRedoEveryChange_data() {
        QTest::addColumn<int>("change");
        QTest::addColumn<QList<CardRow>>("after");
        QTest::addColumn<QString>("titleAfter");
        const QList<CardRow> base = {{"eins", "one"}, {"zwei", "two"}, {"drei", "three"}};
        QTest::newRow("add item appends") << 0 << (base + QList<CardRow>{{"vier", "four"}}) << "T";
        QTest::newRow("add item replaces") << 1 << QList<CardRow>{{"eins", "one"}, {"zwei", "TWO"}, {"drei", "three"}}
                                           << "T";
        QTest::newRow("insert above") << 2 << QList<CardRow>{{"eins", "one"}, {"vier", "four"}, {"zwei", "two"},
                                                             {"drei", "three"}}
                                      << "T";
        QTest::newRow("new element") << 3 << (base + QList<CardRow>{{"nur", ""}}) << "T";
        QTest::newRow("delete two rows") << 4 << QList<CardRow>{{"zwei", "two"}} << "T";
        QTest::newRow("title") << 5 << base << "Tag";
        QTest::newRow("edit in place") << 6 << QList<CardRow>{{"eins", "one"}, {"zwei", "zwo"}, {"drei", "three"}}
                                       << "T";
        QTest::newRow("import") << 7 << QList<CardRow>{{"eins", "uno"}, {"Haus", "house"}, {"zwei", "two"},
                                                       {"drei", "three"}}
                                << "T";
    }
    void undoRedoEveryChange() {
        QFETCH(int, change);
        QFETCH(QList<CardRow>, after);
        QFETCH(QString, titleAfter);
        const QList<CardRow> base = {{"eins", "one"}, {"zwei", "two"}, {"drei", "three"}};
        for (const CardRow& r : base)
            m_w->PutRow(r.question, r.answer, -1, false);
        field("Text3")->setText("T");
        saveAs(path("u.qex"));
        const QByteArray saved = readAll(path("u.qex"));
        switch (change) {
        case 0: type("vier", "four"); break;
        case 1: type("zwei", "TWO"); break;
        case 2:
            clickRow(1);
            field("Text1")->setText("vier");
            field("Text2")->setText("four");
            action("insert")->trigger();
            break;
        case 3:
            QTest::keyClicks(field("Text1"), "nur");
            action("newel")->trigger();
            break;
        case 4:
            m_w->selectRow(0);
            list()->selectionModel()->select(m_w->model()->index(2, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
            list()->setFocus();
            QTest::keyClick(list(), Qt::Key_Delete);
            break;
        case 5:
            field("Text3")->setFocus();
            QTest::keyClicks(field("Text3"), "ag");
            break;
        case 6: QVERIFY(m_w->model()->setData(m_w->model()->index(1, 1), " zwo ")); break;
        case 7:
            writeAll(path("w.csv"), "eins,uno\nHaus,house\n");
            m_w->selectRow(1);
            QVERIFY(m_w->importFile(path("w.csv"), false));
            break;
        }
        QCOMPARE(rows(), after);
        QCOMPARE(field("Text3")->text(), titleAfter);
        QVERIFY(m_w->isModified());
        QCOMPARE(m_w->windowTitle(), QStringLiteral("Quarnel Editor - u.qex* - Orvandel"));
        QCOMPARE(m_w->undoStack()->index(), m_w->undoStack()->cleanIndex() + 1); // one step

        QTest::keyClick(m_w.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(rows(), base);
        QCOMPARE(field("Text3")->text(), QStringLiteral("T"));
        QVERIFY(!m_w->isModified());
        QCOMPARE(m_w->windowTitle(), QStringLiteral("Quarnel Editor - u.qex - Orvandel"));
        QVERIFY(m_w->close()); // no save prompt: the document is as saved
        m_w->show();
        QApplication::setActiveWindow(m_w.get());
        QVERIFY(QTest::qWaitForWindowActive(m_w.get()));

        QTest::keyClick(m_w.get(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(rows(), after);
        QCOMPARE(field("Text3")->text(), titleAfter);
        QVERIFY(m_w->isModified());
        // Saved in between, undo makes it modified again.
        QVERIFY(m_w->SaveDeck());
        QVERIFY(!m_w->isModified());
        QTest::keyClick(m_w.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); // nothing to redo
        QTest::keyClick(m_w.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(m_w->isModified());
        QVERIFY(m_w->SaveDeck());
        QCOMPARE(readAll(path("u.qex")), saved);
    }

    // The clipboard keys: rows from the list (or from a field with no text selected, where a
    // click on a row leaves the focus), the field's own text when some is selected; Paste adds
    // rows by the import rules, without the preview for two columns. Each change is one step.
    void clipboardKeys_data() {
        QTest::addColumn<QString>("focus");     // "LV" or a field's name
        QTest::addColumn<QString>("fieldText"); // put in the focused field and selected when not empty
        QTest::addColumn<QString>("clipboard"); // before the key
        QTest::addColumn<int>("key");
        QTest::addColumn<QList<CardRow>>("after");
        QTest::addColumn<QString>("clipboardAfter");
        QTest::addColumn<bool>("previewShown");
        const QList<CardRow> base = {{"eins", "one"}, {"zwei", "two"}, {"drei", "three"}};
        const QString copied = "eins\tone\ndrei\tthree\n";
        QTest::newRow("copy in the list") << "LV"
                                          << ""
                                          << "" << int(Qt::Key_C) << base << copied << false;
        QTest::newRow("copy in Front, nothing selected") << "Text1"
                                                         << ""
                                                         << "" << int(Qt::Key_C) << base << copied << false;
        QTest::newRow("copy in Back, text selected") << "Text2"
                                                     << "Tag"
                                                     << "" << int(Qt::Key_C) << base << "Tag" << false;
        QTest::newRow("cut in the list") << "LV"
                                         << ""
                                         << "" << int(Qt::Key_X) << QList<CardRow>{{"zwei", "two"}} << copied << false;
        QTest::newRow("cut in the title, nothing selected")
            << "Text3"
            << ""
            << "" << int(Qt::Key_X) << QList<CardRow>{{"zwei", "two"}} << copied << false;
        QTest::newRow("cut in Front, text selected") << "Text1"
                                                     << "Tag"
                                                     << "" << int(Qt::Key_X) << base << "Tag" << false;
        // Above the first selected row, as Add Item; a known question gets the new answer.
        QTest::newRow("paste tabs")
            << "LV"
            << ""
            << "Haus\thouse\nzwei\tZWO\n"
            << int(Qt::Key_V) << QList<CardRow>{{"Haus", "house"}, {"eins", "one"}, {"zwei", "ZWO"}, {"drei", "three"}}
            << "" << false;
        QTest::newRow("paste commas, quoted") << "LV"
                                              << ""
                                              << "\"Auto, das\",car\r\nBaum,tree" << int(Qt::Key_V)
                                              << QList<CardRow>{{"Auto, das", "car"},
                                                                {"Baum", "tree"},
                                                                {"eins", "one"},
                                                                {"zwei", "two"},
                                                                {"drei", "three"}}
                                              << "" << false;
        QTest::newRow("paste three columns")
            << "LV"
            << ""
            << "Haus;house;n\n"
            << int(Qt::Key_V) << QList<CardRow>{{"Haus", "house"}, {"eins", "one"}, {"zwei", "two"}, {"drei", "three"}}
            << "" << true;
        QTest::newRow("paste in Front") << "Text1"
                                        << ""
                                        << "Haus\thouse" << int(Qt::Key_V) << base << "" << false;
    }
    void clipboardKeys() {
        QFETCH(QString, focus);
        QFETCH(QString, fieldText);
        QFETCH(QString, clipboard);
        QFETCH(int, key);
        QFETCH(QList<CardRow>, after);
        QFETCH(QString, clipboardAfter);
        QFETCH(bool, previewShown);
        const QList<CardRow> base = {{"eins", "one"}, {"zwei", "two"}, {"drei", "three"}};
        for (const CardRow& r : base)
            m_w->PutRow(r.question, r.answer, -1, false);
        m_w->undoStack()->setClean();
        QApplication::clipboard()->setText(clipboard);
        bool shown = false;
        EditorWindow::setPreviewRunner([&shown](qredit::ImportDialog&) { return shown = true; });
        clickRow(0);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list()->visualRect(m_w->model()->index(2, 0)).center());
        QWidget* target = m_w->findChild<QWidget*>(focus);
        target->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(target)) {
            edit->setText(fieldText);
            edit->selectAll();
        }
        QTest::keyClick(target, Qt::Key(key), Qt::ControlModifier);
        EditorWindow::setPreviewRunner(nullptr);
        QCOMPARE(rows(), after);
        QCOMPARE(shown, previewShown);
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QCOMPARE(data->text(), clipboardAfter.isEmpty() ? clipboard : clipboardAfter);
        if (data->text() == QStringLiteral("eins\tone\ndrei\tthree\n"))
            QCOMPARE(data->html(), QStringLiteral("<table><tr><td>eins</td><td>one</td></tr><tr><td>drei</td>"
                                                  "<td>three</td></tr></table>"));
        if (key == Qt::Key_V && focus == "Text1")
            QCOMPARE(field("Text1")->text(), clipboard);
        if (after == base) {
            QVERIFY(!m_w->isModified());
            return;
        }
        QCOMPARE(m_w->undoStack()->index(), m_w->undoStack()->cleanIndex() + 1);
        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(rows(), base);
        QVERIFY(!m_w->isModified());
    }

    // Find filters the list as the user types, front or back, any case by Unicode folding
    // (final sigma matches sigma); Escape shows every row again.
    void findFilters_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("count");
        QTest::newRow("any case") << "HAUS" << QStringList{"Haus", "Hausaufgabe"} << "2 of 5 cards shown";
        QTest::newRow("spaces around") << "  hAus " << QStringList{"Haus", "Hausaufgabe"} << "2 of 5 cards shown";
        QTest::newRow("back") << "tree" << QStringList{"Baum"} << "1 of 5 cards shown";
        QTest::newRow("final sigma") << QString::fromUtf8("σοφος") << QStringList{QString::fromUtf8("ΣΟΦΟΣ")}
                                     << "1 of 5 cards shown";
        QTest::newRow("sharp s") << QString::fromUtf8("STRAßE") << QStringList{QString::fromUtf8("Straße")}
                                 << "1 of 5 cards shown";
        QTest::newRow("nothing") << "xyz" << QStringList{} << "0 of 5 cards shown";
    }
    void findFilters() {
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        QFETCH(QString, count);
        for (const CardRow& r : filterRows())
            m_w->PutRow(r.question, r.answer, -1, false);
        QTest::keyClick(field("Text1"), Qt::Key_F, Qt::ControlModifier);
        QLineEdit* find = field("txtFind");
        QCOMPARE(QApplication::focusWidget(), find);
        typeText(find, typed);
        QCOMPARE(shownQuestions(), shown);
        QCOMPARE(m_w->countText(), count);
        QCOMPARE(m_w->findChild<QLabel*>(QStringLiteral("lblCount"))->text(), count);
        QTest::keyClick(find, Qt::Key_Escape);
        QVERIFY(find->text().isEmpty());
        QCOMPARE(shownQuestions().size(), 5);
        QCOMPARE(m_w->countText(), QStringLiteral("5 cards"));
    }

    // With the list filtered, commands act on the rows the user sees, at their real places;
    // a selected row the filter hides is out of reach.
    void filteredCommands_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QList<CardRow>>("after");
        QTest::addColumn<QString>("countAfter");
        QList<CardRow> r = filterRows();
        QTest::newRow("delete") << 0 << (QList<CardRow>{r[0], r[1], r[2], r[3]}) << "1 of 4 cards shown";
        QTest::newRow("add above") << 1 << (QList<CardRow>{r[0], r[1], r[2], r[3], {"Tor", "gate"}, r[4]})
                                   << "3 of 6 cards shown";
        QTest::newRow("edit in place") << 2 << (QList<CardRow>{r[0], r[1], r[2], r[3], {"Heft", "homework"}})
                                       << "2 of 5 cards shown";
        QTest::newRow("copy all shown") << 3 << r << "2 of 5 cards shown";
        QTest::newRow("hidden selection") << 4 << r << "2 of 5 cards shown";
        QTest::newRow("cut") << 5 << (QList<CardRow>{r[1], r[2], r[3]}) << "0 of 3 cards shown";
    }
    void filteredCommands() {
        QFETCH(int, command);
        QFETCH(QList<CardRow>, after);
        QFETCH(QString, countAfter);
        const QList<CardRow> before = filterRows();
        for (const CardRow& r : before)
            m_w->PutRow(r.question, r.answer, -1, false);
        QApplication::clipboard()->clear();
        clickRow(1); // selected, then hidden by the filter
        QTest::keyClick(m_w.get(), Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(field("txtFind"), "haus");
        QCOMPARE(m_w->selectedRow(), -1);
        QVERIFY(!action("mE_c")->isEnabled());
        switch (command) {
        case 0:
            clickRow(4);
            QTest::keyClick(list(), Qt::Key_Delete);
            break;
        case 1:
            clickRow(4);
            type("Tor", "gate");
            break;
        case 2:
            clickRow(4);
            list()->setFocus();
            QTest::keyClick(list(), Qt::Key_F2);
            QTest::keyClicks(QApplication::focusWidget(), "Heft");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QApplication::processEvents(); // the item delegate commits a queued call later
            break;
        case 3:
        case 5:
            list()->setFocus();
            QTest::keyClick(list(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(list(), command == 3 ? Qt::Key_C : Qt::Key_X, Qt::ControlModifier);
            QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Haus\thouse\nHausaufgabe\thomework\n"));
            break;
        case 4:
            list()->setFocus();
            QTest::keyClick(list(), Qt::Key_Delete);
            QTest::keyClick(list(), Qt::Key_X, Qt::ControlModifier);
            QVERIFY(QApplication::clipboard()->text().isEmpty());
            break;
        }
        QCOMPARE(rows(), after);
        QCOMPARE(m_w->countText(), countAfter);
        if (after == before)
            return;
        // Undo brings the rows back in sight and selected.
        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(rows(), before);
        QCOMPARE(shownQuestions(), (QStringList{"Haus", "Hausaufgabe"}));
        // An insert taken back leaves nothing selected.
        QCOMPARE(m_w->selectedRows(), (command == 5   ? QVector<int>{0, 4}
                                       : command == 1 ? QVector<int>{}
                                                      : QVector<int>{4}));
    }

    // A dropped chapter opens (the save prompt first when there are changes), a dropped word
    // list goes through the preview; on a field too. Anything else is not taken.
    void dropFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("target"); // where it is dropped
        QTest::addColumn<int>("saveAnswer"); // -1: no prompt expected
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QList<CardRow>>("after");
        const QList<CardRow> typed = {{"alt", "old"}};
        const QList<CardRow> chapter = {{"Haus", "house"}};
        QTest::newRow("chapter") << "c.qex"
                                 << "frmMain" << int(MsgResult::No) << true << chapter;
        QTest::newRow("chapter, cancelled") << "c.qex"
                                            << "LV" << int(MsgResult::Cancel) << true << typed;
        QTest::newRow("csv") << "w.csv"
                             << "frmMain" << -1 << true << (typed + QList<CardRow>{{"Baum", "tree"}});
        QTest::newRow("txt on Front") << "w.TXT"
                                      << "Text1" << -1 << true << (typed + QList<CardRow>{{"Baum", "tree"}});
        QTest::newRow("tsv on the title") << "w.tsv"
                                          << "Text3" << -1 << true << (typed + QList<CardRow>{{"Baum", "tree"}});
        QTest::newRow("other file") << "w.pdf"
                                    << "frmMain" << -1 << false << typed;
        QTest::newRow("two files") << ""
                                   << "frmMain" << -1 << false << typed;
    }
    void dropFiles() {
        QFETCH(QString, file);
        QFETCH(QString, target);
        QFETCH(int, saveAnswer);
        QFETCH(bool, taken);
        QFETCH(QList<CardRow>, after);
        m_w->PutRow("Haus", "house", -1, false);
        saveAs(path("c.qex"));
        QVERIFY(m_w->NewDeck());
        type("alt", "old");
        for (const QString& name : {"w.csv", "w.TXT", "w.tsv", "w.pdf"})
            writeAll(path(name), "Baum\ttree\n");
        int previews = 0;
        EditorWindow::setPreviewRunner([&previews](qredit::ImportDialog&) { return ++previews; });
        if (saveAnswer >= 0)
            m_prompter->expect(MsgResult(saveAnswer), QStringLiteral("Save Changes"));
        QMimeData data;
        data.setUrls(file.isEmpty()
                         ? QList<QUrl>{QUrl::fromLocalFile(path("w.csv")), QUrl::fromLocalFile(path("c.qex"))}
                         : QList<QUrl>{QUrl::fromLocalFile(path(file))});
        data.setText(path(file)); // file managers offer the name as text too, which a field would take
        QWidget* on = target == "frmMain" ? m_w.get() : m_w->findChild<QWidget*>(target);
        const QPoint at = on->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(on, &enter);
        QCOMPARE(enter.isAccepted(), taken);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(on, &drop);
        QApplication::processEvents();
        EditorWindow::setPreviewRunner(nullptr);
        QCOMPARE(rows(), after);
        QCOMPARE(previews, file.endsWith("qex") || !taken ? 0 : 1);
        QCOMPARE(m_w->fileName(), (after == QList<CardRow>{{"Haus", "house"}} ? path("c.qex") : QString()));
        if (target == "Text1")
            QVERIFY(field("Text1")->text().isEmpty());
    }

    // The encoding picked in the preview is the one the cards are read in, even when the
    // delimiter, header and columns stay as they were found.
    void previewEncodingIgnored() {
        writeAll(path("w.csv"), "Stra\xC3\x9F" "e,street\nHaus,house\n");
        EditorWindow::setPreviewRunner([](qredit::ImportDialog& d) {
            d.findChild<QComboBox*>(QStringLiteral("cboEncoding"))->setCurrentIndex(2); // Windows-1252
            return true;
        });
        QVERIFY(m_w->importFile(path("w.csv")));
        EditorWindow::setPreviewRunner(nullptr);
        QCOMPARE(rows().value(0).question, QString::fromUtf8("Stra\xC3\x83\xC5\xB8" "e"));
    }

    // A new user's first chapter: a spreadsheet's two columns pasted, two rows fixed (Add Item
    // over a known question, an edit in place), a wrong delete undone, saved; the study
    // program's loader reads the cards.
    void pasteFixSaveStudy() {
        QApplication::clipboard()->setText("German\tEnglish\nHaus\thouse\nBaum\ttre\nAuto\tcat\nTisch\ttable\n");
        bool previewed = false;
        EditorWindow::setPreviewRunner([&previewed](qredit::ImportDialog&) { return previewed = true; });
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_V, Qt::ControlModifier);
        EditorWindow::setPreviewRunner(nullptr);
        QVERIFY(!previewed);
        QCOMPARE(m_w->model()->rowCount(), 4);
        type("Baum", "tree");
        list()->setCurrentIndex(m_w->model()->index(2, 1));
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_F2);
        QTest::keyClicks(QApplication::focusWidget(), "car");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QApplication::processEvents();
        clickRow(3);
        QTest::keyClick(list(), Qt::Key_Delete);
        QCOMPARE(m_w->model()->rowCount(), 3);
        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier);
        const QList<CardRow> fixed = {{"Haus", "house"}, {"Baum", "tree"}, {"Auto", "car"}, {"Tisch", "table"}};
        QCOMPARE(rows(), fixed);
        QTest::keyClicks(field("Text3"), "Lektion 1");
        m_dialogs->answerFile(path("l1.qex"));
        QTest::keyClick(field("Text3"), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!m_w->isModified());
        LoadChapterFile(path("l1.qex"), QStringLiteral("Lektion 1"));
        QCOMPARE(deckUpper(), qint16(fixed.size()));
        for (int i = 0; i < fixed.size(); ++i) {
            QCOMPARE(deck[i].question, fixed[i].question);
            QCOMPARE(deck[i].answer, fixed[i].answer);
            QCOMPARE(deck[i].chaptertitle, QStringLiteral("Lektion 1"));
        }
    }

    // Import through the preview: the chosen columns and header decide the rows; problem rows
    // are reported in one message and the rest come in as one step.
    void importWithPreview() {
        writeAll(path("w.csv"), "Englisch;Deutsch;Note\nhouse;Haus;n\ntree;;n\n\ncar;Auto;n\n");
        QStringList preview;
        QString summary;
        EditorWindow::setPreviewRunner([&preview, &summary](qredit::ImportDialog& d) {
            preview = d.previewRows();
            summary = d.summary();
            d.swapColumns();
            return true;
        });
        m_prompter->expect(MsgResult::Ok, QStringLiteral("Rows Not Imported"));
        QVERIFY(m_w->importFile(path("w.csv")));
        EditorWindow::setPreviewRunner(nullptr);
        QCOMPARE(preview, (QStringList{"house|Haus", "tree|", "car|Auto"}));
        QCOMPARE(summary, QStringLiteral("3 rows, UTF-8, semicolon-separated. Line 1 is taken as the column names."));
        QCOMPARE(rows(), (QList<CardRow>{{"Haus", "house"}, {"Auto", "car"}}));
        QVERIFY(m_prompter->boxes.last().text.contains(QStringLiteral("line 3: the front is empty")));
        QCOMPARE(m_w->countText(), QStringLiteral("2 cards"));
        m_w->undoStack()->undo();
        QVERIFY(rows().isEmpty());
        QVERIFY(!m_w->isModified());

        QByteArray many;
        for (int i = 1; i <= 25; ++i)
            many += "w" + QByteArray::number(i) + ",x\n";
        writeAll(path("25.csv"), many);
        EditorWindow::setPreviewRunner([&summary](qredit::ImportDialog& d) {
            summary = d.summary();
            return false;
        });
        QVERIFY(!m_w->importFile(path("25.csv")));
        EditorWindow::setPreviewRunner(nullptr);
        QCOMPARE(summary, QStringLiteral("25 rows, UTF-8, comma-separated; the first 20 are shown."));
        QVERIFY(rows().isEmpty());
    }

    // Another delimiter in the preview shows what the list gives read that way, or nothing
    // when it can't be read so; Import is on only while the preview shows a row with a front.
    // (A way of reading that failed once left the last rows shown and Import on.)
    void previewDelimiterRefreshesOrEmpties() {
        writeAll(path("w.tsv"), "a, \"b\tc d\ne\tf\n");
        QStringList seen;
        EditorWindow::setPreviewRunner([&seen](qredit::ImportDialog& d) {
            auto state = [&] {
                const bool on = d.findChild<QPushButton*>(QStringLiteral("cmdImport"))->isEnabled();
                seen << d.previewRows().join(u' ') + (on ? " +" : " -") + " " + d.summary();
            };
            state();
            d.setDelimiter(',');
            state();
            d.setDelimiter(';');
            state();
            d.setColumns(1, 0);
            state();
            d.setDelimiter('\t');
            state();
            return false;
        });
        QVERIFY(!m_w->importFile(path("w.tsv")));
        EditorWindow::setPreviewRunner(nullptr);
        QCOMPARE(seen, (QStringList{
                           "a, \"b|c d e|f + 2 rows, UTF-8, tab-separated.",
                           " - Can't read it this way: the quote that opens on line 1 is never closed",
                           "a, \"b\tc d| e\tf| + 2 rows, UTF-8, semicolon-separated. The list has one column: the "
                           "cards come in with empty backs.",
                           "|a, \"b\tc d |e\tf - 2 rows, UTF-8, semicolon-separated.",
                           "c d|a, \"b f|e + 2 rows, UTF-8, tab-separated.",
                       }));
    }

    // A one-column list comes in as cards with empty backs once the preview has said so; a
    // row taken as the column names is named in the status bar.
    void importSaysWhatItTook() {
        writeAll(path("one.csv"), "Haus\nBaum\n");
        QString summary;
        EditorWindow::setPreviewRunner([&summary](qredit::ImportDialog& d) {
            summary = d.summary();
            return d.findChild<QPushButton*>(QStringLiteral("cmdImport"))->isEnabled();
        });
        QVERIFY(m_w->importFile(path("one.csv")));
        EditorWindow::setPreviewRunner(nullptr);
        QCOMPARE(summary, QStringLiteral("2 rows, UTF-8, comma-separated. The list has one column: the cards come in "
                                         "with empty backs."));
        QCOMPARE(rows(), (QList<CardRow>{{"Haus", ""}, {"Baum", ""}}));
        QCOMPARE(m_w->statusText(), QStringLiteral("2 cards imported from 'one.csv', 2 with an empty back"));
        writeAll(path("de.csv"), "Deutsch,German\nja,yes\n");
        QVERIFY(m_w->importFile(path("de.csv"), false));
        QVERIFY(rows().contains(CardRow{"ja", "yes"}) && rows().size() == 3);
        QCOMPARE(m_w->statusText(), QStringLiteral("1 card imported from 'de.csv'; line 1 taken as the column names"));
    }

    // A KVTML file opens as a new, unsaved chapter of the languages and lessons chosen; one
    // lesson gives the chapter its name; a bad file changes nothing.
    void openKvtml_data() {
        QTest::addColumn<QList<int>>("cleared"); // lessons unchecked; -1: the words in no lesson
        QTest::addColumn<int>("front");
        QTest::addColumn<int>("back");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QList<CardRow>>("after");
        QTest::newRow("everything") << QList<int>() << 0 << 1 << "Tiere"
                                    << QList<CardRow>{{"Hund", "dog"}, {"Katze", "cat"}, {"Maus", "mouse"}, {"Fisch", "fish"}};
        QTest::newRow("one nested lesson") << QList<int>{0, 2, -1} << 0 << 1 << QStringLiteral("Haus \u2013 Garten")
                                           << QList<CardRow>{{"Maus", "mouse"}};
        QTest::newRow("other languages, no loose words")
            << QList<int>{-1} << 1 << 2 << "Tiere" << QList<CardRow>{{"dog", "chien"}, {"cat", "chat"}, {"mouse", ""}};
    }
    void openKvtml() {
        QFETCH(QList<int>, cleared);
        QFETCH(int, front);
        QFETCH(int, back);
        QFETCH(QString, title);
        QFETCH(QList<CardRow>, after);
        writeAll(path("t.kvtml"),
                 "<?xml version=\"1.0\"?><kvtml version=\"2.0\"><information><title>Tiere</title></information>"
                 "<identifiers><identifier id=\"0\"><name>Deutsch</name><locale>de</locale></identifier>"
                 "<identifier id=\"1\"><name>English</name></identifier><identifier id=\"2\"><name>fr</name></identifier>"
                 "</identifiers><entries>"
                 "<entry id=\"0\"><translation id=\"0\"><text>Hund</text></translation><translation id=\"1\"><text>dog"
                 "</text></translation><translation id=\"2\"><text>chien</text></translation></entry>"
                 "<entry id=\"1\"><translation id=\"0\"><text>Katze</text></translation><translation id=\"1\"><text>cat"
                 "</text></translation><translation id=\"2\"><text>chat</text></translation></entry>"
                 "<entry id=\"2\"><translation id=\"0\"><text>Maus</text></translation><translation id=\"1\"><text>mouse"
                 "</text></translation></entry>"
                 "<entry id=\"3\"><translation id=\"0\"><text>Fisch</text></translation><translation id=\"1\"><text>fish"
                 "</text></translation></entry></entries><lessons>"
                 "<container><name>Haus</name><entry id=\"0\"/><container><name>Garten</name><entry id=\"2\"/></container>"
                 "</container><container><name>Feld</name><entry id=\"1\"/></container></lessons></kvtml>");
        m_w->PutRow("alt", "old", -1, false);
        saveAs(path("old.qex"));
        QStringList seen;
        qredit::EditorWindow::setLessonRunner([&](qredit::LessonDialog& d) {
            seen << d.summary();
            for (int l : cleared)
                d.setLessonChecked(l, false);
            d.setSides(front, front);
            seen << QString::number(d.canAccept());
            d.setSides(front, back);
            return d.canAccept();
        });
        QVERIFY(m_w->openFile(path("t.kvtml")));
        qredit::EditorWindow::setLessonRunner(nullptr);
        QCOMPARE(seen, (QStringList{"4 words with a text on the front or the back.", "0"}));
        QCOMPARE(rows(), after);
        QCOMPARE(field("Text3")->text(), title);
        QCOMPARE(m_w->fileName(), QString());
        QVERIFY(m_w->isModified());
        QCOMPARE(readAll(path("old.qex")).isEmpty(), false);
    }

    void openKvtmlRefusals() {
        m_w->PutRow("alt", "old", -1, false);
        writeAll(path("bad.kvtml"), "<?xml version=\"1.0\"?><!DOCTYPE kvtml [<!ENTITY a \"b\">]><kvtml version=\"2.0\"/>");
        m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't open file"));
        QVERIFY(!m_w->takeKvtml(path("bad.kvtml"), true));
        QVERIFY(m_prompter->boxes.last().text.startsWith(
            QStringLiteral("'bad.kvtml' can't be read: it declares entities (<!ENTITY ...>)")));
        QCOMPARE(rows(), (QList<CardRow>{{"alt", "old"}}));
        // A cancelled choice changes nothing either; nothing checked keeps OK off.
        writeAll(path("l.kvtml"), "<kvtml version=\"2.0\"><identifiers><identifier id=\"0\"/><identifier id=\"1\"/>"
                                  "</identifiers><entries><entry id=\"0\"><translation id=\"0\"><text>a</text>"
                                  "</translation></entry></entries><lessons><container><name>L</name><entry id=\"0\"/>"
                                  "</container></lessons></kvtml>");
        bool offWithNothing = true;
        qredit::EditorWindow::setLessonRunner([&](qredit::LessonDialog& d) {
            d.setLessonChecked(0, false);
            offWithNothing = !d.canAccept();
            return false;
        });
        QVERIFY(!m_w->importFile(path("l.kvtml")));
        qredit::EditorWindow::setLessonRunner(nullptr);
        QVERIFY(offWithNothing);
        QCOMPARE(rows(), (QList<CardRow>{{"alt", "old"}}));
        // Import adds a KVTML file's cards to this chapter.
        qredit::EditorWindow::setLessonRunner([](qredit::LessonDialog&) { return true; });
        QVERIFY(m_w->importFile(path("l.kvtml")));
        qredit::EditorWindow::setLessonRunner(nullptr);
        QCOMPARE(rows().size(), 2);
        QVERIFY(rows().contains(CardRow{"a", ""}));
    }

    // File > Export PDF... writes the word list or, by the second file type, cut-out cards; a
    // name without an ending gets ".pdf".
    void exportPdf_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("pages");
        QTest::newRow("word list") << 1 << 1;
        QTest::newRow("cut-out cards") << 2 << 2;
    }
    void exportPdf() {
        QFETCH(int, type);
        QFETCH(int, pages);
        m_w->PutRow("Haus", "house", -1, false);
        m_dialogs->answerFile(path("paper"), type);
        action("mF_d")->trigger();
        const QByteArray pdf = readAll(path("paper.pdf"));
        QVERIFY(pdf.startsWith("%PDF"));
        QCOMPARE(pdf.count("/Type /Page") - pdf.count("/Type /Pages"), pages);
        QCOMPARE(m_w->statusText(), QStringLiteral("1 card exported to 'paper.pdf'"));
    }

    // Bad input changes nothing; more rows than the chapter holds asks first.
    void importRefusals() {
        m_w->PutRow("alt", "old", -1, false);
        writeAll(path("bin.csv"), QByteArray("a,b\0c", 5));
        m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't import file"));
        QVERIFY(!m_w->importFile(path("bin.csv"), false));
        QVERIFY(m_prompter->boxes.last().text.contains(QStringLiteral("NUL byte on line 1")));
        QByteArray many;
        for (int i = 0; i < 33000; ++i)
            many += "w" + QByteArray::number(i) + ",x\n";
        writeAll(path("many.csv"), many);
        m_prompter->expect(MsgResult::No, QStringLiteral("Too Many Cards"));
        QVERIFY(!m_w->importFile(path("many.csv"), false));
        QCOMPARE(rows(), (QList<CardRow>{{"alt", "old"}}));
        m_prompter->expect(MsgResult::Yes, QStringLiteral("Too Many Cards"));
        QVERIFY(m_w->importFile(path("many.csv"), false));
        QCOMPARE(m_w->model()->rowCount(), qredit::kMaxCards);
        QCOMPARE(rows().last(), (CardRow{"w32764", "x"}));
        m_w->undoStack()->undo();
        QCOMPARE(rows(), (QList<CardRow>{{"alt", "old"}}));
    }

    // Import, save and export give back the same rows; the command line's chapter is the
    // window's.
    void importSaveExport() {
        const QByteArray words = "Haus,house\n\"Stra\xC3\x9F" "e, die\",street\n\xD0\xB4\xD0\xBE\xD0\xBC,home\n";
        writeAll(path("w.csv"), words);
        QVERIFY(m_w->importFile(path("w.csv"), false));
        field("Text3")->setText("L");
        saveAs(path("window.qex"));
        QString said;
        QCOMPARE(convert({"--import", path("w.csv"), "--output", path("cli.qex"), "--title", "L"}, said), 0);
        QCOMPARE(readAll(path("cli.qex")), readAll(path("window.qex")));
        QVERIFY(m_w->exportFile(path("out.csv")));
        QCOMPARE(readAll(path("out.csv")), "\xEF\xBB\xBF" "Front,Back\r\n" + QByteArray(words).replace("\n", "\r\n"));
    }

    // The name an export writes to: a word list's ending stays, a chapter's name (or a link
    // to a chapter) is refused, any other name gets the chosen type's ending.
    void exportNames_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("written"); // empty: refused
        QTest::newRow("csv") << "w.csv" << 2 << "w.csv";
        QTest::newRow("tsv, capitals") << "w.TSV" << 1 << "w.TSV";
        QTest::newRow("txt") << "w.txt" << 1 << "w.txt";
        QTest::newRow("no ending, commas") << "w" << 1 << "w.csv";
        QTest::newRow("no ending, tabs") << "w" << 2 << "w.tsv";
        QTest::newRow("dot at the end") << "w." << 2 << "w.tsv";
        QTest::newRow("another ending") << "Lektion 1.2" << 1 << "Lektion 1.2.csv";
        QTest::newRow("chapter") << "w.qex" << 1 << "";
        QTest::newRow("chapter, capitals") << "w.QeX" << 2 << "";
        QTest::newRow("chapter's name with csv") << "w.qex.csv" << 1 << "w.qex.csv";
        QTest::newRow("link to a chapter") << "link.csv" << 1 << "";
        QTest::newRow("link without ending") << "link" << 1 << "";
    }
    void exportNames() {
        QFETCH(QString, typed);
        QFETCH(int, filter);
        QFETCH(QString, written);
        writeAll(path("c.qex"), "chapter");
        QVERIFY(QFile::link(path("c.qex"), path("link.csv")));
        QVERIFY(QFile::link(path("c.qex"), path("link.csv.csv")));
        const qredit::ExportName got = qredit::exportName(path(typed), qredit::ExportType(filter));
        QCOMPARE(got.path, written.isEmpty() ? QString() : path(written));
        QCOMPARE(got.refusal.isEmpty(), !written.isEmpty());
        // Named as it would have been written.
        const QString named = typed.endsWith("qex", Qt::CaseInsensitive) ? typed : QStringLiteral("link.csv");
        if (!got.refusal.isEmpty())
            QCOMPARE(got.refusal, QStringLiteral("'%1' is the name of a chapter file. Export writes a word list: "
                                                 "choose a name ending in .csv, .tsv or .txt. Nothing was written.")
                                      .arg(named));
    }

    // File > Export... never writes a word list over a chapter: the name is refused before
    // anything is written, and the chapter keeps its bytes. A name without an ending gets the
    // chosen type's; an existing word list is replaced only after a Yes.
    void exportOverwritesChapter_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("filter");
        QTest::addColumn<int>("replace");    // the answer to the replace question; -1: none asked
        QTest::addColumn<QString>("written"); // empty: nothing
        QTest::newRow("the open chapter") << "victim.qex" << 1 << -1 << "";
        QTest::newRow("a new chapter's name") << "new.QEX" << 2 << -1 << "";
        QTest::newRow("a link to the chapter") << "link.csv" << 1 << -1 << "";
        QTest::newRow("no ending, commas") << "words" << 1 << -1 << "words.csv";
        QTest::newRow("no ending, tabs") << "words" << 2 << -1 << "words.tsv";
        QTest::newRow("existing list, No") << "old.csv" << 1 << int(MsgResult::No) << "";
        QTest::newRow("existing list, Yes") << "old.csv" << 1 << int(MsgResult::Yes) << "old.csv";
        QTest::newRow("existing list without ending, Yes") << "old" << 1 << int(MsgResult::Yes) << "old.csv";
    }
    void exportOverwritesChapter() {
        QFETCH(QString, typed);
        QFETCH(int, filter);
        QFETCH(int, replace);
        QFETCH(QString, written);
        type("Haus", "house");
        type("Baum", "tree");
        saveAs(path("victim.qex"));
        QVERIFY(m_w->exportFile(path("ref.csv")));
        QVERIFY(m_w->exportFile(path("ref.tsv")));
        QVERIFY(QFile::link(path("victim.qex"), path("link.csv")));
        writeAll(path("old.csv"), "old");
        QDir dir(m_dir->path());
        QMap<QString, QByteArray> before;
        for (const QString& name : dir.entryList(QDir::Files))
            before.insert(name, readAll(path(name)));
        const QString status = m_w->statusText();
        m_dialogs->answerFile(path(typed), filter);
        if (written.isEmpty() && replace < 0)
            m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't export file"));
        if (replace >= 0)
            m_prompter->expect(MsgResult(replace), QStringLiteral("Export"));
        action("mF_e")->trigger();
        QMap<QString, QByteArray> after;
        for (const QString& name : dir.entryList(QDir::Files))
            after.insert(name, readAll(path(name)));
        if (!written.isEmpty())
            before.insert(written, before.value(written.endsWith("tsv") ? "ref.tsv" : "ref.csv"));
        QCOMPARE(after, before);
        QCOMPARE(m_dialogs->fileRequests.last().filterParts,
                 (QStringList{"Comma-Separated (UTF-8)", "*.csv", "Tab-Separated (UTF-8)", "*.tsv;*.txt"}));
        QCOMPARE(m_dialogs->fileRequests.last().fileName, QStringLiteral("victim.csv"));
        if (written.isEmpty())
            QCOMPARE(m_w->statusText(), status);
        else
            QCOMPARE(m_w->statusText(), QStringLiteral("2 cards exported to '%1'").arg(written));
    }

    // A named pipe or a folder chosen to open or import, dropped, or named on the command line
    // is refused before it is opened: opening a pipe waits for a writer, and the window hung.
    void namedPipeHangs_data() {
        QTest::addColumn<int>("how"); // 0 File > Open, 1 File > Import..., 2 dropped, 3 command line
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        const QString open = "Can't open file";
        const QString import = "Can't import file";
        QTest::newRow("open") << 0 << "p.qex" << open << "'%1' is a named pipe, not a file. Nothing was opened.";
        QTest::newRow("import") << 1 << "p.csv" << import << "'%1' is a named pipe, not a file. Nothing was changed.";
        QTest::newRow("dropped chapter") << 2 << "p.qex" << open
                                         << "'%1' is a named pipe, not a file. Nothing was opened.";
        QTest::newRow("dropped list") << 2 << "p.txt" << import
                                      << "'%1' is a named pipe, not a file. Nothing was changed.";
        QTest::newRow("command line") << 3 << "p.qex" << open << "'%1' is a named pipe, not a file. Nothing was opened.";
        QTest::newRow("folder") << 0 << "d.qex" << open << "'%1' is a folder, not a file. Nothing was opened.";
    }
    void namedPipeHangs() {
        QFETCH(int, how);
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, text);
        type("alt", "old");
        saveAs(path("c.qex"));
        type("neu", "new"); // unsaved: a refused chapter must not ask about it first
        const QByteArray p = QFile::encodeName(path(name));
        if (name.startsWith('d'))
            QVERIFY(QDir().mkdir(path(name)));
        else
            QCOMPARE(::mkfifo(p.constData(), 0600), 0);
        // A writer comes and goes until the case is over, so that a program that opens the pipe
        // does not hang the test but reads an empty file.
        std::atomic<bool> over{false};
        std::thread writer([&] {
            while (!over) {
                const int fd = ::open(p.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0)
                    ::close(fd);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
        if (how == 0) {
            m_prompter->expect(MsgResult::No, QStringLiteral("Save Changes"));
            m_dialogs->answerFile(path(name));
        }
        if (how == 1)
            m_dialogs->answerFile(path(name));
        m_prompter->expect(MsgResult::Ok, title);
        bool done = true;
        switch (how) {
        case 0: done = m_w->OpenDeck(); break;
        case 1: done = m_w->ImportList(); break;
        case 2: done = m_w->dropFile(path(name)); break;
        case 3: done = m_w->openFile(path(name)); break;
        }
        over = true;
        writer.join();
        QVERIFY(!done);
        QCOMPARE(m_prompter->boxes.last().text, text.arg(path(name)));
        QCOMPARE(rows(), (QList<CardRow>{{"alt", "old"}, {"neu", "new"}}));
        QCOMPARE(m_w->fileName(), path("c.qex"));
        QVERIFY(m_w->isModified());
    }

    // Every menu command's key works wherever the focus is: in Front, Back and Deck Title the
    // field took Ctrl+E as "end of line", and Export never came. (Undo, Redo and the clipboard
    // keys keep their own rules in the fields, tested above.)
    void ctrlEInFieldsDoesNothing_data() {
        QTest::addColumn<QString>("focus");
        for (const char* name : {"Text1", "Text2", "Text3", "txtFind", "LV"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void ctrlEInFieldsDoesNothing() {
        QFETCH(QString, focus);
        // On an X11 desktop a line edit claims Ctrl+E (end of line), Ctrl+A, Ctrl+K and Ctrl+U
        // before any shortcut; the test platform's key scheme does not, so each field gets a
        // filter that claims them as the field would, behind the window's own.
        X11LineKeys x11;
        for (QLineEdit* e : m_w->findChildren<QLineEdit*>()) {
            e->removeEventFilter(m_w.get());
            e->installEventFilter(&x11);
            e->installEventFilter(m_w.get());
        }
        const QStringList ownRules = {"mE_u", "mE_r", "mE_t", "mE_c", "mE_p"};
        const QStringList dialogs = {"mF_o", "mF_i", "mF_e", "mF_s"};
        QStringList missed;
        int commands = 0;
        for (QAction* menu : m_w->menuBar()->actions())
            for (QAction* a : menu->menu()->actions()) {
                if (a->shortcut().isEmpty() || ownRules.contains(a->objectName()))
                    continue;
                ++commands;
                if (dialogs.contains(a->objectName()))
                    m_dialogs->cancelFile();
                QSignalSpy spy(a, &QAction::triggered);
                QWidget* target = m_w->findChild<QWidget*>(focus);
                target->setFocus();
                const QKeyCombination k = a->shortcut()[0];
                QTest::keyClick(target, k.key(), k.keyboardModifiers());
                if (spy.count() != 1)
                    missed.append(a->objectName());
                if (!m_w->isVisible()) { // Exit closed it
                    m_w->show();
                    QApplication::setActiveWindow(m_w.get());
                    QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
                }
            }
        QVERIFY(commands >= 6); // New, Open, Import, Export, Save, Find; Exit where the desktop has a key

        QCOMPARE(missed, QStringList());
        QCOMPARE(m_dialogs->fileRequests.size(), 4);
    }

    // The menus open with Alt and a letter, and every item has a letter of its own in its
    // menu: without them, Alt+F typed "f" into the Front field.
    void altFTypesIntoFront_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("items");
        QTest::newRow("File") << "mF" << int(Qt::Key_F) << "&New|&Open|&Import...|&Export...|Export P&DF...|&Print...|&Save|E&xit";
        QTest::newRow("Edit") << "mE" << int(Qt::Key_E) << "&Undo|&Redo|Cu&t|&Copy|&Paste|&Find";
        QTest::newRow("Help") << "mH" << int(Qt::Key_H) << "&About";
    }
    void altFTypesIntoFront() {
        QFETCH(QString, menu);
        QFETCH(int, key);
        QFETCH(QString, items);
        auto* m = m_w->findChild<QMenu*>(menu);
        QStringList texts;
        QSet<QChar> letters;
        for (QAction* a : m->actions())
            if (!a->isSeparator()) {
                texts.append(a->text());
                letters.insert(a->text().at(a->text().indexOf('&') + 1).toLower());
            }
        QCOMPARE(texts.join('|'), items);
        QCOMPARE(letters.size(), texts.size());
        QSet<QChar> titles;
        for (QAction* a : m_w->menuBar()->actions())
            titles.insert(a->text().at(a->text().indexOf('&') + 1).toLower());
        QCOMPARE(titles, (QSet<QChar>{'f', 'e', 'h'}));
        field("Text1")->setFocus();
        QTest::keyClick(field("Text1"), Qt::Key(key), Qt::AltModifier);
        QTRY_VERIFY(m->isVisible());
        QVERIFY(field("Text1")->text().isEmpty());
        m->hide();
    }

    // The status text says what is true of what is shown, or nothing: after an import was
    // undone it still said "... imported", after an undo past a save "File saved
    // successfully" beside the caption's "*", and after Add Item had emptied the fields the
    // last card's bytes left.
    void statusOutlivesItsState_data() {
        QTest::addColumn<int>("scenario");
        QTest::addColumn<QString>("before"); // the status text before the change
        QTest::newRow("import undone") << 0 << "2 cards imported from 'w.csv'";
        QTest::newRow("undo past a save") << 1 << "File saved successfully";
        QTest::newRow("add item") << 2 << "91 bytes left on this card";
        QTest::newRow("reset") << 3 << "91 bytes left on this card";
        QTest::newRow("row clicked") << 4 << "91 bytes left on this card";
        QTest::newRow("title undone") << 5 << "63 bytes left for the deck title";
        QTest::newRow("paste undone") << 6 << "1 card pasted";
        QTest::newRow("new chapter") << 7 << "File saved successfully";
        QTest::newRow("card added after a save") << 8 << "File saved successfully";
    }
    void statusOutlivesItsState() {
        QFETCH(int, scenario);
        QFETCH(QString, before);
        switch (scenario) {
        case 0:
            writeAll(path("w.csv"), "Haus,house\nBaum,tree\n");
            QVERIFY(m_w->importFile(path("w.csv"), false));
            break;
        case 1:
        case 7:
        case 8:
            type("Haus", "house");
            saveAs(path("s.qex"));
            break;
        case 2:
        case 3:
        case 4:
            m_w->PutRow("Baum", "tree", -1, false);
            QTest::keyClicks(field("Text1"), "Haus");
            QTest::keyClicks(field("Text2"), "house");
            break;
        case 5: QTest::keyClicks(field("Text3"), "L1"); break;
        case 6:
            QApplication::clipboard()->setText("Haus\thouse\n");
            list()->setFocus();
            QTest::keyClick(list(), Qt::Key_V, Qt::ControlModifier);
            break;
        }
        QCOMPARE(m_w->statusText(), before);
        switch (scenario) {
        case 2: QTest::keyClick(field("Text2"), Qt::Key_Return); break;
        case 3: QTest::mouseClick(button("Command2"), Qt::LeftButton); break;
        case 4: clickRow(0); break;
        case 7: QVERIFY(m_w->NewDeck()); break;
        case 8: type("Baum", "tree"); break;
        default:
            list()->setFocus();
            QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier);
        }
        QCOMPARE(m_w->statusText(), QString());
        if (scenario == 1)
            QCOMPARE(m_w->windowTitle(), QStringLiteral("Quarnel Editor - s.qex* - Orvandel"));
        // The next change says what it did.
        writeAll(path("one.csv"), "Tor,gate\n");
        QVERIFY(m_w->importFile(path("one.csv"), false));
        QCOMPARE(m_w->statusText(), QStringLiteral("1 card imported from 'one.csv'"));
    }

    // Counts in the status bar and the messages are singular for one: "1 cards imported".
    void oneCardsImported_data() {
        QTest::addColumn<int>("scenario");
        QTest::addColumn<QString>("status");
        QTest::newRow("one imported") << 0 << "1 card imported from 'w.csv'";
        QTest::newRow("two imported") << 1 << "2 cards imported from 'w.csv'";
        QTest::newRow("one answer replaced") << 2 << "1 card imported from 'w.csv', 1 answer replaced";
        QTest::newRow("two answers replaced") << 3 << "0 cards imported from 'w.csv', 2 answers replaced";
        QTest::newRow("one pasted") << 4 << "1 card pasted";
        QTest::newRow("one byte left on the card") << 5 << "1 byte left on this card";
        QTest::newRow("one byte left for the title") << 6 << "1 byte left for the deck title";
        QTest::newRow("no byte left for the title") << 7 << "0 bytes left for the deck title";
        QTest::newRow("one card exported") << 8 << "1 card exported to 'out.csv'";
    }
    void oneCardsImported() {
        QFETCH(int, scenario);
        QFETCH(QString, status);
        m_w->PutRow("eins", "one", -1, false);
        m_w->PutRow("zwei", "two", -1, false);
        const QByteArray words[] = {"Haus,house\n", "Haus,house\nBaum,tree\n", "eins,uno\nHaus,house\n",
                                    "eins,uno\nzwei,dos\n"};
        switch (scenario) {
        case 0:
        case 1:
        case 2:
        case 3:
            writeAll(path("w.csv"), words[scenario]);
            QVERIFY(m_w->importFile(path("w.csv"), false));
            break;
        case 4: QVERIFY(m_w->importText("Haus\thouse\n", QString(), false)); break;
        case 5:
            QTest::keyClicks(field("Text1"), QString(98, u'x'));
            QTest::keyClicks(field("Text2"), "y");
            break;
        case 6: QTest::keyClicks(field("Text3"), QString(qredit::maxTitleLength() - 1, u't')); break;
        case 7: QTest::keyClicks(field("Text3"), QString(qredit::maxTitleLength(), u't')); break;
        case 8:
            m_w->selectRow(1);
            m_w->DeleteRow();
            QVERIFY(m_w->exportFile(path("out.csv")));
            break;
        }
        QCOMPARE(m_w->statusText(), status);
    }

    // A chapter with room for nothing more asks before an import of one card, in the singular.
    void oneNewCardsAsked() {
        QByteArray many;
        for (int i = 0; i < qredit::kMaxCards; ++i)
            many += "w" + QByteArray::number(i) + ",x\n";
        writeAll(path("many.csv"), many);
        QVERIFY(m_w->importFile(path("many.csv"), false));
        writeAll(path("one.csv"), "Haus,house\n");
        m_prompter->expect(MsgResult::No, QStringLiteral("Too Many Cards"));
        QVERIFY(!m_w->importFile(path("one.csv"), false));
        QVERIFY2(m_prompter->boxes.last().text.startsWith(
                     QStringLiteral("'one.csv' holds 1 new card, but this chapter has room for only 0 more")),
                 qPrintable(m_prompter->boxes.last().text));
    }

    // Typing in the deck title is one step; typed back to what it was, no step at all.
    void titleTypedBackLeavesAStep_data() {
        QTest::addColumn<QStringList>("keys"); // text, or "<" for Backspace
        QTest::addColumn<int>("steps");
        QTest::newRow("typed on") << QStringList{"x", "y"} << 1;
        QTest::newRow("typed back") << QStringList{"x", "<"} << 0;
        QTest::newRow("typed back twice") << QStringList{"x", "y", "<", "<"} << 0;
        QTest::newRow("typed back, then on") << QStringList{"x", "<", "y"} << 1;
    }
    void titleTypedBackLeavesAStep() {
        QFETCH(QStringList, keys);
        QFETCH(int, steps);
        field("Text3")->setText("T");
        saveAs(path("t.qex"));
        field("Text3")->setFocus();
        for (const QString& k : keys) {
            if (k == "<")
                QTest::keyClick(field("Text3"), Qt::Key_Backspace);
            else
                QTest::keyClicks(field("Text3"), k);
        }
        QCOMPARE(m_w->undoStack()->count(), steps);
        QCOMPARE(m_w->isModified(), steps > 0);
        QCOMPARE(m_w->windowTitle(), steps > 0 ? QStringLiteral("Quarnel Editor - t.qex* - Orvandel")
                                               : QStringLiteral("Quarnel Editor - t.qex - Orvandel"));
    }

    // A word list with more rows than a chapter holds but fewer different fronts: the rows
    // of a front make one card with the last answer, on the command line and in the window.
    void repeatedFrontsPastTheLimit_data() {
        QTest::addColumn<bool>("window");
        QTest::newRow("command line") << false;
        QTest::newRow("window") << true;
    }
    void repeatedFrontsPastTheLimit() {
        QFETCH(bool, window);
        writeAll(path("w.csv"), repeatedFronts(30000, 7233));
        QVector<CardRow> got;
        if (window) {
            QVERIFY(m_w->importFile(path("w.csv"), false));
            got = m_w->model()->rows();
        } else {
            QString said, title, error;
            QCOMPARE(convert({"--import", path("w.csv"), "--output", path("w.qex")}, said), 0);
            QCOMPARE(said, QString());
            QCOMPARE(qredit::loadChapter(path("w.qex"), got, title, error), qredit::LoadResult::Loaded);
        }
        QCOMPARE(got.size(), 30000);
        QCOMPARE(got.at(0), (CardRow{"w0", "NEW0"}));
        QCOMPARE(got.at(7232), (CardRow{"w7232", "NEW7232"}));
        QCOMPARE(got.at(7233), (CardRow{"w7233", "old7233"}));
    }

    // The editor makes no chapter that the study program refuses to load; one of 32,767
    // cards from elsewhere opens and saves as it came, and takes no card more.
    void chapterLimitIsTheStudyProgramsLimit() {
        QVector<CardRow> full;
        for (int i = 0; i < qredit::kMaxCards + 10; ++i)
            full.append({QStringLiteral("q%1").arg(i), QStringLiteral("a%1").arg(i)});
        QByteArray words;
        for (const CardRow& r : full)
            words += r.question.toUtf8() + "," + r.answer.toUtf8() + "\n";
        writeAll(path("w.csv"), words);
        m_prompter->expect(MsgResult::Yes, QStringLiteral("Too Many Cards"));
        QVERIFY(m_w->importFile(path("w.csv"), false));
        saveAs(path("full.qex"));
        AppState::reset();
        FlushDeck(true);
        LoadChapterFile(path("full.qex"), QStringLiteral("Full"));
        QCOMPARE(int(deckUpper()), qredit::kMaxCards);
        QCOMPARE(deck[qredit::kMaxCards - 1].question, full[qredit::kMaxCards - 1].question);
        FlushDeck(true);
        QString said;
        QCOMPARE(convert({"--import", path("w.csv"), "--output", path("cli.qex")}, said), 1);
        QVERIFY2(said.contains(QStringLiteral("a chapter holds at most 32766")), qPrintable(said));

        // The store's own limit, as a chapter from elsewhere may hold it.
        QString error;
        QVERIFY2(qredit::saveChapter(path("store.qex"), full.mid(0, 32767), QStringLiteral("Full"), error),
                 qPrintable(error));
        const QByteArray bytes = readAll(path("store.qex"));
        QVERIFY(m_w->openFile(path("store.qex")));
        QCOMPARE(m_w->model()->rowCount(), 32767);
        m_w->SetModified(true);
        QVERIFY(m_w->SaveDeck());
        QCOMPARE(readAll(path("store.qex")), bytes);
        type("one", "more");
        QCOMPARE(m_w->model()->rowCount(), 32767);
    }

    // Input that is no regular file is refused before it is opened: a named pipe would block
    // the conversion for good. (A helper writes to the pipe while a reader waits, so that
    // a conversion that opens it ends, and fails the test, instead of hanging.)
    void namedPipeIsRefused_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("output");
        QTest::newRow("import") << "--import"
                                << "out.qex";
        QTest::newRow("export") << "--export"
                                << "out.csv";
    }
    void namedPipeIsRefused() {
        QFETCH(QString, option);
        QFETCH(QString, output);
        const QString fifo = path("pipe.csv");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        std::atomic<bool> done{false};
        std::thread feeder([&done, name = QFile::encodeName(fifo)] {
            while (!done) {
                const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    [[maybe_unused]] const auto n = ::write(fd, "a,b\n", 4);
                    ::close(fd);
                }
                QThread::msleep(20);
            }
        });
        QString said;
        const int status = convert({option, fifo, "--output", path(output)}, said);
        done = true;
        feeder.join();
        QCOMPARE(status, 1);
        QCOMPARE(said, QStringLiteral("qredit: '%1' is a named pipe, not a file\n").arg(fifo));
        QVERIFY(!QFile::exists(path(output)));
    }

    // Each refusal names what is really wrong.
    void wrongReasonsAreNamed_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("reason");
        QTest::newRow("link loop opened in the window") << "open" << "Too many levels of symbolic links";
        QTest::newRow("link loop exported") << "export" << "Too many levels of symbolic links";
        QTest::newRow("link loop imported") << "import" << "Too many levels of symbolic links";
        QTest::newRow("missing file opened") << "open missing" << "No such file or directory";
    }
    void wrongReasonsAreNamed() {
        QFETCH(QString, how);
        QFETCH(QString, reason);
        QVERIFY(QFile::link(path("b.qex"), path("a.qex")));
        QVERIFY(QFile::link(path("a.qex"), path("b.qex")));
        QString said;
        if (how.startsWith("open")) {
            m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't open file"));
            QVERIFY(!m_w->openFile(path(how == "open" ? "a.qex" : "none.qex")));
            said = m_prompter->boxes.last().text;
        } else {
            QCOMPARE(convert({"--" + how, path("a.qex"), "--output", path(how == "export" ? "o.csv" : "o.qex")}, said), 1);
        }
        QVERIFY2(said.contains(reason), qPrintable(said));
        QVERIFY(!QFile::exists(path("none.qex")) && !QFile::exists(path("o.csv")) && !QFile::exists(path("o.qex")));
    }

    // A new chapter in a folder of a read-only file system: the save's reason, not the one of
    // the failed reopen after it. Needs the right to mount a file system.
    void newOutputInReadOnlyFolder() {
        const QString folder = path("ro");
        QVERIFY(QDir().mkpath(folder));
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "ro", "tmpfs", folder}) != 0)
            QSKIP("a read-only file system can't be mounted here");
        writeAll(path("w.csv"), "a,b\n");
        writeChapter(path("c.qex"), "T", {{"a", "b"}});
        QString chapter, words;
        const int chapterStatus = convert({"--import", path("w.csv"), "--output", folder + "/new.qex"}, chapter);
        const int wordsStatus = convert({"--export", path("c.qex"), "--output", folder + "/new.csv"}, words);
        QProcess::execute("umount", {folder});
        QCOMPARE(chapterStatus, 1);
        QCOMPARE(wordsStatus, 1);
        QVERIFY2(chapter.contains(QStringLiteral("couldn't be saved: Read-only file system")), qPrintable(chapter));
        QVERIFY2(words.contains(QStringLiteral("couldn't be written: Read-only file system")), qPrintable(words));
    }

    // A chapter's NUL (from a file made elsewhere) is exported as a space, so that the export
    // imports again.
    void chapterNulExportsAsSpace() {
        QVERIFY(m_w->PutRow(QStringLiteral("a") + QChar(0) + "b", QStringLiteral("c"), -1, false));
        QVERIFY(m_w->exportFile(path("out.csv")));
        QVERIFY(!readAll(path("out.csv")).contains('\0'));
        m_prompter->expect(MsgResult::No, QStringLiteral("Save Changes"));
        QVERIFY(m_w->NewDeck());
        QVERIFY(m_w->importFile(path("out.csv"), false));
        QCOMPARE(rows(), (QList<CardRow>{{"a b", "c"}}));
    }

    // Both exports start with a byte-order mark, which spreadsheets need to read either as
    // UTF-8; the command line's and the window's files are the same.
    void exportsStartWithByteOrderMark_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("csv") << "out.csv";
        QTest::newRow("tsv") << "out.tsv";
        QTest::newRow("txt") << "out.txt";
    }
    void exportsStartWithByteOrderMark() {
        QFETCH(QString, name);
        QVERIFY(m_w->PutRow(QStringLiteral("\u00C4rger"), QStringLiteral("anger"), -1, false));
        saveAs(path("c.qex"));
        QVERIFY(m_w->exportFile(path(name)));
        const QByteArray window = readAll(path(name));
        QVERIFY(window.startsWith("\xEF\xBB\xBF" "Front,Back\r\n\xC3\x84rger") ||
                window.startsWith("\xEF\xBB\xBF" "Front\tBack\r\n\xC3\x84rger"));
        QString said;
        QCOMPARE(convert({"--export", path("c.qex"), "--output", path("cli-" + name)}, said), 0);
        QCOMPARE(readAll(path("cli-" + name)), window);
    }

    // A file that is UTF-8 but for one slip is read as UTF-8, and the slip's line is named:
    // on the command line, and in the preview, which offers the encoding as a choice.
    void mostlyUtf8IsNamed() {
        const QByteArray words = "Stra\xC3\x9F" "e,street\n\xC3\x84rger,anger\nM\xFCll,waste\n";
        writeAll(path("w.csv"), words);
        QString said, title, error;
        QCOMPARE(convert({"--import", path("w.csv"), "--output", path("w.qex")}, said), 0);
        QCOMPARE(said, QStringLiteral("qredit: %1: line 3 holds bytes that are not UTF-8 (read as \uFFFD)\n")
                           .arg(path("w.csv")));
        QVector<CardRow> got;
        QCOMPARE(qredit::loadChapter(path("w.qex"), got, title, error), qredit::LoadResult::Loaded);
        QCOMPARE(got.value(0), (CardRow{QStringLiteral("Stra\u00DFe"), "street"}));

        QStringList summaries, previews;
        EditorWindow::setPreviewRunner([&](qredit::ImportDialog& d) {
            summaries << d.summary();
            previews << d.previewRows().value(0);
            d.setCharset(wordlist::Charset::Windows1252);
            summaries << d.summary();
            previews << d.previewRows().value(0);
            d.setCharset(wordlist::Charset::Utf8);
            summaries << d.summary();
            return false;
        });
        QVERIFY(!m_w->importFile(path("w.csv")));
        EditorWindow::setPreviewRunner(nullptr);
        QCOMPARE(summaries,
                 (QStringList{"3 rows, UTF-8, comma-separated. Line 3 holds bytes that are not UTF-8 (read as \uFFFD).",
                              "3 rows, Windows-1252, comma-separated.",
                              "3 rows, UTF-8, comma-separated. Line 3 holds bytes that are not UTF-8 (read as \uFFFD)."}));
        QCOMPARE(previews, (QStringList{QStringLiteral("Stra\u00DFe|street"), QStringLiteral("Stra\u00C3\u0178e|street")}));
    }

    // A chapter that turns UTF-8 for the new rows must still fit: else the rows that need
    // UTF-8 stay out and the chapter keeps its encoding.
    void importKeepsEncodingWhenUtf8Overfills_data() {
        QTest::addColumn<QVector<CardRow>>("existing");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("inserted");
        QTest::addColumn<QString>("problem");
        const QVector<CardRow> accents = {{QString(50, QChar(0xE9)), QString(50, u'b')}};
        QTest::newRow("a card would overfill")
            << accents << "T" << QStringList{"Haus"}
            << "line 1: it needs UTF-8, and in UTF-8 the card '" + QString(50, QChar(0xE9)) + "' takes 150 bytes";
        QTest::newRow("the title would overfill")
            << QVector<CardRow>{} << QString(62, u't') << QStringList{"Haus"}
            << "line 1: it needs UTF-8, and in UTF-8 the deck title takes 62 bytes in UTF-8; it holds at most 60";
        QTest::newRow("everything fits") << QVector<CardRow>{} << QString(60, u't')
                                         << QStringList{QStringLiteral("\u0434\u043E\u043C"), "Haus"} << QString();
    }
    void importKeepsEncodingWhenUtf8Overfills() {
        QFETCH(QVector<CardRow>, existing);
        QFETCH(QString, title);
        QFETCH(QStringList, inserted);
        QFETCH(QString, problem);
        const qredit::ImportPlan plan =
            qredit::planImport(existing, -1, tableOf("\xD0\xB4\xD0\xBE\xD0\xBC,house\nHaus,house\n"), title);
        QStringList questions;
        for (const CardRow& r : plan.inserted)
            questions << r.question;
        QCOMPARE(questions, inserted);
        QCOMPARE(qredit::problemReport(plan.problems).left(problem.size()), problem);
    }

    // New cards are counted by front, once however often a front comes; rows the reader did
    // not read are reported.
    void planCountsFronts_data() {
        QTest::addColumn<int>("existing");
        QTest::addColumn<qint64>("notRead");
        QTest::addColumn<int>("inserted");
        QTest::addColumn<qint64>("overflow");
        QTest::addColumn<QString>("problems");
        QTest::newRow("room for all") << 0 << qint64(0) << 4 << qint64(0) << QString();
        QTest::newRow("room for two") << qredit::kMaxCards - 2 << qint64(0) << 2 << qint64(2) << QString();
        QTest::newRow("no room") << qredit::kMaxCards << qint64(0) << 0 << qint64(4) << QString();
        QTest::newRow("a row not read") << 0 << qint64(1) << 4 << qint64(0)
                                        << "line 9: this row was not read (too many rows repeat a front)";
        QTest::newRow("rows not read") << 0 << qint64(3) << 4 << qint64(0)
                                       << "line 9: this row and 2 after it were not read (too many rows repeat a front)";
    }
    void planCountsFronts() {
        QFETCH(int, existing);
        QFETCH(qint64, notRead);
        QFETCH(int, inserted);
        QFETCH(qint64, overflow);
        QFETCH(QString, problems);
        QVector<CardRow> list;
        for (int i = 0; i < existing; ++i)
            list.append({QStringLiteral("e%1").arg(i), QStringLiteral("x")});
        wordlist::WordTable table = tableOf("a,1\nb,1\nc,1\nd,1\nc,2\nd,2\nd,3\nb,2\n");
        table.rowsNotRead = notRead;
        table.firstLineNotRead = notRead > 0 ? 9 : 0;
        const qredit::ImportPlan plan = qredit::planImport(list, -1, table, QString());
        QCOMPARE(plan.inserted.size(), inserted);
        QCOMPARE(plan.overflow, overflow);
        QCOMPARE(qredit::problemReport(plan.problems), problems);
        if (inserted == 2)
            QCOMPARE(plan.inserted, (QVector<CardRow>{{"a", "1"}, {"b", "2"}}));
    }

    // Counts in the import's messages: one card, two cards.
    void countsSayOneCard_data() {
        QTest::addColumn<int>("inserted");
        QTest::addColumn<int>("answers");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("done");
        QTest::addColumn<QString>("holds"); // the start of the question when nothing fits
        QTest::newRow("one card") << 1 << 0 << "w.csv" << "1 card imported from 'w.csv'" << "'w.csv' holds 1 new card,";
        QTest::newRow("two cards, one answer") << 2 << 1 << "w.csv" << "2 cards imported from 'w.csv', 1 answer replaced"
                                               << "'w.csv' holds 2 new cards,";
        QTest::newRow("no card, two answers") << 0 << 2 << "" << "0 cards pasted, 2 answers replaced"
                                              << "'w.csv' holds 0 new cards,";
        QTest::newRow("one card pasted") << 1 << 0 << "" << "1 card pasted" << "'w.csv' holds 1 new card,";
    }
    void countsSayOneCard() {
        QFETCH(int, inserted);
        QFETCH(int, answers);
        QFETCH(QString, name);
        QFETCH(QString, done);
        QFETCH(QString, holds);
        qredit::ImportPlan plan;
        plan.inserted.resize(inserted);
        for (int i = 0; i < answers; ++i)
            plan.answers.append({i, QStringLiteral("x")});
        QCOMPARE(qredit::importDoneText(plan, name), done);
        QVERIFY(qredit::tooManyCardsQuestion(plan, "'w.csv'", 0).startsWith(holds));
    }
    // The question in full, as the window has asked it.
    void tooManyCardsQuestionText() {
        qredit::ImportPlan plan;
        plan.inserted.resize(5);
        plan.overflow = 3;
        QCOMPARE(qredit::tooManyCardsQuestion(plan, "'w.csv'", 5),
                 QStringLiteral("'w.csv' holds 8 new cards, but this chapter has room for only 5 more (a chapter holds "
                                "at most 32766). Import the first 5 and leave the rest out?\n\nNo imports nothing."));
    }

    // The review history follows a renamed front when the file changes: at a save, from the
    // front the card had at the last load or save, whatever edits, undos and deletions came
    // in between. Cards A, B and C have 1, 2 and 3 reviews.
    void renamedFrontKeepsHistory_data() {
        QTest::addColumn<QString>("steps"); // eN=X edits row N's front, dN deletes it, +X adds a
                                            // card, u undo, r redo, s save
        QTest::addColumn<QString>("after");
        QTest::newRow("renamed and saved") << "e0=X s" << "B=2,C=3,X=1";
        QTest::newRow("renamed, not saved") << "e0=X" << "A=1,B=2,C=3";
        QTest::newRow("renamed, undone, saved") << "e0=X u s" << "A=1,B=2,C=3";
        QTest::newRow("renamed, undone, redone, saved") << "e0=X u r s" << "B=2,C=3,X=1";
        QTest::newRow("two renames, one save") << "e0=X e0=Y s" << "B=2,C=3,Y=1";
        QTest::newRow("two saves") << "e0=X s e0=Y s" << "B=2,C=3,Y=1";
        QTest::newRow("saved, then undone and saved") << "e0=X s u s" << "A=1,B=2,C=3";
        QTest::newRow("saved, then renamed back") << "e0=X s e0=A s" << "A=1,B=2,C=3";
        QTest::newRow("swapped") << "e0=B e1=A s" << "A=2,B=1,C=3";
        QTest::newRow("three in a circle") << "e0=B e1=C e2=A s" << "A=3,B=1,C=2";
        QTest::newRow("chain") << "e1=X e0=B s" << "B=1,C=3,X=2";
        QTest::newRow("onto another card's front: one card") << "e0=B s" << "B=3,C=3";
        QTest::newRow("onto a deleted card's front") << "d1 e0=B s" << "B=3,C=3";
        QTest::newRow("deleted, saved, undone, renamed") << "d0 s u e0=X s" << "B=2,C=3,X=1";
        QTest::newRow("renamed, deleted, undone") << "e0=X d0 u s" << "B=2,C=3,X=1";
        QTest::newRow("deleted after a rename, undone, saved, redone") << "e0=X d0 u s r u e0=Y s" << "B=2,C=3,Y=1";
        QTest::newRow("a new card takes the old front") << "e0=X +A s" << "B=2,C=3,X=1";
        QTest::newRow("a new card renamed") << "+N e3=Y s" << "A=1,B=2,C=3";
    }
    void renamedFrontKeepsHistory() {
        QFETCH(QString, steps);
        QFETCH(QString, after);
        const QString file = path("h.qex");
        for (const char* q : {"A", "B", "C"})
            m_w->PutRow(q, "x", -1, false);
        saveAs(file);
        seedHistory(file, {{"A", 1}, {"B", 2}, {"C", 3}});
        for (const QString& step : steps.split(u' ')) {
            const QString arg = step.mid(1);
            switch (step.at(0).toLatin1()) {
            case 'e':
                QVERIFY(m_w->model()->setData(m_w->model()->index(arg.section(u'=', 0, 0).toInt(), 0),
                                              arg.section(u'=', 1)));
                break;
            case 'd':
                m_w->selectRow(arg.toInt());
                m_w->DeleteRow();
                break;
            case '+': QVERIFY(m_w->PutRow(arg, "x", -1, false)); break;
            case 'u': m_w->undoStack()->undo(); break;
            case 'r': m_w->undoStack()->redo(); break;
            case 's':
                QVERIFY(m_w->SaveDeck());
                QCOMPARE(m_w->statusText(), QStringLiteral("File saved successfully"));
                break;
            }
        }
        QCOMPARE(historyCounts(file), after);
    }

    // A history that cannot be used never stops or questions a save: one line in the status
    // bar, no message box, the history as it was; the rename is made at the next save.
    void unusableHistoryNeverStopsASave_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("why");
        QTest::newRow("damaged") << "damaged" << "it is damaged";
        QTest::newRow("newer version") << "newer" << "a newer version of the program wrote it";
        QTest::newRow("a folder in its place") << "folder" << "it cannot be opened";
    }
    void unusableHistoryNeverStopsASave() {
        QFETCH(QString, kind);
        QFETCH(QString, why);
        const QString file = path("h.qex");
        m_w->PutRow("A", "x", -1, false);
        m_w->PutRow("B", "x", -1, false);
        saveAs(file);
        seedHistory(file, {{"A", 1}, {"B", 2}});
        const QString db = m_w->historyPath();
        const QByteArray good = readAll(db);
        if (kind == "damaged") {
            writeAll(db, good.left(good.size() / 2 + 1));
        } else if (kind == "newer") {
            QByteArray newer = good;
            newer[63] = char(history::History::kSchemaVersion + 1); // the header's user_version
            writeAll(db, newer);
        } else {
            QVERIFY(QFile::remove(db));
            QVERIFY(QDir().mkpath(db));
        }
        const QByteArray unusable = readAll(db);
        QVERIFY(m_w->model()->setData(m_w->model()->index(0, 0), "X"));
        QVERIFY(m_w->SaveDeck());
        QCOMPARE(m_w->statusText(),
                 QStringLiteral("File saved successfully. The review history did not follow the renamed fronts: %1.")
                     .arg(why));
        QVERIFY(!m_w->isModified());
        QCOMPARE(m_prompter->boxes.size(), 0);
        QCOMPARE(readAll(db), unusable);
        QVector<CardRow> saved;
        QString title, error;
        QCOMPARE(qredit::loadChapter(file, saved, title, error), qredit::LoadResult::Loaded);
        QCOMPARE(saved.first().question, QStringLiteral("X"));

        // Usable again: the next save makes the rename the last one could not.
        if (kind == "folder")
            QVERIFY(QDir(db).removeRecursively());
        writeAll(db, good);
        QVERIFY(m_w->SaveDeck());
        QCOMPARE(m_w->statusText(), QStringLiteral("File saved successfully"));
        QCOMPARE(historyCounts(file), QStringLiteral("B=2,X=1"));
    }
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
