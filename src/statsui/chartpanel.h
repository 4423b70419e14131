#pragma once
// One chart of the Statistics window with its title, its figures as a table beside it for
// "Show as Table", and what every chart offers: a tooltip with the exact figures under the
// pointer, Left and Right to walk its items from the keyboard (the item's figures become the
// chart's accessible description), and a context menu (right click, the Menu key or
// Shift+F10) with "Save Image..." and "Copy Figures".
#include "figuretable.h"

#include <QWidget>
#include <functional>

class QLabel;
class QMenu;
class QPainter;
class QStackedWidget;
class QTableWidget;

namespace statsui {

class ChartPanel : public QWidget {
    Q_OBJECT
public:
    // `chart` (may be null: the panel is a table only) becomes the panel's child.
    ChartPanel(const QString& title, QWidget* chart, QWidget* parent = nullptr);

    // How the chart maps a point of its own to the row drawn there (-1: none), draws its
    // highlighted row (-1: none), and paints itself at a size (for Save Image).
    std::function<int(const QPoint&)> itemAt;
    std::function<void(int)> drawHighlight;
    std::function<void(QPainter*, const QSize&)> paintTo;
    // Where row's item is drawn, in the chart's coordinates (for the keyboard's tooltip).
    std::function<QPoint(int)> itemPos;

    QString title() const { return m_titleText; }
    void setFigures(const FigureTable& figures);
    const FigureTable& figures() const { return m_figures; }
    void setShowTable(bool on);
    bool showsTable() const;

    QWidget* chart() const { return m_chart; }
    QTableWidget* table() const { return m_table; }
    // The widget that has the keyboard, the chart or the table as shown.
    QWidget* shown() const;
    int highlighted() const { return m_highlight; }
    void setHighlighted(int row);

    // The context menu, opened at `globalPos` (it deletes itself when closed).
    QMenu* openMenu(const QPoint& globalPos);
    void copyFigures() const;
    // Asks for a file through the dialog wrapper and writes the picture there.
    void saveImage();
    // PNG (at the chart's device pixel ratio) or SVG by the name's ending; whole or not at all.
    bool writeImage(const QString& path, QString* error) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void announce();
    QPoint highlightedGlobalPos() const;

    QString m_titleText;
    QLabel* m_title = nullptr;
    QWidget* m_chart = nullptr;
    QTableWidget* m_table = nullptr;
    QStackedWidget* m_stack = nullptr;
    FigureTable m_figures;
    int m_highlight = -1;
};

} // namespace statsui
