#include "editorwindow.h"

#include "cardlistmodel.h"
#include "casefold.h"
#include "chapterfile.h"
#include "editcommand.h"
#include "editorversion.h"
#include "gcommondialog.h"
#include "importdialog.h"
#include "limitvalidator.h"
#include "prompter.h"
#include "wordimport.h"
#include "wordlistreader.h"
#include "wordlistwriter.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QUndoStack>
#include <QUrl>
#include <QVBoxLayout>

namespace qredit {

namespace {
const QString kFilter = QStringLiteral("Quarnel Save File|*.qex");
const QString kDefaultExt = QStringLiteral("qex");
const QString kSaveQuestion = QStringLiteral("Would you like to save your changes?");
const QString kListFilter = QStringLiteral("Word Lists|*.csv;*.tsv;*.txt|All Files|*");
const QString kExportFilter = QStringLiteral("Comma-Separated (UTF-8)|*.csv|Tab-Separated (UTF-8)|*.tsv");

std::function<bool(ImportDialog&)>& previewRunner() {
    static std::function<bool(ImportDialog&)> runner = [](ImportDialog& d) { return d.exec() == QDialog::Accepted; };
    return runner;
}

QString cardLimitText() {
    return QStringLiteral("A card holds at most %1 characters on its front and back together; on the front each of "
                          "\u00E4 \u00F6 \u00FC \u00C4 \u00D6 \u00DC \u00DF counts as 8.")
        .arg(kMaxCardLength);
}

// The part of a path behind its last folder separator (either kind).
QString baseName(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}
} // namespace

EditorWindow::EditorWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    buildUi();
    // The window starts unmodified under its initial caption.
    m_modified = false;
    setWindowTitle(QStringLiteral("Quarnel Editor - Orvandel"));
    setStatus(versionStatusText());
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

