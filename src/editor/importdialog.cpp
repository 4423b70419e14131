#include "importdialog.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qredit {

namespace {
// Pipe and space come from the settings lines of another program's export only.
const char kDelimiters[] = {',', ';', '\t', '|', ' '};
constexpr int kDelimiterCount = int(std::size(kDelimiters));
const wordlist::Charset kCharsets[] = {wordlist::Charset::Utf8, wordlist::Charset::Utf16,
                                       wordlist::Charset::Windows1252};

int charsetIndex(wordlist::Encoding e) {
    switch (e) {
    case wordlist::Encoding::Utf16LE:
    case wordlist::Encoding::Utf16BE:
        return 1;
    case wordlist::Encoding::Windows1252:
        return 2;
    default:
        return 0;
    }
}

QString delimiterName(char d) {
    switch (d) {
    case ';':
        return QStringLiteral("semicolon");
    case '\t':
        return QStringLiteral("tab");
    case '|':
        return QStringLiteral("pipe");
    case ' ':
        return QStringLiteral("space");
    default:
        return QStringLiteral("comma");
    }
}
} // namespace

ImportDialog::ImportDialog(const QString& name, Reader reader, const wordlist::WordTable& first, QWidget* parent)
    : QDialog(parent), m_reader(std::move(reader)), m_table(first) {
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QStringLiteral("Import - %1").arg(name));

    m_delimiter = new QComboBox;
    m_delimiter->setObjectName(QStringLiteral("cboDelimiter"));
    m_delimiter->setAccessibleName(QStringLiteral("Delimiter"));
    m_delimiter->addItems({QStringLiteral("Comma"), QStringLiteral("Semicolon"), QStringLiteral("Tab")});
    if (first.delimiter == '|' || first.delimiter == ' ')
        m_delimiter->addItems({QStringLiteral("Pipe"), QStringLiteral("Space")});
    m_charset = new QComboBox;
    m_charset->setObjectName(QStringLiteral("cboEncoding"));
    m_charset->setAccessibleName(QStringLiteral("Encoding"));
    m_charset->addItems({QStringLiteral("UTF-8"), QStringLiteral("UTF-16"), QStringLiteral("Windows-1252")});
    m_header = new QCheckBox(QStringLiteral("The first row names the columns"));
    m_header->setObjectName(QStringLiteral("chkHeader"));
    m_front = new QComboBox;
    m_front->setObjectName(QStringLiteral("cboFront"));
    m_front->setAccessibleName(QStringLiteral("Front column"));
    m_back = new QComboBox;
    m_back->setObjectName(QStringLiteral("cboBack"));
    m_back->setAccessibleName(QStringLiteral("Back column"));
    m_swap = new QPushButton(QStringLiteral("Swap"));
    m_swap->setObjectName(QStringLiteral("cmdSwap"));
    m_preview = new QTreeWidget;
    m_preview->setObjectName(QStringLiteral("lvPreview"));
    m_preview->setAccessibleName(QStringLiteral("Preview"));
    m_preview->setHeaderLabels({QStringLiteral("Front of Card"), QStringLiteral("Back of Card")});
    m_preview->setRootIsDecorated(false);
    m_preview->setUniformRowHeights(true);
    m_preview->setAlternatingRowColors(true);
    m_preview->header()->setSectionResizeMode(QHeaderView::Stretch);
    m_info = new QLabel;
    m_info->setObjectName(QStringLiteral("lblInfo"));
    m_info->setWordWrap(true);
    // A combo box's list is named as the box, for when it opens.
    for (QComboBox* box : {m_delimiter, m_charset, m_front, m_back})
        box->view()->setAccessibleName(box->accessibleName());

    auto* columns = new QHBoxLayout;
    columns->addWidget(m_front, 1);
    columns->addWidget(m_swap);
    columns->addWidget(m_back, 1);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Delimiter:"), m_delimiter);
    form->addRow(QStringLiteral("Encoding:"), m_charset);
    form->addRow(QString(), m_header);
    form->addRow(QStringLiteral("Front | Back:"), columns);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Import"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdImport"));
    m_import = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(m_preview, 1);
    column->addWidget(m_info);
    column->addWidget(buttons);

    m_filling = true;
    const int found =
        int(std::find(std::begin(kDelimiters), std::end(kDelimiters), first.delimiter) - std::begin(kDelimiters));
    m_delimiter->setCurrentIndex(found < m_delimiter->count() ? found : 0);
    m_charset->setCurrentIndex(charsetIndex(first.encoding));
    m_header->setChecked(first.header);
    m_filling = false;
    fillColumns();
    setColumns(first.frontColumn, first.backColumn);

    connect(m_delimiter, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling)
            reread();
    });
    connect(m_charset, &QComboBox::currentIndexChanged, this, [this] {
        if (m_filling)
            return;
        m_charsetChosen = true;
        reread();
    });
    connect(m_header, &QCheckBox::toggled, this, [this] {
        fillColumns();
        fillPreview();
    });
    connect(m_front, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling)
            fillPreview();
    });
    connect(m_back, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling)
            fillPreview();
    });
    connect(m_swap, &QPushButton::clicked, this, &ImportDialog::swapColumns);
    resize(560, 420);
}

