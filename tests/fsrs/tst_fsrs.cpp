// FSRS scheduling against the reference scheduler's review sequences, and the learning
// steps, fuzz, parameter bounds, button texts and study days around their boundaries.
#include "fsrs.h"
#include "intervaltext.h"
#include "studyday.h"

#include <QBuffer>
#include <QFile>
#include <QTimeZone>
#include <QtTest>

using namespace fsrs;

Q_DECLARE_METATYPE(fsrs::State)

namespace {
constexpr qint64 kMin = 60000;
constexpr qint64 kDay = 1440 * kMin;
const qint64 kT0 = QDateTime(QDate(2024, 5, 6), QTime(9, 30), Qt::UTC).toMSecsSinceEpoch();

std::vector<double> numbers(const QByteArray& text) {
    std::vector<double> out;
    if (text != "-")
        for (const QByteArray& s : text.split(','))
            out.push_back(s.toDouble());
    return out;
}
} // namespace

class TestFsrs : public QObject {
    Q_OBJECT
private slots:
    void referenceVectors();
    void learningSteps_data();
    void learningSteps();
    void fuzz_data();
    void fuzz();
    void bounds_data();
    void bounds();
    void intervalTexts_data();
    void intervalTexts();
    void studyDays_data();
    void studyDays();
};

// Every review of every sequence (see vectors/generate.mjs): state, step and due exactly,
// stability and difficulty to 1e-4; the counters after the last review, and for sequences
// from a new card the same card again from replay().
void TestFsrs::referenceVectors() {
    QFile packed(QStringLiteral(FSRS_VECTORS));
    QVERIFY2(packed.open(QIODevice::ReadOnly), qPrintable(packed.fileName()));
    QByteArray text = qUncompress(packed.readAll());
    QVERIFY(!text.isEmpty());
    QBuffer file(&text);
    QVERIFY(file.open(QIODevice::ReadOnly));
    std::optional<Scheduler> scheduler;
    Card card;
    std::vector<Review> log;
    qint64 now = 0;
    bool fromNew = true;
    int line = 0, sequences = 0, reviews = 0;
    while (!file.atEnd()) {
        const QList<QByteArray> f = file.readLine().trimmed().split(' ');
        const QByteArray at = "line " + QByteArray::number(++line);
        if (f[0] == "S") {
            const std::vector<double> learning = numbers(f[4]), relearning = numbers(f[5]), w = numbers(f[7]);
            Parameters p{kDefaultWeights,
                         f[1].toDouble(),
                         {learning.begin(), learning.end()},
                         {relearning.begin(), relearning.end()},
                         f[2].toInt(),
                         f[3] == "1"};
            std::copy(w.begin(), w.end(), p.weights.begin());
            scheduler.emplace(p);
            const std::vector<double> c = numbers(f[8]);
            fromNew = c.empty();
            card = fromNew ? Card()
                           : Card{0, c[2], c[3], 0, 0, int(c[1]), int(c[4]), int(c[5]), State(c[0]), qint64(c[6])};
            log.clear();
            now = f[6].toLongLong();
        } else if (f[0] == "R") {
            now += f[1].toLongLong() * 1000;
            log.push_back({now, Grade(f[2].toInt())});
            const Outcome o = scheduler->next(card, now, log.back().grade);
            card = o.card;
            QVERIFY2(int(card.state) == f[3].toInt() && card.step == f[4].toInt(), at.constData());
            QVERIFY2(card.scheduledDays == f[5].toInt(), at.constData());
            QVERIFY2(o.intervalMs == f[6].toLongLong() * kMin && card.due == now + o.intervalMs, at.constData());
            QVERIFY2(qAbs(card.stability - f[7].toDouble()) <= 1e-4, at.constData());
            QVERIFY2(qAbs(card.difficulty - f[8].toDouble()) <= 1e-4, at.constData());
            ++reviews;
        } else if (f[0] == "E") {
            QVERIFY2(card.reps == f[1].toInt() && card.lapses == f[2].toInt(), at.constData());
            QVERIFY2(card.elapsedDays == f[3].toInt() && card.lastReview == now, at.constData());
            const Card again = fromNew ? scheduler->replay(log) : card;
            QVERIFY2(again.due == card.due && again.stability == card.stability && again.difficulty == card.difficulty,
                     at.constData());
            ++sequences;
        }
    }
    QVERIFY(sequences >= 10000);
    qInfo("%d sequences, %d reviews", sequences, reviews);
}

