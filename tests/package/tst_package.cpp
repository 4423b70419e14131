// Packages of another flash-card program: decks as chapters in both schemas, the fields
// chosen, HTML, media and cloze notes, what is counted, bad packages refused with one
// message, and the review log brought into the history and replayed by our scheduler.
#include "chapterfile.h"
#include "collection.h"
#include "commandline.h"
#include "history.h"
#include "packagearchive.h"
#include "packagemaker.h"

#include <QBuffer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace package;

Q_DECLARE_METATYPE(maker::Schema)

namespace {
constexpr qint64 kDay = 86400000;
const qint64 kT0 = QDateTime(QDate(2024, 5, 6), QTime(9, 30), QTimeZone::utc()).toMSecsSinceEpoch();

maker::Collection sample() {
    maker::Collection c;
    c.decks = {{1, "Default"}, {10, "Spanish::Verbs"}, {11, "French"}};
    c.types = {{100, "Basic", {"Front", "Back"}},
               {101, "Cloze", {"Text", "Back Extra"}, true},
               {102, "Vocab", {"Word", "Meaning", "Example"}}};
    c.notes = {
        {1000, 100, {"<b>ir</b>", "to go[sound:ir.mp3]"}, {{2000, 10}}},
        {1001, 100, {"comer", "to eat<br>to dine"}, {{2001, 10, 0}, {2002, 10, 1}}},
        {1002, 100, {"<br>", "empty front"}, {{2003, 10}}},
        {1003, 100, {"comer", "again"}, {{2004, 10}}},
        {1004, 101, {"{{c1::Paris}} is the capital of {{c2::France::country}}", "extra"}, {{2005, 11, 0}, {2006, 11, 1}}},
        {1005, 102, {"chat<img src=\"chat.jpg\">", "cat", "Le chat dort."}, {{2007, 11, 0, 11}}},
    };
    c.reviews = {
        {kT0, 2000, 3, 0},
        {kT0 + kDay, 2000, 3, 1},
        {kT0 + 2 * kDay, 2000, 0, 4}, // a manual reschedule: no answer
        {kT0 + 3 * kDay, 2000, 4, 4, 0},
        {kT0 + 5, 2002, 1, 0}, // the reversed card: not the card made
        {kT0 + 6, 2006, 2, 0},
        {kT0 + 7, 2007, 3, 3, 0},    // a filtered deck that did not reschedule
        {kT0 + 8, 2007, 3, 3, 2500}, // one that did
    };
    return c;
}

// "title: front -> back [time offset in ms:grade ...]" per card.
QStringList described(const ImportResult& r) {
    QStringList out;
    for (const DeckChapter& c : r.chapters)
        for (const ImportedCard& k : c.cards) {
            QStringList log;
            for (const history::ImportedReview& v : k.reviews)
                log << QStringLiteral("%1:%2").arg(v.time - kT0).arg(int(v.grade));
            out << QStringLiteral("%1: %2 -> %3 [%4]").arg(c.title, k.front, k.back, log.join(u' '));
        }
    return out;
}

ImportResult readPackage(const QByteArray& bytes, const ImportChoice& choice = {}) {
    Collection c;
    if (!c.openData(bytes)) {
        ImportResult r;
        r.error = c.error();
        return r;
    }
    return c.read(choice);
}

QByteArray patched(QByteArray bytes, qsizetype at, const QByteArray& with) {
    bytes.replace(at, with.size(), with);
    return bytes;
}
} // namespace

