#pragma once
// The choices before a package of another flash-card program comes in (object name
// "frmPackage"): which decks (check boxes, all by default), which two fields of each note
// are the front and the back (the first two by default), what becomes of cloze notes, and
// the folder the chapters are saved in (one chapter file per deck).
#include "collection.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace qredit {

class PackageDialog : public QDialog {
    Q_OBJECT
public:
    PackageDialog(const QString& name, const package::Collection& collection, const QString& folder,
                  QWidget* parent = nullptr);

    package::ImportChoice choice() const;
    QString folder() const;

    // For tests and the keyboard alike.
    void setDeckChecked(int row, bool checked);
    void setFields(int front, int back);
    void setFolder(const QString& folder);
    bool canImport() const;

private:
    void update();

    const package::Collection& m_collection;
    QListWidget* m_decks = nullptr;
    QComboBox* m_front = nullptr;
    QComboBox* m_back = nullptr;
    QComboBox* m_cloze = nullptr;
    QLineEdit* m_folder = nullptr;
    QLabel* m_info = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace qredit
