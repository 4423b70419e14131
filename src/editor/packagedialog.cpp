#include "packagedialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace qredit {

PackageDialog::PackageDialog(const QString& name, const package::Collection& collection, const QString& folder,
                             QWidget* parent)
    : QDialog(parent), m_collection(collection) {
    setObjectName(QStringLiteral("frmPackage"));
    setWindowTitle(QStringLiteral("Import Decks - %1").arg(name));

    auto* decksLabel = new QLabel(QStringLiteral("&Decks (each becomes a chapter):"));
    m_decks = new QListWidget;
    m_decks->setObjectName(QStringLiteral("lstDecks"));
    m_decks->setAccessibleName(QStringLiteral("Decks"));
    decksLabel->setBuddy(m_decks);
    for (const package::DeckInfo& d : collection.decks()) {
        auto* item = new QListWidgetItem(
            QStringLiteral("%1 (%2 %3)").arg(d.title).arg(d.notes).arg(d.notes == 1 ? QStringLiteral("note")
                                                                                  : QStringLiteral("notes")));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        item->setData(Qt::UserRole, d.id);
        m_decks->addItem(item);
    }

    m_front = new QComboBox;
    m_front->setObjectName(QStringLiteral("cboFront"));
    m_front->setAccessibleName(QStringLiteral("Front field"));
    m_back = new QComboBox;
    m_back->setObjectName(QStringLiteral("cboBack"));
    m_back->setAccessibleName(QStringLiteral("Back field"));
    const QStringList fields = collection.fieldNames();
    for (int i = 0; i < fields.size(); ++i)
        for (QComboBox* box : {m_front, m_back})
            box->addItem(QStringLiteral("Field %1: %2").arg(i + 1).arg(fields[i]));
    m_front->setCurrentIndex(0);
    m_back->setCurrentIndex(1);

    m_cloze = new QComboBox;
    m_cloze->setObjectName(QStringLiteral("cboCloze"));
    m_cloze->setAccessibleName(QStringLiteral("Cloze notes"));
    m_cloze->addItems({QStringLiteral("One card per gap: the text with [...], the hidden words on the back"),
                       QStringLiteral("Leave them out")});

    m_folder = new QLineEdit(folder);
    m_folder->setObjectName(QStringLiteral("txtFolder"));
    m_folder->setAccessibleName(QStringLiteral("Save the chapters in"));
    auto* browse = new QPushButton(QStringLiteral("&Browse..."));
    browse->setObjectName(QStringLiteral("cmdBrowse"));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Front:"), m_front);
    form->addRow(QStringLiteral("Bac&k:"), m_back);
    form->addRow(QStringLiteral("&Cloze notes:"), m_cloze);
    auto* folderLabel = new QLabel(QStringLiteral("&Save chapters in:"));
    folderLabel->setBuddy(m_folder);
    form->addRow(folderLabel, folderRow);

    m_info = new QLabel;
    m_info->setObjectName(QStringLiteral("lblInfo"));
    m_info->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(QStringLiteral("&Import"));
    m_ok->setObjectName(QStringLiteral("cmdImport"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (canImport())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* column = new QVBoxLayout(this);
    column->addWidget(decksLabel);
    column->addWidget(m_decks, 1);
    column->addLayout(form);
    column->addWidget(m_info);
    column->addWidget(buttons);

    connect(m_decks, &QListWidget::itemChanged, this, &PackageDialog::update);
    connect(m_front, &QComboBox::currentIndexChanged, this, &PackageDialog::update);
    connect(m_back, &QComboBox::currentIndexChanged, this, &PackageDialog::update);
    connect(m_folder, &QLineEdit::textChanged, this, &PackageDialog::update);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Save Chapters In"), m_folder->text());
        if (!dir.isEmpty())
            m_folder->setText(dir);
    });
    update();
    resize(520, 440);
}

package::ImportChoice PackageDialog::choice() const {
    package::ImportChoice c;
    for (int i = 0; i < m_decks->count(); ++i)
        if (m_decks->item(i)->checkState() == Qt::Checked)
            c.decks.insert(m_decks->item(i)->data(Qt::UserRole).toLongLong());
    c.frontField = std::max(0, m_front->currentIndex());
    c.backField = std::max(0, m_back->currentIndex());
    c.cloze = m_cloze->currentIndex() == 1 ? package::ClozeMode::Skip : package::ClozeMode::OneCardPerCloze;
    return c;
}

QString PackageDialog::folder() const {
    return m_folder->text().trimmed();
}

void PackageDialog::setDeckChecked(int row, bool checked) {
    if (QListWidgetItem* item = m_decks->item(row))
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void PackageDialog::setFields(int front, int back) {
    m_front->setCurrentIndex(front);
    m_back->setCurrentIndex(back);
}

void PackageDialog::setFolder(const QString& folder) {
    m_folder->setText(folder);
}

bool PackageDialog::canImport() const {
    return m_ok->isEnabled();
}

void PackageDialog::update() {
    int decks = 0, notes = 0;
    for (int i = 0; i < m_decks->count(); ++i)
        if (m_decks->item(i)->checkState() == Qt::Checked) {
            ++decks;
            notes += m_collection.decks().value(i).notes;
        }
    QString problem;
    if (decks == 0)
        problem = QStringLiteral("Check at least one deck.");
    else if (m_front->currentIndex() == m_back->currentIndex())
        problem = QStringLiteral("Front and back are the same field.");
    else if (!QFileInfo(folder()).isDir())
        problem = QStringLiteral("The folder to save the chapters in does not exist.");
    m_ok->setEnabled(problem.isEmpty());
    m_info->setText(problem.isEmpty()
                        ? QStringLiteral("%1 %2 with %3 %4 %6 %1 %5; the reviews come along into the review "
                                         "history.")
                              .arg(decks)
                              .arg(decks == 1 ? QStringLiteral("deck") : QStringLiteral("decks"))
                              .arg(notes)
                              .arg(notes == 1 ? QStringLiteral("note") : QStringLiteral("notes"))
                              .arg(decks == 1 ? QStringLiteral("chapter") : QStringLiteral("chapters"))
                              .arg(decks == 1 ? QStringLiteral("becomes") : QStringLiteral("become"))
                        : problem);
}

} // namespace qredit