    // Menus.
    QMenu* mF = menuBar()->addMenu(QStringLiteral("File"));
    mF->setObjectName(QStringLiteral("mF"));
    QAction* mF_n = makeAction(QStringLiteral("mF_n"), iconNew, QStringLiteral("New"));
    QAction* mF_o = makeAction(QStringLiteral("mF_o"), iconOpen, QStringLiteral("Open"));
    QAction* mF_s = makeAction(QStringLiteral("mF_s"), iconSave, QStringLiteral("Save"));
    QAction* mF_x = makeAction(QStringLiteral("mF_x"), iconExit, QStringLiteral("Exit"));
    mF_n->setShortcut(QKeySequence::New);
    mF_o->setShortcut(QKeySequence::Open);
    mF_s->setShortcut(QKeySequence::Save);
    mF_x->setShortcut(QKeySequence::Quit);
    QAction* mF_i = makeAction(QStringLiteral("mF_i"), QIcon(), QStringLiteral("Import..."));
    QAction* mF_e = makeAction(QStringLiteral("mF_e"), QIcon(), QStringLiteral("Export..."));
    mF_i->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    mF_e->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    mF->addAction(mF_n);
    mF->addAction(mF_o);
    mF->addAction(mF_i);
    mF->addAction(mF_e);
    mF->addSeparator();
    mF->addAction(mF_s);
    mF->addSeparator();
    mF->addAction(mF_x);
    // The undo history of the document; the menu's and the toolbar's Undo and Redo follow it.
    m_undo = new QUndoStack(this);
    QMenu* mE = menuBar()->addMenu(QStringLiteral("Edit"));
    mE->setObjectName(QStringLiteral("mE"));
    QAction* mE_u = makeAction(QStringLiteral("mE_u"), st->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Undo"));
    QAction* mE_r =
        makeAction(QStringLiteral("mE_r"), st->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Redo"));
    mE_u->setShortcut(QKeySequence::Undo);
    mE_r->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    mE_u->setEnabled(false);
    mE_r->setEnabled(false);
    mE->addAction(mE_u);
    mE->addAction(mE_r);
    // Rows to and from the clipboard. In the Front, Back and title fields the keys copy and
    // paste the field's text, as everywhere.
    mE->addSeparator();
    m_cut = makeAction(QStringLiteral("mE_t"), QIcon(), QStringLiteral("Cut"));
    m_copy = makeAction(QStringLiteral("mE_c"), QIcon(), QStringLiteral("Copy"));
    QAction* mE_p = makeAction(QStringLiteral("mE_p"), QIcon(), QStringLiteral("Paste"));
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
    QAction* mE_f = makeAction(QStringLiteral("mE_f"), QIcon(), QStringLiteral("Find"));
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
    // The window is modified exactly when the history is away from the saved state.
    connect(m_undo, &QUndoStack::cleanChanged, this, [this](bool clean) {
        m_modified = !clean;
        UpdateCaption();
    });
    connect(mF_i, &QAction::triggered, this, [this] { ImportList(); });
    connect(mF_e, &QAction::triggered, this, [this] { ExportList(); });

    QMenu* mH = menuBar()->addMenu(QStringLiteral("Help"));
    mH->setObjectName(QStringLiteral("mH"));
    QAction* mH_a = makeAction(QStringLiteral("mH_a"), iconAbout, QStringLiteral("About"));
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
    grid->addWidget(m_reset, 0, 2);
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
                                             [this] { setStatus(m_refusal); }, m_front));
    m_back->setValidator(new LimitValidator([this](const QString& t) { return typedCardFits(m_front->text(), t); },
                                            [this] { setStatus(m_refusal); }, m_back));
    m_title->setValidator(new LimitValidator([this](const QString& t) { return titleChangeFits(t); },
                                             [this] { setStatus(m_refusal); }, m_title));
    // A validator sees the field's text already changed; the encoding before the edit needs
    // the title as it was.
    connect(m_title, &QLineEdit::textChanged, this, [this](const QString& t) { m_acceptedTitle = t; });
    connect(m_front, &QLineEdit::textEdited, this, &EditorWindow::showBytesLeft);
    connect(m_back, &QLineEdit::textEdited, this, &EditorWindow::showBytesLeft);
    connect(m_title, &QLineEdit::textEdited, this, [this] {
        const TextEncoding encoding = chapterEncoding(m_model->rows(), m_title->text());
        setStatus(QStringLiteral("%1 bytes left for the deck title%2")
                      .arg(maxTitleLength(encoding) - titleLength(m_title->text(), encoding))
                      .arg(encodingNote(encoding)));
    });
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

void EditorWindow::setStatus(const QString& text) {
    m_statusText->setText(text);
}

QString EditorWindow::statusText() const {
    return m_statusText->text();
}

QString EditorWindow::dialogFolder() const {
    if (!m_filename.isEmpty())
        return QFileInfo(m_filename).absolutePath();
    // The study program keeps its files in the documents folder's "Quarnel".
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        return QString();
    const QString home = documents + QStringLiteral("/Quarnel");
    return QFileInfo(home).isDir() ? home : documents;
}

bool EditorWindow::refuse(const ChapterFit& fit, int typedRow) {
    if (fit.fits())
        return true;
    const bool utf8 = fit.encoding == TextEncoding::Utf8;
    if (fit.titleTooLong) {
        m_refusal = utf8 ? QStringLiteral("The deck title holds at most %1 bytes in UTF-8, which this chapter needs; "
                                          "it would take %2.")
                               .arg(fit.limit)
                               .arg(fit.bytes)
                         : QStringLiteral("The deck title holds at most %1 characters.").arg(fit.limit);
    } else if (fit.badRow == typedRow) {
        m_refusal = utf8 ? QStringLiteral("A card holds at most %1 bytes on its front and back together; in UTF-8, "
                                          "which this chapter needs, this card would take %2 (on the front each of "
                                          "\u00E4 \u00F6 \u00FC \u00C4 \u00D6 \u00DC \u00DF counts as 8).")
                               .arg(fit.limit)
                               .arg(fit.bytes)
                         : cardLimitText();
    } else {
        // Another card stops fitting: the change would make the chapter UTF-8, where that card's
        // letters outside ASCII take two bytes or more.
        m_refusal = QStringLiteral("Not changed: with this text the chapter is saved in UTF-8, and the card '%1' "
                                   "would take %2 bytes there, more than the %3 a card holds. Shorten that card first.")
                        .arg(m_model->row(fit.badRow).question)
                        .arg(fit.bytes)
                        .arg(fit.limit);
    }
    return false;
}

TextEncoding EditorWindow::currentEncoding() const {
    return chapterEncoding(m_model->rows(), m_acceptedTitle);
}

bool EditorWindow::typedCardFits(const QString& front, const QString& back) {
    return refuse(
        checkChapterEdit(m_model->rows(), m_title->text(), {CardRow{front, back}}, currentEncoding(), -1, false),
        m_model->rowCount());
}

bool EditorWindow::titleChangeFits(const QString& title) {
    return refuse(checkChapterEdit(m_model->rows(), title, {}, currentEncoding(), -1, true), -1);
}

QString EditorWindow::encodingNote(TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? QStringLiteral(" (the chapter is saved in UTF-8)") : QString();
}

void EditorWindow::showBytesLeft() {
    const QVector<CardRow> typed{CardRow{m_front->text(), m_back->text()}};
    const TextEncoding encoding = chapterEncoding(m_model->rows(), m_title->text(), typed);
    setStatus(QStringLiteral("%1 bytes left on this card%2")
                  .arg(kMaxCardLength - cardLength(m_front->text(), m_back->text(), encoding))
                  .arg(encodingNote(encoding)));
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

void EditorWindow::UpdateAddButton() {
    const bool both = !m_front->text().isEmpty() && !m_back->text().isEmpty();
    m_add->setEnabled(both);
    m_insert->setEnabled(both && selectedRow() >= 0);
}

void EditorWindow::ClearFields() {
    m_front->clear();
    m_back->clear();
    m_front->setFocus();
    UpdateAddButton();
}

void EditorWindow::ResetFields() {
    m_front->clear();
    m_back->clear();
}

int EditorWindow::selectedRow() const {
    const QVector<int> rows = selectedRows();
    return rows.isEmpty() ? -1 : rows.first();
}

QVector<int> EditorWindow::selectedRows() const {
    QVector<int> rows;
    for (const QModelIndex& i : m_list->selectionModel()->selectedRows())
        if (!m_list->isRowHidden(i.row(), QModelIndex()))
            rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void EditorWindow::selectRow(int row) {
    if (row < 0 || row >= m_model->rowCount()) {
        m_list->selectionModel()->clearSelection();
        return;
    }
    showRow(row);
    const QModelIndex idx = m_model->index(row, 0);
    m_list->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_list->scrollTo(idx);
}

bool EditorWindow::PutRow(const QString& question, const QString& answer, int index, bool replace) {
    const QString q = trimSpaces(question);
    const QString a = trimSpaces(answer);
    if (index >= 0 && replace) {
        const int sel = selectedRow();
        if (sel < 0)
            return false;
        QVector<CardRow> rows = m_model->rows();
        rows[sel].answer = a;
        if (!refuse(checkChapterEdit(rows, m_title->text(), {}, currentEncoding(), sel, false), sel)) {
            setStatus(m_refusal);
            return false;
        }
        RowEdit edit;
        edit.changed.append({sel, CardRow{m_model->row(sel).question, a}});
        push(std::move(edit), QStringLiteral("Add Item"));
    } else {
        if (m_model->rowCount() >= kMaxCards) {
            setStatus(QStringLiteral("A chapter holds at most %1 cards.").arg(kMaxCards));
            return false;
        }
        if (!refuse(checkChapterEdit(m_model->rows(), m_title->text(), {CardRow{q, a}}, currentEncoding(), -1, false),
                    m_model->rowCount())) {
            setStatus(m_refusal);
            return false;
        }
        const int at = index < 0 ? m_model->rowCount() : std::min(index, m_model->rowCount());
        RowEdit edit;
        edit.insertAt = at;
        edit.inserted.append(CardRow{q, a});
        push(std::move(edit), index < 0 ? QStringLiteral("New Element") : QStringLiteral("Insert Above"));
        m_list->scrollTo(m_model->index(at, 0));
    }
    return true;
}

bool EditorWindow::FindQuestion() {
    const int row = m_model->findQuestion(m_front->text());
    if (row < 0)
        return false;
    selectRow(row);
    return true;
}

void EditorWindow::AddItem() {
    m_front->setText(trimSpaces(m_front->text()));
    m_back->setText(trimSpaces(m_back->text()));
    if (m_front->text().isEmpty() || m_back->text().isEmpty()) {
        m_front->setFocus();
        return;
    }
    const bool found = FindQuestion();
    const int sel = selectedRow();
    bool done;
    if (sel < 0 && !found)
        done = PutRow(m_front->text(), m_back->text(), -1, false);
    else if (found)
        done = PutRow(m_front->text(), m_back->text(), sel, true);
    else
        done = PutRow(m_front->text(), m_back->text(), sel, false);
    // A refused card stays in the fields so that it can be shortened.
    if (done)
        ClearFields();
}

void EditorWindow::NewElement() {
    PutRow(m_front->text(), m_back->text(), -1, false);
}

void EditorWindow::DeleteRow() {
    RowEdit edit;
    edit.removed = selectedRows();
    if (edit.removed.isEmpty())
        return;
    // A deletion is a change like any other: closing must offer to save it, and undo brings
    // the rows back.
    push(std::move(edit), QStringLiteral("Delete"));
}

bool EditorWindow::CopyRows() {
    const QVector<int> rows = selectedRows();
    if (rows.isEmpty())
        return false;
    QVector<wordlist::TextPair> pairs;
    pairs.reserve(rows.size());
    for (int r : rows)
        pairs.append({m_model->row(r).question, m_model->row(r).answer});
    auto* data = new QMimeData;
    data->setText(wordlist::WordListWriter::clipboardText(pairs));
    data->setHtml(wordlist::WordListWriter::clipboardHtml(pairs));
    QGuiApplication::clipboard()->setMimeData(data);
    setStatus(rows.size() == 1 ? QStringLiteral("1 card copied") : QStringLiteral("%1 cards copied").arg(rows.size()));
    return true;
}

bool EditorWindow::CutRows() {
    const QVector<int> rows = selectedRows();
    if (!CopyRows())
        return false;
    RowEdit edit;
    edit.removed = rows;
    push(std::move(edit), QStringLiteral("Cut"));
    setStatus(rows.size() == 1 ? QStringLiteral("1 card cut") : QStringLiteral("%1 cards cut").arg(rows.size()));
    return true;
}

bool EditorWindow::PasteRows() {
    const QString text = QGuiApplication::clipboard()->text();
    if (text.trimmed().isEmpty()) {
        setStatus(QStringLiteral("The clipboard holds no text to paste."));
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    auto reader = [&bytes](const wordlist::ReadOptions& o) {
        QBuffer b;
        b.setData(bytes);
        b.open(QIODevice::ReadOnly);
        return wordlist::WordListReader::read(b, o);
    };
    // A spreadsheet's two columns are front and back; anything else is shown first.
    return importFrom(QString(), '\t', reader, Preview::UnlessTwoColumns);
}

void EditorWindow::updateClipboardActions() {
    const bool any = !selectedRows().isEmpty();
    m_cut->setEnabled(any);
    m_copy->setEnabled(any);
}

void EditorWindow::push(RowEdit edit, const QString& text) {
    const bool titleChanged = edit.titleChanged;
    const QString title = edit.title;
    m_undo->push(new EditCommand(
        m_model, std::move(edit), m_docTitle, [this](const QString& t) { setDocumentTitle(t); },
        [this](const EditCommand::Runs& runs) { showRows(runs); }, text));
    if (titleChanged)
        m_docTitle = title;
}

void EditorWindow::setDocumentTitle(const QString& title) {
    m_docTitle = title;
    if (m_title->text() != title)
        m_title->setText(title);
}

void EditorWindow::showRows(const EditCommand::Runs& runs) {
    QItemSelectionModel* sel = m_list->selectionModel();
    const int n = m_model->rowCount();
    QItemSelection selection;
    int first = -1;
    for (const auto& [from, count] : runs) {
        if (from < 0 || from >= n)
            continue;
        if (first < 0)
            first = from;
        if (count <= 0)
            continue;
        const int last = std::min(from + count, n) - 1;
        // The rows a change brings stay in view whatever the filter would hide.
        for (int r = from; filtered() && r <= last; ++r)
            showRow(r);
        selection.select(m_model->index(from, 0), m_model->index(last, 1));
    }
    if (!selection.isEmpty())
        sel->setCurrentIndex(m_model->index(first, 0), QItemSelectionModel::NoUpdate);
    sel->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (first >= 0)
        m_list->scrollTo(m_model->index(first, 0));
    UpdateAddButton();
}

void EditorWindow::showRow(int row) {
    if (m_list->isRowHidden(row, QModelIndex())) {
        m_list->setRowHidden(row, QModelIndex(), false);
        updateCount();
    }
}

void EditorWindow::applyFilter() {
    m_filterText = foldCase(trimSpaces(m_find->text()));
    // Rows that go out of sight leave the selection: a command on the selected rows must not
    // reach rows the user can't see.
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    std::u16string buffer;
    auto holds = [&](const QString& text) { return foldCase(QStringView(text), buffer).contains(m_filterText); };
    const int n = m_model->rowCount();
    for (int r = 0; r < n; ++r) {
        const CardRow& row = m_model->row(r);
        const bool hide = filtered() && !holds(row.question) && !holds(row.answer);
        if (hide != m_list->isRowHidden(r, QModelIndex()))
            m_list->setRowHidden(r, QModelIndex(), hide);
    }
    QItemSelection gone;
    for (const QModelIndex& i : selected)
        if (m_list->isRowHidden(i.row(), QModelIndex()))
            gone.select(m_model->index(i.row(), 0), m_model->index(i.row(), 1));
    m_list->selectionModel()->select(gone, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    updateCount();
    updateClipboardActions();
    UpdateAddButton();
}

bool EditorWindow::editCell(int row, int column, const QString& text) {
    CardRow changed = m_model->row(row);
    (column == CardListModel::Front ? changed.question : changed.answer) = trimSpaces(text);
    if (changed == m_model->row(row))
        return true;
    if (changed.question.isEmpty()) {
        setStatus(QStringLiteral("A card needs a front; the row was not changed."));
        return false;
    }
    QVector<CardRow> rows = m_model->rows();
    rows[row] = changed;
    if (!refuse(checkChapterEdit(rows, m_title->text(), {}, currentEncoding(), row, false), row)) {
        setStatus(m_refusal);
        return false;
    }
    RowEdit edit;
    edit.changed.append({row, changed});
    push(std::move(edit), QStringLiteral("Edit"));
    return true;
}

void EditorWindow::resetHistory() {
    m_undo->clear();
    m_undo->setClean();
    m_docTitle = m_title->text();
}

QString EditorWindow::countText() const {
    const int n = m_model->rowCount();
    const QString cards = n == 1 ? QStringLiteral("1 card") : QStringLiteral("%1 cards").arg(n);
    if (!filtered())
        return cards;
    int shown = 0;
    for (int r = 0; r < n; ++r)
        shown += m_list->isRowHidden(r, QModelIndex()) ? 0 : 1;
    return QStringLiteral("%1 of %2 shown").arg(shown).arg(cards);
}

void EditorWindow::updateCount() {
    m_count->setText(countText());
}

void EditorWindow::rowClicked(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const CardRow& row = m_model->row(index.row());
    // Emptied first so that neither field is checked against the other's old text.
    m_back->clear();
    m_front->setText(row.question);
    m_back->setText(row.answer);
    m_front->setFocus();
}

bool EditorWindow::maybeSave(const QString& title) {
    if (!m_modified)
        return true;
    switch (prompter().ask(MsgIcon::None, MsgButtons::YesNoCancel, title, kSaveQuestion)) {
    case MsgResult::Yes:
        return SaveDeck();
    case MsgResult::No:
        return true;
    default:
        return false;
    }
}

bool EditorWindow::askPath(FileDialog kind, QString& name, const QString& filter, const QString& title,
                           const QString& extension) {
    QString fileTitle;
    QString filters = filter;
    qint32 filterIndex = 1;
    qint32 flags = 0;
    bool readOnly = false;
    GCommonDialog dlg;
    if (kind == FileDialog::Open)
        return dlg.VBGetOpenFileName(name, fileTitle, true, false, readOnly, false, filters, filterIndex,
                                     dialogFolder(), title, extension, this, flags);
    return dlg.VBGetSaveFileName(name, fileTitle, true, filters, filterIndex, dialogFolder(), title, extension, this,
                                 flags);
}

bool EditorWindow::NewDeck() {
    if (!maybeSave(QStringLiteral("Save Changes")))
        return false;
    m_filename.clear();
    m_model->clear();
    // A new deck starts without the old deck's title, which would otherwise be saved with it.
    m_title->clear();
    resetHistory();
    SetModified(false);
    return true;
}

bool EditorWindow::OpenDeck() {
    if (!maybeSave(QStringLiteral("Save Changes")))
        return false;
    // The dialog empties the name on a cancel; the current file stays current.
    QString name = m_filename;
    if (!askPath(FileDialog::Open, name, kFilter, QString(), kDefaultExt))
        return false;
    return openFile(name);
}

bool EditorWindow::openFile(const QString& path) {
    QVector<CardRow> rows;
    QString title;
    QString error;
    switch (loadChapter(path, rows, title, error)) {
    case LoadResult::Incompatible:
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Incompatible File Detected"),
                       QStringLiteral("The specified file cannot be opened by this program. Please choose a different "
                                      "one to edit."));
        return false;
    case LoadResult::Failed:
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't open file"),
                       QStringLiteral("The file '%1' couldn't be opened: %2").arg(path, error));
        return false;
    case LoadResult::Loaded:
        break;
    }
    m_model->setRows(std::move(rows));
    m_title->setText(title);
    m_filename = path;
    resetHistory();
    SetModified(false);
    setStatus(QStringLiteral("File loaded successfully"));
    UpdateAddButton();
    return true;
}

bool EditorWindow::SaveDeck() {
    QString target = m_filename;
    if (target.isEmpty() && !askPath(FileDialog::Save, target, kFilter, QString(), kDefaultExt))
        return false;
    QString error;
    int badRow = -1;
    if (!saveChapter(target, m_model->rows(), m_title->text(), error, &badRow)) {
        if (badRow >= 0)
            selectRow(badRow);
        // The list, the file name and the modified flag stay as they were.
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't save file"),
                       QStringLiteral("The file '%1' couldn't be saved: %2").arg(target, error));
        setStatus(QStringLiteral("File not saved"));
        return false;
    }
    m_filename = target;
    SetModified(false);
    setStatus(QStringLiteral("File saved successfully"));
    return true;
}

void EditorWindow::setPreviewRunner(std::function<bool(ImportDialog&)> runner) {
    previewRunner() = runner ? std::move(runner) : [](ImportDialog& d) { return d.exec() == QDialog::Accepted; };
}

bool EditorWindow::ImportList() {
    QString name;
    if (!askPath(FileDialog::Open, name, kListFilter, QStringLiteral("Import"), QString()))
        return false;
    return importFile(name);
}

bool EditorWindow::importFile(const QString& path, bool preview) {
    const QString shown = QFileInfo(path).fileName();
    auto reader = [path](const wordlist::ReadOptions& o) { return wordlist::WordListReader::readFile(path, o); };
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't import file"),
                       QStringLiteral("The file '%1' couldn't be opened: %2").arg(path, f.errorString()));
        return false;
    }
    f.close();
    return importFrom(shown, wordlist::WordListReader::delimiterForName(path), reader,
                      preview ? Preview::Always : Preview::Never);
}

