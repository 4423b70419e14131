#pragma once
// What of a KVTML file becomes cards (object name "frmLessons"): the language of the front
// and of the back (two of the file's identifiers; the first two at first) and the lessons, each
// with a check box (all checked at first; a lesson inside another is shown inside it), and the
// words that no lesson names. OK stays off while nothing is checked or both sides are one
// language.
#include "kvtmlimport.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace qredit {

class LessonDialog : public QDialog {
    Q_OBJECT
public:
    LessonDialog(const QString& name, const kvtml::Document& doc, QWidget* parent = nullptr);

    KvtmlChoice choice() const;
    // For tests: check or clear lesson `index` (-1: the words in no lesson), choose the sides.
    void setLessonChecked(int index, bool checked);
    void setSides(int front, int back);
    bool canAccept() const;
    QString summary() const;

private:
    void refresh();

    const kvtml::Document& m_doc;
    QComboBox* m_front = nullptr;
    QComboBox* m_back = nullptr;
    QTreeWidget* m_lessons = nullptr;
    QVector<QTreeWidgetItem*> m_items; // one per lesson
    QTreeWidgetItem* m_others = nullptr;
    QLabel* m_info = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace qredit
