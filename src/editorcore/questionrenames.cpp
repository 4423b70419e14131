#include "questionrenames.h"

#include "history.h"

#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <algorithm>

namespace qredit {

QVector<QuestionRename> renamePlan(const QVector<TrackedQuestion>& cards, const QString& temporaryPrefix) {
    QStringList order; // saved fronts in row order, so that the plan does not depend on hashing
    QHash<QString, QStringList> targets;
    QSet<QString> kept;
    for (const TrackedQuestion& c : cards) {
        if (c.saved == c.now) {
            kept.insert(c.saved);
            continue;
        }
        QStringList& to = targets[c.saved];
        if (to.isEmpty())
            order.append(c.saved);
        if (!to.contains(c.now))
            to.append(c.now);
    }
    QVector<QuestionRename> pending;
    for (const QString& from : order) {
        const QStringList& to = targets[from];
        if (!kept.contains(from) && to.size() == 1)
            pending.append({from, to.first()});
    }

    QVector<QuestionRename> plan;
    int temporaries = 0;
    while (!pending.isEmpty()) {
        QSet<QString> sources;
        for (const QuestionRename& r : pending)
            sources.insert(r.from);
        bool moved = false;
        for (qsizetype i = 0; i < pending.size();) {
            if (sources.contains(pending[i].to)) {
                ++i;
                continue;
            }
            sources.remove(pending[i].from);
            plan.append(pending.takeAt(i));
            moved = true;
        }
        if (moved)
            continue;
        // Every target is still the front of a card yet to move, so some of them form a cycle:
        // a card whose front another card wants steps aside (one that nobody wants would
        // free nothing).
        QSet<QString> wanted;
        for (const QuestionRename& p : pending)
            wanted.insert(p.to);
        QuestionRename& r = *std::find_if(pending.begin(), pending.end(),
                                          [&](const QuestionRename& p) { return wanted.contains(p.from); });
        const QString temporary = temporaryPrefix + QString::number(++temporaries);
        plan.append({r.from, temporary});
        r.from = temporary;
    }
    return plan;
}

namespace {

QString reason(history::OpenStatus status) {
    switch (status) {
    case history::OpenStatus::Corrupt:
        return QStringLiteral("it is damaged");
    case history::OpenStatus::Locked:
        return QStringLiteral("it is in use by another program");
    case history::OpenStatus::ReadOnly:
        return QStringLiteral("it is read-only");
    case history::OpenStatus::NewerVersion:
        return QStringLiteral("a newer version of the program wrote it");
    default:
        return QStringLiteral("it cannot be opened");
    }
}

QString problem(const QString& why) {
    return QStringLiteral("The review history did not follow the renamed fronts: %1.").arg(why);
}

} // namespace

RenameOutcome recordRenames(const QString& historyPath, const QString& chapterPath,
                            const QVector<TrackedQuestion>& cards) {
    RenameOutcome out;
    const bool renamed = std::any_of(cards.begin(), cards.end(), [](const auto& c) { return c.saved != c.now; });
    if (!renamed || historyPath.isEmpty() || !QFileInfo::exists(historyPath))
        return out;
    out.attempted = true;
    history::History h;
    const history::OpenResult opened = h.open(historyPath);
    if (!opened.ok()) {
        out.pending = true;
        out.problem = problem(reason(opened.status));
        return out;
    }
    auto holds = [&](const QString& question) { return !h.reviews(chapterPath, question).empty(); };

    // The temporary fronts must be ones no card of the chapter has a history under; with 64
    // random bits one is taken only by a card named so on purpose.
    const QString prefix =
        QStringLiteral("\u0001qredit %1 ").arg(QRandomGenerator::global()->generate64(), 16, 16, QChar(u'0'));
    const QVector<QuestionRename> plan = renamePlan(cards, prefix);
    const QString unwritten = problem(QStringLiteral("it could not be written"));
    if (std::any_of(plan.begin(), plan.end(),
                    [&](const QuestionRename& r) { return r.to.startsWith(prefix) && holds(r.to); })) {
        out.pending = true;
        out.problem = unwritten;
        return out;
    }

    // Each rename is a transaction of its own. When one fails, the renames before it that only
    // moved a log (no merge) are taken back, last first, so that a swap is never left halfway;
    // a merge cannot be taken back and ends that. The next save tries again: a rename already
    // made finds nothing left to move.
    struct Done {
        QuestionRename rename;
        bool merged;
    };
    QVector<Done> done;
    for (const QuestionRename& r : plan) {
        if (!holds(r.from))
            continue; // a card without a history: nothing to follow
        const bool merges = holds(r.to);
        if (h.renameQuestion(chapterPath, r.from, r.to)) {
            done.append({r, merges});
            continue;
        }
        for (auto it = done.crbegin(); it != done.crend(); ++it)
            if (it->merged || holds(it->rename.from) || !h.renameQuestion(chapterPath, it->rename.to, it->rename.from))
                break;
        out.pending = true;
        out.problem = unwritten;
        return out;
    }
    return out;
}

} // namespace qredit