bool EditorWindow::importText(const QByteArray& text, const QString& name, bool preview) {
    auto reader = [text](const wordlist::ReadOptions& o) {
        QBuffer b;
        b.setData(text);
        b.open(QIODevice::ReadOnly);
        return wordlist::WordListReader::read(b, o);
    };
    return importFrom(name, '\t', reader, preview ? Preview::Always : Preview::Never);
}

bool EditorWindow::importFrom(const QString& name, char fallbackDelimiter,
                              const std::function<wordlist::WordTable(const wordlist::ReadOptions&)>& reader,
                              Preview preview) {
    const bool pasted = name.isEmpty();
    // How the messages name the words: the file, or the clipboard's text.
    const QString subject = pasted ? QStringLiteral("the text on the clipboard") : QStringLiteral("'%1'").arg(name);
    const QString subjectStart = pasted ? QStringLiteral("The text on the clipboard") : subject;
    const QString title = pasted ? QStringLiteral("Can't paste") : QStringLiteral("Can't import file");
    auto readWith = [&](wordlist::ReadOptions o) {
        o.fallbackDelimiter = fallbackDelimiter;
        o.maxRows = kMaxCards;
        return reader(o);
    };
    wordlist::WordTable table = readWith({});
    if (!table.ok()) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, title,
                       QStringLiteral("%1 can't be imported: %2. Nothing was changed.").arg(subjectStart, table.error));
        return false;
    }
    if (table.dataRows == 0) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, title,
                       QStringLiteral("%1 holds no words. Nothing was changed.").arg(subjectStart));
        return false;
    }
    if (preview == Preview::Always || (preview == Preview::UnlessTwoColumns && table.columns != 2)) {
        ImportDialog dlg(pasted ? QStringLiteral("Clipboard") : name, readWith, table, this);
        if (!previewRunner()(dlg))
            return false;
        const wordlist::ReadOptions chosen = dlg.options();
        const bool same = chosen.delimiter == table.delimiter &&
                          (chosen.header == wordlist::Header::Yes) == table.header && chosen.frontColumn == 0 &&
                          chosen.backColumn == 1;
        if (!same)
            table = readWith(chosen);
        if (!table.ok()) {
            prompter().ask(
                MsgIcon::Exclamation, MsgButtons::Ok, title,
                QStringLiteral("%1 can't be imported: %2. Nothing was changed.").arg(subjectStart, table.error));
            return false;
        }
    }
    // Where Add Item would put a new card: above the selected row, or at the end.
    const ImportPlan plan = planImport(m_model->rows(), selectedRow(), table, m_title->text());
    const qint64 room = kMaxCards - m_model->rowCount();
    if (plan.overflow > 0) {
        const QString question =
            QStringLiteral("%1 holds %2 new cards, but this chapter has room for only %3 more (a chapter holds "
                           "at most %4). Import the first %3 and leave the rest out?\n\nNo imports nothing.")
                .arg(subjectStart)
                .arg(plan.inserted.size() + plan.overflow)
                .arg(room)
                .arg(kMaxCards);
        if (prompter().ask(MsgIcon::Question, MsgButtons::YesNo, QStringLiteral("Too Many Cards"), question) !=
            MsgResult::Yes)
            return false;
    }
    if (plan.isEmpty()) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, title,
                       QStringLiteral("No row of %1 can be a card. Nothing was changed.\n\n%2")
                           .arg(subject, problemReport(plan.problems)));
        return false;
    }
    RowEdit edit;
    edit.insertAt = plan.insertAt;
    edit.inserted = plan.inserted;
    for (const auto& [row, answer] : plan.answers)
        edit.changed.append({row, CardRow{m_model->row(row).question, answer}});
    push(std::move(edit), pasted ? QStringLiteral("Paste") : QStringLiteral("Import"));
    showRows({{plan.insertAt, int(plan.inserted.size())}});
    const QString replaced =
        plan.answers.isEmpty() ? QString() : QStringLiteral(", %1 answers replaced").arg(plan.answers.size());
    const QString done =
        pasted ? QStringLiteral("%1 cards pasted%2").arg(plan.inserted.size()).arg(replaced)
               : QStringLiteral("%1 cards imported from '%2'%3").arg(plan.inserted.size()).arg(name, replaced);
    setStatus(done);
    if (!plan.problems.isEmpty())
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Rows Not Imported"),
                       QStringLiteral("%1. These rows were left out:\n\n%2").arg(done, problemReport(plan.problems)));
    return true;
}

