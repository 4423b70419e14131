#include "history.h"

#include "studyday.h"
#include "wordlistwriter.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTimeZone>
#include <algorithm>

namespace history {

namespace {

QAtomicInteger<quint64> g_connections;

// SQLite's primary result codes, as the Qt driver reports them in nativeErrorCode().
enum SqliteCode { kReadOnly = 8, kBusy = 5, kLocked = 6, kCorrupt = 11, kCantOpen = 14, kNotADb = 26 };

int sqliteCode(const QSqlError& e) {
    bool ok = false;
    const int code = e.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}

OpenStatus statusForError(const QSqlError& e) {
    switch (sqliteCode(e)) {
    case kBusy:
    case kLocked:
        return OpenStatus::Locked;
    case kCorrupt:
    case kNotADb:
        return OpenStatus::Corrupt;
    case kReadOnly:
        return OpenStatus::ReadOnly;
    default:
        return OpenStatus::CannotOpen;
    }
}

// A chapter without a title is kept with an empty one: the column holds no NULL.
QString storedTitle(const QString& title) {
    return title.isNull() ? QString(QLatin1String("")) : title;
}

QString normalPath(const QString& path) {
    return path.isEmpty() ? path : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

quint32 bigEndian32(const QByteArray& b, int at) {
    return (quint32(quint8(b[at])) << 24) | (quint32(quint8(b[at + 1])) << 16) | (quint32(quint8(b[at + 2])) << 8) |
           quint32(quint8(b[at + 3]));
}

// Looks at the file before SQLite does: a file that is not a database, or one cut short
// (its header counts more pages than the file holds), is refused without being touched.
// The page count is only trusted while no write-ahead log is beside the file: a checkpoint
// cut off by a crash may leave the file short, and the log then still holds the pages.
bool looksDamaged(const QString& path) {
    QFile f(path);
    if (!f.exists() || f.size() == 0)
        return false;
    if (!f.open(QIODevice::ReadOnly))
        return false; // SQLite will say why
    const QByteArray header = f.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return true;
    quint32 pageSize = (quint32(quint8(header[16])) << 8) | quint32(quint8(header[17]));
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        return true;
    const QFileInfo wal(path + QStringLiteral("-wal"));
    if (wal.exists() && wal.size() > 0)
        return false;
    const quint32 pages = bigEndian32(header, 28);
    const bool pagesValid = pages != 0 && bigEndian32(header, 24) == bigEndian32(header, 92);
    return (pagesValid && f.size() < qint64(pages) * pageSize) || f.size() % pageSize != 0;
}

// One function per step of the schema, from version N to N + 1. Each runs in a transaction
// of its own together with the new user_version, so a step is taken whole or not at all.
bool toVersion1(QSqlDatabase& db) {
    static const char* const kStatements[] = {
        "CREATE TABLE IF NOT EXISTS chapters ("
        " id INTEGER PRIMARY KEY,"
        " path TEXT NOT NULL UNIQUE,"
        " title TEXT NOT NULL,"
        " fingerprint TEXT NOT NULL)",
        // The cached scheduling state of each card with at least one review.
        "CREATE TABLE IF NOT EXISTS cards ("
        " id INTEGER PRIMARY KEY,"
        " chapter INTEGER NOT NULL REFERENCES chapters(id),"
        " question TEXT NOT NULL,"
        " due INTEGER NOT NULL, stability REAL NOT NULL, difficulty REAL NOT NULL,"
        " elapsed_days INTEGER NOT NULL, scheduled_days INTEGER NOT NULL, step INTEGER NOT NULL,"
        " reps INTEGER NOT NULL, lapses INTEGER NOT NULL, state INTEGER NOT NULL,"
        " last_review INTEGER NOT NULL, first_review INTEGER NOT NULL,"
        " UNIQUE (chapter, question))",
        // The log: the truth every card's state is computed from.
        "CREATE TABLE IF NOT EXISTS reviews ("
        " id INTEGER PRIMARY KEY,"
        " card INTEGER NOT NULL REFERENCES cards(id),"
        " time INTEGER NOT NULL,"
        " grade INTEGER NOT NULL CHECK (grade BETWEEN 1 AND 4),"
        " answer_ms INTEGER NOT NULL,"
        " source TEXT NOT NULL)",
        // Covers the replay's reading of the whole log in card order.
        "CREATE INDEX IF NOT EXISTS reviews_by_card ON reviews (card, time, grade)",
        "CREATE INDEX IF NOT EXISTS cards_by_first_review ON cards (first_review)",
    };
    QSqlQuery q(db);
    for (const char* s : kStatements)
        if (!q.exec(QString::fromLatin1(s)))
            return false;
    return true;
}

// Each review learns the state its card was in before it (for the retention of cards
// already learnt), filled by replaying every card's log; each card keeps the answer time of
// all its reviews; and each chapter may name the languages of its two sides.
bool toVersion2(QSqlDatabase& db, const fsrs::Scheduler& scheduler) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("ALTER TABLE reviews ADD COLUMN state_before INTEGER NOT NULL DEFAULT 0")) ||
        !q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS chapter_languages ("
                               " chapter INTEGER PRIMARY KEY REFERENCES chapters(id),"
                               " front TEXT NOT NULL, back TEXT NOT NULL)")) ||
        !q.exec(QStringLiteral("ALTER TABLE cards ADD COLUMN answer_ms INTEGER NOT NULL DEFAULT 0")) ||
        !q.exec(QStringLiteral("UPDATE cards SET answer_ms = "
                               "(SELECT COALESCE(SUM(answer_ms), 0) FROM reviews WHERE reviews.card = cards.id)")))
        return false;
    QSqlQuery read(db);
    read.setForwardOnly(true);
    if (!read.exec(QStringLiteral("SELECT id, card, time, grade FROM reviews ORDER BY card, time, id")))
        return false;
    q.prepare(QStringLiteral("UPDATE reviews SET state_before = ? WHERE id = ?"));
    qint64 current = -1;
    fsrs::Card card;
    while (read.next()) {
        if (read.value(1).toLongLong() != current) {
            current = read.value(1).toLongLong();
            card = {};
        }
        if (card.state != fsrs::State::New) {
            q.addBindValue(int(card.state));
            q.addBindValue(read.value(0).toLongLong());
            if (!q.exec())
                return false;
        }
        card = scheduler.next(card, read.value(2).toLongLong(), fsrs::Grade(read.value(3).toInt())).card;
    }
    if (read.lastError().isValid())
        return false;
    read.finish();
    // The statistics count reviews by day and by the card's state before them without
    // reading every review: one index serves both, its few (state, grade) pairs each giving
    // a range of times. (An index on time alone as well would slow every write, and a large
    // import most, for a few milliseconds of counting.)
    return q.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS reviews_by_state ON reviews (state_before, grade, time, card)"));
}