// Reviews on time, one after another, from a new card; "AHGE" are the grades.
void TestFsrs::learningSteps_data() {
    QTest::addColumn<QList<int>>("learning");
    QTest::addColumn<QList<int>>("relearning");
    QTest::addColumn<QString>("grades");
    QTest::addColumn<State>("state");
    QTest::addColumn<int>("step");
    QTest::addColumn<qint64>("interval");
    QTest::addColumn<int>("lapses");
    const QList<int> usual{1, 10}, re{10}, none, one{5}, dayLong{10, 1440};
    const State L = State::Learning, R = State::Review, RL = State::Relearning;
    QTest::newRow("new, again") << usual << re << "A" << L << 0 << 1 * kMin << 0;
    QTest::newRow("new, hard: between the first two steps") << usual << re << "H" << L << 0 << 6 * kMin << 0;
    QTest::newRow("new, good: second step") << usual << re << "G" << L << 1 << 10 * kMin << 0;
    QTest::newRow("new, easy: review at once") << usual << re << "E" << R << 0 << 8 * kDay << 0;
    QTest::newRow("hard on the second step") << usual << re << "GH" << L << 1 << 6 * kMin << 0;
    QTest::newRow("good on the last step graduates") << usual << re << "GG" << R << 0 << 2 * kDay << 0;
    QTest::newRow("one step, hard: half as long again") << one << re << "H" << L << 0 << 8 * kMin << 0;
    QTest::newRow("no steps, again graduates") << none << re << "A" << R << 0 << 1 * kDay << 0;
    QTest::newRow("a day-long step") << dayLong << re << "G" << R << 1 << kDay << 0;
    QTest::newRow("lapse") << usual << re << "EA" << RL << 0 << 10 * kMin << 1;
    QTest::newRow("relearning, hard") << usual << re << "EAH" << RL << 0 << 15 * kMin << 1;
    QTest::newRow("relearning, again: no second lapse") << usual << re << "EAA" << RL << 0 << 10 * kMin << 1;
    QTest::newRow("relearning, good graduates") << usual << re << "EAG" << R << 0 << 1 * kDay << 1;
    QTest::newRow("lapse on a day-long step, no such relearning step") << dayLong << re << "GA" << R << 0 << kDay << 1;
    QTest::newRow("lapse, no relearning steps") << usual << none << "EA" << R << 0 << 1 * kDay << 1;
}

void TestFsrs::learningSteps() {
    QFETCH(QList<int>, learning);
    QFETCH(QList<int>, relearning);
    QFETCH(QString, grades);
    Parameters p;
    p.fuzz = false;
    p.learningSteps.assign(learning.begin(), learning.end());
    p.relearningSteps.assign(relearning.begin(), relearning.end());
    const Scheduler s(p);
    Card card;
    Outcome o;
    for (const QChar g : grades) {
        o = s.next(card, card.reps ? card.due : kT0, Grade(QStringLiteral("AHGE").indexOf(g) + 1));
        card = o.card;
    }
    QTEST(card.state, "state");
    QTEST(card.step, "step");
    QTEST(o.intervalMs, "interval");
    QTEST(card.lapses, "lapses");
}

// A new card graded Easy (gap 0), or a card in the review state graded Good after `gap`
// days, at many moments of one day: the fuzzed interval is the same for the same moment,
// and covers its whole range.
void TestFsrs::fuzz_data() {
    QTest::addColumn<int>("gap");
    QTest::addColumn<double>("retention");
    QTest::addColumn<int>("maximum");
    QTest::newRow("below 2.5 days: no fuzz") << 0 << 0.97 << 36500;
    QTest::newRow("at the maximum") << 0 << 0.7 << 40;
    QTest::newRow("review, months") << 20 << 0.8 << 36500;
    QTest::newRow("review, late, years") << 2000 << 0.7 << 36500;
}

void TestFsrs::fuzz() {
    QFETCH(int, gap);
    QFETCH(double, retention);
    QFETCH(int, maximum);
    Parameters p;
    p.fuzz = false;
    p.desiredRetention = retention;
    p.maximumInterval = maximum;
    const Scheduler plain(p);
    p.fuzz = true;
    const Scheduler fuzzy(p);
    const Card card = gap ? plain.next(Card(), kT0, Grade::Easy).card : Card();
    const Grade grade = gap ? Grade::Good : Grade::Easy;
    const qint64 at = kT0 + gap * kDay;
    const int unfuzzed = plain.next(card, at, grade).card.scheduledDays;
    const FuzzRange range = unfuzzed < 3 ? FuzzRange{unfuzzed, unfuzzed} : fuzzRange(unfuzzed, gap, maximum);
    QSet<int> seen;
    for (qint64 t = at; t < at + 3000 * 997; t += 997) {
        const int days = fuzzy.next(card, t, grade).card.scheduledDays;
        QCOMPARE(fuzzy.next(card, t, grade).card.scheduledDays, days);
        QVERIFY2(days >= range.min && days <= range.max, qPrintable(QString::number(days)));
        seen.insert(days);
    }
    QCOMPARE(seen.size(), range.max - range.min + 1);
}

