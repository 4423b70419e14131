#pragma once
// Writes small packages of the most used flash-card program for the tests and the benchmark,
// from the structure its collections are documented to have: an SQLite collection in either
// schema (JSON note types and decks in `col`, or tables of their own), plain or
// zstd-compressed, in a zip archive with a placeholder collection beside a newer one.
#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <QVector>

#include <zip.h>
#include <zstd.h>

namespace maker {

enum class Schema { Anki2, Anki21, Anki21b };

struct Card {
    qint64 id;
    qint64 deck;
    int ord = 0;
    qint64 originalDeck = 0;
};
struct Note {
    qint64 id;
    qint64 type;
    QStringList fields;
    QVector<Card> cards;
};
struct Review {
    qint64 time; // the row's id
    qint64 card;
    int ease;
    int type = 1;
    int factor = 2500;
    int answerMs = 4000;
};
struct Deck {
    qint64 id;
    QString name; // levels joined by "::"
};
struct NoteType {
    qint64 id;
    QString name;
    QStringList fields;
    bool cloze = false;
};
struct Collection {
    QVector<Deck> decks;
    QVector<NoteType> types;
    QVector<Note> notes;
    QVector<Review> reviews;
};

inline bool exec(QSqlQuery& q, const QString& sql) {
    if (!q.exec(sql)) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

// The SQLite file of a collection.
inline QByteArray sqlite(const Collection& c, bool newSchema) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.db"));
    const QString name = QStringLiteral("maker-%1").arg(quintptr(&c));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        exec(q, "CREATE TABLE col (id integer primary key, crt integer, mod integer, scm integer, ver integer, "
                "dty integer, usn integer, ls integer, conf text, models text, decks text, dconf text, tags text)");
        exec(q, "CREATE TABLE notes (id integer primary key, guid text, mid integer, mod integer, usn integer, "
                "tags text, flds text, sfld integer, csum integer, flags integer, data text)");
        exec(q, "CREATE TABLE cards (id integer primary key, nid integer, did integer, ord integer, mod integer, "
                "usn integer, type integer, queue integer, due integer, ivl integer, factor integer, reps integer, "
                "lapses integer, left integer, odue integer, odid integer, flags integer, data text)");
        exec(q, "CREATE TABLE revlog (id integer primary key, cid integer, usn integer, ease integer, ivl integer, "
                "lastIvl integer, factor integer, time integer, type integer)");
        QJsonObject models, decks;
        if (newSchema) {
            exec(q, "CREATE TABLE decks (id integer primary key, name text, mtime_secs integer, usn integer, "
                    "common blob, kind blob)");
            exec(q, "CREATE TABLE notetypes (id integer primary key, name text, mtime_secs integer, usn integer, "
                    "config blob)");
            exec(q, "CREATE TABLE fields (ntid integer, ord integer, name text, config blob, primary key (ntid, ord))");
            for (const Deck& d : c.decks) {
                q.prepare("INSERT INTO decks VALUES (?, ?, 0, 0, x'', x'')");
                q.addBindValue(d.id);
                q.addBindValue(QString(d.name).replace(QStringLiteral("::"), QChar(0x1F)));
                q.exec();
            }
            for (const NoteType& t : c.types) {
                // NotetypeConfig: other fields of each wire type (a string, a 32- and a 64-bit
                // number, a varint of two bytes) before field 1, the kind (1 for cloze); a type
                // that is not cloze ends in a field of an unknown wire type.
                QByteArray config("\x1a\x03" "css" "\x25\x01\x02\x03\x04" "\x29\x01\x02\x03\x04\x05\x06\x07\x08"
                                  "\x30\x96\x01",
                                  22);
                config.append(t.cloze ? QByteArray("\x08\x01", 2) : QByteArray("\x0f\x08\x01", 3));
                q.prepare("INSERT INTO notetypes VALUES (?, ?, 0, 0, ?)");
                q.addBindValue(t.id);
                q.addBindValue(t.name);
                q.addBindValue(config);
                q.exec();
                for (int i = 0; i < t.fields.size(); ++i) {
                    q.prepare("INSERT INTO fields VALUES (?, ?, ?, x'')");
                    q.addBindValue(t.id);
                    q.addBindValue(i);
                    q.addBindValue(t.fields[i]);
                    q.exec();
                }
            }
        } else {
            for (const Deck& d : c.decks)
                decks.insert(QString::number(d.id), QJsonObject{{"id", d.id}, {"name", d.name}, {"dyn", 0}});
            for (const NoteType& t : c.types) {
                QJsonArray flds;
                // Listed out of order: the field's "ord" counts, not its place.
                for (int i = int(t.fields.size()) - 1; i >= 0; --i)
                    flds.append(QJsonObject{{"name", t.fields[i]}, {"ord", i}});
                models.insert(QString::number(t.id),
                              QJsonObject{{"id", QString::number(t.id)}, {"name", t.name}, {"type", t.cloze ? 1 : 0},
                                          {"flds", flds}});
            }
        }
        q.prepare("INSERT INTO col VALUES (1, 0, 0, 0, 11, 0, 0, 0, '{}', ?, ?, '{}', '{}')");
        q.addBindValue(QString::fromUtf8(QJsonDocument(models).toJson(QJsonDocument::Compact)));
        q.addBindValue(QString::fromUtf8(QJsonDocument(decks).toJson(QJsonDocument::Compact)));
        q.exec();
        db.transaction();
        q.prepare("INSERT INTO notes VALUES (?, ?, ?, 0, 0, '', ?, '', 0, 0, '')");
        for (const Note& n : c.notes) {
            q.addBindValue(n.id);
            q.addBindValue(QStringLiteral("g%1").arg(n.id));
            q.addBindValue(n.type);
            q.addBindValue(n.fields.join(QChar(0x1F)));
            q.exec();
        }
        q.prepare("INSERT INTO cards VALUES (?, ?, ?, ?, 0, 0, 2, 2, 0, 1, 2500, 1, 0, 0, 0, ?, 0, '')");
        for (const Note& n : c.notes)
            for (const Card& k : n.cards) {
                q.addBindValue(k.id);
                q.addBindValue(n.id);
                q.addBindValue(k.originalDeck ? qint64(99999) : k.deck);
                q.addBindValue(k.ord);
                q.addBindValue(k.originalDeck ? k.deck : qint64(0));
                q.exec();
            }
        q.prepare("INSERT INTO revlog VALUES (?, ?, 0, ?, 1, 0, ?, ?, ?)");
        for (const Review& r : c.reviews) {
            q.addBindValue(r.time);
            q.addBindValue(r.card);
            q.addBindValue(r.ease);
            q.addBindValue(r.factor);
            q.addBindValue(r.answerMs);
            q.addBindValue(r.type);
            q.exec();
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// An SQLite file that is no collection.
inline QByteArray otherDatabase() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("o.db"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("maker-other"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        exec(q, "CREATE TABLE col (id integer)");
        exec(q, "CREATE TABLE cards (id integer)");
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("maker-other"));
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

inline QByteArray zstd(const QByteArray& data) {
    QByteArray out(qsizetype(ZSTD_compressBound(size_t(data.size()))), '\0');
    const size_t n = ZSTD_compress(out.data(), size_t(out.size()), data.constData(), size_t(data.size()), 3);
    out.resize(qsizetype(n));
    return out;
}

// A zip of the named members, deflated.
inline QByteArray zip(const QVector<QPair<QString, QByteArray>>& members) {
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("p.zip")));
    int error = 0;
    zip_t* z = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, bytes] : members) {
        zip_source_t* s = zip_source_buffer(z, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        zip_file_add(z, name.toUtf8().constData(), s, ZIP_FL_OVERWRITE);
    }
    zip_close(z);
    QFile f(QFile::decodeName(path));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// The package of a collection in a schema, with the placeholder a newer export keeps.
inline QByteArray package(const Collection& c, Schema schema) {
    if (schema == Schema::Anki2)
        return zip({{QStringLiteral("collection.anki2"), sqlite(c, false)}, {QStringLiteral("media"), "{}"}});
    Collection placeholder;
    placeholder.decks = {{1, QStringLiteral("Default")}};
    placeholder.types = {{7, QStringLiteral("Basic"), {QStringLiteral("Front"), QStringLiteral("Back")}}};
    placeholder.notes = {{1, 7, {QStringLiteral("Please update to the latest version"), QString()}, {{1, 1}}}};
    const QByteArray old = sqlite(placeholder, false);
    if (schema == Schema::Anki21)
        return zip({{QStringLiteral("collection.anki2"), old}, {QStringLiteral("collection.anki21"), sqlite(c, false)}});
    return zip({{QStringLiteral("collection.anki2"), old},
                {QStringLiteral("collection.anki21b"), zstd(sqlite(c, true))},
                {QStringLiteral("media"), QByteArray("\x28\xb5\x2f\xfd\x00\x00\x01\x00\x00", 9)}});
}

} // namespace maker
