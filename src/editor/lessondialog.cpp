#include "lessondialog.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qredit {

LessonDialog::LessonDialog(const QString& name, const kvtml::Document& doc, QWidget* parent)
    : QDialog(parent), m_doc(doc) {
    setObjectName(QStringLiteral("frmLessons"));
    setWindowTitle(QStringLiteral("Lessons - %1").arg(name));
    m_front = new QComboBox;
    m_front->setObjectName(QStringLiteral("cboFrontLanguage"));
    m_front->setAccessibleName(QStringLiteral("Front"));
    m_back = new QComboBox;
    m_back->setObjectName(QStringLiteral("cboBackLanguage"));
    m_back->setAccessibleName(QStringLiteral("Back"));
    for (const kvtml::Identifier& i : doc.identifiers) {
        QString text = i.name.isEmpty() ? QStringLiteral("Language %1").arg(i.id) : i.name;
        if (!i.locale.isEmpty())
            text += QStringLiteral(" (%1)").arg(i.locale);
        m_front->addItem(text);
        m_back->addItem(text);
    }
    m_front->setCurrentIndex(0);
    m_back->setCurrentIndex(doc.identifiers.size() > 1 ? 1 : 0);
    for (QComboBox* box : {m_front, m_back})
        box->view()->setAccessibleName(box->accessibleName());

    m_lessons = new QTreeWidget;
    m_lessons->setObjectName(QStringLiteral("lvLessons"));
    m_lessons->setAccessibleName(QStringLiteral("Lessons"));
    m_lessons->setHeaderLabels({QStringLiteral("Lesson"), QStringLiteral("Words")});
    m_lessons->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_lessons->header()->setStretchLastSection(false);
    QVector<QTreeWidgetItem*> open; // the item of each depth's last lesson
    for (const kvtml::Lesson& l : doc.lessons) {
        open.resize(l.depth);
        auto* item = open.isEmpty() ? new QTreeWidgetItem(m_lessons) : new QTreeWidgetItem(open.last());
        item->setText(0, l.name.isEmpty() ? QStringLiteral("(no name)") : l.name);
        item->setText(1, QString::number(l.entries.size()));
        item->setCheckState(0, Qt::Checked);
        open.append(item);
        m_items.append(item);
    }
    if (doc.entriesInNoLesson > 0) {
        m_others = new QTreeWidgetItem(m_lessons);
        m_others->setText(0, QStringLiteral("Words in no lesson"));
        m_others->setText(1, QString::number(doc.entriesInNoLesson));
        m_others->setCheckState(0, Qt::Checked);
    }
    m_lessons->expandAll();
    m_info = new QLabel;
    m_info->setObjectName(QStringLiteral("lblInfo"));
    m_info->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Front:"), m_front);
    form->addRow(QStringLiteral("&Back:"), m_back);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(m_lessons, 1);
    column->addWidget(m_info);
    column->addWidget(buttons);

    connect(m_front, &QComboBox::currentIndexChanged, this, &LessonDialog::refresh);
    connect(m_back, &QComboBox::currentIndexChanged, this, &LessonDialog::refresh);
    connect(m_lessons, &QTreeWidget::itemChanged, this, &LessonDialog::refresh);
    refresh();
    resize(460, 420);
}

KvtmlChoice LessonDialog::choice() const {
    KvtmlChoice c;
    c.frontId = m_doc.identifiers.value(m_front->currentIndex()).id;
    c.backId = m_doc.identifiers.value(m_back->currentIndex()).id;
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i]->checkState(0) == Qt::Checked)
            c.lessons.append(i);
    c.entriesInNoLesson = !m_others || m_others->checkState(0) == Qt::Checked;
    return c;
}

void LessonDialog::setLessonChecked(int index, bool checked) {
    QTreeWidgetItem* item = index < 0 ? m_others : m_items.value(index);
    if (item)
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void LessonDialog::setSides(int front, int back) {
    m_front->setCurrentIndex(front);
    m_back->setCurrentIndex(back);
}

bool LessonDialog::canAccept() const {
    return m_ok->isEnabled();
}

QString LessonDialog::summary() const {
    return m_info->text();
}

void LessonDialog::refresh() {
    const KvtmlChoice c = choice();
    const qsizetype cards = kvtmlTable(m_doc, c).rows.size();
    const bool sameSide = m_front->currentIndex() == m_back->currentIndex() && m_doc.identifiers.size() > 1;
    m_ok->setEnabled(cards > 0 && !sameSide);
    if (sameSide)
        m_info->setText(QStringLiteral("Front and back are the same language."));
    else
        m_info->setText(QStringLiteral("%1 %2 with a text on the front or the back.")
                            .arg(cards)
                            .arg(cards == 1 ? QStringLiteral("word") : QStringLiteral("words")));
}

} // namespace qredit