bool EditorWindow::ExportList() {
    QString name = m_filename.isEmpty() ? QString() : QFileInfo(m_filename).completeBaseName() + QStringLiteral(".csv");
    if (!askPath(FileDialog::Save, name, kExportFilter, QStringLiteral("Export"), QStringLiteral("csv")))
        return false;
    return exportFile(name);
}

bool EditorWindow::exportFile(const QString& path) {
    QVector<wordlist::TextPair> pairs;
    pairs.reserve(m_model->rowCount());
    for (const CardRow& r : m_model->rows())
        pairs.append({r.question, r.answer});
    QString error;
    if (!wordlist::WordListWriter::writeFile(path, pairs, wordlist::WordListWriter::formatForName(path), error)) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't export file"),
                       QStringLiteral("The file '%1' couldn't be written: %2").arg(path, error));
        return false;
    }
    setStatus(QStringLiteral("%1 exported to '%2'").arg(countText(), QFileInfo(path).fileName()));
    return true;
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
        QString(),
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

// Which keys in a field go to the window instead. Undo and Redo: the Front and Back fields
// undo their own typing while they have any; the deck title is part of the document, so
// there the keys always go to its history.
bool EditorWindow::routeShortcut(QObject* watched, QKeyEvent* key) {
    // Copy and Cut with nothing selected in a field have nothing to do there; they take the
    // selected rows (a click on a row puts the focus in the Front field).
    if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut)) {
        auto* field = qobject_cast<QLineEdit*>(watched);
        return field && (field == m_front || field == m_back || field == m_title) && !field->hasSelectedText();
    }
    const bool undo = key->matches(QKeySequence::Undo);
    const bool redo = key->matches(QKeySequence::Redo) ||
                      key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y) ||
                      key->keyCombination() == QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z);
    if (!undo && !redo)
        return false;
    if (watched == m_title)
        return true;
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (!field || (field != m_front && field != m_back))
        return false;
    return undo ? !field->isUndoAvailable() : !field->isRedoAvailable();
}