bool withoutScheduler(QSqlDatabase& db, const fsrs::Scheduler&) { return toVersion1(db); }

using MigrationStep = bool (*)(QSqlDatabase&, const fsrs::Scheduler&);
constexpr MigrationStep kMigrations[] = {withoutScheduler, toVersion2};
static_assert(std::size(kMigrations) == History::kSchemaVersion, "one migration step per schema version");

constexpr const char* kCardColumns =
    "due, stability, difficulty, elapsed_days, scheduled_days, step, reps, lapses, state, last_review";

fsrs::Card cardFrom(const QSqlQuery& q, int first) {
    fsrs::Card c;
    c.due = q.value(first).toLongLong();
    c.stability = q.value(first + 1).toDouble();
    c.difficulty = q.value(first + 2).toDouble();
    c.elapsedDays = q.value(first + 3).toInt();
    c.scheduledDays = q.value(first + 4).toInt();
    c.step = q.value(first + 5).toInt();
    c.reps = q.value(first + 6).toInt();
    c.lapses = q.value(first + 7).toInt();
    c.state = fsrs::State(qBound(0, q.value(first + 8).toInt(), 3));
    c.lastReview = q.value(first + 9).toLongLong();
    return c;
}

QString isoUtc(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs);
}

QString number(double v) { return QString::number(v, 'g', 10); }

const QString kNoHistory = QStringLiteral("Studying goes on without recording reviews.");

} // namespace

fsrs::Parameters Settings::parameters() const {
    fsrs::Parameters p;
    p.desiredRetention = qBound(fsrs::kMinRetention, desiredRetention, fsrs::kMaxRetention);
    p.fuzz = fuzz;
    p.maximumInterval = qBound(1, maximumInterval, fsrs::kMaxIntervalDays);
    return p;
}

QString openMessage(OpenStatus status, const QString& path, const QString& detail) {
    const QString file = QDir::toNativeSeparators(path);
    switch (status) {
    case OpenStatus::Ok:
        return {};
    case OpenStatus::NotOpen:
        return QStringLiteral("The review history is not open.");
    case OpenStatus::ReadOnly:
        return QStringLiteral("The review history %1 cannot be written: the file or its folder is read-only. %2")
            .arg(file, kNoHistory);
    case OpenStatus::Locked:
        return QStringLiteral("The review history %1 is in use by another program. %2").arg(file, kNoHistory);
    case OpenStatus::Corrupt:
        return QStringLiteral("The review history %1 is damaged and cannot be read; it is left as it is. %2")
            .arg(file, kNoHistory);
    case OpenStatus::NewerVersion:
        return QStringLiteral("The review history %1 was written by a newer version of the program; it is left "
                              "as it is. %2")
            .arg(file, kNoHistory);
    case OpenStatus::CannotOpen:
        return QStringLiteral("The review history %1 cannot be opened (%2). %3")
            .arg(file, detail.isEmpty() ? QStringLiteral("unknown error") : detail, kNoHistory);
    }
    return {};
}

