#include "collection.h"

#include "htmltext.h"
#include "packagearchive.h"

#include <QAtomicInteger>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>

#include <algorithm>

namespace package {

namespace {

const QChar kFieldSeparator(0x1F);

QString nextConnectionName() {
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("quarnel-package-%1").arg(counter.fetchAndAddRelaxed(1));
}

// The note type's kind in the newer schema's protobuf config: field 1, a varint (1 = cloze).
bool protobufSaysCloze(const QByteArray& blob) {
    const auto* p = reinterpret_cast<const unsigned char*>(blob.constData());
    const qsizetype n = blob.size();
    qsizetype i = 0;
    auto varint = [&](quint64& v) {
        v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (i >= n)
                return false;
            const unsigned char b = p[i++];
            v |= quint64(b & 0x7F) << shift;
            if (!(b & 0x80))
                return true;
        }
        return false;
    };
    while (i < n) {
        quint64 key = 0, value = 0;
        if (!varint(key))
            return false;
        const quint64 field = key >> 3;
        switch (key & 7) {
        case 0:
            if (!varint(value))
                return false;
            if (field == 1)
                return value == 1;
            break;
        case 1:
            i += 8;
            break;
        case 2:
            if (!varint(value) || value > quint64(n - i))
                return false;
            i += qsizetype(value);
            break;
        case 5:
            i += 4;
            break;
        default:
            return false;
        }
    }
    return false;
}

const QRegularExpression& clozeMark() {
    static const QRegularExpression re(QStringLiteral("\\{\\{c(\\d{1,4})::(.*?)\\}\\}"),
                                       QRegularExpression::DotMatchesEverythingOption);
    return re;
}

} // namespace

struct Collection::Db {
    ExtractedCollection extracted;
    QString connection;
    ~Db() {
        if (!connection.isEmpty()) {
            QSqlDatabase::database(connection, false).close();
            QSqlDatabase::removeDatabase(connection);
        }
    }
    QSqlDatabase db() const { return QSqlDatabase::database(connection, false); }
};

Collection::Collection() = default;
Collection::~Collection() = default;

bool Collection::fail(const QString& message) {
    m_error = message;
    m_db.reset();
    m_decks.clear();
    m_types.clear();
    return false;
}

bool Collection::open(const QString& packagePath) {
    m_db = std::make_unique<Db>();
    m_db->extracted = extractCollection(packagePath);
    return load();
}

bool Collection::openData(const QByteArray& packageBytes) {
    m_db = std::make_unique<Db>();
    m_db->extracted = extractCollectionFromData(packageBytes);
    return load();
}

bool Collection::load() {
    m_error.clear();
    if (!m_db->extracted.ok())
        return fail(m_db->extracted.error);
    const QString path = m_db->extracted.file->fileName();
    // A collection saved in WAL mode can't be opened read-only without its side files; the
    // copy is ours, so its header says "rollback journal" instead.
    {
        QFile f(path);
        if (f.open(QIODevice::ReadWrite)) {
            const QByteArray head = f.read(20);
            if (head.size() == 20 && head.startsWith("SQLite format 3") && head.at(18) == 2 && head.at(19) == 2) {
                f.seek(18);
                f.write("\x01\x01", 2);
            }
        }
    }
    m_db->connection = nextConnectionName();
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_db->connection);
        d.setDatabaseName(path);
        d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!d.open())
            return fail(QStringLiteral("The package's collection can't be opened: %1.").arg(d.lastError().text()));
    }
    QSqlQuery q(m_db->db());
    QSet<QString> tables;
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        return fail(QStringLiteral("The package's collection is damaged or no collection (%1).")
                        .arg(q.lastError().databaseText()));
    while (q.next())
        tables.insert(q.value(0).toString());
    for (const char* t : {"col", "notes", "cards"})
        if (!tables.contains(QLatin1String(t)))
            return fail(QStringLiteral("The package holds a database that is no collection of cards (it has no "
                                       "table '%1').")
                            .arg(QLatin1String(t)));
    m_hasRevlog = tables.contains(QStringLiteral("revlog"));
    m_newSchema = tables.contains(QStringLiteral("notetypes")) && tables.contains(QStringLiteral("decks"));
    if (!readNoteTypes() || !readDecks())
        return false;
    return true;
}