class TestPackage : public QObject {
    Q_OBJECT
private slots:
    void schemas_data() {
        QTest::addColumn<maker::Schema>("schema");
        QTest::newRow("collection.anki2") << maker::Schema::Anki2;
        QTest::newRow("collection.anki21 beside a placeholder") << maker::Schema::Anki21;
        QTest::newRow("collection.anki21b, zstd, beside a placeholder") << maker::Schema::Anki21b;
    }
    void schemas() {
        QFETCH(maker::Schema, schema);
        Collection c;
        QVERIFY2(c.openData(maker::package(sample(), schema)), qPrintable(c.error()));
        QStringList decks;
        for (const DeckInfo& d : c.decks())
            decks << QStringLiteral("%1 %2 %3").arg(d.id).arg(d.title).arg(d.notes);
        QCOMPARE(decks, QStringList({"11 French 2", "10 Spanish \u2013 Verbs 4"}));
        QCOMPARE(c.fieldNames(), QStringList({"Front / Text / Word", "Back / Back Extra / Meaning", "Example"}));
        const ImportResult r = c.read({});
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(described(r), QStringList({
                                   "French: [...] is the capital of France -> Paris []",
                                   "French: Paris is the capital of [country] -> France [6:2]",
                                   "French: chat -> cat [8:3]",
                                   QStringLiteral("Spanish \u2013 Verbs: ir -> to go [0:3 %1:3]").arg(kDay),
                                   "Spanish \u2013 Verbs: comer -> to eat to dine []",
                               }));
        QCOMPARE(r.counts.emptyFronts, 1);
        QCOMPARE(r.counts.duplicateFronts, 1);
        QCOMPARE(r.counts.sounds, 1);
        QCOMPARE(r.counts.images, 1);
        QCOMPARE(r.counts.clozeSkipped, 0);
        QCOMPARE(r.counts.reviews, 4);
        QCOMPARE(r.counts.reviewsSkipped, 3);
    }

    void choices_data() {
        QTest::addColumn<QList<qint64>>("decks");
        QTest::addColumn<int>("front");
        QTest::addColumn<int>("back");
        QTest::addColumn<bool>("skipCloze");
        QTest::addColumn<QStringList>("cards");
        QTest::addColumn<QString>("message");
        QTest::newRow("one deck") << QList<qint64>{10} << 0 << 1 << false
                                  << QStringList{QStringLiteral("Spanish \u2013 Verbs: ir -> to go [0:3 %1:3]").arg(kDay),
                                                 "Spanish \u2013 Verbs: comer -> to eat to dine []"}
                                  << "1 card with an empty front was left out; 1 card whose front another card of its "
                                     "deck has was left out; 1 sound was removed; 2 review entries that were no "
                                     "answers (manual changes, or filtered decks' reviews that did not reschedule) "
                                     "were left out.";
        QTest::newRow("fields swapped, clozes skipped")
            << QList<qint64>{11} << 1 << 0 << true << QStringList{"French: cat -> chat [8:3]"}
            << "1 cloze note was left out; 1 image was removed; 1 review entry that was no answer (a manual change, "
               "or a filtered deck's review that did not reschedule) was left out.";
        QTest::newRow("a third field, missing in most notes")
            << QList<qint64>{11} << 2 << 0 << true << QStringList{"French: Le chat dort. -> chat [8:3]"}
            << "1 cloze note was left out; 1 image was removed; 1 review entry that was no answer (a manual change, "
               "or a filtered deck's review that did not reschedule) was left out.";
        QTest::newRow("a deck without cards") << QList<qint64>{1} << 0 << 1 << false << QStringList{} << "";
    }
    void choices() {
        QFETCH(QList<qint64>, decks);
        ImportChoice choice;
        choice.decks = QSet<qint64>(decks.begin(), decks.end());
        QFETCH(int, front);
        QFETCH(int, back);
        QFETCH(bool, skipCloze);
        choice.frontField = front;
        choice.backField = back;
        choice.cloze = skipCloze ? ClozeMode::Skip : ClozeMode::OneCardPerCloze;
        const ImportResult r = readPackage(maker::package(sample(), maker::Schema::Anki2), choice);
        QVERIFY2(r.ok(), qPrintable(r.error));
        QTEST(described(r), "cards");
        QTEST(droppedMessage(r.counts), "message");
    }