History::History() : m_scheduler(m_settings.parameters()) {
    m_status.message = openMessage(OpenStatus::NotOpen, {});
}

History::~History() { close(); }

QString History::defaultPath() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? data : data + QStringLiteral("/Orvandel/qr2/history.sqlite");
}

QSqlDatabase History::db() const { return QSqlDatabase::database(m_connection, false); }

void History::close() {
    if (!m_connection.isEmpty()) {
        {
            QSqlDatabase d = db();
            if (d.isOpen())
                d.close();
        }
        QSqlDatabase::removeDatabase(m_connection);
        m_connection.clear();
    }
    m_status = {OpenStatus::NotOpen, openMessage(OpenStatus::NotOpen, {})};
}

OpenResult History::refuse(OpenStatus status, const QString& message) {
    m_status = {status, message};
    m_lastError = message;
    return m_status;
}

OpenResult History::open(const QString& requestedPath) {
    close();
    const OpenResult result = openAt(requestedPath);
    if (!result.ok()) {
        // The queries of openAt() are gone by now, so the connection can go too.
        close();
        m_status = result;
    }
    return result;
}

OpenResult History::openAt(const QString& requestedPath) {
    const QString path = normalPath(requestedPath);
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder))
        return refuse(OpenStatus::CannotOpen,
                      openMessage(OpenStatus::CannotOpen, path, QStringLiteral("its folder cannot be made")));
    if (info.exists() && !info.isFile())
        return refuse(OpenStatus::CannotOpen, openMessage(OpenStatus::CannotOpen, path, QStringLiteral("not a file")));
    // SQLite keeps its write-ahead log and lock index beside the file, so the folder must be
    // writable as well as the file.
    if (!QFileInfo(folder).isWritable() || (info.exists() && !info.isWritable()))
        return refuse(OpenStatus::ReadOnly, openMessage(OpenStatus::ReadOnly, path));
    if (looksDamaged(path))
        return refuse(OpenStatus::Corrupt, openMessage(OpenStatus::Corrupt, path));

    m_connection = QStringLiteral("quarnel-history-%1").arg(++g_connections);
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        if (!d.isValid())
            return refuse(OpenStatus::CannotOpen,
                          openMessage(OpenStatus::CannotOpen, path, QStringLiteral("Qt's SQLite driver is missing")));
        d.setDatabaseName(path);
        // Another program's lock is waited for only briefly: a study session must not hang.
        d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=250"));
        if (!d.open()) {
            const QSqlError e = d.lastError();
            const OpenStatus s = statusForError(e);
            return refuse(s, openMessage(s, path, e.text()));
        }
    }
    QSqlDatabase d = db();
    QSqlQuery q(d);
    auto failed = [&](const QSqlError& e) {
        const OpenStatus s = statusForError(e);
        return refuse(s, openMessage(s, path, e.text()));
    };
    // Nothing is written before the version is known to be ours.
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return failed(q.lastError());
    const int version = q.value(0).toInt();
    q.finish();
    if (version > kSchemaVersion)
        return refuse(OpenStatus::NewerVersion, openMessage(OpenStatus::NewerVersion, path));
    if (version < 0)
        return refuse(OpenStatus::Corrupt, openMessage(OpenStatus::Corrupt, path));
    if (version > 0) {
        // Reading the tables' first pages finds most damage at once without reading the
        // whole file.
        for (const char* probe : {"SELECT count(*) FROM sqlite_master", "SELECT * FROM chapters LIMIT 1",
                                  "SELECT * FROM cards LIMIT 1", "SELECT * FROM reviews ORDER BY id DESC LIMIT 1"}) {
            if (!q.exec(QString::fromLatin1(probe)))
                return failed(q.lastError());
            while (q.next()) {
            }
            if (q.lastError().isValid())
                return failed(q.lastError());
        }
        q.finish();
    }
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !q.next())
        return failed(q.lastError());
    if (q.value(0).toString().compare(QStringLiteral("wal"), Qt::CaseInsensitive) != 0)
        return refuse(OpenStatus::CannotOpen,
                      openMessage(OpenStatus::CannotOpen, path, QStringLiteral("no write-ahead log")));
    q.finish();
    // In WAL mode NORMAL loses no committed transaction when the program is killed; only a
    // power cut may take the last few reviews.
    if (!q.exec(QStringLiteral("PRAGMA synchronous=NORMAL")) || !q.exec(QStringLiteral("PRAGMA foreign_keys=ON")))
        return failed(q.lastError());
    m_status = {OpenStatus::Ok, {}};
    if (!migrate(version)) {
        const OpenStatus s = m_status.ok() ? OpenStatus::CannotOpen : m_status.status;
        return refuse(s, openMessage(s, path, m_lastError));
    }
    return m_status;
}

