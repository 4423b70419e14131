// The window itself: its controls, menus and toolbar, the status bar, the caption, About, and
// the close that offers to save.
#include "editorwindow.h"
#include "wordimport.h"

#include "cardlistmodel.h"
#include "editorversion.h"
#include "history.h"
#include "limitvalidator.h"
#include "prompter.h"
#include "readaloudbuttons.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QUndoStack>
#include <QVBoxLayout>

namespace qredit {

namespace {
// The part of a path behind its last folder separator (either kind).
QString baseName(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}
} // namespace

EditorWindow::EditorWindow(QWidget* parent)
    : QMainWindow(parent), m_historyPath(history::History::defaultPath()) {
    setObjectName(QStringLiteral("frmMain"));
    buildUi();
    // The window starts unmodified under its initial caption.
    m_modified = false;
    setWindowTitle(QStringLiteral("Quarnel Editor - Orvandel"));
    setStatus(versionStatusText(), StatusAbout::Program);
    UpdateAddButton();
}

EditorWindow::~EditorWindow() {
    // The children die after this part of the object; a focus change among them must not
    // run a validator or slot that reaches into it.
    for (QLineEdit* e : {m_front, m_back, m_title, m_find}) {
        e->setValidator(nullptr);
        disconnect(e, nullptr, this, nullptr);
    }
    disconnect(m_list, nullptr, this, nullptr);
    disconnect(m_list->selectionModel(), nullptr, this, nullptr);
    m_list->removeEventFilter(this);
    m_front->removeEventFilter(this);
    m_back->removeEventFilter(this);
    m_title->removeEventFilter(this);
    m_find->removeEventFilter(this);
    m_model->setEditHook(nullptr);
    disconnect(m_undo, nullptr, this, nullptr);
    disconnect(m_model, nullptr, this, nullptr);
}

void EditorWindow::buildUi() {
    QFont f = font();
    f.setFamilies({QStringLiteral("Tahoma"), f.family()});
    setFont(f);

    QStyle* st = style();
    const QIcon iconNew = st->standardIcon(QStyle::SP_FileIcon);
    const QIcon iconOpen = st->standardIcon(QStyle::SP_DialogOpenButton);
    const QIcon iconSave = st->standardIcon(QStyle::SP_DialogSaveButton);
    const QIcon iconDelete = st->standardIcon(QStyle::SP_TrashIcon);
    const QIcon iconInsert = st->standardIcon(QStyle::SP_ArrowUp);
    const QIcon iconNewel = st->standardIcon(QStyle::SP_ArrowDown);
    const QIcon iconExit = st->standardIcon(QStyle::SP_DialogCloseButton);
    const QIcon iconAbout = st->standardIcon(QStyle::SP_MessageBoxInformation);

    auto makeAction = [this](const QString& name, const QIcon& icon, const QString& text) {
        auto* a = new QAction(icon, text, this);
        a->setObjectName(name);
        return a;
    };

    // Menus. Each menu and each item has a letter of its own, so that Alt and a letter never
    // reach a field as text.
    QMenu* mF = menuBar()->addMenu(QStringLiteral("&File"));
    mF->setObjectName(QStringLiteral("mF"));
    QAction* mF_n = makeAction(QStringLiteral("mF_n"), iconNew, QStringLiteral("&New"));
    QAction* mF_o = makeAction(QStringLiteral("mF_o"), iconOpen, QStringLiteral("&Open"));
    QAction* mF_s = makeAction(QStringLiteral("mF_s"), iconSave, QStringLiteral("&Save"));
    QAction* mF_x = makeAction(QStringLiteral("mF_x"), iconExit, QStringLiteral("E&xit"));
    mF_n->setShortcut(QKeySequence::New);
    mF_o->setShortcut(QKeySequence::Open);
    mF_s->setShortcut(QKeySequence::Save);
    mF_x->setShortcut(QKeySequence::Quit);
    QAction* mF_i = makeAction(QStringLiteral("mF_i"), QIcon(), QStringLiteral("&Import..."));
    QAction* mF_e = makeAction(QStringLiteral("mF_e"), QIcon(), QStringLiteral("&Export..."));
    mF_i->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    mF_e->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    mF->addAction(mF_n);
    mF->addAction(mF_o);
    mF->addAction(mF_i);
    mF->addAction(mF_e);
    QAction* mF_d = makeAction(QStringLiteral("mF_d"), QIcon(), QStringLiteral("Export P&DF..."));
    QAction* mF_p = makeAction(QStringLiteral("mF_p"), QIcon(), QStringLiteral("&Print..."));
    mF->addAction(mF_d);
    mF->addAction(mF_p);
    connect(mF_d, &QAction::triggered, this, [this] { ExportPdf(); });
    connect(mF_p, &QAction::triggered, this, [this] { PrintChapter(); });
    mF->addSeparator();
    mF->addAction(mF_s);
    mF->addSeparator();
    mF->addAction(mF_x);
    // The undo history of the document; the menu's and the toolbar's Undo and Redo follow it.
    m_undo = new QUndoStack(this);
    QMenu* mE = menuBar()->addMenu(QStringLiteral("&Edit"));
    mE->setObjectName(QStringLiteral("mE"));
    QAction* mE_u = makeAction(QStringLiteral("mE_u"), st->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("&Undo"));
    QAction* mE_r =
        makeAction(QStringLiteral("mE_r"), st->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("&Redo"));
    mE_u->setShortcut(QKeySequence::Undo);
    mE_r->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    mE_u->setEnabled(false);
    mE_r->setEnabled(false);
    mE->addAction(mE_u);
    mE->addAction(mE_r);
    // Rows to and from the clipboard. In the Front, Back and title fields the keys copy and
    // paste the field's text, as everywhere.
    mE->addSeparator();
    m_cut = makeAction(QStringLiteral("mE_t"), QIcon(), QStringLiteral("Cu&t"));
    m_copy = makeAction(QStringLiteral("mE_c"), QIcon(), QStringLiteral("&Copy"));
    QAction* mE_p = makeAction(QStringLiteral("mE_p"), QIcon(), QStringLiteral("&Paste"));
    m_cut->setShortcut(QKeySequence::Cut);
    m_copy->setShortcut(QKeySequence::Copy);
    mE_p->setShortcut(QKeySequence::Paste);
    mE->addAction(m_cut);
    mE->addAction(m_copy);
    mE->addAction(mE_p);
    connect(m_cut, &QAction::triggered, this, [this] { CutRows(); });
    connect(m_copy, &QAction::triggered, this, [this] { CopyRows(); });
    connect(mE_p, &QAction::triggered, this, [this] { PasteRows(); });
    // Find filters the list as the user types.
    mE->addSeparator();
    QAction* mE_f = makeAction(QStringLiteral("mE_f"), QIcon(), QStringLiteral("&Find"));
    mE_f->setShortcut(QKeySequence::Find);
    mE->addAction(mE_f);
    connect(mE_f, &QAction::triggered, this, [this] {
        m_find->setFocus(Qt::ShortcutFocusReason);
        m_find->selectAll();
    });
    connect(mE_u, &QAction::triggered, m_undo, &QUndoStack::undo);
    connect(mE_r, &QAction::triggered, m_undo, &QUndoStack::redo);
    connect(m_undo, &QUndoStack::canUndoChanged, mE_u, &QAction::setEnabled);
    connect(m_undo, &QUndoStack::canRedoChanged, mE_r, &QAction::setEnabled);
    connect(m_undo, &QUndoStack::undoTextChanged, mE_u, [mE_u](const QString& t) {
        mE_u->setToolTip(t.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo %1").arg(t));
    });
    connect(m_undo, &QUndoStack::redoTextChanged, mE_r, [mE_r](const QString& t) {
        mE_r->setToolTip(t.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo %1").arg(t));
    });
    // A status text about the document ("File saved successfully", "3 cards imported ...")
    // is out of date after any step, undone or done; whoever makes a step says what it did
    // after it.
    connect(m_undo, &QUndoStack::indexChanged, this, [this] {
        if (m_statusAbout != StatusAbout::Program)
            setStatus(QString());
    });
    // The window is modified exactly when the history is away from the saved state.
    connect(m_undo, &QUndoStack::cleanChanged, this, [this](bool clean) {
        m_modified = !clean;
        UpdateCaption();
    });
    connect(mF_i, &QAction::triggered, this, [this] { ImportList(); });
    connect(mF_e, &QAction::triggered, this, [this] { ExportList(); });

    QMenu* mH = menuBar()->addMenu(QStringLiteral("&Help"));
    mH->setObjectName(QStringLiteral("mH"));
    QAction* mH_a = makeAction(QStringLiteral("mH_a"), iconAbout, QStringLiteral("&About"));
    mH->addAction(mH_a);
    connect(mF_n, &QAction::triggered, this, [this] { NewDeck(); });
    connect(mF_o, &QAction::triggered, this, [this] { OpenDeck(); });
    connect(mF_s, &QAction::triggered, this, [this] { SaveDeck(); });
    connect(mF_x, &QAction::triggered, this, &QWidget::close);
    connect(mH_a, &QAction::triggered, this, &EditorWindow::ShowAbout);

    // Toolbar: each button is an action named by its identifier.
    m_toolbar = addToolBar(QStringLiteral("Toolbar"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QAction* tNew = makeAction(QStringLiteral("new"), iconNew, QStringLiteral("New"));
    QAction* tSave = makeAction(QStringLiteral("save"), iconSave, QStringLiteral("Save"));
    QAction* tOpen = makeAction(QStringLiteral("open"), iconOpen, QStringLiteral("Open"));
    QAction* tDelete = makeAction(QStringLiteral("delete"), iconDelete, QStringLiteral("Delete"));
    m_insert = makeAction(QStringLiteral("insert"), iconInsert, QStringLiteral("Insert Above"));
    QAction* tNewel = makeAction(QStringLiteral("newel"), iconNewel, QStringLiteral("New Element"));
    m_insert->setToolTip(QStringLiteral("Insert the card above the selected row"));
    for (QAction* a : {tNew, tSave, tOpen, tDelete, m_insert, tNewel})
        m_toolbar->addAction(a);
    m_toolbar->addSeparator();
    m_toolbar->addAction(mE_u);
    m_toolbar->addAction(mE_r);
    // Qt's button for the commands that do not fit comes without a name.
    if (auto* more = m_toolbar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("More commands"));
    connect(tNew, &QAction::triggered, this, [this] { NewDeck(); });
    connect(tSave, &QAction::triggered, this, [this] { SaveDeck(); });
    connect(tOpen, &QAction::triggered, this, [this] { OpenDeck(); });
    connect(tDelete, &QAction::triggered, this, &EditorWindow::DeleteRow);
    // Insert Above does what Add Item does for a selected row, so it is offered only then.
    connect(m_insert, &QAction::triggered, this, &EditorWindow::AddItem);
    connect(tNewel, &QAction::triggered, this, &EditorWindow::NewElement);

    // The list.
    m_model = new CardListModel(this);
    m_list = new QTreeView;
    m_list->setObjectName(QStringLiteral("LV"));
    m_list->setAccessibleName(QStringLiteral("Cards"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    // A cell is edited in place by a double click or F2; the edit is a step of the history.
    m_list->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_model->setEditHook([this](int row, int column, const QString& text) { return editCell(row, column, text); });
    m_list->setTextElideMode(Qt::ElideRight);
    // The two columns share the list's width.
    m_list->header()->setSectionResizeMode(QHeaderView::Stretch);
    m_list->header()->setSectionsMovable(false);
    m_list->installEventFilter(this);
    connect(m_list, &QTreeView::clicked, this, &EditorWindow::rowClicked);
    // Enter on a row does what a click does, for those who move through the list by keyboard.
    connect(m_list, &QTreeView::activated, this, &EditorWindow::rowClicked);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &EditorWindow::UpdateAddButton);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &EditorWindow::updateClipboardActions);

    // The card being typed.
    m_frame = new QGroupBox(QStringLiteral("Card"));
    m_frame->setObjectName(QStringLiteral("Frame1"));
    m_front = new QLineEdit;
    m_front->setObjectName(QStringLiteral("Text1"));
    m_back = new QLineEdit;
    m_back->setObjectName(QStringLiteral("Text2"));
    m_reset = new QPushButton(QStringLiteral("Reset"));
    m_reset->setObjectName(QStringLiteral("Command2"));
    auto* frontLabel = new QLabel(QStringLiteral("Front:"));
    frontLabel->setObjectName(QStringLiteral("Label1"));
    frontLabel->setBuddy(m_front);
    auto* backLabel = new QLabel(QStringLiteral("Back:"));
    backLabel->setObjectName(QStringLiteral("Label2"));
    backLabel->setBuddy(m_back);
    // Wide enough to read a card of the longest length at once.
    const QFontMetrics fm(font());
    const int fieldWidth = fm.horizontalAdvance(QString(kMaxCardLength, u'x')) + 16;
    m_front->setMinimumWidth(fieldWidth);
    m_back->setMinimumWidth(fieldWidth);
    auto* grid = new QGridLayout(m_frame);
    grid->addWidget(frontLabel, 0, 0);
    grid->addWidget(m_front, 0, 1);
    grid->addWidget(backLabel, 1, 0);
    grid->addWidget(m_back, 1, 1);
    addReadAloudButtons(this, grid, 2, m_front, m_back, [this](bool front) {
        QStringList texts;
        for (const CardRow& row : m_model->rows())
            texts << (front ? row.question : row.answer);
        return texts;
    });
    grid->addWidget(m_reset, 0, 3);
    grid->setColumnStretch(1, 1);

    m_add = new QPushButton(QStringLiteral("Add Item"));
    m_add->setObjectName(QStringLiteral("Command1"));
    m_title = new QLineEdit;
    m_title->setObjectName(QStringLiteral("Text3"));
    auto* titleLabel = new QLabel(QStringLiteral("Deck Title:"));
    titleLabel->setObjectName(QStringLiteral("Label3"));
    titleLabel->setBuddy(m_title);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(titleLabel);
    bottom->addWidget(m_title, 1);
    bottom->addSpacing(12);
    bottom->addWidget(m_add);

    m_find = new QLineEdit;
    m_find->setObjectName(QStringLiteral("txtFind"));
    m_find->setPlaceholderText(QStringLiteral("Front or back of the card"));
    m_find->installEventFilter(this);
    auto* findLabel = new QLabel(QStringLiteral("Find:"));
    findLabel->setObjectName(QStringLiteral("Label4"));
    findLabel->setBuddy(m_find);
    connect(m_find, &QLineEdit::textChanged, this, &EditorWindow::applyFilter);
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(findLabel);
    findRow->addWidget(m_find, 1);

    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->addLayout(findRow);
    column->addWidget(m_list, 1);
    column->addWidget(m_frame);
    column->addLayout(bottom);
    setCentralWidget(central);

    m_status = new QStatusBar;
    m_status->setObjectName(QStringLiteral("SB"));
    m_status->setSizeGripEnabled(true);
    // The status text is a label of the bar, not a passing message: the empty status tips of
    // menus and toolbar buttons would wipe a message; they pass over the label instead.
    m_statusText = new QLabel(m_status);
    m_statusText->setObjectName(QStringLiteral("SBText"));
    m_status->addWidget(m_statusText, 1);
    setStatusBar(m_status);
    m_count = new QLabel;
    m_count->setObjectName(QStringLiteral("lblCount"));
    m_status->addPermanentWidget(m_count);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &EditorWindow::updateCount);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &EditorWindow::updateCount);
    connect(m_model, &QAbstractItemModel::modelReset, this, &EditorWindow::updateCount);
    // A reset drops the selection without a signal, and the list forgets which rows it hid.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (filtered())
            applyFilter();
        updateClipboardActions();
    });
    updateCount();

    // Texts too long for their record can't be typed; the status bar says why. The limits
    // are bytes in the encoding the chapter will be saved in, which the typed text can change.
    m_front->setValidator(new LimitValidator([this](const QString& t) { return typedCardFits(t, m_back->text()); },
                                             [this] { setStatus(m_refusal, StatusAbout::Card); }, m_front));
    m_back->setValidator(new LimitValidator([this](const QString& t) { return typedCardFits(m_front->text(), t); },
                                            [this] { setStatus(m_refusal, StatusAbout::Card); }, m_back));
    m_title->setValidator(new LimitValidator([this](const QString& t) { return titleChangeFits(t); },
                                             [this] { setStatus(m_refusal); }, m_title));
    // A validator sees the field's text already changed; the encoding before the edit needs
    // the title as it was.
    connect(m_title, &QLineEdit::textChanged, this, [this](const QString& t) { m_acceptedTitle = t; });
    connect(m_front, &QLineEdit::textEdited, this, &EditorWindow::showBytesLeft);
    connect(m_back, &QLineEdit::textEdited, this, &EditorWindow::showBytesLeft);
    m_front->installEventFilter(this);
    m_back->installEventFilter(this);
    connect(m_front, &QLineEdit::textChanged, this, &EditorWindow::UpdateAddButton);
    connect(m_back, &QLineEdit::textChanged, this, &EditorWindow::UpdateAddButton);
    // The title is saved with the cards, so changing it is a step of the history; typing on
    // in the title adds to the same step.
    connect(m_title, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (t == m_docTitle)
            return;
        RowEdit edit;
        edit.titleChanged = true;
        edit.title = t;
        push(std::move(edit), QStringLiteral("Deck Title"));
    });
    // After the step, which empties the status text.
    connect(m_title, &QLineEdit::textEdited, this, [this] {
        const TextEncoding encoding = chapterEncoding(m_model->rows(), m_title->text());
        setStatus(counted(maxTitleLength(encoding) - titleLength(m_title->text(), encoding), QStringLiteral("%1 byte"),
                          QStringLiteral("%1 bytes")) +
                  QStringLiteral(" left for the deck title%1").arg(encodingNote(encoding)));
    });
    m_title->installEventFilter(this);
    // A title set by the program (Open, New) is where the history starts from. A field
    // reports an edit before the change, so an edit is pushed first and then lands here.
    connect(m_title, &QLineEdit::textChanged, this, [this](const QString& t) { m_docTitle = t; });
    connect(m_add, &QPushButton::clicked, this, &EditorWindow::AddItem);
    connect(m_reset, &QPushButton::clicked, this, &EditorWindow::ResetFields);

