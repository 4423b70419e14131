#include "frmchapter.h"

#include "appstate.h"
#include "cardmanager.h"
#include "deck.h"
#include "duereview.h"
#include "programhistory.h"
#include "filetext.h"
#include "frmmain.h"
#include "frmprogress.h"
#include "gcommondialog.h"
#include "ivordalite.h"
#include "languagesdialog.h"
#include "messagelog.h"
#include "modmain.h"
#include "prompter.h"
#include "qexcheck.h"
#include "regularfile.h"
#include "settingsoccasion.h"
#include "shell.h"
#include "statswindow.h"
#include "themestep.h"
#include "windowroles.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
QPointer<frmChapter>& instance() {
    static QPointer<frmChapter> w;
    return w;
}
QWidget* splash() { return app().hooks.splashWindow ? app().hooks.splashWindow() : nullptr; }
QString fileNameOf(const QString& path) { return path.section(QLatin1Char('/'), -1); }
constexpr int kPathRole = Qt::UserRole;

QVector<review::ChapterFile> listedChapters(const QTreeWidget* list) {
    QVector<review::ChapterFile> files;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        files.append({list->topLevelItem(i)->data(0, kPathRole).toString(), list->topLevelItem(i)->text(0)});
    return files;
}

// The window shows no close box where the window manager honours the hint; where it shows one
// all the same (or Alt+F4 asks), closing does what `action` does, instead of nothing.
class CloseAsCommand : public QObject {
public:
    CloseAsCommand(QWidget* window, std::function<void()> action) : QObject(window), m_action(std::move(action)) {
        window->installEventFilter(this);
    }
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (e->type() != QEvent::Close || obj->property("quarnelUnloaded").toBool())
            return QObject::eventFilter(obj, e);
        e->ignore();
        m_action();
        return true;
    }

private:
    std::function<void()> m_action;
};
} // namespace

ChapterCommands& chapterCommands() {
    static ChapterCommands c;
    return c;
}

frmChapter* chapterWindow() {
    if (instance() && instance()->property("quarnelUnloaded").toBool())
        return nullptr;
    return instance().data();
}

frmChapter* showChapterWindow() {
    // A window that was unloaded may still wait for its deletion: it is not the loaded one.
    if (instance() && instance()->property("quarnelUnloaded").toBool())
        instance() = nullptr;
    if (!instance())
        instance() = new frmChapter;
    RestoreWindowPosition(instance());
    instance()->show();
    return instance();
}

