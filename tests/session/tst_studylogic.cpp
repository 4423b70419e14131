// The display-free side of studying both ways and by typing: the answer check, the round
// counts and the side a card shows first.
#include "answermatcher.h"
#include "roundcounter.h"
#include "studydirection.h"
#include "testsupport.h"

#include <QtTest>

Q_DECLARE_METATYPE(Verdict)

class TestStudyLogic : public QObject {
    Q_OBJECT
private slots:
    void matcher_data();
    void matcher();
    void verdictTexts();
    void roundComplete_data();
    void roundComplete();
    void roundFigures();
    void directions();
};

void TestStudyLogic::matcher_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("card");
    QTest::addColumn<bool>("forgive");
    QTest::addColumn<Verdict>("expected");
    const Verdict R = Verdict::Right, A = Verdict::Almost, W = Verdict::Wrong;
    QTest::newRow("exact") << "house"
                           << "house" << true << R;
    QTest::newRow("case") << "HOUSE"
                          << "House" << false << R;
    QTest::newRow("spaces around and between") << "  the   big house "
                                               << "the big house" << false << R;
    QTest::newRow("final punctuation") << "Guten Tag!"
                                       << "Guten Tag" << false << R;
    QTest::newRow("final punctuation on the card") << "wie geht's"
                                                   << "Wie geht's?" << false << R;
    QTest::newRow("spanish question marks") << "que tal"
                                            << "\u00BFQu\u00E9 tal?" << true << R;
    QTest::newRow("inner punctuation counts") << "wie gehts"
                                              << "wie geht's" << false << W;
    QTest::newRow("comma alternative") << "big"
                                       << "large, big" << false << R;
    QTest::newRow("semicolon alternative") << "huge"
                                           << "large; huge" << false << R;
    QTest::newRow("slash alternative") << "der Hund"
                                       << "der Hund / die Hunde" << false << R;
    QTest::newRow("whole list") << "large, big"
                                << "large, big" << false << R;
    QTest::newRow("two alternatives typed") << "big / large"
                                            << "large, big" << false << R;
    QTest::newRow("one of two typed wrong") << "big, small"
                                            << "large, big" << false << W;
    QTest::newRow("bracketed part") << "go"
                                    << "(to) go" << false << R;
    QTest::newRow("accent forgiven") << "cafe"
                                     << "caf\u00E9" << true << R;
    QTest::newRow("accent not forgiven") << "cafe"
                                         << "caf\u00E9" << false << W;
    QTest::newRow("ae for a umlaut") << "Maedchen"
                                     << "M\u00E4dchen" << true << R;
    QTest::newRow("a for a umlaut") << "Madchen"
                                    << "M\u00E4dchen" << true << R;
    QTest::newRow("umlaut typed for ae") << "M\u00E4dchen"
                                         << "Maedchen" << true << R;
    QTest::newRow("oe, ue") << "schoen gruen"
                            << "sch\u00F6n gr\u00FCn" << true << R;
    QTest::newRow("ss for sharp s") << "Strasse"
                                    << "Stra\u00DFe" << true << R;
    QTest::newRow("capital sharp s") << "STRASSE"
                                     << "Stra\u00DFe" << true << R;
    QTest::newRow("ae not forgiven, long word") << "Maedchen"
                                                << "M\u00E4dchen" << false << W;
    QTest::newRow("umlaut missing, not forgiven") << "Madchen"
                                                  << "M\u00E4dchen" << false << A;
    QTest::newRow("one wrong letter") << "elefent"
                                      << "elephant" << false << W; // two edits
    QTest::newRow("one wrong letter, long word") << "Schmetterlung"
                                                 << "Schmetterling" << false << A;
    QTest::newRow("one missing letter") << "Schmeterling"
                                        << "Schmetterling" << false << A;
    QTest::newRow("one extra letter") << "Schmettterling"
                                      << "Schmetterling" << false << A;
    QTest::newRow("two letters swapped") << "Schmettrelingx"
                                         << "Schmetterling" << false << W;
    QTest::newRow("neighbours swapped") << "Schmettrelng"
                                        << "Schmetterlng" << false << A;
    QTest::newRow("six letters almost") << "garden"
                                        << "gardan" << false << A;
    QTest::newRow("five letters wrong") << "hause"
                                        << "house" << false << W;
    QTest::newRow("two words, one off") << "der Schmeterling"
                                        << "der Schmetterling" << false << A;
    QTest::newRow("two words, both off") << "dar Schmeterling"
                                         << "der Schmetterling" << false << W;
    QTest::newRow("almost one alternative") << "Schmeterling"
                                            << "Falter; Schmetterling" << false << A;
    QTest::newRow("wrong") << "dog"
                           << "cat" << true << W;
    QTest::newRow("cyrillic case") << "\u041F\u0420\u0418\u0412\u0415\u0422"
                                   << "\u043F\u0440\u0438\u0432\u0435\u0442" << false << R;
    QTest::newRow("cyrillic almost") << "\u043F\u0440\u0438\u0432\u0438\u0442"
                                     << "\u043F\u0440\u0438\u0432\u0435\u0442" << false << A;
    QTest::newRow("cyrillic yo forgiven") << "\u0435\u0436"
                                          << "\u0451\u0436" << true << R;
    QTest::newRow("greek final sigma") << "\u039B\u039F\u0393\u039F\u03A3"
                                       << "\u03BB\u03CC\u03B3\u03BF\u03C2" << true << R;
    QTest::newRow("greek tonos not forgiven") << "\u03BB\u03BF\u03B3\u03BF\u03C2"
                                              << "\u03BB\u03CC\u03B3\u03BF\u03C2" << false << W;
    QTest::newRow("japanese") << "\u3042\u308A\u304C\u3068\u3046\u3002"
                              << "\u3042\u308A\u304C\u3068\u3046" << true << R;
    QTest::newRow("japanese voicing kept") << "\u304B\u304D"
                                           << "\u304C\u304D" << true << W;
    QTest::newRow("full-width letters") << "\uFF48\uFF4F\uFF55\uFF53\uFF45"
                                        << "house" << false << R;
    QTest::newRow("empty answer, empty card") << "  "
                                              << "" << true << R;
    QTest::newRow("typed, empty card") << "house"
                                       << "" << true << W;
    QTest::newRow("nothing typed") << ""
                                   << "house" << true << W;
    QTest::newRow("only punctuation typed") << "?!"
                                            << "house" << true << W;
}