bool Collection::readNoteTypes() {
    QSqlQuery q(m_db->db());
    q.setForwardOnly(true);
    auto damaged = [&] {
        return fail(QStringLiteral("The package's collection is damaged or no collection (%1).")
                        .arg(q.lastError().databaseText()));
    };
    QHash<qint64, int> index;
    if (m_newSchema) {
        if (!q.exec(QStringLiteral("SELECT id, name, config FROM notetypes ORDER BY id")))
            return damaged();
        while (q.next()) {
            NoteTypeInfo t;
            t.id = q.value(0).toLongLong();
            t.name = q.value(1).toString();
            t.cloze = protobufSaysCloze(q.value(2).toByteArray());
            index.insert(t.id, int(m_types.size()));
            m_types.append(t);
        }
        if (!q.exec(QStringLiteral("SELECT ntid, name FROM fields ORDER BY ntid, ord")))
            return damaged();
        while (q.next()) {
            const auto it = index.constFind(q.value(0).toLongLong());
            if (it != index.cend() && m_types[*it].fields.size() < 1000)
                m_types[*it].fields.append(q.value(1).toString());
        }
    } else {
        if (!q.exec(QStringLiteral("SELECT models FROM col")))
            return damaged();
        if (!q.next())
            return fail(QStringLiteral("The package's collection is damaged or no collection (its settings are "
                                       "missing)."));
        const QJsonObject models = QJsonDocument::fromJson(q.value(0).toByteArray()).object();
        for (auto it = models.begin(); it != models.end(); ++it) {
            const QJsonObject m = it.value().toObject();
            NoteTypeInfo t;
            t.id = it.key().toLongLong();
            t.name = m.value(QStringLiteral("name")).toString();
            t.cloze = m.value(QStringLiteral("type")).toInt() == 1;
            QJsonArray flds = m.value(QStringLiteral("flds")).toArray();
            QVector<QPair<int, QString>> named;
            for (const QJsonValue& f : flds)
                named.append({f.toObject().value(QStringLiteral("ord")).toInt(),
                              f.toObject().value(QStringLiteral("name")).toString()});
            std::stable_sort(named.begin(), named.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            for (const auto& f : named)
                t.fields.append(f.second);
            index.insert(t.id, int(m_types.size()));
            m_types.append(t);
        }
        std::sort(m_types.begin(), m_types.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
        index.clear();
        for (int i = 0; i < m_types.size(); ++i)
            index.insert(m_types[i].id, i);
    }
    if (!q.exec(QStringLiteral("SELECT mid, COUNT(*) FROM notes GROUP BY mid")))
        return damaged();
    m_noteCount = 0;
    while (q.next()) {
        const int n = q.value(1).toInt();
        m_noteCount += n;
        const auto it = index.constFind(q.value(0).toLongLong());
        if (it != index.cend())
            m_types[*it].notes = n;
    }
    return true;
}

bool Collection::readDecks() {
    QSqlQuery q(m_db->db());
    q.setForwardOnly(true);
    auto damaged = [&] {
        return fail(QStringLiteral("The package's collection is damaged or no collection (%1).")
                        .arg(q.lastError().databaseText()));
    };
    QHash<qint64, QString> names;
    if (m_newSchema) {
        if (!q.exec(QStringLiteral("SELECT id, name FROM decks")))
            return damaged();
        while (q.next())
            names.insert(q.value(0).toLongLong(), q.value(1).toString());
    } else {
        if (!q.exec(QStringLiteral("SELECT decks FROM col")) || !q.next())
            return damaged();
        const QJsonObject decks = QJsonDocument::fromJson(q.value(0).toByteArray()).object();
        for (auto it = decks.begin(); it != decks.end(); ++it)
            names.insert(it.key().toLongLong(), it.value().toObject().value(QStringLiteral("name")).toString());
    }
    // A card in a filtered deck belongs to its original deck.
    if (!q.exec(QStringLiteral("SELECT CASE WHEN odid != 0 THEN odid ELSE did END AS deck, COUNT(DISTINCT nid) "
                               "FROM cards GROUP BY deck")))
        return damaged();
    while (q.next()) {
        DeckInfo d;
        d.id = q.value(0).toLongLong();
        d.notes = q.value(1).toInt();
        const auto it = names.constFind(d.id);
        d.title = it != names.cend() && !it->trimmed().isEmpty() ? deckTitle(*it)
                                                                 : QStringLiteral("Deck %1").arg(d.id);
        m_decks.append(d);
    }
    std::sort(m_decks.begin(), m_decks.end(), [](const DeckInfo& a, const DeckInfo& b) {
        return QString::localeAwareCompare(a.title, b.title) < 0;
    });
    return true;
}

QStringList Collection::fieldNames() const {
    QVector<const NoteTypeInfo*> byUse;
    for (const NoteTypeInfo& t : m_types)
        byUse.append(&t);
    std::stable_sort(byUse.begin(), byUse.end(), [](auto a, auto b) { return a->notes > b->notes; });
    QStringList out;
    for (int pos = 0;; ++pos) {
        QStringList names;
        for (const NoteTypeInfo* t : byUse)
            if (pos < t->fields.size() && !names.contains(t->fields[pos]) && (t->notes > 0 || m_noteCount == 0))
                names.append(t->fields[pos]);
        if (names.isEmpty())
            break;
        if (names.size() > 3)
            names = names.mid(0, 3) << QStringLiteral("...");
        out.append(names.join(QStringLiteral(" / ")));
    }
    while (out.size() < 2)
        out.append(QStringLiteral("Field %1").arg(out.size() + 1));
    return out;
}

ImportResult Collection::read(const ImportChoice& choice) const {
    ImportResult result;
    if (!m_db) {
        result.error = m_error.isEmpty() ? QStringLiteral("The package is not open.") : m_error;
        return result;
    }
    QSqlQuery q(m_db->db());
    q.setForwardOnly(true);
    auto damaged = [&] {
        result.error = QStringLiteral("The package's collection is damaged or no collection (%1).")
                           .arg(q.lastError().databaseText());
        result.chapters.clear();
        return result;
    };
    QHash<qint64, const NoteTypeInfo*> types;
    for (const NoteTypeInfo& t : m_types)
        types.insert(t.id, &t);
    QHash<qint64, int> chapterOf; // deck -> chapter
    for (const DeckInfo& d : m_decks) {
        if (!choice.decks.isEmpty() && !choice.decks.contains(d.id))
            continue;
        chapterOf.insert(d.id, int(result.chapters.size()));
        result.chapters.append(DeckChapter{d.id, d.title, {}});
    }

    // Each note's cards by template or cloze number.
    struct SourceCard {
        qint64 id;
        int ord;
        qint64 deck;
    };
    QHash<qint64, QVector<SourceCard>> cardsOf;
    if (!q.exec(QStringLiteral("SELECT id, nid, ord, CASE WHEN odid != 0 THEN odid ELSE did END FROM cards")))
        return damaged();
    while (q.next()) {
        auto& list = cardsOf[q.value(1).toLongLong()];
        if (list.size() < 1000)
            list.append({q.value(0).toLongLong(), q.value(2).toInt(), q.value(3).toLongLong()});
    }
    q.finish();

    // Which imported card each source card's reviews go to: (chapter, card index).
    QHash<qint64, QPair<int, int>> target;
    QVector<QSet<QString>> fronts(result.chapters.size());
    auto add = [&](const SourceCard& source, QString front, QString back) {
        const auto chapter = chapterOf.constFind(source.deck);
        if (chapter == chapterOf.cend())
            return;
        if (front.isEmpty()) {
            ++result.counts.emptyFronts;
            return;
        }
        if (fronts[*chapter].contains(front)) {
            ++result.counts.duplicateFronts;
            return;
        }
        fronts[*chapter].insert(front);
        QVector<ImportedCard>& cards = result.chapters[*chapter].cards;
        if (source.id != 0) // a cloze number without a card of its own has no reviews
            target.insert(source.id, {*chapter, int(cards.size())});
        cards.append(ImportedCard{std::move(front), std::move(back), {}});
    };
    auto text = [&](const QString& html) {
        wordlist::HtmlText t = wordlist::htmlToText(html);
        result.counts.sounds += t.sounds;
        result.counts.images += t.images;
        return std::move(t.text);
    };

    if (!q.exec(QStringLiteral("SELECT id, mid, flds FROM notes ORDER BY id")))
        return damaged();
    while (q.next()) {
        const auto cards = cardsOf.constFind(q.value(0).toLongLong());
        if (cards == cardsOf.cend() || cards->isEmpty())
            continue; // a note without a card is in no deck
        const QStringList fields = q.value(2).toString().split(kFieldSeparator);
        const auto type = types.constFind(q.value(1).toLongLong());
        const QString frontField = fields.value(choice.frontField);
        const bool cloze = (type != types.cend() && (*type)->cloze) || clozeMark().match(frontField).hasMatch();
        if (cloze) {
            // Is any of its cards in a chosen deck?
            const bool chosen = std::any_of(cards->begin(), cards->end(),
                                            [&](const SourceCard& c) { return chapterOf.contains(c.deck); });
            if (!chosen)
                continue;
            const QVector<ClozeCard> made = choice.cloze == ClozeMode::Skip ? QVector<ClozeCard>() : clozeCards(frontField);
            if (made.isEmpty()) {
                ++result.counts.clozeSkipped;
                continue;
            }
            for (const ClozeCard& c : made) {
                const auto source = std::find_if(cards->begin(), cards->end(),
                                                 [&](const SourceCard& s) { return s.ord == c.number - 1; });
                // A cloze number without a card of its own goes with the note's first card's deck.
                SourceCard s = source != cards->end() ? *source : SourceCard{0, c.number - 1, cards->front().deck};
                add(s, text(c.front), text(c.back));
            }
            continue;
        }
        const SourceCard first = *std::min_element(cards->begin(), cards->end(),
                                                   [](const SourceCard& a, const SourceCard& b) { return a.ord < b.ord; });
        if (!chapterOf.contains(first.deck))
            continue;
        add(first, text(frontField), text(fields.value(choice.backField)));
    }
    q.finish();

    if (m_hasRevlog) {
        if (!q.exec(QStringLiteral("SELECT cid, id, ease, time, type, factor FROM revlog ORDER BY cid, id")))
            return damaged();
        while (q.next()) {
            const auto t = target.constFind(q.value(0).toLongLong());
            if (t == target.cend())
                continue;
            const int ease = q.value(2).toInt();
            const int type = q.value(4).toInt();
            // Manual changes and ungraded rows are no answers; a filtered deck's review that
            // did not reschedule (factor 0) left the card's schedule as it was.
            if (type == 4 || ease < 1 || ease > 4 || (type == 3 && q.value(5).toInt() == 0)) {
                ++result.counts.reviewsSkipped;
                continue;
            }
            const qint64 ms = q.value(3).toLongLong();
            result.chapters[t->first].cards[t->second].reviews.append(
                history::ImportedReview{q.value(1).toLongLong(), fsrs::Grade(ease), std::clamp<qint64>(ms, 0, 3600000)});
            ++result.counts.reviews;
        }
    }
    result.chapters.erase(std::remove_if(result.chapters.begin(), result.chapters.end(),
                                         [](const DeckChapter& c) { return c.cards.isEmpty(); }),
                          result.chapters.end());
    return result;
}

QString deckTitle(const QString& name) {
    QStringList parts = name.contains(kFieldSeparator) ? name.split(kFieldSeparator) : name.split(QStringLiteral("::"));
    for (QString& p : parts)
        p = p.trimmed();
    parts.removeAll(QString());
    return parts.join(QStringLiteral(" \u2013 "));
}

QVector<ClozeCard> clozeCards(const QString& text) {
    struct Gap {
        qsizetype from, to;
        int number;
        QString answer, hint;
    };
    QVector<Gap> gaps;
    QVector<int> numbers;
    auto it = clozeMark().globalMatch(text);
    while (it.hasNext() && gaps.size() < 1000) {
        const QRegularExpressionMatch m = it.next();
        QString inner = m.captured(2);
        QString hint;
        if (const qsizetype sep = inner.indexOf(QStringLiteral("::")); sep >= 0) {
            hint = inner.mid(sep + 2);
            inner.truncate(sep);
        }
        const int number = m.captured(1).toInt();
        gaps.append({m.capturedStart(), m.capturedEnd(), number, inner, hint});
        if (number > 0 && !numbers.contains(number))
            numbers.append(number);
    }
    std::sort(numbers.begin(), numbers.end());
    QVector<ClozeCard> out;
    for (const int n : numbers) {
        ClozeCard card;
        card.number = n;
        QStringList hidden;
        qsizetype pos = 0;
        for (const Gap& g : gaps) {
            card.front += QStringView(text).mid(pos, g.from - pos);
            if (g.number == n) {
                card.front += g.hint.isEmpty() ? QStringLiteral("[...]") : QStringLiteral("[%1]").arg(g.hint);
                hidden.append(g.answer);
            } else {
                card.front += g.answer;
            }
            pos = g.to;
        }
        card.front += QStringView(text).mid(pos);
        card.back = hidden.join(QStringLiteral(", "));
        out.append(card);
    }
    return out;
}

QString droppedMessage(const ImportCounts& c) {
    QStringList parts;
    auto count = [&](qint64 n, const char* one, const char* many) {
        if (n > 0)
            parts.append(QString::fromLatin1(n == 1 ? one : many).arg(n));
    };
    count(c.emptyFronts, "%1 card with an empty front was left out", "%1 cards with an empty front were left out");
    count(c.duplicateFronts, "%1 card whose front another card of its deck has was left out",
          "%1 cards whose front another card of their deck has were left out");
    count(c.clozeSkipped, "%1 cloze note was left out", "%1 cloze notes were left out");
    count(c.sounds, "%1 sound was removed", "%1 sounds were removed");
    count(c.images, "%1 image was removed", "%1 images were removed");
    count(c.reviewsSkipped, "%1 review entry that was no answer (a manual change, or a filtered deck's review "
                            "that did not reschedule) was left out",
          "%1 review entries that were no answers (manual changes, or filtered decks' reviews that did not "
          "reschedule) were left out");
    if (parts.isEmpty())
        return {};
    return parts.join(QStringLiteral("; ")) + u'.';
}

} // namespace package