frmChapter::frmChapter() {
    setObjectName(QStringLiteral("frmChapter"));
    installWindowRoles();
    setWindowTitle(QStringLiteral("Select the Chapter or Data File"));
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSize(9);
    setFont(f);
    resize(460, 380);

    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar2"));
    m_toolbar->setAccessibleName(QStringLiteral("Chapter commands"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const QPair<QString, QString> buttons[] = {{QStringLiteral("sall"), QStringLiteral("Import")},
                                               {QStringLiteral("del"), QStringLiteral("Delete")},
                                               {QStringLiteral("lsaved"), QStringLiteral("Load Saved")},
                                               {QStringLiteral("history"), QStringLiteral("Export History")},
                                               {QStringLiteral("stats"), QStringLiteral("Statistics")},
                                               {QStringLiteral("about"), QStringLiteral("About")}};
    // Every button has a key, shown in its tooltip; Tab reaches the buttons too.
    const QKeySequence keys[] = {QKeySequence(Qt::CTRL | Qt::Key_I), QKeySequence(Qt::Key_Delete),
                                 QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::CTRL | Qt::Key_E),
                                 QKeySequence(Qt::CTRL | Qt::Key_T), QKeySequence(Qt::Key_F1)};
    for (int i = 0; i < int(std::size(buttons)); ++i) {
        const auto& [key, text] = buttons[i];
        QAction* a = m_toolbar->addAction(text);
        a->setObjectName(key);
        a->setToolTip(text + QStringLiteral(" (") + keys[i].toString(QKeySequence::NativeText) + QLatin1Char(')'));
        connect(a, &QAction::triggered, this, [this, key = key] { toolbarClick(key); });
        if (QWidget* w = m_toolbar->widgetForAction(a))
            w->setFocusPolicy(Qt::TabFocus);
        // Delete acts on the list only, where the key means the selected row.
        if (key == QLatin1String("del"))
            continue;
        a->setShortcut(keys[i]);
        a->setShortcutContext(Qt::WindowShortcut);
    }

    addLanguagesCommand(this, m_toolbar);

    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("ts"));
    m_tabs->addTab(QStringLiteral("Built-in"));
    m_tabs->addTab(QStringLiteral("User Defined"));
    connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int i) { tabClicked(i); });
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int i) { tabClicked(i); });

    for (int i = 0; i < 2; ++i) {
        m_pages[i] = new QWidget(this);
        m_pages[i]->setObjectName(QStringLiteral("Picture1_%1").arg(i));
    }
    m_list = new QTreeWidget(m_pages[0]);
    m_list->setObjectName(QStringLiteral("LV1"));
    m_list->setAccessibleName(QStringLiteral("Chapters"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("Title"), QStringLiteral("Word Count")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->resizeSection(1, 100);
    connect(m_list, &QTreeWidget::itemClicked, this, [this] { itemClicked(); });
    auto* deleteKey = new QShortcut(QKeySequence(Qt::Key_Delete), m_list, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, [this] { toolbarClick(QStringLiteral("del")); });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] { itemClicked(); });
    // Return on a row loads the selected chapters, as OK does.
    for (const QKeySequence key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* okKey = new QShortcut(key, m_list, nullptr, nullptr, Qt::WidgetShortcut);
        connect(okKey, &QShortcut::activated, this, [this] {
            if (m_ok->isEnabled())
                m_ok->click();
        });
    }
    auto* l0 = new QVBoxLayout(m_pages[0]);
    l0->setContentsMargins(0, 0, 0, 0);
    l0->addWidget(m_list);
    m_label1 = new QLabel(QStringLiteral("User Defined data files not yet implemented!"), m_pages[1]);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setAlignment(Qt::AlignCenter);
    auto* l1 = new QVBoxLayout(m_pages[1]);
    l1->addWidget(m_label1);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("Command1"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Command2"));
    m_editor = new QPushButton(QStringLiteral("Editor .."), this);
    m_editor->setObjectName(QStringLiteral("Command5"));
    m_review = new QPushButton(QStringLiteral("Review &Due"), this);
    m_review->setObjectName(QStringLiteral("CommandReview"));
    m_review->setToolTip(QStringLiteral("Study the cards of every listed chapter that are due today, then the day's "
                                        "new cards (Alt+D)"));
    m_review->setEnabled(false);
    connect(m_review, &QPushButton::clicked, this, [this] { reviewClicked(); });
    // Return presses the button that has the focus, as Space does.
    for (QPushButton* b : {m_ok, m_cancel, m_editor, m_review})
        b->setAutoDefault(true);
    connect(m_ok, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { cancelClicked(); });
    connect(m_editor, &QPushButton::clicked, this, [this] { editorClicked(); });

    auto* pages = new QVBoxLayout;
    pages->setSpacing(0);
    pages->addWidget(m_tabs);
    pages->addWidget(m_pages[0], 1);
    pages->addWidget(m_pages[1], 1);
    auto* buttonsRow = new QHBoxLayout;
    buttonsRow->addWidget(m_editor);
    buttonsRow->addStretch(1);
    buttonsRow->addWidget(m_review);
    buttonsRow->addWidget(m_ok);
    buttonsRow->addWidget(m_cancel);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(m_toolbar);
    lay->addLayout(pages, 1);
    lay->addLayout(buttonsRow);

    // Loading, in order.
    LogMessage(QStringLiteral(" .. loading chapter selection form/n"));
    MakeNotTopmost(splash());
    RemoveCloseCommand(this);
    new CloseAsCommand(this, [this] {
        if (m_cancel->isEnabled() && isVisible())
            m_cancel->click();
    });
    tabClicked(0);
    const QString editor = programFolder() + QStringLiteral("/qredit");
    m_editorPresent = FileExists(editor);
    LogMessage(m_editorPresent ? QStringLiteral("db editor seems to be present./n")
                               : QStringLiteral("db editor seems to not be present./n"));
    FillFileList();
    m_ok->setEnabled(false);
    // Counting reads every listed chapter and the history: once the window is up.
    QTimer::singleShot(0, this, [this] { refreshDueCount(); });
    MakeTopmost(splash());
    LogMessage(QStringLiteral(" .. chapter selection form is loaded/n"));
}