void TestStudyLogic::matcher() {
    QFETCH(QString, typed);
    QFETCH(QString, card);
    QFETCH(bool, forgive);
    QFETCH(Verdict, expected);
    QCOMPARE(AnswerMatcher(forgive).check(typed, card), expected);
}

void TestStudyLogic::verdictTexts() {
    QCOMPARE(AnswerMatcher::verdictText(Verdict::Right, "x", "y"), QString("Right"));
    QCOMPARE(AnswerMatcher::verdictText(Verdict::Almost, "Schmeterling", "der Schmetterling"),
             QString("Almost: der Schmetterling"));
    QCOMPARE(AnswerMatcher::verdictText(Verdict::Wrong, "  der   Hund ", "die Katze"),
             QString("Wrong: you typed 'der Hund'"));
}

void TestStudyLogic::roundComplete_data() {
    QTest::addColumn<QList<int>>("presented");
    QTest::addColumn<QList<int>>("rotation"); // empty: every card
    QTest::addColumn<bool>("complete");
    QTest::newRow("nothing yet") << QList<int>{} << QList<int>{} << false;
    QTest::newRow("all but one") << QList<int>{0, 1, 2} << QList<int>{} << false;
    QTest::newRow("every card") << QList<int>{0, 1, 2, 3} << QList<int>{} << true;
    QTest::newRow("twice does not hurt") << QList<int>{3, 3, 0, 1, 2} << QList<int>{} << true;
    QTest::newRow("trouble cards seen") << QList<int>{1, 3} << QList<int>{1, 3} << true;
    QTest::newRow("one trouble card left") << QList<int>{1, 2} << QList<int>{1, 3} << false;
    QTest::newRow("no trouble card left") << QList<int>{2} << QList<int>{-1} << true;
    // Every card out of rotation and none seen yet: no round has been gone through.
    QTest::newRow("nothing seen, no card in rotation") << QList<int>{} << QList<int>{-1} << false;
}

void TestStudyLogic::roundComplete() {
    QFETCH(QList<int>, presented);
    QFETCH(QList<int>, rotation);
    QFETCH(bool, complete);
    MockClock clock;
    RoundCounter round(&clock);
    round.begin();
    for (int slot : presented)
        round.presented(slot);
    auto inRotation = [&](int slot) { return rotation.isEmpty() || rotation.contains(slot); };
    QCOMPARE(round.complete(4, inRotation), complete);
}

void TestStudyLogic::roundFigures() {
    MockClock clock;
    RoundCounter round(&clock);
    round.presented(0); // the first presentation begins a round
    clock.advanceMs(1500);
    round.presented(1);
    round.turned(1);
    round.turned(1);
    round.troubleChanged(1, true);
    round.troubleChanged(0, true);
    round.troubleChanged(0, false); // set and cleared again: not counted
    round.answered(Verdict::Wrong);
    round.answered(Verdict::Right);
    round.answered(Verdict::Almost);
    round.answered(Verdict::Right);
    clock.advanceMs(61000);
    RoundFigures f = round.figures();
    QCOMPARE(f.seen, 2);
    QCOMPARE(f.turned, 1);
    QCOMPARE(f.markedTrouble, 1);
    QCOMPARE(f.right, 2);
    QCOMPARE(f.almost, 1);
    QCOMPARE(f.wrong, 1);
    QCOMPARE(f.elapsedMs, qint64(62500));

    round.begin();
    f = round.figures();
    QCOMPARE(f.seen + f.turned + f.markedTrouble + f.answered(), 0);
    QCOMPARE(f.elapsedMs, qint64(0));
}

void TestStudyLogic::directions() {
    QCOMPARE(StudyDirection().direction(), CardDirection::QuestionFirst);
    QVERIFY(!StudyDirection(CardDirection::QuestionFirst).drawAnswerFirst());
    QVERIFY(StudyDirection(CardDirection::AnswerFirst).drawAnswerFirst());
    QList<bool> coin{true, false, false};
    StudyDirection::setCoin([&] { return coin.takeFirst(); });
    const StudyDirection mixed(CardDirection::Mixed);
    QCOMPARE(mixed.drawAnswerFirst(), true);
    QCOMPARE(mixed.drawAnswerFirst(), false);
    QCOMPARE(mixed.drawAnswerFirst(), false);
    StudyDirection::setCoin({});
    bool sawBoth[2] = {false, false};
    for (int i = 0; i < 200; ++i)
        sawBoth[mixed.drawAnswerFirst()] = true;
    QVERIFY(sawBoth[0] && sawBoth[1]);
    for (int stored : {0, 1, 2})
        QCOMPARE(StudyDirection::toStored(StudyDirection::fromStored(stored)), stored);
    QCOMPARE(StudyDirection::fromStored(7), CardDirection::QuestionFirst);
    QCOMPARE(StudyDirection::fromStored(-1), CardDirection::QuestionFirst);
}

QTEST_GUILESS_MAIN(TestStudyLogic)
#include "tst_studylogic.moc"
