#include "limitvalidator.h"

namespace qredit {

LimitValidator::LimitValidator(std::function<bool(const QString&)> fits, std::function<void()> onReject,
                               QObject* parent)
    : QValidator(parent), m_fits(std::move(fits)), m_onReject(std::move(onReject)) {}

QValidator::State LimitValidator::validate(QString& input, int&) const {
    if (m_fits(input))
        return Acceptable;
    if (m_onReject)
        m_onReject();
    return Invalid;
}

} // namespace qredit