frmProgress* frmChapter::progressWindow() const { return qobject_cast<frmProgress*>(m_progress); }

void frmChapter::setControlsEnabled(bool on) {
    m_controlsEnabled = on;
    m_review->setEnabled(on && m_dueCount > 0);
    m_editor->setEnabled(on);
    m_cancel->setEnabled(on);
    m_list->setEnabled(on);
    m_toolbar->setEnabled(on);
}

void frmChapter::addRow(const QString& text, int count, const QString& path) {
    auto* item = new QTreeWidgetItem(m_list, {text, QString::number(count)});
    item->setData(0, kPathRole, path);
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
}

void frmChapter::FillFileList() {
    ivordalite* master = app().master.get();
    if (!master) {
        prompter().ask(MsgIcon::None, MsgButtons::Ok, QString(),
                       QStringLiteral("The file list couldn't be loaded because the DB master isn't loaded"));
        return;
    }
    // A store holds at most 32767 entries, so no list can be longer.
    const qint32 count = std::min<qint32>(master->getlong(QStringLiteral("flist_count"), 0), 32767);
    if (count <= 0)
        return;
    for (qint32 i = 0; i <= count; ++i) {
        const QString path = master->getstring(QStringLiteral("flist_name_") + QString::number(i), QString());
        if (path.isEmpty() || !ivordalite::fe(path))
            continue;
        ivordalite store;
        if (!store.mount(path, false))
            continue;
        const QString text = store.title().isEmpty() ? fileNameOf(path) : store.title();
        addRow(text, store.count(), path);
    }
}

void frmChapter::SaveFileList() {
    ivordalite* master = app().master.get();
    if (!master) {
        prompter().ask(MsgIcon::None, MsgButtons::Ok, QString(),
                       QStringLiteral("The file list couldn't be saved because the DB master isn't loaded"));
        return;
    }
    const int rows = m_list->topLevelItemCount();
    for (int i = 1; i <= rows; ++i)
        SettingsOccasion::add(*master, QStringLiteral("flist_name_") + QString::number(i),
                              m_list->topLevelItem(i - 1)->data(0, kPathRole).toString(), 0, QString());
    SettingsOccasion::add(*master, QStringLiteral("flist_count"), QString(), rows, QString());
}

bool frmChapter::pathFitsList(const QString& path, QString* why) const {
    // Saving the list writes every row again as "flist_name_<row>" into a 128-byte slot of
    // the master database. A path that needs UTF-8 makes the whole database UTF-8, so every
    // row (and every other record) must still fit in the bytes of that encoding.
    const int rows = m_list->topLevelItemCount();
    QVector<StoreEntry> list;
    for (int i = 0; i <= rows; ++i) {
        StoreEntry e;
        e.name = QStringLiteral("flist_name_") + QString::number(i + 1);
        e.valuestring = i < rows ? m_list->topLevelItem(i)->data(0, kPathRole).toString() : path;
        list.append(e);
    }
    if (const ivordalite* master = app().master.get())
        return master->fitsAfterAdd(list, why);
    const TextEncoding encoding = FileText::fitsWindows1252(path) ? TextEncoding::Windows1252 : TextEncoding::Utf8;
    return StoreFormat::checkFit(StoreHeader{}, {list.back()}, encoding, why);
}

