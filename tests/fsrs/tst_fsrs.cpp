// FSRS scheduling against the reference scheduler's review sequences, and the learning
// steps, fuzz, parameter bounds, button texts and study days around their boundaries.
#include "fsrs.h"
#include "intervaltext.h"
#include "studyday.h"

#include <QFile>
#include <QTimeZone>
#include <QtTest>

using namespace fsrs;

Q_DECLARE_METATYPE(fsrs::State)

namespace {
constexpr qint64 kMin = 60000;
constexpr qint64 kDay = 1440 * kMin;
const qint64 kT0 = QDateTime(QDate(2024, 5, 6), QTime(9, 30), Qt::UTC).toMSecsSinceEpoch();

std::vector<int> steps(const QByteArray& text) {
    std::vector<int> out;
    if (text != "-")
        for (const QByteArray& s : text.split(','))
            out.push_back(s.toInt());
    return out;
}

Parameters quiet() {
    Parameters p;
    p.fuzz = false;
    return p;
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
    void fuzzRanges_data();
    void fuzzRanges();
    void fuzzSeeds_data();
    void fuzzSeeds();
    void weights_data();
    void weights();
    void utcDays_data();
    void utcDays();
    void bounds_data();
    void bounds();
    void intervalTexts_data();
    void intervalTexts();
    void studyDays_data();
    void studyDays();
};

// Every review of every sequence: state, step and due exactly, stability and difficulty to
// 1e-4; the counters after the last review, and the same card again from replay().
void TestFsrs::referenceVectors() {
    QFile file(QStringLiteral(FSRS_VECTORS));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    std::optional<Scheduler> scheduler;
    Card card;
    std::vector<Review> log;
    qint64 now = 0;
    int line = 0, sequences = 0, fuzzed = 0;
    while (!file.atEnd()) {
        const QList<QByteArray> f = file.readLine().trimmed().split(' ');
        ++line;
        const auto fail = [&](const char* what) { return "line " + QByteArray::number(line) + ": " + what; };
        if (f[0] == "S") {
            Parameters p{kDefaultWeights, f[1].toDouble(), steps(f[4]), steps(f[5]), f[2].toInt(), f[3] == "1"};
            scheduler.emplace(p);
            fuzzed += p.fuzz;
            card = Card();
            log.clear();
            now = f[6].toLongLong();
        } else if (f[0] == "R") {
            now += f[1].toLongLong() * 1000;
            log.push_back({now, Grade(f[2].toInt())});
            const Outcome o = scheduler->next(card, now, log.back().grade);
            card = o.card;
            QVERIFY2(int(card.state) == f[3].toInt() && card.step == f[4].toInt(), fail("state or step").constData());
            QVERIFY2(card.scheduledDays == f[5].toInt(), fail("scheduled days").constData());
            QVERIFY2(o.intervalMs == f[6].toLongLong() * kMin && card.due == now + o.intervalMs,
                     fail("due").constData());
            QVERIFY2(qAbs(card.stability - f[7].toDouble()) <= 1e-4, fail("stability").constData());
            QVERIFY2(qAbs(card.difficulty - f[8].toDouble()) <= 1e-4, fail("difficulty").constData());
        } else if (f[0] == "E") {
            QVERIFY2(card.reps == f[1].toInt() && card.lapses == f[2].toInt(), fail("reps or lapses").constData());
            QVERIFY2(card.elapsedDays == f[3].toInt() && card.lastReview == now, fail("elapsed days").constData());
            const Card again = scheduler->replay(log);
            QVERIFY2(again.due == card.due && again.stability == card.stability &&
                         again.difficulty == card.difficulty && again.reps == card.reps,
                     fail("replay").constData());
            ++sequences;
        }
    }
    QVERIFY(sequences >= 10000 && fuzzed > 0);
    qInfo("%d sequences (%d with fuzz), %d lines", sequences, fuzzed, line);
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
    const QList<int> usual{1, 10}, re{10};
    const State L = State::Learning, R = State::Review, RL = State::Relearning;
    QTest::newRow("new, again") << usual << re << "A" << L << 0 << 1 * kMin << 0;
    QTest::newRow("new, hard: between the first two steps") << usual << re << "H" << L << 0 << 6 * kMin << 0;
    QTest::newRow("new, good: second step") << usual << re << "G" << L << 1 << 10 * kMin << 0;
    QTest::newRow("new, easy: review at once") << usual << re << "E" << R << 0 << 8 * kDay << 0;
    QTest::newRow("hard on the second step") << usual << re << "GH" << L << 1 << 6 * kMin << 0;
    QTest::newRow("again on the second step") << usual << re << "GA" << L << 0 << 1 * kMin << 0;
    QTest::newRow("good on the last step graduates") << usual << re << "GG" << R << 0 << 2 * kDay << 0;
    QTest::newRow("one step, hard: half as long again") << QList<int>{5} << re << "H" << L << 0 << 8 * kMin << 0;
    QTest::newRow("one step, good graduates") << QList<int>{5} << re << "G" << R << 0 << 2 * kDay << 0;
    QTest::newRow("no steps, again graduates") << QList<int>{} << re << "A" << R << 0 << 1 * kDay << 0;
    QTest::newRow("a day-long step") << QList<int>{10, 1440} << re << "G" << R << 1 << kDay << 0;
    QTest::newRow("lapse") << usual << re << "EA" << RL << 0 << 10 * kMin << 1;
    QTest::newRow("relearning, hard") << usual << re << "EAH" << RL << 0 << 15 * kMin << 1;
    QTest::newRow("relearning, again: no second lapse") << usual << re << "EAA" << RL << 0 << 10 * kMin << 1;
    QTest::newRow("relearning, good graduates") << usual << re << "EAG" << R << 0 << 1 * kDay << 1;
    QTest::newRow("two relearning steps") << usual << QList<int>{10, 60} << "EAG" << RL << 1 << 60 * kMin << 1;
    QTest::newRow("lapse on a day-long step, beyond the relearning steps")
        << QList<int>{10, 1440} << re << "GA" << R << 0 << kDay << 1;
    QTest::newRow("lapse on a day-long step, onto the second relearning step")
        << QList<int>{10, 1440} << QList<int>{10, 60} << "GA" << RL << 0 << 60 * kMin << 1;
    QTest::newRow("lapse, no relearning steps") << usual << QList<int>{} << "EA" << R << 0 << 1 * kDay << 1;
}

void TestFsrs::learningSteps() {
    QFETCH(QList<int>, learning);
    QFETCH(QList<int>, relearning);
    QFETCH(QString, grades);
    Parameters p = quiet();
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
    QTest::newRow("a week") << 0 << 0.9 << 36500;
    QTest::newRow("at the maximum") << 0 << 0.7 << 40;
    QTest::newRow("review, months") << 20 << 0.8 << 36500;
    QTest::newRow("review, late, years") << 2000 << 0.7 << 36500;
}

void TestFsrs::fuzz() {
    QFETCH(int, gap);
    QFETCH(double, retention);
    QFETCH(int, maximum);
    Parameters p = quiet();
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

void TestFsrs::fuzzRanges_data() {
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("elapsed");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::newRow("3 days, never below 2") << 3 << 0 << 36500 << 2 << 4;
    QTest::newRow("7 days") << 7 << 0 << 36500 << 5 << 9;
    QTest::newRow("8 days") << 8 << 0 << 36500 << 6 << 10;
    QTest::newRow("20 days") << 20 << 0 << 36500 << 17 << 23;
    QTest::newRow("21 days") << 21 << 0 << 36500 << 18 << 24;
    QTest::newRow("after the elapsed days") << 10 << 9 << 36500 << 10 << 12;
    QTest::newRow("elapsed longer than the interval") << 100 << 150 << 36500 << 93 << 107;
    QTest::newRow("capped") << 365 << 0 << 365 << 345 << 365;
    QTest::newRow("capped below the interval") << 400 << 0 << 365 << 343 << 365;
}

void TestFsrs::fuzzRanges() {
    QFETCH(int, interval);
    QFETCH(int, elapsed);
    QFETCH(int, maximum);
    const FuzzRange r = fuzzRange(interval, elapsed, maximum);
    QTEST(r.min, "min");
    QTEST(r.max, "max");
}

// Fuzz of cards in the review state whose difficulty * stability is written in unusual
// ways in the seed (a whole number, below one), against the reference scheduler.
void TestFsrs::fuzzSeeds_data() {
    QTest::addColumn<double>("difficulty");
    QTest::addColumn<double>("stability");
    QTest::addColumn<int>("gap");
    QTest::addColumn<QList<int>>("days");
    QTest::newRow("123") << 4.0 << 30.75 << 30 << QList<int>{73, 100, 159};
    QTest::newRow("348") << 7.25 << 48.0 << 32 << QList<int>{77, 92, 126};
    QTest::newRow("0.5") << 1.0 << 0.5 << 30 << QList<int>{8, 14, 31};
    QTest::newRow("0.5, a day later") << 1.0 << 0.5 << 31 << QList<int>{9, 16, 33};
    QTest::newRow("0.5, two days later") << 1.0 << 0.5 << 32 << QList<int>{10, 15, 30};
    QTest::newRow("0.0625") << 1.0 << 0.0625 << 31 << QList<int>{4, 5, 10};
}

void TestFsrs::fuzzSeeds() {
    QFETCH(double, difficulty);
    QFETCH(double, stability);
    QFETCH(int, gap);
    Card card;
    card.state = State::Review;
    card.difficulty = difficulty;
    card.stability = stability;
    card.reps = 5;
    card.lastReview = kT0;
    const std::array<Outcome, 4> out = Scheduler().preview(card, kT0 + gap * kDay);
    QTEST((QList<int>{out[1].card.scheduledDays, out[2].card.scheduledDays, out[3].card.scheduledDays}), "days");
}

// Weights outside the model's ranges, as "index=value" changes to the defaults.
void TestFsrs::weights_data() {
    QTest::addColumn<QString>("changes");
    QTest::addColumn<int>("relearningSteps");
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("used");
    QTest::newRow("w0 negative") << "0=-1" << 1 << 0 << 0.001;
    QTest::newRow("w0 not a number") << "0=nan" << 1 << 0 << 0.001;
    QTest::newRow("w3 too large") << "3=200" << 1 << 3 << 100.0;
    QTest::newRow("w19 zero") << "19=0" << 1 << 19 << 0.01;
    QTest::newRow("w20 too large") << "20=1" << 1 << 20 << 0.8;
    QTest::newRow("w17, one relearning step") << "17=5" << 1 << 17 << 2.0;
    QTest::newRow("w17, two relearning steps") << "17=5" << 2 << 17 << 0.60045935;
    QTest::newRow("w18, three relearning steps") << "18=5" << 3 << 18 << 0.49027301;
    QTest::newRow("ceiling, w13 at 0") << "13=0 17=5" << 3 << 17 << 1.45888399;
    QTest::newRow("ceiling, w13 too large") << "11=0.001 13=2 14=0 17=5" << 3 << 17 << 1.53313942;
    QTest::newRow("ceiling at least 0.01") << "11=10 13=2 14=10 17=5" << 3 << 17 << 0.01;
}

void TestFsrs::weights() {
    QFETCH(QString, changes);
    QFETCH(int, relearningSteps);
    QFETCH(int, index);
    Parameters p;
    p.relearningSteps.assign(relearningSteps, 10);
    for (const QString& c : changes.split(' ')) {
        const QStringList kv = c.split('=');
        p.weights[kv[0].toInt()] = kv[1] == "nan" ? qQNaN() : kv[1].toDouble();
    }
    QTEST(Scheduler(p).parameters().weights[index], "used");
}

// Days between UTC dates, also before 1970.
void TestFsrs::utcDays_data() {
    QTest::addColumn<qint64>("from");
    QTest::addColumn<qint64>("to");
    QTest::addColumn<int>("days");
    QTest::newRow("same day") << kT0 << kT0 + 14 * 60 * kMin << 0;
    QTest::newRow("over midnight") << kDay - 1 << kDay << 1;
    QTest::newRow("back over midnight") << kDay << kDay - 1 << -1;
    QTest::newRow("over the epoch") << qint64(-1) << qint64(0) << 1;
    QTest::newRow("the day before the epoch") << -kDay << qint64(-1) << 0;
    QTest::newRow("two days before") << -kDay - 1 << qint64(0) << 2;
}

void TestFsrs::utcDays() {
    QFETCH(qint64, from);
    QFETCH(qint64, to);
    QTEST(utcDaysBetween(from, to), "days");
}

// Out-of-range parameters are brought into range, and so is what they schedule: a new
// card graded Easy waits `easy` days.
void TestFsrs::bounds_data() {
    QTest::addColumn<double>("retention");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<double>("usedRetention");
    QTest::addColumn<int>("usedMaximum");
    QTest::addColumn<int>("easy");
    QTest::newRow("retention too low") << 0.5 << 36500 << 0.7 << 36500 << 77;
    QTest::newRow("lowest retention") << 0.7 << 36500 << 0.7 << 36500 << 77;
    QTest::newRow("usual") << 0.9 << 36500 << 0.9 << 36500 << 8;
    QTest::newRow("highest retention") << 0.97 << 36500 << 0.97 << 36500 << 2;
    QTest::newRow("retention too high") << 0.99 << 36500 << 0.97 << 36500 << 2;
    QTest::newRow("short maximum") << 0.9 << 5 << 0.9 << 5 << 5;
    QTest::newRow("no maximum") << 0.9 << 0 << 0.9 << 1 << 1;
    QTest::newRow("maximum too long") << 0.9 << 99999 << 0.9 << 36500 << 8;
}

void TestFsrs::bounds() {
    QFETCH(double, retention);
    QFETCH(int, maximum);
    Parameters p = quiet();
    p.desiredRetention = retention;
    p.maximumInterval = maximum;
    const Scheduler s(p);
    QTEST(s.parameters().desiredRetention, "usedRetention");
    QTEST(s.parameters().maximumInterval, "usedMaximum");
    QTEST(s.next(Card(), kT0, Grade::Easy).card.scheduledDays, "easy");
}

void TestFsrs::intervalTexts_data() {
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("text");
    const qint64 s = 1000, h = 60 * kMin;
    QTest::newRow("now") << qint64(0) << "1 min";
    QTest::newRow("1.5 min") << 90 * s << "2 min";
    QTest::newRow("10 min") << 10 * kMin << "10 min";
    QTest::newRow("just under an hour") << 59 * kMin + 29 * s << "59 min";
    QTest::newRow("rounds to an hour") << 59 * kMin + 30 * s << "1 h";
    QTest::newRow("just under a day") << 23 * h + 29 * kMin << "23 h";
    QTest::newRow("rounds to a day") << 23 * h + 30 * kMin << "1 d";
    QTest::newRow("3 days") << 3 * kDay << "3 d";
    QTest::newRow("29 days") << 29 * kDay + 11 * h << "29 d";
    QTest::newRow("rounds to 30 days") << 29 * kDay + 12 * h << "1.0 mo";
    QTest::newRow("63 days") << 63 * kDay << "2.1 mo";
    QTest::newRow("363 days") << 363 * kDay << "11.9 mo";
    QTest::newRow("364 days rounds to 12 months") << 364 * kDay << "1.0 y";
    QTest::newRow("500 days") << 500 * kDay << "1.4 y";
    QTest::newRow("maximum") << 36500 * kDay << "100.0 y";
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
    QTest::newRow("late evening") << at(1, 10, 23, 59) << 4 << QDate(2024, 1, 10) << utc(1, 11, 3);
    QTest::newRow("midnight start") << at(1, 10, 0, 0) << 0 << QDate(2024, 1, 10) << utc(1, 10, 23);
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