    QWidget::setTabOrder(m_front, m_back);
    QWidget::setTabOrder(m_back, m_add);
    QWidget::setTabOrder(m_add, m_reset);
    QWidget::setTabOrder(m_reset, m_title);
    QWidget::setTabOrder(m_title, m_find);
    QWidget::setTabOrder(m_find, m_list);
    m_front->setFocus();

    updateClipboardActions();
    // Chapters and word lists can be dropped anywhere on the window, the fields included.
    setAcceptDrops(true);
    resize(fieldWidth + 160, 560);
}

void EditorWindow::setStatus(const QString& text, StatusAbout about) {
    m_statusText->setText(text);
    m_statusAbout = about;
}

void EditorWindow::fieldsReplaced() {
    if (m_statusAbout == StatusAbout::Card)
        setStatus(QString());
}

QString EditorWindow::statusText() const {
    return m_statusText->text();
}

QString EditorWindow::captionFor(const QString& filename, bool modified) {
    if (filename.isEmpty())
        return QStringLiteral("Quarnel Editor - Orvandel");
    return QStringLiteral("Quarnel Editor - ") + baseName(filename) + (modified ? QStringLiteral("*") : QString()) +
           QStringLiteral(" - Orvandel");
}

void EditorWindow::UpdateCaption() {
    setWindowTitle(captionFor(m_filename, m_modified));
}

