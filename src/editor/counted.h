#pragma once
// A count and its noun, singular for one: "1 card", "2 cards", "0 bytes".
#include <QString>

namespace qredit {

inline QString counted(qint64 n, const QString& one, const QString& many) {
    return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? one : many);
}

} // namespace qredit