bool History::migrate(int fromVersion) {
    QSqlDatabase d = db();
    for (int v = fromVersion; v < kSchemaVersion; ++v) {
        if (!d.transaction())
            return fail(d.lastError().text());
        QSqlQuery q(d);
        if (!kMigrations[v](d, m_scheduler) || !q.exec(QStringLiteral("PRAGMA user_version=%1").arg(v + 1))) {
            const QSqlError e = q.lastError().isValid() ? q.lastError() : d.lastError();
            d.rollback();
            m_status.status = statusForError(e);
            return fail(e.text());
        }
        if (!d.commit()) {
            const QSqlError e = d.lastError();
            d.rollback();
            m_status.status = statusForError(e);
            return fail(e.text());
        }
    }
    return true;
}

bool History::fail(const QString& message) const {
    m_lastError = message;
    return false;
}

void History::setSettings(const Settings& settings) {
    m_settings = settings;
    m_scheduler = fsrs::Scheduler(settings.parameters());
}

std::optional<qint64> History::knownChapterId(const QString& path) const {
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT id FROM chapters WHERE path = ?"));
    q.addBindValue(normalPath(path));
    if (q.exec() && q.next())
        return q.value(0).toLongLong();
    return std::nullopt;
}

std::optional<qint64> History::chapterIdFor(const Chapter& chapter, bool mayWrite) {
    const QString path = normalPath(chapter.path);
    const QByteArray print = questionFingerprint(chapter.questions);
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT id, title, fingerprint FROM chapters WHERE path = ?"));
    q.addBindValue(path);
    if (!q.exec())
        return std::nullopt;
    if (q.next()) {
        const qint64 id = q.value(0).toLongLong();
        const bool changed = q.value(1).toString() != chapter.title || q.value(2).toByteArray() != print;
        q.finish();
        if (mayWrite && changed) {
            q.prepare(QStringLiteral("UPDATE chapters SET title = ?, fingerprint = ? WHERE id = ?"));
            q.addBindValue(storedTitle(chapter.title));
            q.addBindValue(QString::fromLatin1(print));
            q.addBindValue(id);
            if (!q.exec())
                return std::nullopt;
        }
        return id;
    }

    // A path never seen: perhaps a chapter whose file was moved.
    QVector<KnownChapter> known;
    if (!q.exec(QStringLiteral("SELECT id, path, title, fingerprint FROM chapters")))
        return std::nullopt;
    while (q.next()) {
        KnownChapter k;
        k.id = q.value(0).toLongLong();
        k.fileExists = QFileInfo::exists(q.value(1).toString());
        k.title = q.value(2).toString();
        k.fingerprint = q.value(3).toByteArray();
        if (!k.fileExists)
            known.append(k);
    }
    for (KnownChapter& k : known) {
        if (k.title != chapter.title)
            continue;
        q.prepare(QStringLiteral("SELECT question FROM cards WHERE chapter = ?"));
        q.addBindValue(k.id);
        if (!q.exec())
            return std::nullopt;
        while (q.next())
            k.reviewedQuestions.append(q.value(0).toString());
    }
    if (const auto moved = findMovedChapter(chapter, known)) {
        if (mayWrite) {
            q.prepare(QStringLiteral("UPDATE chapters SET path = ?, title = ?, fingerprint = ? WHERE id = ?"));
            q.addBindValue(path);
            q.addBindValue(storedTitle(chapter.title));
            q.addBindValue(QString::fromLatin1(print));
            q.addBindValue(*moved);
            if (!q.exec())
                return std::nullopt;
        }
        return moved;
    }
    return std::nullopt;
}

std::optional<qint64> History::chapterIdOrNew(const Chapter& chapter, QSqlError* error) {
    if (const std::optional<qint64> id = chapterIdFor(chapter, true))
        return id;
    QSqlQuery q(db());
    q.prepare(QStringLiteral("INSERT INTO chapters (path, title, fingerprint) VALUES (?, ?, ?)"));
    q.addBindValue(normalPath(chapter.path));
    q.addBindValue(storedTitle(chapter.title));
    q.addBindValue(QString::fromLatin1(questionFingerprint(chapter.questions)));
    if (!q.exec()) {
        *error = q.lastError();
        return std::nullopt;
    }
    return q.lastInsertId().toLongLong();
}

std::optional<std::pair<QString, QString>> History::chapterLanguages(const Chapter& chapter) {
    if (!isOpen())
        return std::nullopt;
    const std::optional<qint64> id = chapterIdFor(chapter, false);
    if (!id)
        return std::nullopt;
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT front, back FROM chapter_languages WHERE chapter = ?"));
    q.addBindValue(*id);
    if (q.exec() && q.next())
        return std::pair{q.value(0).toString(), q.value(1).toString()};
    return std::nullopt;
}

