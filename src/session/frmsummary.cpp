#include "frmsummary.h"

#include "windowroles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

frmSummary::frmSummary(QWidget* owner, const RoundFigures& figures, bool drill, bool anyTrouble)
    : QWidget(owner, Qt::Dialog) {
    setObjectName(QStringLiteral("frmSummary"));
    installWindowRoles();
    setWindowTitle(QStringLiteral("Round Summary"));
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);

    m_heading = new QLabel(QStringLiteral("You have been through every card of this round."), this);
    m_heading->setObjectName(QStringLiteral("Label1"));
    m_figures = new QLabel(lines(figures, drill).join(QLatin1Char('\n')), this);
    m_figures->setObjectName(QStringLiteral("Label2"));
    m_figures->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);

    m_drill = new QPushButton(QStringLiteral("Drill the trouble cards"), this);
    m_drill->setObjectName(QStringLiteral("Command1"));
    m_drill->setEnabled(anyTrouble);
    m_shuffle = new QPushButton(QStringLiteral("Shuffle and go again"), this);
    m_shuffle->setObjectName(QStringLiteral("Command2"));
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("Command3"));
    m_close->setDefault(true);
    connect(m_drill, &QPushButton::clicked, this, [this] { finish(onDrillTrouble); });
    connect(m_shuffle, &QPushButton::clicked, this, [this] { finish(onShuffle); });
    connect(m_close, &QPushButton::clicked, this, [this] { finish({}); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_drill);
    buttons->addWidget(m_shuffle);
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    auto* root = new QVBoxLayout(this);
    root->addWidget(m_heading);
    root->addSpacing(6);
    root->addWidget(m_figures);
    root->addSpacing(10);
    root->addLayout(buttons);
    setFocusProxy(m_close);
}

void frmSummary::setReviewLines(const QStringList& lines) {
    setWindowTitle(QStringLiteral("Review Summary"));
    m_heading->setText(QStringLiteral("You have reviewed every card that was due."));
    m_figures->setText(m_figures->text() + QLatin1Char('\n') + lines.join(QLatin1Char('\n')));
}

void frmSummary::keyPressEvent(QKeyEvent* e) {
    // Escape closes the window, as Close does.
    if (e->key() == Qt::Key_Escape && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        finish({});
        return;
    }
    QWidget::keyPressEvent(e);
}

QStringList frmSummary::lines(const RoundFigures& f, bool drill) {
    QStringList out{QStringLiteral("Cards seen: %1").arg(f.seen), QStringLiteral("Cards turned: %1").arg(f.turned),
                    QStringLiteral("Marked as trouble: %1").arg(f.markedTrouble)};
    if (drill) {
        out << QStringLiteral("Right: %1").arg(f.right) << QStringLiteral("Almost: %1").arg(f.almost)
            << QStringLiteral("Wrong: %1").arg(f.wrong);
    }
    out << QStringLiteral("Time: ") + durationText(f.elapsedMs);
    return out;
}

QString frmSummary::durationText(qint64 ms) {
    const qint64 s = std::max<qint64>(ms, 0) / 1000;
    auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    if (s < 3600)
        return QString::number(s / 60) + QLatin1Char(':') + two(s % 60);
    return QString::number(s / 3600) + QLatin1Char(':') + two(s / 60 % 60) + QLatin1Char(':') + two(s % 60);
}

void frmSummary::finish(const std::function<void()>& then) {
    close();
    if (then)
        then();
}
