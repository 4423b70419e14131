#include "clstimer.h"

#include "messagelog.h"

#include <QLocale>
#include <chrono>

clsTimer::clsTimer(Counter counter, qint64 frequency) : m_counter(std::move(counter)), m_frequency(frequency) {
    if (!m_counter)
        m_counter = [] {
            return qint64(std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::steady_clock::now().time_since_epoch())
                              .count());
        };
}

void clsTimer::ResetTimer() { m_start = m_counter(); }
void clsTimer::StopTimer() { m_stop = m_counter(); }

double clsTimer::Elapsed() const { return double(m_stop - m_start) / double(m_frequency) * 1000.0; }

QString clsTimer::strElapsed(const QString& mask) const {
    if (!mask.contains(QStringLiteral("%t")))
        LogMessage(QStringLiteral(" .. warning: strElapsed couldn't find a '%t' in string mask/n"), 3);
    const double seconds = double(m_stop - m_start) / double(m_frequency);
    QLocale locale = QLocale::system();
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    QString out = mask;
    return out.replace(QStringLiteral("%t"), locale.toString(seconds, 'f', 7));
}