bool History::setChapterLanguages(const Chapter& chapter, const QString& front, const QString& back) {
    if (!isOpen())
        return fail(m_status.message);
    QSqlDatabase d = db();
    if (!d.transaction())
        return fail(d.lastError().text());
    QSqlError error;
    const std::optional<qint64> id = chapterIdOrNew(chapter, &error);
    QSqlQuery q(d);
    if (id) {
        if (front.isEmpty() && back.isEmpty()) {
            q.prepare(QStringLiteral("DELETE FROM chapter_languages WHERE chapter = ?"));
            q.addBindValue(*id);
        } else {
            q.prepare(QStringLiteral("INSERT OR REPLACE INTO chapter_languages (chapter, front, back) VALUES (?, ?, ?)"));
            // A side left to the guess is an empty text, never NULL.
            q.addBindValue(*id);
            q.addBindValue(front.isNull() ? QStringLiteral("") : front);
            q.addBindValue(back.isNull() ? QStringLiteral("") : back);
        }
        if (!q.exec())
            error = q.lastError();
    }
    if (!error.isValid() && d.commit())
        return true;
    q.finish();
    const QString message = error.isValid() ? error.text() : d.lastError().text();
    d.rollback();
    return fail(message);
}

bool History::writeCard(qint64 cardId, const fsrs::Card& c, qint64 firstReview) {
    QSqlQuery q(db());
    q.prepare(QStringLiteral("UPDATE cards SET due = ?, stability = ?, difficulty = ?, elapsed_days = ?, "
                             "scheduled_days = ?, step = ?, reps = ?, lapses = ?, state = ?, last_review = ?, "
                             "first_review = ? WHERE id = ?"));
    for (const QVariant& v : {QVariant(c.due), QVariant(c.stability), QVariant(c.difficulty), QVariant(c.elapsedDays),
                              QVariant(c.scheduledDays), QVariant(c.step), QVariant(c.reps), QVariant(c.lapses),
                              QVariant(int(c.state)), QVariant(c.lastReview), QVariant(firstReview),
                              QVariant(cardId)})
        q.addBindValue(v);
    return q.exec() || fail(q.lastError().text());
}

bool History::replayCard(qint64 cardId) {
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT id, time, grade, state_before, answer_ms FROM reviews WHERE card = ? "
                             "ORDER BY time, id"));
    q.addBindValue(cardId);
    if (!q.exec())
        return fail(q.lastError().text());
    // The reviews whose state before them changed: a review moved earlier or a merged log
    // changes what every later review found.
    QVector<std::pair<qint64, int>> moved;
    fsrs::Card card;
    std::optional<qint64> first;
    qint64 answerMs = 0;
    while (q.next()) {
        answerMs += q.value(4).toLongLong();
        if (!first)
            first = q.value(1).toLongLong();
        if (q.value(3).toInt() != int(card.state))
            moved.append({q.value(0).toLongLong(), int(card.state)});
        card = m_scheduler.next(card, q.value(1).toLongLong(), fsrs::Grade(q.value(2).toInt())).card;
    }
    q.finish();
    if (!first)
        return true;
    q.prepare(QStringLiteral("UPDATE reviews SET state_before = ? WHERE id = ?"));
    for (const auto& [id, state] : moved) {
        q.addBindValue(state);
        q.addBindValue(id);
        if (!q.exec())
            return fail(q.lastError().text());
    }
    q.prepare(QStringLiteral("UPDATE cards SET answer_ms = ? WHERE id = ?"));
    q.addBindValue(answerMs);
    q.addBindValue(cardId);
    if (!q.exec())
        return fail(q.lastError().text());
    return writeCard(cardId, card, *first);
}

