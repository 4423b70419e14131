#include "chapteridentity.h"

#include <QCryptographicHash>
#include <QSet>
#include <algorithm>

namespace history {

QByteArray questionFingerprint(const QStringList& questions) {
    QStringList sorted = questions;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString& q : sorted) {
        hash.addData(q.toUtf8());
        hash.addData(QByteArrayView("\0", 1));
    }
    return hash.result().toHex();
}

std::optional<qint64> findMovedChapter(const Chapter& chapter, const QVector<KnownChapter>& known) {
    const QByteArray print = questionFingerprint(chapter.questions);
    for (const KnownChapter& k : known)
        if (!k.fileExists && k.fingerprint == print)
            return k.id;

    const QSet<QString> present(chapter.questions.cbegin(), chapter.questions.cend());
    std::optional<qint64> best;
    double bestShare = 0;
    bool tie = false;
    for (const KnownChapter& k : known) {
        if (k.fileExists || k.title != chapter.title || k.reviewedQuestions.isEmpty())
            continue;
        const auto shared = std::count_if(k.reviewedQuestions.cbegin(), k.reviewedQuestions.cend(),
                                          [&](const QString& q) { return present.contains(q); });
        const double share = double(shared) / double(k.reviewedQuestions.size());
        if (share <= 0.5)
            continue;
        if (share > bestShare) {
            best = k.id;
            bestShare = share;
            tie = false;
        } else if (share == bestShare) {
            tie = true;
        }
    }
    return tie ? std::nullopt : best;
}

} // namespace history
