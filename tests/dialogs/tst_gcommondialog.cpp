// The dialog wrapper's translation of arguments and results.
#include "gcommondialog.h"
#include "testsupport.h"

#include <QtTest>

class TestGCommonDialog : public QObject {
    Q_OBJECT
private slots:
    void filterSplit_data();
    void filterSplit();
    void openFlags_data();
    void openFlags();
    void saveAlwaysHidesReadOnlyAndDropsHookFlags();
    void confirmedOpenFillsOutputs();
    void cancelClearsOutputs();
    void failureSetsExtendedError();
    void readOnlyTickedByUser();
    void longChosenPathIsKeptWhole();
    void colourFlags_data();
    void colourFlags();
    void colourCancelGivesMinusOne();
    void customColoursKeptPerInstance();
};

void TestGCommonDialog::filterSplit_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("parts");
    QTest::newRow("pair") << "Quarnel Data File|*.qex" << QStringList{"Quarnel Data File", "*.qex"};
    QTest::newRow("colon splits") << "Text: plain|*.txt" << QStringList{"Text", " plain", "*.txt"};
    QTest::newRow("no bar") << "*.txt" << QStringList{"*.txt"};
    QTest::newRow("two pairs") << "A|*.a|B|*.b" << QStringList{"A", "*.a", "B", "*.b"};
    QTest::newRow("double separator ends") << "A||B|*.b" << QStringList{"A"};
    QTest::newRow("empty") << "" << QStringList{};
}

void TestGCommonDialog::filterSplit() {
    QFETCH(QString, filter);
    QFETCH(QStringList, parts);
    QCOMPARE(GCommonDialog::splitFilter(filter), parts);
}

void TestGCommonDialog::openFlags_data() {
    QTest::addColumn<bool>("mustExist");
    QTest::addColumn<bool>("multi");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("hideReadOnly");
    QTest::addColumn<int>("callerFlags");
    QTest::addColumn<uint>("expected");
    QTest::newRow("none") << false << false << false << false << 0 << 0u;
    QTest::newRow("must exist") << true << false << false << false << 0 << 4096u;
    QTest::newRow("all") << true << true << true << true << 0 << uint(4096 + 512 + 1 + 4);
    QTest::newRow("hook and template removed") << false << false << false << false << (32 | 64 | 8) << 8u;
}

void TestGCommonDialog::openFlags() {
    QFETCH(bool, mustExist);
    QFETCH(bool, multi);
    QFETCH(bool, readOnly);
    QFETCH(bool, hideReadOnly);
    QFETCH(int, callerFlags);
    QFETCH(uint, expected);
    ScriptedDialogs dialogs;
    dialogs.cancelFile();
    GCommonDialog dlg;
    QString name, title, filter = "X|*.x";
    qint32 index = 1, flags = callerFlags;
    dlg.VBGetOpenFileName(name, title, mustExist, multi, readOnly, hideReadOnly, filter, index, "/tmp", "", "x",
                          nullptr, flags);
    QCOMPARE(dialogs.fileRequests.size(), 1);
    QCOMPARE(dialogs.fileRequests[0].flags, uint32_t(expected));
    QVERIFY(!dialogs.fileRequests[0].save);
}

void TestGCommonDialog::saveAlwaysHidesReadOnlyAndDropsHookFlags() {
    ScriptedDialogs dialogs;
    dialogs.cancelFile();
    dialogs.cancelFile();
    GCommonDialog dlg;
    QString name, title, filter = "Quarnel Save File|*.qrs";
    qint32 index = 1, flags = 32 | 64;
    dlg.VBGetSaveFileName(name, title, true, filter, index, "/home", "Save As", "qrs", nullptr, flags);
    filter = "Quarnel Save File|*.qrs";
    flags = 0;
    dlg.VBGetSaveFileName(name, title, false, filter, index, "/home", "Save As", "qrs", nullptr, flags);
    QCOMPARE(dialogs.fileRequests[0].flags, uint32_t(2 | 4));
    QCOMPARE(dialogs.fileRequests[1].flags, uint32_t(4));
    QVERIFY(dialogs.fileRequests[0].save);
    QCOMPARE(dialogs.fileRequests[0].title, QString("Save As"));
    QCOMPARE(dialogs.fileRequests[0].defaultExt, QString("qrs"));
    QCOMPARE(dialogs.fileRequests[0].initDir, QString("/home"));
    QCOMPARE(dialogs.fileRequests[0].filterParts, (QStringList{"Quarnel Save File", "*.qrs"}));
}

void TestGCommonDialog::confirmedOpenFillsOutputs() {
    ScriptedDialogs dialogs;
    dialogs.answerFile("/data/lesson1.qex", 1, 4096 | 0x80000);
    GCommonDialog dlg;
    QString name = "start.qex", title = "Select File", filter = "Quarnel Data File|*.qex";
    bool readOnly = false;
    qint32 index = 1, flags = 0;
    QVERIFY(dlg.VBGetOpenFileName(name, title, true, false, readOnly, false, filter, index, "", "", "qex", nullptr,
                                  flags));
    QCOMPARE(dialogs.fileRequests[0].fileName, QString("start.qex"));
    QCOMPARE(name, QString("/data/lesson1.qex"));
    QCOMPARE(title, QString("lesson1.qex"));
    QCOMPARE(flags, qint32(4096 | 0x80000));
    QCOMPARE(index, 1);
    QCOMPARE(filter, QString("Quarnel Data File|*.qex"));
    QCOMPARE(dlg.APIReturn(), 1);
    QCOMPARE(dlg.ExtendedError(), 0);
    QVERIFY(!readOnly);
}