std::optional<fsrs::Card> History::record(const Chapter& chapter, const QString& question, fsrs::Grade grade,
                                          qint64 answerMs, const QString& source, qint64 nowUtcMs) {
    if (!isOpen()) {
        fail(m_status.message);
        return std::nullopt;
    }
    if (int(grade) < 1 || int(grade) > 4) {
        fail(QStringLiteral("A grade is 1 to 4, not %1.").arg(int(grade)));
        return std::nullopt;
    }
    QSqlDatabase d = db();
    if (!d.transaction()) {
        fail(d.lastError().text());
        return std::nullopt;
    }
    QSqlQuery q(d);
    auto abandon = [&](const QSqlError& e) -> std::optional<fsrs::Card> {
        m_lastError = e.text();
        q.finish();
        d.rollback();
        if (statusForError(e) == OpenStatus::Corrupt)
            m_status = {OpenStatus::Corrupt, openMessage(OpenStatus::Corrupt, d.databaseName())};
        return std::nullopt;
    };

    QSqlError chapterError;
    const std::optional<qint64> chapterId = chapterIdOrNew(chapter, &chapterError);
    if (!chapterId)
        return abandon(chapterError);

    q.prepare(QStringLiteral("SELECT id, first_review, %1 FROM cards WHERE chapter = ? AND question = ?")
                  .arg(QLatin1String(kCardColumns)));
    q.addBindValue(*chapterId);
    q.addBindValue(question);
    if (!q.exec())
        return abandon(q.lastError());
    qint64 cardId = 0;
    qint64 firstReview = nowUtcMs;
    fsrs::Card card;
    if (q.next()) {
        cardId = q.value(0).toLongLong();
        firstReview = q.value(1).toLongLong();
        card = cardFrom(q, 2);
        q.finish();
    } else {
        q.finish();
        q.prepare(QStringLiteral("INSERT INTO cards (chapter, question, due, stability, difficulty, elapsed_days, "
                                 "scheduled_days, step, reps, lapses, state, last_review, first_review) "
                                 "VALUES (?, ?, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, ?)"));
        q.addBindValue(*chapterId);
        q.addBindValue(question);
        q.addBindValue(nowUtcMs);
        if (!q.exec())
            return abandon(q.lastError());
        cardId = q.lastInsertId().toLongLong();
    }

    // A review dated before the card's last one (the clock was set back) belongs earlier in
    // the log; the card is replayed so its cache stays what rebuild() computes.
    const bool inOrder = card.state == fsrs::State::New || nowUtcMs >= card.lastReview;
    q.prepare(QStringLiteral("INSERT INTO reviews (card, time, grade, answer_ms, source, state_before) "
                             "VALUES (?, ?, ?, ?, ?, ?)"));
    q.addBindValue(cardId);
    q.addBindValue(nowUtcMs);
    q.addBindValue(int(grade));
    q.addBindValue(qMax<qint64>(0, answerMs));
    q.addBindValue(source);
    q.addBindValue(inOrder ? int(card.state) : 0);
    if (!q.exec())
        return abandon(q.lastError());

    if (inOrder) {
        card = m_scheduler.next(card, nowUtcMs, grade).card;
        q.prepare(QStringLiteral("UPDATE cards SET answer_ms = answer_ms + ? WHERE id = ?"));
        q.addBindValue(qMax<qint64>(0, answerMs));
        q.addBindValue(cardId);
        if (!q.exec())
            return abandon(q.lastError());
        if (!writeCard(cardId, card, qMin(firstReview, nowUtcMs)))
            return abandon(QSqlError(m_lastError, {}, QSqlError::StatementError));
    } else if (!replayCard(cardId)) {
        return abandon(QSqlError(m_lastError, {}, QSqlError::StatementError));
    }
    if (!d.commit()) {
        const QSqlError e = d.lastError();
        return abandon(e);
    }
    if (!inOrder)
        card = this->card(chapter.path, question);
    return card;
}

fsrs::Card History::card(const QString& chapterPath, const QString& question) const {
    if (!isOpen())
        return {};
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT %1 FROM cards JOIN chapters ON chapters.id = cards.chapter "
                             "WHERE chapters.path = ? AND cards.question = ?")
                  .arg(QLatin1String(kCardColumns)));
    q.addBindValue(normalPath(chapterPath));
    q.addBindValue(question);
    if (q.exec() && q.next())
        return cardFrom(q, 0);
    return {};
}

std::vector<fsrs::Review> History::reviews(const QString& chapterPath, const QString& question) const {
    std::vector<fsrs::Review> out;
    if (!isOpen())
        return out;
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT reviews.time, reviews.grade FROM reviews "
                             "JOIN cards ON cards.id = reviews.card JOIN chapters ON chapters.id = cards.chapter "
                             "WHERE chapters.path = ? AND cards.question = ? ORDER BY reviews.time, reviews.id"));
    q.addBindValue(normalPath(chapterPath));
    q.addBindValue(question);
    if (q.exec())
        while (q.next())
            out.push_back({q.value(0).toLongLong(), fsrs::Grade(q.value(1).toInt())});
    return out;
}

bool History::renameQuestion(const QString& chapterPath, const QString& oldQuestion, const QString& newQuestion) {
    if (!isOpen())
        return fail(m_status.message);
    if (oldQuestion == newQuestion)
        return true;
    const std::optional<qint64> chapterId = knownChapterId(chapterPath);
    if (!chapterId)
        return fail(QStringLiteral("The review history holds no chapter %1.").arg(chapterPath));
    QSqlDatabase d = db();
    if (!d.transaction())
        return fail(d.lastError().text());
    QSqlQuery q(d);
    auto idOf = [&](const QString& question) -> std::optional<qint64> {
        q.prepare(QStringLiteral("SELECT id FROM cards WHERE chapter = ? AND question = ?"));
        q.addBindValue(*chapterId);
        q.addBindValue(question);
        std::optional<qint64> id;
        if (q.exec() && q.next())
            id = q.value(0).toLongLong();
        q.finish();
        return id;
    };
    auto abandon = [&](const QString& message) {
        q.finish();
        d.rollback();
        return fail(message);
    };
    const std::optional<qint64> from = idOf(oldQuestion);
    if (!from)
        return abandon(QStringLiteral("The review history holds no card \"%1\" in %2.").arg(oldQuestion, chapterPath));
    const std::optional<qint64> to = idOf(newQuestion);
    if (!to) {
        q.prepare(QStringLiteral("UPDATE cards SET question = ? WHERE id = ?"));
        q.addBindValue(newQuestion);
        q.addBindValue(*from);
        if (!q.exec())
            return abandon(q.lastError().text());
    } else {
        // Both fronts have a history: one card now, whose log is both logs.
        q.prepare(QStringLiteral("UPDATE reviews SET card = ? WHERE card = ?"));
        q.addBindValue(*to);
        q.addBindValue(*from);
        if (!q.exec())
            return abandon(q.lastError().text());
        q.prepare(QStringLiteral("DELETE FROM cards WHERE id = ?"));
        q.addBindValue(*from);
        if (!q.exec())
            return abandon(q.lastError().text());
        if (!replayCard(*to))
            return abandon(m_lastError);
    }
    if (!d.commit())
        return abandon(d.lastError().text());
    return true;
}

