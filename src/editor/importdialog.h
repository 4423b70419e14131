#pragma once
// The preview of a word list before it comes in (object name "frmImport"): the first rows as
// they will become cards (Front | Back), the delimiter, the encoding, whether the first row
// names the columns, which column is the front and which the back, and a swap of the two.
#include "wordlistreader.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace qredit {

class ImportDialog : public QDialog {
    Q_OBJECT
public:
    using Reader = std::function<wordlist::WordTable(const wordlist::ReadOptions&)>;

    // `first` is what the reader made of the list with the delimiter and header it found.
    ImportDialog(const QString& name, Reader reader, const wordlist::WordTable& first, QWidget* parent = nullptr);

    // The options the user chose (delimiter, header, columns; the encoding once chosen).
    wordlist::ReadOptions options() const;
    // What the reader made of the list with these options.
    const wordlist::WordTable& table() const { return m_table; }
    // The rows of the preview as "front|back", for tests.
    QStringList previewRows() const;
    // The line above the preview: how many rows, their encoding and delimiter.
    QString summary() const;

    void setDelimiter(char delimiter);
    void setCharset(wordlist::Charset charset);
    void setHeader(bool header);
    void setColumns(int front, int back);
    void swapColumns();

private:
    void reread();
    void fillColumns();
    void fillPreview();

    Reader m_reader;
    wordlist::WordTable m_table;
    QComboBox* m_delimiter = nullptr;
    QComboBox* m_charset = nullptr;
    bool m_charsetChosen = false;
    QCheckBox* m_header = nullptr;
    QComboBox* m_front = nullptr;
    QComboBox* m_back = nullptr;
    QPushButton* m_swap = nullptr;
    QPushButton* m_import = nullptr;
    QTreeWidget* m_preview = nullptr;
    QLabel* m_info = nullptr;
    bool m_filling = false;
};

} // namespace qredit
