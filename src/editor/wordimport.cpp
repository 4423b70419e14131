#include "wordimport.h"

#include <QHash>

namespace qredit {

QString cardProblem(const QString& question, const QString& answer) {
    if (question.isEmpty())
        return QStringLiteral("the front is empty");
    if (answer.isEmpty())
        return QStringLiteral("the back is empty");
    if (!cardFits(question, answer))
        return QStringLiteral("the card is longer than %1 characters (front and back together, %2)")
            .arg(kMaxCardLength)
            .arg(cardLength(question, answer));
    return {};
}

ImportPlan planImport(const QVector<CardRow>& existing, int insertAt, const wordlist::WordTable& table) {
    ImportPlan plan;
    plan.insertAt = insertAt < 0 || insertAt > existing.size() ? int(existing.size()) : insertAt;
    const qsizetype room = std::max<qsizetype>(0, kMaxCards - existing.size());
    QHash<QString, int> inList;
    inList.reserve(existing.size());
    for (int i = int(existing.size()) - 1; i >= 0; --i)
        inList.insert(existing[i].question, i); // the first row with a question is the one Add Item finds
    QHash<QString, qsizetype> inBlock;
    QHash<int, qsizetype> answerAt;
    for (const wordlist::WordRow& r : table.rows) {
        const QString q = trimSpaces(r.front);
        const QString a = trimSpaces(r.back);
        const QString problem = r.tooLong ? QStringLiteral("a text is longer than a card holds") : cardProblem(q, a);
        if (!problem.isEmpty()) {
            plan.problems.append({r.line, problem});
            continue;
        }
        if (const auto it = inList.constFind(q); it != inList.constEnd()) {
            if (const auto at = answerAt.constFind(*it); at != answerAt.constEnd())
                plan.answers[*at].second = a;
            else {
                answerAt.insert(*it, plan.answers.size());
                plan.answers.append({*it, a});
            }
            continue;
        }
        if (const auto it = inBlock.constFind(q); it != inBlock.constEnd()) {
            plan.inserted[*it].answer = a;
            continue;
        }
        if (plan.inserted.size() >= room) {
            ++plan.overflow;
            continue;
        }
        inBlock.insert(q, plan.inserted.size());
        plan.inserted.append(CardRow{q, a});
    }
    plan.overflow += table.dataRows - table.rows.size();
    return plan;
}

QVector<CardRow> applyPlan(QVector<CardRow> rows, const ImportPlan& plan) {
    for (const auto& [row, answer] : plan.answers)
        rows[row].answer = answer;
    rows.insert(plan.insertAt, plan.inserted.size(), CardRow{});
    std::copy(plan.inserted.begin(), plan.inserted.end(), rows.begin() + plan.insertAt);
    return rows;
}

QString problemReport(const QVector<ImportProblem>& problems, int shown) {
    QStringList lines;
    for (qsizetype i = 0; i < problems.size() && i < shown; ++i)
        lines << QStringLiteral("line %1: %2").arg(problems[i].line).arg(problems[i].reason);
    if (problems.size() > shown)
        lines << QStringLiteral("... and %1 more").arg(problems.size() - shown);
    return lines.join(u'\n');
}

} // namespace qredit
