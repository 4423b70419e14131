#pragma once
// A validator that refuses an edit which would make a text too long for its record in the
// chapter file. The field then keeps its old text and `onReject` can say why.
#include <QValidator>
#include <functional>

namespace qredit {

class LimitValidator : public QValidator {
    Q_OBJECT
public:
    LimitValidator(std::function<bool(const QString&)> fits, std::function<void()> onReject, QObject* parent);
    State validate(QString& input, int& pos) const override;

private:
    std::function<bool(const QString&)> m_fits;
    std::function<void()> m_onReject;
};

} // namespace qredit
