#include "frmsetup.h"

#include "appstate.h"
#include "ivordalite.h"
#include "messagelog.h"
#include "modmain.h"
#include "settingsoccasion.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

frmSetup::frmSetup(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Quarnel 2007 Initial Setup"));
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSize(9);
    setFont(f);

    m_label1 = new QLabel(QStringLiteral("Welcome to Quarnel 2007"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    QFont heading(QStringLiteral("Times New Roman"));
    heading.setPointSize(16);
    m_label1->setFont(heading);
    m_label2 = new QLabel(QStringLiteral("This wizard will help you customize the program to your preferences."), this);
    m_label2->setObjectName(QStringLiteral("Label2"));

    m_frame = new QGroupBox(
        QStringLiteral("Automatic Trouble Marking - You can modify these settings later in the options box."), this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    m_label3 = new QLabel(
        QStringLiteral("Select this option if you normally don't get the answers right on the first try."), m_frame);
    m_label3->setObjectName(QStringLiteral("Label3"));
    m_option1 = new QRadioButton(QStringLiteral("I want the cards to be marked as trouble cards by default"), m_frame);
    m_option1->setObjectName(QStringLiteral("Option1"));
    m_label4 = new QLabel(
        QStringLiteral("Select this option if you normally get the answers right on the first try."), m_frame);
    m_label4->setObjectName(QStringLiteral("Label4"));
    m_option2 = new QRadioButton(QStringLiteral("I do NOT want the cards to be marked as trouble by default"), m_frame);
    m_option2->setObjectName(QStringLiteral("Option2"));
    for (QRadioButton* o : {m_option1, m_option2}) {
        QFont bold = o->font();
        bold.setBold(true);
        o->setFont(bold);
    }
    auto* fl = new QVBoxLayout(m_frame);
    fl->addWidget(m_label3);
    fl->addWidget(m_option1);
    fl->addSpacing(8);
    fl->addWidget(m_label4);
    fl->addWidget(m_option2);

    m_check1 = new QCheckBox(QStringLiteral("Show mouse hover descriptions"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_check1->setChecked(true);
    m_command1 = new QPushButton(QStringLiteral("Finished"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setEnabled(false);
    // Return on the focused button finishes, as Space does.
    m_command1->setAutoDefault(true);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_check1);
    bottom->addStretch(1);
    bottom->addWidget(m_command1);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(16, 12, 16, 12);
    root->addWidget(m_label1);
    root->addWidget(m_label2);
    root->addSpacing(10);
    root->addWidget(m_frame);
    root->addSpacing(6);
    root->addLayout(bottom);
    root->setSizeConstraint(QLayout::SetFixedSize);

    // Loading: no Close command, neither option chosen.
    RemoveCloseCommand(this);
    // Where a window manager shows a close box all the same (or Alt+F4 asks), closing
    // finishes with what is chosen: with neither option, cards start without a trouble mark.
    installEventFilter(this);
    m_option1->setChecked(false);
    m_option2->setChecked(false);
    // Either choice enables Finished, however it was made: by the mouse, by a key, or by a
    // screen reader's toggle action, which checks the button without a click.
    for (QRadioButton* option : {m_option1, m_option2})
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                m_command1->setEnabled(true);
        });
    connect(m_command1, &QPushButton::clicked, this, [this] { Command1Click(); });
}

void frmSetup::Command1Click() {
    if (ivordalite* m = app().master.get()) {
        SettingsOccasion::add(*m, QStringLiteral("trouble_by_default"), QString(), m_option1->isChecked() ? -1 : 0,
                              QString());
        SettingsOccasion::add(*m, QStringLiteral("show_mouse_hover"), QString(), m_check1->isChecked() ? -1 : 0,
                              QString());
    }
    accept();
}

bool frmSetup::eventFilter(QObject* obj, QEvent* e) {
    if (obj == this && e->type() == QEvent::Close) {
        e->ignore();
        if (isVisible())
            Command1Click();
        return true;
    }
    return QDialog::eventFilter(obj, e);
}

void RunSetupWizard(QWidget* owner) {
    auto* w = new frmSetup(owner);
    MakeTopmost(w);
    w->exec();
    delete w;
}