// Out-of-range retention and maximum interval are brought into range: a new card graded
// Easy waits `easy` days.
void TestFsrs::bounds_data() {
    QTest::addColumn<double>("retention");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("easy");
    QTest::newRow("retention too low") << 0.5 << 36500 << 77;
    QTest::newRow("lowest retention") << 0.7 << 36500 << 77;
    QTest::newRow("highest retention") << 0.97 << 36500 << 2;
    QTest::newRow("retention too high") << 0.99 << 36500 << 2;
    QTest::newRow("short maximum") << 0.9 << 5 << 5;
    QTest::newRow("no maximum") << 0.9 << 0 << 1;
    QTest::newRow("maximum too long") << 0.9 << 99999 << 8;
}

void TestFsrs::bounds() {
    QFETCH(double, retention);
    QFETCH(int, maximum);
    Parameters p;
    p.fuzz = false;
    p.desiredRetention = retention;
    p.maximumInterval = maximum;
    QTEST(Scheduler(p).next(Card(), kT0, Grade::Easy).card.scheduledDays, "easy");
}

void TestFsrs::intervalTexts_data() {
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("text");
    const qint64 s = 1000, h = 60 * kMin;
    QTest::newRow("now") << qint64(0) << "1 min";
    QTest::newRow("1.5 min") << 90 * s << "2 min";
    QTest::newRow("just under an hour") << 59 * kMin + 29 * s << "59 min";
    QTest::newRow("rounds to an hour") << 59 * kMin + 30 * s << "1 h";
    QTest::newRow("just under a day") << 23 * h + 29 * kMin << "23 h";
    QTest::newRow("rounds to a day") << 23 * h + 30 * kMin << "1 d";
    QTest::newRow("29 days") << 29 * kDay + 11 * h << "29 d";
    QTest::newRow("rounds to 30 days") << 29 * kDay + 12 * h << "1.0 mo";
    QTest::newRow("63 days") << 63 * kDay << "2.1 mo";
    QTest::newRow("363 days") << 363 * kDay << "11.9 mo";
    QTest::newRow("364 days rounds to 12 months") << 364 * kDay << "1.0 y";
    QTest::newRow("the maximum interval") << 36500 * kDay << "100.0 y";
}

void TestFsrs::intervalTexts() {
    QFETCH(qint64, ms);
    QTEST(intervalText(ms), "text");
}

void TestFsrs::studyDays_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("hour");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QDateTime>("next");
    const QTimeZone berlin("Europe/Berlin");
    const auto at = [&](int m, int d, int h, int min) { return QDateTime(QDate(2024, m, d), QTime(h, min), berlin); };
    const auto utc = [](int m, int d, int h) { return QDateTime(QDate(2024, m, d), QTime(h, 0), Qt::UTC); };
    QTest::newRow("03:59 is the day before") << at(1, 10, 3, 59) << 4 << QDate(2024, 1, 9) << utc(1, 10, 3);
    QTest::newRow("04:00 begins the day") << at(1, 10, 4, 0) << 4 << QDate(2024, 1, 10) << utc(1, 11, 3);
    QTest::newRow("midnight start") << at(1, 10, 0, 0) << 0 << QDate(2024, 1, 10) << utc(1, 10, 23);
    QTest::newRow("start past 23:00 is 23:00") << at(1, 10, 23, 30) << 30 << QDate(2024, 1, 10) << utc(1, 11, 22);
    QTest::newRow("into summer time: 23 hours") << at(3, 30, 12, 0) << 4 << QDate(2024, 3, 30) << utc(3, 31, 2);
    QTest::newRow("summer time, 03:59") << at(3, 31, 3, 59) << 4 << QDate(2024, 3, 30) << utc(3, 31, 2);
    QTest::newRow("start in the gap: 03:00") << at(3, 31, 1, 30) << 2 << QDate(2024, 3, 30) << utc(3, 31, 1);
    QTest::newRow("out of summer time: 25 hours") << at(10, 26, 12, 0) << 4 << QDate(2024, 10, 26) << utc(10, 27, 3);
    QTest::newRow("fixed offset") << QDateTime(QDate(2024, 1, 10), QTime(3, 0), Qt::OffsetFromUTC, 19800) << 4
                                  << QDate(2024, 1, 9) << QDateTime(QDate(2024, 1, 9), QTime(22, 30), Qt::UTC);
}

void TestFsrs::studyDays() {
    QFETCH(QDateTime, now);
    QFETCH(int, hour);
    QFETCH(QDate, day);
    QFETCH(QDateTime, next);
    const StudyDay d = studyDay(now, hour);
    QCOMPARE(d.number, QDate(1970, 1, 1).daysTo(day));
    QCOMPARE(QDateTime::fromMSecsSinceEpoch(d.nextStart, Qt::UTC), next);
    QVERIFY(d.isDue(d.nextStart - 1));
    QVERIFY(!d.isDue(d.nextStart));
}

QTEST_GUILESS_MAIN(TestFsrs)
#include "tst_fsrs.moc"
