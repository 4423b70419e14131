#include "languagesdialog.h"

#include "chapterlanguages.h"
#include "duereview.h"
#include "frmchapter.h"
#include "languageguess.h"
#include "prompter.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

std::function<QStringList()>& voiceLanguages() {
    static std::function<QStringList()> f;
    return f;
}

QString LanguagesDialog::languageCaption(const QString& code) {
    const QLocale::Language l = QLocale::codeToLanguage(code);
    if (l == QLocale::AnyLanguage || l == QLocale::C)
        return code;
    return QStringLiteral("%1 (%2)").arg(QLocale::languageToString(l), code);
}

LanguagesDialog::LanguagesDialog(const QString& path, const QString& title, QWidget* parent)
    : QDialog(parent), m_path(path), m_title(title) {
    setObjectName(QStringLiteral("frmLanguages"));
    setWindowTitle(QStringLiteral("Languages of %1").arg(title));
    const std::optional<review::ChapterCards> cards = review::readChapterCards({path, title});
    m_ok = cards.has_value();
    if (cards)
        m_questions = cards->chapter.questions;
    const QLocale fallback = QLocale::system();
    const QString guessedFront = speech::guessLanguage(m_questions, fallback);
    const QString guessedBack = speech::guessLanguage(cards ? cards->answers : QStringList(), fallback);
    const auto stored = m_ok ? review::storedChapterLanguages({path, title, m_questions}) : std::nullopt;
    QStringList codes = voiceLanguages() ? voiceLanguages()() : QStringList();
    std::sort(codes.begin(), codes.end(),
              [](const QString& a, const QString& b) { return languageCaption(a) < languageCaption(b); });

    auto* intro = new QLabel(QStringLiteral("The languages the cards of \"%1\" are read aloud in.").arg(title));
    intro->setObjectName(QStringLiteral("Label1"));
    intro->setWordWrap(true);
    m_front = new QComboBox;
    m_front->setObjectName(QStringLiteral("Combo1"));
    m_back = new QComboBox;
    m_back->setObjectName(QStringLiteral("Combo2"));
    fill(m_front, guessedFront, stored ? stored->first : QString(), codes);
    fill(m_back, guessedBack, stored ? stored->second : QString(), codes);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Front:"), m_front);
    form->addRow(QStringLiteral("&Back:"), m_back);
    m_front->setAccessibleName(QStringLiteral("Front language"));
    m_back->setAccessibleName(QStringLiteral("Back language"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &LanguagesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* root = new QVBoxLayout(this);
    root->addWidget(intro);
    root->addLayout(form);
    if (codes.isEmpty()) {
        auto* none = new QLabel(QStringLiteral("No voices were found; qr2 --voices lists what the speech engine has."));
        none->setObjectName(QStringLiteral("Label2"));
        none->setWordWrap(true);
        root->addWidget(none);
    }
    root->addWidget(buttons);
}

void LanguagesDialog::fill(QComboBox* combo, const QString& guessed, const QString& chosen, const QStringList& codes) {
    combo->addItem(QStringLiteral("Guess from the cards: %1").arg(languageCaption(guessed)), QString());
    QStringList all = codes;
    // A language chosen before stays on the list even when its voice has gone.
    if (!chosen.isEmpty() && !all.contains(chosen))
        all.prepend(chosen);
    for (const QString& code : all)
        combo->addItem(languageCaption(code), code);
    combo->setCurrentIndex(std::max(0, combo->findData(chosen)));
}

void LanguagesDialog::accept() {
    const QString front = m_front->currentData().toString();
    const QString back = m_back->currentData().toString();
    QString error;
    if (!review::storeChapterLanguages({m_path, m_title, m_questions}, front, back, &error)) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Languages"),
                       QStringLiteral("The languages could not be kept:\n%1").arg(error));
        return;
    }
    QDialog::accept();
}

void addLanguagesCommand(frmChapter* window, QToolBar* toolbar) {
    auto* a = new QAction(QStringLiteral("Languages..."), toolbar);
    a->setObjectName(QStringLiteral("lang"));
    const QKeySequence key(Qt::CTRL | Qt::Key_G);
    a->setToolTip(QStringLiteral("Languages (%1): the front and back language the selected chapter is read aloud in")
                      .arg(key.toString(QKeySequence::NativeText)));
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    QAction* about = nullptr;
    for (QAction* each : toolbar->actions())
        if (each->objectName() == QLatin1String("about"))
            about = each;
    toolbar->insertAction(about, a);
    if (QWidget* w = toolbar->widgetForAction(a))
        w->setFocusPolicy(Qt::TabFocus);
    QObject::connect(a, &QAction::triggered, window, [window] { chooseChapterLanguages(window); });
}

void chooseChapterLanguages(frmChapter* window) {
    QTreeWidgetItem* item = window->LV1()->currentItem();
    if (!item && !window->LV1()->selectedItems().isEmpty())
        item = window->LV1()->selectedItems().first();
    if (!item) {
        prompter().ask(MsgIcon::Information, MsgButtons::Ok, QStringLiteral("Languages"),
                       QStringLiteral("Select a chapter first."));
        return;
    }
    const QString path = item->data(0, Qt::UserRole).toString();
    LanguagesDialog dialog(path, item->text(0), window);
    if (!dialog.ok()) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Languages"),
                       QStringLiteral("The cards of \"%1\" could not be read:\n%2").arg(item->text(0), path));
        return;
    }
    dialog.exec();
}