void frmChapter::importChapter() {
    GCommonDialog dlg;
    QString file, title = QStringLiteral("Select File"), filter = QStringLiteral("Quarnel Data File|*.qex");
    bool readOnly = false;
    qint32 filterIndex = 1, flags = 0;
    if (!dlg.VBGetOpenFileName(file, title, true, false, readOnly, false, filter, filterIndex, app().homeFolder,
                               QString(), QStringLiteral("qex"), nullptr, flags))
        return;
    // Opening a named pipe would wait for a writer that may never come.
    if (const QString why = notRegularFileReason(file); !why.isEmpty()) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("DB Open Error"),
                       QStringLiteral("The chapter can't be imported: ") + why + QStringLiteral("."));
        return;
    }
    ivordalite store;
    if (!store.mount(file, false))
        return;
    if (store.comment() != chapterMark()) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("DB Open Error"),
                       QStringLiteral("This file invalid and cannot be opened in this mode"));
        return;
    }
    QString why;
    if (!pathFitsList(file, &why)) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Path Too Long"),
                       QStringLiteral("The path '") + file + QStringLiteral("' can't be kept in the chapter list: ") +
                           why + QStringLiteral(". Move or rename the file and import it again."));
        return;
    }
    addRow(store.title().isEmpty() ? fileNameOf(file) : store.title(), store.count(), file);
    refreshDueCount();
}

void frmChapter::toolbarClick(const QString& key) {
    if (key == QLatin1String("sall")) {
        importChapter();
    } else if (key == QLatin1String("del")) {
        QTreeWidgetItem* item = m_list->currentItem();
        if (!item || !item->isSelected()) {
            const auto sel = m_list->selectedItems();
            item = sel.isEmpty() ? nullptr : sel.first();
        }
        // OK keeps its state: with the last selected row gone it stays enabled, and OK then
        // reports that nothing was selected.
        const bool okEnabled = m_ok->isEnabled();
        delete item;
        m_ok->setEnabled(okEnabled);
        refreshDueCount();
    } else if (key == QLatin1String("lsaved")) {
        if (!chapterCommands().loadProgress || !chapterCommands().loadProgress(this))
            return;
        review::dueReview().end();
        LogMessage(QStringLiteral(" .. loaded ") + QString::number(deckUpper()) + QStringLiteral(" nodes/n"));
        frmMain* w = loadMainWindow();
        InitCardSurface();
        ApplyTheme(w);
        if (w)
            w->doEnableds(true);
        ShowFirstCard();
        unload();
    } else if (key == QLatin1String("history")) {
        if (chapterCommands().exportHistory)
            chapterCommands().exportHistory(this);
    } else if (key == QLatin1String("stats")) {
        statsui::showStatistics(listedChapters(m_list), this);
    } else if (key == QLatin1String("about")) {
        if (chapterCommands().about)
            chapterCommands().about();
    }
}

void frmChapter::itemClicked() {
    bool any = false;
    for (int i = 0; i < m_list->topLevelItemCount() && !any; ++i)
        any = m_list->topLevelItem(i)->isSelected();
    m_ok->setEnabled(any);
}

void frmChapter::tabClicked(int index) {
    m_pages[0]->hide();
    m_pages[1]->hide();
    if (index >= 0 && index < 2)
        m_pages[index]->show();
}

bool frmChapter::LoadSelectedChapters() {
    auto* pw = new frmProgress(this);
    m_progress = pw;
    pw->show();
    QList<QTreeWidgetItem*> selected;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (m_list->topLevelItem(i)->isSelected())
            selected.append(m_list->topLevelItem(i));
    if (selected.isEmpty()) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("FileLoader"),
                       QStringLiteral("No files were selected to be loaded. The program will exit."));
        return false;
    }
    pw->PB()->setRange(0, int(selected.size()));
    pw->PB()->setValue(0);
    for (QTreeWidgetItem* item : selected) {
        LoadChapterFile(item->data(0, kPathRole).toString(), item->text(0));
        pw->PB()->setValue(pw->PB()->value() + 1);
    }
    pw->hide();
    pw->deleteLater();
    m_progress = nullptr;
    return true;
}

void frmChapter::refreshDueCount() {
    if (property("quarnelUnloaded").toBool())
        return;
    const history::DueDeck due = review::countDue(listedChapters(m_list));
    m_dueCount = due.dueTotal + due.freshTotal;
    m_review->setText(QStringLiteral("Review &Due (%1)").arg(m_dueCount));
    m_review->setAccessibleDescription(QStringLiteral("%1 due, %2 new").arg(due.dueTotal).arg(due.freshTotal));
    m_review->setEnabled(m_controlsEnabled && m_dueCount > 0);
}