void EditorWindow::SetModified(bool value) {
    // Unmodified means: the history is at the saved state.
    if (!value)
        m_undo->setClean();
    m_modified = value;
    UpdateCaption();
}

QString EditorWindow::aboutText() {
    const QStringList lines = {
        QStringLiteral("RI Zariru Doviva"),
        QStringLiteral("version 1.1 (build %1)").arg(kEditorRevision),
        QStringLiteral("Built on the VORDA Platform version 3.44 of 16Jan2010"),
        QStringLiteral("This is the Quarnel file editor"),
        QString(),
        QStringLiteral("Originally packaged with the Quarnel program"),
        QStringLiteral("It is meant for creating and editing your own cards."),
        QString(),
        QStringLiteral("Project start date: 14April2007"),
        QString(),
        QStringLiteral("This program is free software under the GNU General Public License, version 3 or later."),
        QString(),
    };
    return lines.join(u'\n');
}

void EditorWindow::ShowAbout() {
    prompter().ask(MsgIcon::Information, MsgButtons::Ok, QStringLiteral("About"), aboutText());
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    // A Cancel, a cancelled save dialog or a failed save keeps the window and the changes.
    if (maybeSave(QStringLiteral("Save Before Exit")))
        event->accept();
    else
        event->ignore();
}

} // namespace qredit