    void cloze_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("cards");
        QTest::newRow("none") << "plain text" << QStringList{};
        QTest::newRow("one") << "{{c1::Berlin}} ist groß" << QStringList{"1|[...] ist groß|Berlin"};
        QTest::newRow("hint") << "die {{c1::Katze::Tier}}" << QStringList{"1|die [Tier]|Katze"};
        QTest::newRow("same number twice, others filled")
            << "{{c2::a}} {{c1::b}} {{c2::c}}" << QStringList{"1|a [...] c|b", "2|[...] b [...]|a, c"};
        QTest::newRow("numbers out of order, gap") << "{{c3::x}}{{c1::y}}" << QStringList{"1|x[...]|y", "3|[...]y|x"};
        QTest::newRow("unclosed") << "{{c1::x" << QStringList{};
        QTest::newRow("across a line") << "a {{c1::b\nc}} d" << QStringList{"1|a [...] d|b\nc"};
        QTest::newRow("markup inside") << "{{c1::<b>rot</b>}}" << QStringList{"1|[...]|<b>rot</b>"};
        QTest::newRow("c0 is no cloze") << "{{c0::x}} {{c1::y}}" << QStringList{"1|x [...]|y"};
    }
    void cloze() {
        QFETCH(QString, text);
        QStringList out;
        for (const ClozeCard& c : clozeCards(text))
            out << QStringLiteral("%1|%2|%3").arg(c.number).arg(c.front, c.back);
        QTEST(out, "cards");
    }

    void deckTitles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("plain") << "French" << "French";
        QTest::newRow("older schema") << "A::B::C" << "A \u2013 B \u2013 C";
        QTest::newRow("newer schema") << "A\x1f" "B" << "A \u2013 B";
        QTest::newRow("empty level") << "A::::B" << "A \u2013 B";
        QTest::newRow("single colon") << "Ratio 1:2" << "Ratio 1:2";
    }
    void deckTitles() {
        QFETCH(QString, name);
        QTEST(deckTitle(name), "title");
    }

    // One clear message each; nothing is read.
    void badPackages_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QString>("message");
        const QByteArray good = maker::package(sample(), maker::Schema::Anki2);
        const QByteArray db = maker::sqlite(sample(), false);
        const QByteArray zeros(2 << 20, '\0');
        QTest::newRow("not a zip") << QByteArray("hello, world") << package::kMaxCollectionBytes
                                   << "The file is no package: it is not a zip archive, or one cut short.";
        QTest::newRow("empty") << QByteArray() << package::kMaxCollectionBytes
                               << "The file is a zip archive but holds no collection: it is no package of cards.";
        QTest::newRow("cut short") << good.left(good.size() / 2) << package::kMaxCollectionBytes
                                   << "The file is no package: it is not a zip archive, or one cut short.";
        QTest::newRow("cut short by one byte") << good.chopped(1) << package::kMaxCollectionBytes
                                               << "The file is no package: it is not a zip archive, or one cut short.";
        QTest::newRow("no collection") << maker::zip({{"media", "{}"}}) << package::kMaxCollectionBytes
                                       << "The file is a zip archive but holds no collection: it is no package of "
                                          "cards.";
        QTest::newRow("member claims too much")
            << maker::zip({{"collection.anki2", zeros}}) << qint64(1 << 20)
            << "The package's collection is larger than 1 MB unpacked; it may be a zip bomb, and was not read.";
        QTest::newRow("zstd inflates too much")
            << maker::zip({{"collection.anki21b", maker::zstd(zeros)}}) << qint64(1 << 20)
            << "The package's collection is larger than 1 MB unpacked; it may be a zip bomb, and was not read.";
        // A frame header claiming 2^40 bytes, single segment, 8-byte size.
        QTest::newRow("zstd frame claims too much")
            << maker::zip({{"collection.anki21b", QByteArray("\x28\xb5\x2f\xfd\xe0\x00\x00\x00\x00\x00\x01\x00\x00"
                                                             "\x01\x00\x00",
                                                             16)}})
            << package::kMaxCollectionBytes
            << "The package's collection is larger than 1024 MB unpacked; it may be a zip bomb, and was not read.";
        // 1000 bytes whose 2-byte size field (size - 256) is set to claim 256.
        QByteArray liar = maker::zstd(QByteArray(1000, 'a'));
        QTest::newRow("zstd frame lies about its size")
            << maker::zip({{"collection.anki21b", patched(liar, 5, QByteArray(2, '\0'))}}) << package::kMaxCollectionBytes
            << "The package's compressed collection is damaged: Destination buffer is too small.";
        QTest::newRow("zstd cut short") << maker::zip({{"collection.anki21b", maker::zstd(db).chopped(9)}})
                                        << package::kMaxCollectionBytes
                                        << "The package's compressed collection is cut short.";
        QTest::newRow("zstd empty") << maker::zip({{"collection.anki21b", QByteArray()}}) << package::kMaxCollectionBytes
                                    << "The package's compressed collection is empty.";
        QTest::newRow("not zstd") << maker::zip({{"collection.anki21b", db}}) << package::kMaxCollectionBytes
                                  << "The package's compressed collection is damaged: Unknown frame descriptor.";
        QTest::newRow("SQLite pages overwritten")
            << maker::zip({{"collection.anki2", patched(db, 4096, QByteArray(db.size() - 4096, '\xff'))}})
            << package::kMaxCollectionBytes
            << "The package's collection is damaged or no collection (database disk image is malformed).";
        QTest::newRow("no SQLite at all") << maker::zip({{"collection.anki2", QByteArray(4096, 'x')}})
                                          << package::kMaxCollectionBytes
                                          << "The package's collection is damaged or no collection (file is not a "
                                             "database).";
        QTest::newRow("a database, not a collection")
            << maker::zip({{"collection.anki2", maker::otherDatabase()}})
            << package::kMaxCollectionBytes
            << "The package holds a database that is no collection of cards (it has no table 'notes').";
    }
    void badPackages() {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, limit);
        ExtractedCollection x = extractCollectionFromData(bytes, limit);
        QString error = x.error;
        if (x.ok()) {
            // Damage SQLite finds only when it reads the pages: the reading fails, whole.
            QVERIFY(x.file);
            Collection c;
            if (c.openData(bytes)) {
                const ImportResult r = c.read({});
                QVERIFY(r.chapters.isEmpty());
                error = r.error;
            } else {
                error = c.error();
                QVERIFY(c.decks().isEmpty());
            }
        } else {
            QVERIFY(!x.file);
        }
        QTEST(error, "message");
    }

    // The history of each card is what our scheduler makes of the package's log: every
    // sequence from a new card of the reference vectors whose settings the history can hold.
    void historyReplaysVectors() {
        QFile packed(QStringLiteral(FSRS_VECTORS));
        QVERIFY(packed.open(QIODevice::ReadOnly));
        QByteArray text = qUncompress(packed.readAll());
        QBuffer file(&text);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QTemporaryDir dir;
        struct Sequence {
            history::Settings settings;
            history::ImportedCardLog log;
            fsrs::Card last;
        };
        QVector<Sequence> sequences;
        std::optional<fsrs::Scheduler> scheduler;
        Sequence current;
        bool usable = false;
        qint64 now = 0;
        while (!file.atEnd() && sequences.size() < 150) {
            const QList<QByteArray> f = file.readLine().trimmed().split(' ');
            if (f[0] == "S") {
                current = {};
                current.settings.desiredRetention = f[1].toDouble();
                current.settings.maximumInterval = f[2].toInt();
                current.settings.fuzz = f[3] == "1";
                const fsrs::Parameters p = current.settings.parameters();
                // From a new card, with the default weights and steps the history schedules with.
                usable = f[8] == "-" && f[4] == "1,10" && f[5] == "10" && f[7] == "-";
                scheduler.emplace(p);
                now = f[6].toLongLong();
                current.log.question = QStringLiteral("q%1").arg(sequences.size());
            } else if (f[0] == "R") {
                // A package's log has one review per millisecond at most (the time is its key).
                if (f[1].toLongLong() == 0 && !current.log.reviews.isEmpty())
                    usable = false;
                now += f[1].toLongLong() * 1000;
                current.log.reviews.append({now, fsrs::Grade(f[2].toInt()), 1000});
                current.last = scheduler->next(current.last, now, fsrs::Grade(f[2].toInt())).card;
            } else if (f[0] == "E" && usable) {
                sequences.append(current);
            }
        }
        QVERIFY(sequences.size() >= 100);
        // One history per setting, since the history schedules with the settings in force.
        int checked = 0;
        for (int i = 0; i < sequences.size(); ++i) {
            history::History h;
            QVERIFY(h.open(dir.filePath(QStringLiteral("h%1.sqlite").arg(i))).ok());
            h.setSettings(sequences[i].settings);
            const history::Chapter chapter{dir.filePath("c.qex"), "C", {sequences[i].log.question}};
            qint64 added = 0;
            QVERIFY2(h.importReviews(chapter, {sequences[i].log}, QStringLiteral("import"), &added),
                     qPrintable(h.lastError()));
            QCOMPARE(added, sequences[i].log.reviews.size());
            const fsrs::Card got = h.card(chapter.path, sequences[i].log.question);
            const fsrs::Card& want = sequences[i].last;
            QCOMPARE(got.due, want.due);
            QCOMPARE(int(got.state), int(want.state));
            QCOMPARE(got.reps, want.reps);
            QCOMPARE(got.lapses, want.lapses);
            QVERIFY(qAbs(got.stability - want.stability) < 1e-9);
            QVERIFY(qAbs(got.difficulty - want.difficulty) < 1e-9);
            // And rebuild() from the log alone agrees with what the import wrote.
            QVERIFY(h.rebuild());
            QCOMPARE(h.card(chapter.path, sequences[i].log.question).due, want.due);
            ++checked;
        }
        qInfo("%d sequences", checked);
    }

    // Imported twice, or once more with a review added: each review once, and the card
    // replayed whole.
    void importTwice_data() {
        QTest::addColumn<int>("firstCount");  // reviews of the first import
        QTest::addColumn<int>("secondCount"); // of the second
        QTest::addColumn<qint64>("added");    // by the second
        QTest::newRow("the same log") << 3 << 3 << qint64(0);
        QTest::newRow("one review more") << 2 << 3 << qint64(1);
        QTest::newRow("an older part only") << 3 << 1 << qint64(0);
        QTest::newRow("first nothing") << 0 << 3 << qint64(3);
    }
    void importTwice() {
        QFETCH(int, firstCount);
        QFETCH(int, secondCount);
        QTemporaryDir dir;
        history::History h;
        QVERIFY(h.open(dir.filePath("h.sqlite")).ok());
        const history::Chapter chapter{dir.filePath("c.qex"), "C", {"Haus", "Baum"}};
        const QVector<history::ImportedReview> all = {
            {kT0, fsrs::Grade::Good, 1000}, {kT0 + kDay, fsrs::Grade::Again, 1000}, {kT0 + 3 * kDay, fsrs::Grade::Good, 1000}};
        QVERIFY(h.importReviews(chapter, {{"Haus", all.mid(0, firstCount)}, {"Baum", {all[0]}}}));
        qint64 added = -1;
        QVERIFY(h.importReviews(chapter, {{"Haus", all.mid(0, secondCount)}, {"Baum", {all[0]}}},
                                QStringLiteral("import"), &added));
        QTEST(added, "added");
        QCOMPARE(h.reviewCount(), qMax(firstCount, secondCount) + 1);
        // Each card's time spent is its reviews' answer time, whether it was new or known.
        qint64 spent = -1;
        {
            QSqlDatabase peek = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
            peek.setDatabaseName(dir.filePath("h.sqlite"));
            QSqlQuery q(peek);
            if (peek.open() && q.exec(QStringLiteral("SELECT SUM(answer_ms) FROM cards")) && q.next())
                spent = q.value(0).toLongLong();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("peek"));
        QCOMPARE(spent, 1000 * (qMax(firstCount, secondCount) + 1));
        fsrs::Scheduler s(h.settings().parameters());
        std::vector<fsrs::Review> log;
        for (int i = 0; i < qMax(firstCount, secondCount); ++i)
            log.push_back({all[i].time, all[i].grade});
        QCOMPARE(h.card(chapter.path, "Haus").due, s.replay(log).due);
        // A grade given in the study program goes on from the imported state.
        QVERIFY(h.record(chapter, "Haus", fsrs::Grade::Good, 900, "study", kT0 + 10 * kDay));
        log.push_back({kT0 + 10 * kDay, fsrs::Grade::Good});
        QCOMPARE(h.card(chapter.path, "Haus").due, s.replay(log).due);
    }

    // The imported cards are due when their log says so, and not before.
    void dueWhenTheLogSays() {
        QTemporaryDir dir;
        history::History h;
        QVERIFY(h.open(dir.filePath("h.sqlite")).ok());
        const history::Chapter chapter{dir.filePath("c.qex"), "C", {"Haus", "Baum", "neu"}};
        QVERIFY(h.importReviews(chapter, {{"Haus", {{kT0, fsrs::Grade::Easy, 1}}},
                                          // Out of time order: the log is sorted first.
                                          {"Baum", {{kT0 + kDay, fsrs::Grade::Good, 1}, {kT0, fsrs::Grade::Good, 1}}}}));
        const qint64 due = h.card(chapter.path, "Haus").due;
        QVERIFY(due > kT0 + kDay);
        fsrs::Scheduler s(h.settings().parameters());
        QCOMPARE(h.card(chapter.path, "Baum").due,
                 s.replay({{kT0, fsrs::Grade::Good}, {kT0 + kDay, fsrs::Grade::Good}}).due);
        const QTimeZone utc = QTimeZone::utc();
        const history::DueDeck before = h.dueDeck({chapter}, QDateTime::fromMSecsSinceEpoch(kT0 + kDay, utc), 0, 20);
        QCOMPARE(before.perChapter[0].due, 0);
        QCOMPARE(before.perChapter[0].unseen, 1);
        const history::DueDeck after =
            h.dueDeck({chapter}, QDateTime::fromMSecsSinceEpoch(qMax(due, h.card(chapter.path, "Baum").due), utc), 0, 20);
        QCOMPARE(after.perChapter[0].due, 2);
    }

    // qredit --import PACKAGE: one chapter file per deck, the reviews in the history, one
    // message on standard error; on any problem nothing is written.
    void commandLine_data() {
        QTest::addColumn<QStringList>("args"); // after --import PACKAGE; DIR is the output folder
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("files"); // "name: title: cards"
        QTest::addColumn<QString>("message");
        QTest::addColumn<qint64>("reviews"); // in the history afterwards
        const QString dropped = "1 card with an empty front was left out; 1 card whose front another card of its deck "
                                "has was left out; 1 sound was removed; 1 image was removed; 3 review entries that "
                                "were no answers (manual changes, or filtered decks' reviews that did not "
                                "reschedule) were left out.";
        QTest::newRow("every deck")
            << QStringList{"--output-dir", "DIR"} << 0
            << QStringList{"French.qex: French: 3", "Spanish \u2013 Verbs.qex: Spanish \u2013 Verbs: 2"}
            << "qredit: 2 chapters written with 5 cards and 4 reviews in the review history. " + dropped << qint64(4);
        QTest::newRow("one deck, by the other program's name")
            << QStringList{"--output-dir", "DIR", "--deck", "spanish::verbs"} << 0
            << QStringList{"Spanish \u2013 Verbs.qex: Spanish \u2013 Verbs: 2"}
            << "qredit: 1 chapter written with 2 cards and 2 reviews in the review history. 1 card with an empty "
               "front was left out; 1 card whose front another card of its deck has was left out; 1 sound was "
               "removed; 2 review entries that were no answers (manual changes, or filtered decks' reviews that did "
               "not reschedule) were left out."
            << qint64(2);
        QTest::newRow("two decks by title, clozes skipped, fields 2 and 1")
            << QStringList{"--output-dir", "DIR", "--deck", "French", "--deck", "Spanish \u2013 Verbs", "--cloze",
                           "skip", "--front", "2", "--back", "1"}
            << 0 << QStringList{"French.qex: French: 1", "Spanish \u2013 Verbs.qex: Spanish \u2013 Verbs: 4"}
            << "qredit: 2 chapters written with 5 cards and 3 reviews in the review history. 1 cloze note was left "
               "out; 1 sound was removed; 1 image was removed; 3 review entries that were no answers (manual "
               "changes, or filtered decks' reviews that did not reschedule) were left out."
            << qint64(3);
        QTest::newRow("no such deck") << QStringList{"--output-dir", "DIR", "--deck", "German"} << 1 << QStringList{}
                                      << "qredit: PKG has no deck 'German'; its decks: French, Spanish \u2013 Verbs"
                                      << qint64(0);
        QTest::newRow("no folder") << QStringList{} << 1 << QStringList{} << "qredit: --output-dir is missing"
                                   << qint64(0);
        QTest::newRow("a word list's option")
            << QStringList{"--output-dir", "DIR", "--title", "T"} << 1 << QStringList{}
            << "qredit: --title belongs to the import of a word list; a package gives one chapter per deck into "
               "--output-dir"
            << qint64(0);
        QTest::newRow("bad cloze") << QStringList{"--output-dir", "DIR", "--cloze", "maybe"} << 1 << QStringList{}
                                   << "qredit: --cloze takes cards or skip, not 'maybe'" << qint64(0);
        QTest::newRow("folder missing") << QStringList{"--output-dir", "DIR/none"} << 1 << QStringList{}
                                        << "qredit: PKG: The folder 'DIR/none' does not exist." << qint64(0);
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QTemporaryDir dir;
        const QString pkg = dir.filePath("decks.apkg");
        QFile f(pkg);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(maker::package(sample(), maker::Schema::Anki21b));
        f.close();
        const QString out = dir.filePath("out");
        QVERIFY(QDir().mkpath(out));
        for (QString& a : args)
            a.replace("DIR", out);
        QFile::remove(history::History::defaultPath());
        FILE* err = std::tmpfile();
        const int status = qredit::runConversion(QStringList{"qredit", "--import", pkg} + args, err);
        std::rewind(err);
        QByteArray said(4096, '\0');
        said.resize(qsizetype(std::fread(said.data(), 1, size_t(said.size()), err)));
        std::fclose(err);
        QTEST(status, "status");
        QFETCH(QString, message);
        QCOMPARE(QString::fromUtf8(said).trimmed(), message.replace("DIR", out).replace("PKG", pkg));
        QStringList files;
        for (const QString& name : QDir(out).entryList(QDir::Files, QDir::Name)) {
            QVector<qredit::CardRow> rows;
            QString title, error;
            QCOMPARE(qredit::loadChapter(QDir(out).filePath(name), rows, title, error), qredit::LoadResult::Loaded);
            files << QStringLiteral("%1: %2: %3").arg(name, title).arg(rows.size());
        }
        QTEST(files, "files");
        history::History h;
        QVERIFY(h.open(history::History::defaultPath()).ok());
        QTEST(h.reviewCount(), "reviews");
        if (status == 0) {
            // Once more into the same folder: refused, and nothing changes.
            FILE* again = std::tmpfile();
            QCOMPARE(qredit::runConversion(QStringList{"qredit", "--import", pkg} + args, again), 1);
            std::fclose(again);
            QCOMPARE(QDir(out).entryList(QDir::Files).size(), files.size());
            QTEST(h.reviewCount(), "reviews");
        }
    }

    // A history that can't be written takes nothing, and says why.
    void importIntoClosedHistory() {
        history::History h;
        QVERIFY(!h.importReviews({"/x.qex", "X", {"a"}}, {{"a", {{kT0, fsrs::Grade::Good, 1}}}}));
        QVERIFY(!h.lastError().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