QString EditorWindow::droppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return QString();
    const QString path = data->urls().first().toLocalFile();
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool known = suffix == QLatin1String("qex") || suffix == QLatin1String("csv") ||
                       suffix == QLatin1String("tsv") || suffix == QLatin1String("txt");
    return known ? path : QString();
}

bool EditorWindow::dropFile(const QString& path) {
    if (QFileInfo(path).suffix().toLower() == QLatin1String("qex"))
        return maybeSave(QStringLiteral("Save Changes")) && openFile(path);
    return importFile(path);
}

void EditorWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void EditorWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void EditorWindow::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // The prompt and the preview wait until the drag has ended; the program it came from
    // would hang until then.
    QTimer::singleShot(0, this, [this, path] { dropFile(path); });
}

bool EditorWindow::eventFilter(QObject* watched, QEvent* event) {
    // A field would take a dropped file's name as text; the window opens the file instead.
    const QEvent::Type type = event->type();
    if ((type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) &&
        !droppedFile(static_cast<QDropEvent*>(event)->mimeData()).isEmpty()) {
        if (type == QEvent::Drop)
            dropEvent(static_cast<QDropEvent*>(event));
        else
            static_cast<QDropEvent*>(event)->acceptProposedAction();
        return true;
    }
    // Handled here, the override leaves the key to the window's Undo and Redo.
    if (event->type() == QEvent::ShortcutOverride && routeShortcut(watched, static_cast<QKeyEvent*>(event)))
        return true;
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (enter && watched == m_front) {
            m_back->setFocus();
            return true;
        }
        if (enter && watched == m_back) {
            AddItem();
            return true;
        }
        if (watched == m_list && key == Qt::Key_Delete) {
            DeleteRow();
            return true;
        }
        if (watched == m_find && key == Qt::Key_Escape) {
            m_find->clear();
            return true;
        }
        if (watched == m_list && key == Qt::Key_Escape) {
            // Without a selected row, Add Item appends.
            m_list->selectionModel()->clearSelection();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace qredit
