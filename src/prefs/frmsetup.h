#pragma once
// The one-page wizard of the first run: whether new cards start as trouble cards and
// whether hover descriptions are shown. Its way out is Finished, which stores both answers in
// the master database; a close box, where one is shown, finishes as well.
#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class frmSetup : public QDialog {
    Q_OBJECT
public:
    explicit frmSetup(QWidget* parent = nullptr);

    void Command1Click(); // Finished

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;

public slots:
    // Escape and the like: there is no way back and no Cancel.
    void reject() override {}

private:
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QGroupBox* m_frame = nullptr;
    QLabel* m_label3 = nullptr;
    QRadioButton* m_option1 = nullptr;
    QLabel* m_label4 = nullptr;
    QRadioButton* m_option2 = nullptr;
    QCheckBox* m_check1 = nullptr;
    QPushButton* m_command1 = nullptr;
};

// Loads the wizard, puts it on top, shows it modally (owned by `owner` when given) and
// releases it once Finished has stored the answers.
void RunSetupWizard(QWidget* owner);