DueDeck History::dueDeck(const QVector<Chapter>& chapters, const QDateTime& now, int dayStartHour,
                         int newCardsPerDay) {
    DueDeck deck;
    deck.perChapter.resize(chapters.size());
    const fsrs::StudyDay day = fsrs::studyDay(now, dayStartHour);
    const qint64 dayStart =
        QDateTime::fromMSecsSinceEpoch(day.nextStart, now.timeZone()).addDays(-1).toMSecsSinceEpoch();

    QSqlDatabase d = db();
    const bool open = isOpen();
    const bool writing = open && d.transaction(); // moved chapters are followed in one go
    QSqlQuery q(d);
    q.setForwardOnly(true);
    if (open) {
        q.prepare(QStringLiteral("SELECT count(*) FROM cards WHERE first_review >= ? AND first_review < ?"));
        q.addBindValue(dayStart);
        q.addBindValue(day.nextStart);
        if (q.exec() && q.next())
            deck.newIntroducedToday = q.value(0).toInt();
        q.finish();
        q.prepare(QStringLiteral("SELECT question, due, state FROM cards WHERE chapter = ?"));
    }
    const int newRoom = qMax(0, newCardsPerDay - deck.newIntroducedToday);
    QVector<DueCard> fresh;
    // One chapter at a time, so that only one chapter's cards are held at once.
    struct Reviewed {
        qint64 due;
        fsrs::State state;
    };
    QHash<QString, Reviewed> reviewed;
    QSet<QString> seen;
    for (int i = 0; i < chapters.size(); ++i) {
        reviewed.clear();
        seen.clear();
        if (open) {
            if (const std::optional<qint64> id = chapterIdFor(chapters[i], writing)) {
                q.addBindValue(*id);
                if (q.exec())
                    while (q.next())
                        reviewed.insert(q.value(0).toString(), {q.value(1).toLongLong(), fsrs::State(q.value(2).toInt())});
            }
        }
        ChapterCounts& counts = deck.perChapter[i];
        for (const QString& question : chapters[i].questions) {
            if (seen.contains(question))
                continue;
            seen.insert(question);
            const auto it = reviewed.constFind(question);
            if (it == reviewed.cend()) {
                ++counts.unseen;
                if (fresh.size() < newRoom) {
                    fresh.append({i, question, true, 0, fsrs::State::New});
                    ++counts.fresh;
                }
            } else if (it->state != fsrs::State::New && day.isDue(it->due)) {
                deck.cards.append({i, question, false, it->due, it->state});
                ++counts.due;
            }
        }
        deck.dueTotal += counts.due;
        deck.freshTotal += counts.fresh;
    }
    q.finish();
    if (writing && !d.commit())
        d.rollback();
    std::stable_sort(deck.cards.begin(), deck.cards.end(),
                     [](const DueCard& a, const DueCard& b) { return a.due < b.due; });
    deck.cards += fresh;
    return deck;
}