void TestGCommonDialog::cancelClearsOutputs() {
    ScriptedDialogs dialogs;
    dialogs.cancelFile();
    GCommonDialog dlg;
    QString name = "/home/me/deck.qex", title = "deck.qex", filter = "Quarnel Save File|*.qex";
    bool readOnly = true;
    qint32 index = 1, flags = 12;
    QVERIFY(!dlg.VBGetOpenFileName(name, title, true, false, readOnly, false, filter, index, "", "", "qex", nullptr,
                                   flags));
    QVERIFY(name.isEmpty());
    QVERIFY(title.isEmpty());
    QVERIFY(filter.isEmpty());
    QCOMPARE(index, -1);
    QCOMPARE(flags, 0);
    QCOMPARE(dlg.APIReturn(), 0);
    QCOMPARE(dlg.ExtendedError(), 0);
}

void TestGCommonDialog::failureSetsExtendedError() {
    ScriptedDialogs dialogs;
    dialogs.failFile(0x3003);
    GCommonDialog dlg;
    QString name = "x", title, filter = "A|*.a";
    qint32 index = 1, flags = 0;
    QVERIFY(!dlg.VBGetSaveFileName(name, title, true, filter, index, "", "", "a", nullptr, flags));
    QCOMPARE(dlg.ExtendedError(), 0x3003);
    QVERIFY(name.isEmpty());
    QCOMPARE(index, -1);
    // The next call starts clean.
    dialogs.cancelFile();
    filter = "A|*.a";
    dlg.VBGetSaveFileName(name, title, true, filter, index, "", "", "a", nullptr, flags);
    QCOMPARE(dlg.ExtendedError(), 0);
}

void TestGCommonDialog::readOnlyTickedByUser() {
    ScriptedDialogs dialogs;
    dialogs.answerFile("/tmp/a.qex", 1, 4096 | 1);
    GCommonDialog dlg;
    QString name, title, filter = "A|*.qex";
    bool readOnly = false;
    qint32 index = 1, flags = 0;
    QVERIFY(dlg.VBGetOpenFileName(name, title, true, false, readOnly, false, filter, index, "", "", "qex", nullptr,
                                  flags));
    QVERIFY(readOnly);
}

// A path longer than the classic 260-character buffer is proposed and returned whole, in
// both directions and for both dialogs: a cut path is another file.
void TestGCommonDialog::longChosenPathIsKeptWhole() {
    ScriptedDialogs dialogs;
    const QString chosen = "/" + QString(150, 'a') + "/" + QString(150, 'c') + ".a";
    const QString proposed = "/" + QString(150, 'b') + "/" + QString(249, 'b');
    dialogs.answerFile(chosen);
    dialogs.answerFile(chosen);
    GCommonDialog dlg;
    QString name = proposed, title, filter = "A|*.a";
    qint32 index = 1, flags = 0;
    QVERIFY(dlg.VBGetSaveFileName(name, title, true, filter, index, "", "", "a", nullptr, flags));
    QCOMPARE(dialogs.fileRequests[0].fileName, proposed);
    QCOMPARE(name, chosen);
    bool readOnly = false;
    name = proposed;
    QVERIFY(dlg.VBGetOpenFileName(name, title, true, false, readOnly, false, filter, index, "", "", "a", nullptr,
                                  flags));
    QCOMPARE(dialogs.fileRequests[1].fileName, proposed);
    QCOMPARE(name, chosen);
}

void TestGCommonDialog::colourFlags_data() {
    QTest::addColumn<bool>("any");
    QTest::addColumn<bool>("full");
    QTest::addColumn<bool>("disableFull");
    QTest::addColumn<uint>("expected");
    QTest::newRow("any, full open") << true << true << false << uint(256 | 1 | 2);
    QTest::newRow("solid") << false << false << false << uint(128 | 1);
    QTest::newRow("prevent full open") << true << false << true << uint(256 | 1 | 4);
}

void TestGCommonDialog::colourFlags() {
    QFETCH(bool, any);
    QFETCH(bool, full);
    QFETCH(bool, disableFull);
    QFETCH(uint, expected);
    ScriptedDialogs dialogs;
    dialogs.answerColor(0x123456);
    GCommonDialog dlg;
    qint32 colour = 0xDE5549;
    QVERIFY(dlg.VBChooseColor(colour, any, full, disableFull, nullptr));
    QCOMPARE(dialogs.colorFlags.value(0), uint32_t(expected));
    QCOMPARE(dialogs.colorInitial.value(0), uint32_t(0xDE5549));
    QCOMPARE(colour, 0x123456);
}

void TestGCommonDialog::colourCancelGivesMinusOne() {
    ScriptedDialogs dialogs;
    dialogs.cancelColor();
    GCommonDialog dlg;
    qint32 colour = 0xFF;
    QVERIFY(!dlg.VBChooseColor(colour, true, true, false, nullptr));
    QCOMPARE(colour, -1);
}

void TestGCommonDialog::customColoursKeptPerInstance() {
    ScriptedDialogs dialogs;
    GCommonDialog dlg;
    dlg.setCustomColor(3, 0x00FF00);
    dialogs.cancelColor();
    qint32 colour = 0;
    dlg.VBChooseColor(colour, true, true, false, nullptr);
    QCOMPARE(dlg.CustomColor(3), uint32_t(0x00FF00));
    GCommonDialog other;
    QVERIFY(other.CustomColor(3) != 0x00FF00u);
}

QTEST_GUILESS_MAIN(TestGCommonDialog)
#include "tst_gcommondialog.moc"
