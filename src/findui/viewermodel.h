#pragma once
// The rows of the Item Viewer: either cards (number with the trouble check box, question,
// answer, times viewed, chapter title) or, for the diagnostic view, memory regions (address
// and width). The model only holds rows; what a ticked box means is decided by the window.
#include <QAbstractTableModel>
#include <QVector>

class ViewerModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class Mode { Cards, Memory };

    struct CardRow {
        qint16 number = 0;
        QString question;
        QString answer;
        qint16 views = 0;
        QString chapter;
        bool trouble = false;
        bool boldQuestion = false;
        bool boldAnswer = false;
    };
    struct MemoryRow {
        quint64 address = 0;
        quint64 width = 0;
    };

    explicit ViewerModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    Mode mode() const { return m_mode; }
    // Empties the model and switches it to `mode`. Rows appended until endFill() are not
    // announced one by one: the views hear of them all at once, which keeps a fill of tens of
    // thousands of rows fast.
    void beginFill(Mode mode);
    void endFill();
    bool filling() const { return m_filling; }

    void appendCard(const CardRow& row);
    void appendMemory(const MemoryRow& row);

    const CardRow& cardRow(int row) const { return m_cards.at(row); }
    const MemoryRow& memoryRow(int row) const { return m_memory.at(row); }

signals:
    // The check box of a card row was changed through the view (number as shown in the row).
    void troubleToggled(qint16 number, bool trouble);

private:
    Mode m_mode = Mode::Cards;
    bool m_filling = false;
    QVector<CardRow> m_cards;
    QVector<MemoryRow> m_memory;
};
