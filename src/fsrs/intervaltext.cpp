#include "intervaltext.h"

#include <cmath>

namespace fsrs {

QString intervalText(qint64 ms) {
    const double minutes = ms / 60000.0;
    const double m = std::round(minutes);
    if (m < 60)
        return QStringLiteral("%1 min").arg(qMax(1.0, m));
    const double h = std::round(minutes / 60);
    if (h < 24)
        return QStringLiteral("%1 h").arg(h);
    const double days = minutes / (24 * 60);
    const double d = std::round(days);
    if (d < 30)
        return QStringLiteral("%1 d").arg(d);
    const double months = std::round(days * 12 / 365 * 10) / 10;
    if (months < 12)
        return QStringLiteral("%1 mo").arg(months, 0, 'f', 1);
    return QStringLiteral("%1 y").arg(std::round(days / 365 * 10) / 10, 0, 'f', 1);
}

} // namespace fsrs
