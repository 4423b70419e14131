#include "wordimport.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace qredit {

QString cardProblem(const QString& question, const QString& answer, TextEncoding encoding) {
    if (question.isEmpty())
        return QStringLiteral("the front is empty");
    if (!cardFits(question, answer, encoding))
        return QStringLiteral("the card takes %1 bytes%2; front and back together hold at most %3")
            .arg(cardLength(question, answer, encoding))
            .arg(encoding == TextEncoding::Utf8 ? QStringLiteral(" in UTF-8") : QString())
            .arg(kMaxCardLength);
    return {};
}

namespace {
struct Candidate {
    qint64 line;
    QString question;
    QString answer;
};

// The rows by Add Item's rules, without looking at byte limits.
ImportPlan place(const QVector<CardRow>& existing, int insertAt, const QVector<Candidate>& rows) {
    ImportPlan plan;
    plan.insertAt = insertAt < 0 || insertAt > existing.size() ? int(existing.size()) : insertAt;
    const qsizetype room = std::max<qsizetype>(0, kMaxCards - existing.size());
    QHash<QString, int> inList;
    inList.reserve(existing.size());
    for (int i = int(existing.size()) - 1; i >= 0; --i)
        inList.insert(existing[i].question, i); // the first row with a question is the one Add Item finds
    QHash<QString, qsizetype> inBlock;
    QSet<QString> leftOut; // counted once however often they come
    QHash<int, qsizetype> answerAt;
    for (const Candidate& c : rows) {
        if (const auto it = inList.constFind(c.question); it != inList.constEnd()) {
            if (const auto at = answerAt.constFind(*it); at != answerAt.constEnd()) {
                plan.answers[*at].second = c.answer;
            } else {
                answerAt.insert(*it, plan.answers.size());
                plan.answers.append({*it, c.answer});
            }
        } else if (const auto at = inBlock.constFind(c.question); at != inBlock.constEnd()) {
            plan.inserted[*at].answer = c.answer;
        } else if (plan.inserted.size() >= room) {
            if (!leftOut.contains(c.question)) {
                leftOut.insert(c.question);
                ++plan.overflow;
            }
        } else {
            inBlock.insert(c.question, plan.inserted.size());
            plan.inserted.append(CardRow{c.question, c.answer});
        }
    }
    return plan;
}
} // namespace

ImportPlan planImport(const QVector<CardRow>& existing, int insertAt, const wordlist::WordTable& table,
                      const QString& title) {
    QVector<ImportProblem> problems;
    QVector<Candidate> rows;
    rows.reserve(table.rows.size());
    QVector<CardRow> asCards;
    for (const wordlist::WordRow& r : table.rows) {
        Candidate c{r.line, trimSpaces(r.front), trimSpaces(r.back)};
        // An empty back is a card (its answer is empty, as the editor saves it); an empty front is not.
        if (c.question.isEmpty() || r.tooLong) {
            problems.append({r.line, r.tooLong ? QStringLiteral("a text is longer than a card holds")
                                               : cardProblem(c.question, c.answer, TextEncoding::Windows1252)});
            continue;
        }
        rows.append(c);
        asCards.append(CardRow{c.question, c.answer});
    }
    // One text outside Windows-1252 makes the whole chapter UTF-8: every card is measured in
    // the encoding the chapter will be saved in.
    const TextEncoding before = chapterEncoding(existing, title);
    const TextEncoding after = chapterEncoding(existing, title, asCards);
    QVector<Candidate> fitting;
    fitting.reserve(rows.size());
    for (const Candidate& c : rows) {
        if (cardFits(c.question, c.answer, after))
            fitting.append(c);
        else
            problems.append({c.line, cardProblem(c.question, c.answer, after)});
    }
    ImportPlan plan = place(existing, insertAt, fitting);
    // A chapter that becomes UTF-8 can make a card or the title of the list stop fitting;
    // then the rows that need UTF-8 stay out and the list keeps its encoding.
    if (after != before) {
        const ChapterFit fit = checkChapterEdit(applyPlan(existing, plan), title, {}, before, -1, false);
        if (!fit.fits()) {
            QVector<Candidate> plain;
            for (const Candidate& c : fitting) {
                if (FileText::fitsWindows1252(c.question) && FileText::fitsWindows1252(c.answer))
                    plain.append(c);
                else
                    problems.append({c.line, QStringLiteral("it needs UTF-8, and in UTF-8 %1").arg(fit.reason)});
            }
            plan = place(existing, insertAt, plain);
        }
    }
    if (table.rowsNotRead > 0)
        problems.append({table.firstLineNotRead,
                         (table.rowsNotRead == 1
                              ? QStringLiteral("this row was not read")
                              : QStringLiteral("this row and %1 after it were not read").arg(table.rowsNotRead - 1)) +
                             QStringLiteral(" (too many rows repeat a front)")});
    std::sort(problems.begin(), problems.end(),
              [](const ImportProblem& a, const ImportProblem& b) { return a.line < b.line; });
    plan.problems = std::move(problems);
    // The reader left out the rows of fronts past the limit, each front counted once.
    plan.overflow += table.frontsLeftOut;
    plan.emptyBacks = emptyBacks(plan);
    return plan;
}

qint64 emptyBacks(const ImportPlan& plan) {
    qint64 n = 0;
    for (const CardRow& r : plan.inserted)
        n += r.answer.isEmpty();
    for (const auto& a : plan.answers)
        n += a.second.isEmpty();
    return n;
}

void limitPlan(ImportPlan& plan, qint64 limit) {
    if (limit < 0 || plan.inserted.size() <= limit)
        return;
    plan.overflow += plan.inserted.size() - limit;
    plan.inserted.resize(limit);
    plan.emptyBacks = emptyBacks(plan);
}

QString emptyBacksText(const ImportPlan& plan) {
    return plan.emptyBacks == 0 ? QString()
                                : QStringLiteral(", %1 with an empty back").arg(plan.emptyBacks);
}

QVector<CardRow> applyPlan(QVector<CardRow> rows, const ImportPlan& plan) {
    for (const auto& [row, answer] : plan.answers)
        rows[row].answer = answer;
    rows.insert(plan.insertAt, plan.inserted.size(), CardRow{});
    std::copy(plan.inserted.begin(), plan.inserted.end(), rows.begin() + plan.insertAt);
    return rows;
}

QString counted(qint64 n, const QString& one, const QString& many) {
    return (n == 1 ? one : many).arg(n);
}

QString importDoneText(const ImportPlan& plan, const QString& name) {
    const qint64 n = plan.inserted.size();
    const QString cards = counted(n, QStringLiteral("%1 card"), QStringLiteral("%1 cards"));
    const QString replaced =
        plan.answers.isEmpty()
            ? QString()
            : counted(plan.answers.size(), QStringLiteral(", %1 answer replaced"), QStringLiteral(", %1 answers replaced"));
    return name.isEmpty() ? QStringLiteral("%1 pasted%2%3").arg(cards, replaced, emptyBacksText(plan))
                          : QStringLiteral("%1 imported from '%2'%3%4").arg(cards, name, replaced, emptyBacksText(plan));
}

QString tooManyCardsQuestion(const ImportPlan& plan, const QString& subject, qint64 room) {
    return QStringLiteral("%1 holds %2, but this chapter has room for only %3 more (a chapter holds at most %4). "
                          "Import the first %3 and leave the rest out?\n\nNo imports nothing.")
        .arg(subject)
        .arg(counted(plan.inserted.size() + plan.overflow, QStringLiteral("%1 new card"),
                     QStringLiteral("%1 new cards")))
        .arg(room)
        .arg(kMaxCards);
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