bool History::rebuild() {
    if (!isOpen())
        return fail(m_status.message);
    QSqlDatabase d = db();
    if (!d.transaction())
        return fail(d.lastError().text());
    QSqlQuery read(d);
    read.setForwardOnly(true);
    QSqlQuery write(d);
    write.prepare(QStringLiteral("UPDATE cards SET due = ?, stability = ?, difficulty = ?, elapsed_days = ?, "
                                 "scheduled_days = ?, step = ?, reps = ?, lapses = ?, state = ?, last_review = ?, "
                                 "first_review = ?, answer_ms = ? WHERE id = ?"));
    auto abandon = [&](const QSqlError& e) {
        read.finish();
        d.rollback();
        return fail(e.text());
    };
    // Each card is written as soon as its log has been read: the log and the cache are
    // different tables, so the reading statement is not disturbed, and no more than one
    // card's log is held at a time.
    if (!read.exec(QStringLiteral("SELECT card, time, grade, id, state_before, answer_ms FROM reviews "
                                  "ORDER BY card, time, id")))
        return abandon(read.lastError());
    QSqlQuery before(d);
    before.prepare(QStringLiteral("UPDATE reviews SET state_before = ? WHERE id = ?"));
    fsrs::Card c;
    qint64 first = 0;
    qint64 answerMs = 0;
    qint64 current = -1;
    QVector<std::pair<qint64, int>> moved; // reviews whose state before them changed
    QSqlError failure;
    auto flush = [&] {
        if (current < 0)
            return true;
        for (const QVariant& v : {QVariant(c.due), QVariant(c.stability), QVariant(c.difficulty),
                                  QVariant(c.elapsedDays), QVariant(c.scheduledDays), QVariant(c.step),
                                  QVariant(c.reps), QVariant(c.lapses), QVariant(int(c.state)),
                                  QVariant(c.lastReview), QVariant(first), QVariant(answerMs), QVariant(current)})
            write.addBindValue(v);
        if (!write.exec()) {
            failure = write.lastError();
            return false;
        }
        for (const auto& [id, state] : std::as_const(moved)) {
            before.addBindValue(state);
            before.addBindValue(id);
            if (!before.exec()) {
                failure = before.lastError();
                return false;
            }
        }
        moved.clear();
        return true;
    };
    while (read.next()) {
        const qint64 id = read.value(0).toLongLong();
        if (id != current) {
            if (!flush())
                return abandon(failure);
            current = id;
            c = {};
            first = read.value(1).toLongLong();
            answerMs = 0;
        }
        answerMs += read.value(5).toLongLong();
        if (read.value(4).toInt() != int(c.state))
            moved.append({read.value(3).toLongLong(), int(c.state)});
        c = m_scheduler.next(c, read.value(1).toLongLong(), fsrs::Grade(read.value(2).toInt())).card;
    }
    if (read.lastError().isValid())
        return abandon(read.lastError());
    if (!flush())
        return abandon(failure);
    read.finish();
    if (!d.commit())
        return abandon(d.lastError());
    return true;
}

bool History::exportCsv(QIODevice& out) const {
    if (!isOpen())
        return fail(m_status.message);
    QSqlQuery q(db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT reviews.card, chapters.title, chapters.path, cards.question, reviews.time, "
                               "reviews.grade, reviews.answer_ms FROM reviews "
                               "JOIN cards ON cards.id = reviews.card JOIN chapters ON chapters.id = cards.chapter "
                               "ORDER BY chapters.path, cards.question, reviews.time, reviews.id")))
        return fail(q.lastError().text());
    // A byte-order mark so that spreadsheets take the file as UTF-8, lines ended by CR LF.
    QByteArray chunk("\xEF\xBB\xBF"
                     "chapter title,chapter file,question,time,grade,seconds,stability,difficulty,due\r\n");
    auto flush = [&] {
        const bool ok = out.write(chunk) == chunk.size();
        chunk.clear();
        return ok || fail(out.errorString());
    };
    qint64 current = -1;
    fsrs::Card card;
    while (q.next()) {
        const qint64 id = q.value(0).toLongLong();
        if (id != current) {
            current = id;
            card = {};
        }
        const qint64 time = q.value(4).toLongLong();
        const int grade = q.value(5).toInt();
        card = m_scheduler.next(card, time, fsrs::Grade(grade)).card;
        wordlist::WordListWriter::appendField(chunk, q.value(1).toString());
        chunk += ',';
        wordlist::WordListWriter::appendField(chunk, QDir::toNativeSeparators(q.value(2).toString()));
        chunk += ',';
        wordlist::WordListWriter::appendField(chunk, q.value(3).toString());
        chunk += ',';
        chunk += isoUtc(time).toLatin1();
        chunk += ',';
        chunk += QByteArray::number(grade);
        chunk += ',';
        chunk += number(q.value(6).toLongLong() / 1000.0).toLatin1();
        chunk += ',';
        chunk += number(card.stability).toLatin1();
        chunk += ',';
        chunk += number(card.difficulty).toLatin1();
        chunk += ',';
        chunk += isoUtc(card.due).toLatin1();
        chunk += "\r\n";
        if (chunk.size() > (1 << 16) && !flush())
            return false;
    }
    if (q.lastError().isValid())
        return fail(q.lastError().text());
    return flush();
}

qint64 History::reviewCount() const {
    QSqlQuery q(db());
    return isOpen() && q.exec(QStringLiteral("SELECT count(*) FROM reviews")) && q.next() ? q.value(0).toLongLong()
                                                                                          : 0;
}

qint64 History::cardCount() const {
    QSqlQuery q(db());
    return isOpen() && q.exec(QStringLiteral("SELECT count(*) FROM cards")) && q.next() ? q.value(0).toLongLong() : 0;
}

} // namespace history