wordlist::ReadOptions ImportDialog::options() const {
    wordlist::ReadOptions o;
    o.delimiter = kDelimiters[std::max(0, m_delimiter->currentIndex())];
    o.header = m_header->isChecked() ? wordlist::Header::Yes : wordlist::Header::No;
    if (m_charsetChosen)
        o.charset = kCharsets[std::max(0, m_charset->currentIndex())];
    o.frontColumn = std::max(0, m_front->currentIndex());
    o.backColumn = std::max(0, m_back->currentIndex());
    return o;
}

void ImportDialog::setDelimiter(char delimiter) {
    for (int i = 0; i < m_delimiter->count() && i < kDelimiterCount; ++i)
        if (kDelimiters[i] == delimiter)
            m_delimiter->setCurrentIndex(i);
}

void ImportDialog::setCharset(wordlist::Charset charset) {
    for (int i = 0; i < 3; ++i)
        if (kCharsets[i] == charset)
            m_charset->setCurrentIndex(i);
}

void ImportDialog::setHeader(bool header) {
    m_header->setChecked(header);
}

void ImportDialog::setColumns(int front, int back) {
    m_filling = true;
    m_front->setCurrentIndex(std::min(front, m_front->count() - 1));
    m_back->setCurrentIndex(std::min(back, m_back->count() - 1));
    m_filling = false;
    fillPreview();
}

void ImportDialog::swapColumns() {
    setColumns(m_back->currentIndex(), m_front->currentIndex());
}

void ImportDialog::reread() {
    wordlist::ReadOptions o = options();
    o.header = wordlist::Header::Detect;
    const wordlist::WordTable t = m_reader(o);
    m_table = t;
    if (!t.ok()) {
        // The rows of the last way of reading are not what Import would bring in now.
        m_preview->clear();
        m_import->setEnabled(false);
        m_info->setText(QStringLiteral("Can't read it this way: %1").arg(t.error));
        return;
    }
    m_filling = true;
    m_header->setChecked(t.header);
    m_charset->setCurrentIndex(charsetIndex(t.encoding));
    m_filling = false;
    const int front = m_front->currentIndex(), back = m_back->currentIndex();
    fillColumns();
    setColumns(front, back);
}

void ImportDialog::fillColumns() {
    const int columns = std::max(2, m_table.columns);
    const QStringList names = m_header->isChecked() && !m_table.sample.isEmpty()
                                  ? m_table.sample.first()
                                  : m_table.exportHeader.columnNames(m_table.delimiter);
    const int front = m_front->currentIndex(), back = m_back->currentIndex();
    m_filling = true;
    for (QComboBox* box : {m_front, m_back}) {
        box->clear();
        for (int c = 0; c < columns; ++c) {
            const QString name = names.value(c);
            box->addItem(name.isEmpty() ? QStringLiteral("Column %1").arg(c + 1)
                                        : QStringLiteral("Column %1: %2").arg(c + 1).arg(name));
        }
    }
    m_front->setCurrentIndex(front < 0 ? 0 : std::min(front, columns - 1));
    m_back->setCurrentIndex(back < 0 ? 1 : std::min(back, columns - 1));
    m_filling = false;
}

void ImportDialog::fillPreview() {
    m_preview->clear();
    const int f = m_front->currentIndex(), b = m_back->currentIndex();
    const qsizetype skip = m_header->isChecked() ? 1 : 0;
    QList<QTreeWidgetItem*> items;
    for (qsizetype i = skip; i < m_table.sample.size(); ++i) {
        const QStringList& row = m_table.sample[i];
        items.append(new QTreeWidgetItem(QStringList{row.value(f), row.value(b)}));
    }
    m_preview->addTopLevelItems(items);
    // Import only what the preview shows: a row with a front.
    bool any = false;
    for (const QTreeWidgetItem* item : items)
        any = any || !item->text(0).trimmed().isEmpty();
    m_import->setEnabled(any);
    const qint64 rows = m_table.dataRows + (m_table.header && !m_header->isChecked() ? 1 : 0) -
                        (!m_table.header && m_header->isChecked() ? 1 : 0);
    QString info = QStringLiteral("%1 %2, %3, %4-separated")
                       .arg(rows)
                       .arg(rows == 1 ? QStringLiteral("row") : QStringLiteral("rows"))
                       .arg(wordlist::WordListReader::encodingName(m_table.encoding))
                       .arg(delimiterName(m_table.delimiter));
    if (items.size() < rows)
        info += QStringLiteral("; the first %1 are shown").arg(items.size());
    info += QLatin1Char('.');
    if (m_header->isChecked() && !m_table.sampleLines.isEmpty())
        info += QStringLiteral(" Line %1 is taken as the column names.").arg(m_table.sampleLines.first());
    if (any && b >= m_table.columns)
        info += m_table.columns == 1 ? QStringLiteral(" The list has one column: the cards come in with empty backs.")
                                     : QStringLiteral(" Column %1 is empty: the cards come in with empty backs.").arg(b + 1);
    if (QString note = wordlist::WordListReader::badUtf8Note(m_table); !note.isEmpty()) {
        note[0] = note[0].toUpper();
        info += QLatin1Char(' ') + note + QLatin1Char('.');
    }
    m_info->setText(info);
}

QString ImportDialog::summary() const { return m_info->text(); }

QStringList ImportDialog::previewRows() const {
    QStringList out;
    for (int i = 0; i < m_preview->topLevelItemCount(); ++i)
        out << m_preview->topLevelItem(i)->text(0) + u'|' + m_preview->topLevelItem(i)->text(1);
    return out;
}

} // namespace qredit