void frmChapter::reviewClicked() {
    {
        SettingsOccasion occasion;
        SaveWindowPosition(this, false);
        SaveFileList();
        if (ivordalite* master = app().master.get())
            SettingsOccasion::save(*master);
    }
    auto* pw = new frmProgress(this);
    m_progress = pw;
    pw->show();
    const int n = review::dueReview().begin(listedChapters(m_list), [pw](int done, int total) {
        pw->PB()->setRange(0, total);
        pw->PB()->setValue(done);
    });
    pw->hide();
    pw->deleteLater();
    m_progress = nullptr;
    if (n == 0) {
        prompter().ask(MsgIcon::Information, MsgButtons::Ok, QStringLiteral("Review Due"),
                       QStringLiteral("Nothing is due now and no new cards are left for today. Come back tomorrow, "
                                      "or choose chapters and press OK to study them as usual."));
        refreshDueCount();
        return;
    }
    LogMessage(QStringLiteral(" .. review of ") + QString::number(n) + QStringLiteral(" due cards/n"));
    startStudy();
    // Studying goes on without the history; why is told once.
    if (const QString problem = review::takeHistoryProblem(); !problem.isEmpty())
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Review History"),
                       problem + QStringLiteral("\n\nGrades are not kept until this is put right; studying goes on "
                                                "as before."));
}

void frmChapter::startStudy() {
    frmMain* w = loadMainWindow();
    InitCardSurface();
    ApplyTheme(w);
    if (w) {
        // The review starts with every card in rotation; Again marks the trouble cards.
        if (review::dueReview().active())
            w->Check2()->setChecked(false);
        w->doEnableds(true);
    }
    ShowFirstCard();
    unload();
}

void frmChapter::okClicked() {
    review::dueReview().end();
    {
        SettingsOccasion occasion;
        SaveWindowPosition(this, false);
        SaveFileList();
        if (ivordalite* master = app().master.get())
            SettingsOccasion::save(*master);
    }
    frmMain* w = loadMainWindow();
    if (w)
        w->doEnableds(false);
    if (LoadSelectedChapters()) {
        LogMessage(QStringLiteral(" .. loaded ") + QString::number(deckUpper()) + QStringLiteral(" nodes/n"));
        w = loadMainWindow();
        InitCardSurface();
        ApplyTheme(w);
        if (w)
            w->doEnableds(true);
        ShowFirstCard();
    } else {
        prompter().ask(MsgIcon::None, MsgButtons::Ok, QStringLiteral("Database Loader Failure"),
                       QStringLiteral("The specified chapters couldn't be loaded. This may result from corrupted "
                                      "database files and you may need to reinstall the program if this error "
                                      "persists."));
        ShutdownSystem(0, false);
    }
    unload();
}

void frmChapter::cancelClicked() {
    SettingsOccasion occasion;
    SaveFileList();
    ShutdownSystem(0, false);
}

void frmChapter::editorClicked() {
    SaveFileList();
    if (!m_editorPresent) {
        prompter().ask(MsgIcon::Information, MsgButtons::Ok, QStringLiteral("Editor not Found"),
                       QStringLiteral("The database editor couldn't be found. If you wish to use this tool, it is "
                                      "possible you may need to reinstall, ensuring the tool is selected for "
                                      "install."));
        return;
    }
    if (prompter().ask(MsgIcon::Question, MsgButtons::YesNo, QStringLiteral("Load Editor?"),
                       QStringLiteral("This button will cause this program to close and load the database editor. "
                                      "Do you want to continue?")) != MsgResult::Yes)
        return;
    shell().startProgram(programFolder() + QStringLiteral("/qredit"), {}, QString());
    ShutdownSystem(0, false);
}

void frmChapter::unload() {
    if (property("quarnelUnloaded").toBool())
        return;
    setProperty("quarnelUnloaded", true);
    hide();
    deleteLater();
}
