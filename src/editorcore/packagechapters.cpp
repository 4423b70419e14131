#include "packagechapters.h"

#include "chapterfile.h"
#include "history.h"
#include "wordimport.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace qredit {

namespace {

struct Planned {
    QString path;
    QString title;
    QVector<CardRow> rows;
    QVector<history::ImportedCardLog> logs;
};

// The title cut, a letter at a time, until it fits the header of a chapter of these rows.
QString fittedTitle(QString title, const QVector<CardRow>& rows) {
    while (!title.isEmpty() && checkChapter(rows, title).titleTooLong) {
        title.chop(1);
        if (!title.isEmpty() && title.back().isHighSurrogate())
            title.chop(1);
        title = trimSpaces(title);
    }
    return title;
}

} // namespace

QString chapterFileName(const QString& title) {
    QString name;
    for (const QChar c : title)
        name.append(c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<' ||
                            c == u'>' || c == u'|' || c.unicode() < 0x20
                        ? QChar(u'_')
                        : c);
    name = name.trimmed();
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    if (name.isEmpty())
        name = QStringLiteral("Deck");
    // Room for the ending in a file name of 255 bytes.
    while (name.toUtf8().size() > 200)
        name.chop(1);
    return name + QStringLiteral(".qex");
}

PackageWriteResult writePackageChapters(const package::ImportResult& result, const QString& folder,
                                        const QString& historyPath) {
    PackageWriteResult out;
    if (!result.ok()) {
        out.error = result.error;
        return out;
    }
    const QFileInfo dir(folder);
    if (!dir.isDir()) {
        out.error = QStringLiteral("The folder '%1' does not exist.").arg(folder);
        return out;
    }
    QVector<Planned> plans;
    QSet<QString> names;
    for (const package::DeckChapter& deck : result.chapters) {
        Planned p;
        // Two decks whose names differ only where a file name can't hold a letter get numbers.
        QString file = chapterFileName(deck.title);
        for (int n = 2; names.contains(file.toLower()); ++n)
            file = chapterFileName(deck.title).chopped(4) + QStringLiteral(" (%1).qex").arg(n);
        names.insert(file.toLower());
        p.path = QDir(folder).filePath(file);
        if (QFileInfo::exists(p.path)) {
            out.error = QStringLiteral("'%1' exists already; nothing was written (choose another folder).").arg(p.path);
            return out;
        }
        // Cards that don't fit a record are left out, counted: first with the encoding that
        // every text together asks for, then once more as a whole.
        QVector<CardRow> all;
        all.reserve(deck.cards.size());
        for (const package::ImportedCard& c : deck.cards)
            all.append({trimSpaces(c.front), trimSpaces(c.back)});
        const TextEncoding encoding = chapterEncoding(all, deck.title);
        for (qsizetype i = 0; i < deck.cards.size(); ++i) {
            if (!cardFits(all[i].question, all[i].answer, encoding)) {
                ++out.tooLong;
                continue;
            }
            if (p.rows.size() >= kMaxCards) {
                ++out.overflow;
                continue;
            }
            p.rows.append(all[i]);
            if (!deck.cards[i].reviews.isEmpty())
                p.logs.append({all[i].question, deck.cards[i].reviews});
        }
        if (p.rows.isEmpty())
            continue;
        p.title = fittedTitle(deck.title, p.rows);
        for (ChapterFit fit = checkChapter(p.rows, p.title); !fit.fits(); fit = checkChapter(p.rows, p.title)) {
            if (fit.titleTooLong || fit.badRow < 0) {
                out.error = fit.reason;
                return out;
            }
            const QString question = p.rows[fit.badRow].question;
            p.rows.remove(fit.badRow);
            ++out.tooLong;
            p.logs.erase(std::remove_if(p.logs.begin(), p.logs.end(),
                                        [&](const history::ImportedCardLog& l) { return l.question == question; }),
                         p.logs.end());
        }
        plans.append(std::move(p));
    }
    if (plans.isEmpty()) {
        out.error = QStringLiteral("The decks chosen hold no card that a chapter can take; nothing was written.");
        return out;
    }
    for (const Planned& p : plans) {
        QString error;
        if (!saveChapter(p.path, p.rows, p.title, error)) {
            out.error = QStringLiteral("'%1' couldn't be saved: %2").arg(p.path, error);
            if (!out.written.isEmpty())
                out.error += QStringLiteral(" (the chapters before it were written)");
            return out;
        }
        out.written.append({p.path, p.title, int(p.rows.size())});
    }
    if (historyPath.isEmpty())
        return out;
    bool anyLog = false;
    for (const Planned& p : plans)
        anyLog = anyLog || !p.logs.isEmpty();
    if (!anyLog)
        return out;
    history::History h;
    if (const history::OpenResult opened = h.open(historyPath); !opened.ok()) {
        out.historyProblem = opened.message;
        return out;
    }
    for (const Planned& p : plans) {
        if (p.logs.isEmpty())
            continue;
        QStringList questions;
        for (const CardRow& r : p.rows)
            questions.append(r.question);
        qint64 added = 0;
        if (!h.importReviews({QFileInfo(p.path).absoluteFilePath(), p.title, questions}, p.logs,
                             QStringLiteral("import"), &added)) {
            out.historyProblem = h.lastError();
            return out;
        }
        out.reviewsAdded += added;
    }
    return out;
}

QString packageImportReport(const package::ImportResult& result, const PackageWriteResult& written) {
    qint64 cards = 0;
    for (const PackageChapterFile& f : written.written)
        cards += f.cards;
    QString text = QStringLiteral("%1 written with %2")
                       .arg(counted(written.written.size(), QStringLiteral("%1 chapter"), QStringLiteral("%1 chapters")),
                            counted(cards, QStringLiteral("%1 card"), QStringLiteral("%1 cards")));
    if (written.reviewsAdded > 0)
        text += QStringLiteral(" and %1 in the review history")
                    .arg(counted(written.reviewsAdded, QStringLiteral("%1 review"), QStringLiteral("%1 reviews")));
    text += u'.';
    QStringList left;
    if (const QString dropped = package::droppedMessage(result.counts); !dropped.isEmpty())
        left.append(dropped.chopped(1));
    if (written.tooLong > 0)
        left.append(QStringLiteral("%1 too long for a chapter's record %2 left out")
                        .arg(counted(written.tooLong, QStringLiteral("%1 card"), QStringLiteral("%1 cards")),
                             written.tooLong == 1 ? QStringLiteral("was") : QStringLiteral("were")));
    if (written.overflow > 0)
        left.append(QStringLiteral("%1 past the %2 a chapter holds %3 left out")
                        .arg(counted(written.overflow, QStringLiteral("%1 card"), QStringLiteral("%1 cards")))
                        .arg(kMaxCards)
                        .arg(written.overflow == 1 ? QStringLiteral("was") : QStringLiteral("were")));
    if (!left.isEmpty())
        text += u' ' + left.join(QStringLiteral("; ")) + u'.';
    if (!written.historyProblem.isEmpty())
        text += QStringLiteral("\nThe reviews were not kept: %1").arg(written.historyProblem);
    return text;
}

} // namespace qredit
