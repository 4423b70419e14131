#pragma once
// The Item Viewer: a table of cards (all of them, or the hits of a search) through which the
// user jumps to a card or marks it as a trouble card. A diagnostic fill lists the memory
// regions of the process instead.
#include "viewermodel.h"

#include <QWidget>

class QTableView;
class frmProgress;

class frmViewer : public QWidget {
    Q_OBJECT
public:
    frmViewer();
    ~frmViewer() override;

    QTableView* LV() const { return m_lv; }
    ViewerModel* model() const { return m_model; }
    // The progress window of the last fill (hidden when the fill is over); nullptr before.
    frmProgress* progressWindow() const { return m_progress; }
    frmProgress* ensureProgressWindow();

    void addItem(qint16 number, const QString& question, const QString& answer, qint16 views,
                 const QString& chapter, bool trouble, bool boldQuestion, bool boldAnswer);
    // Lists the private memory regions of this process that hold memory.
    void showMemoryUsage();

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void rowClicked(const QModelIndex& index);
    void troubleToggled(qint16 number, bool trouble);
    // Columns as wide as their contents within the window; the last one takes what is left.
    void fitColumns();

    QTableView* m_lv = nullptr;
    ViewerModel* m_model = nullptr;
    frmProgress* m_progress = nullptr;
    // A mouse click on a row's check box toggles the box only; the click that did it must not
    // also jump to the card.
    bool m_toggledByMouse = false;
};

// The one Item Viewer: the existing one, or nullptr.
frmViewer* viewerWindow();
// Loads the Item Viewer (hidden) when it is not loaded yet, and returns it.
frmViewer* loadViewerWindow();
// Closes and releases the Item Viewer, when there is one.
void unloadViewerWindow();

void ViewAllCards();
void AddViewerItem(qint16 number, const QString& question, const QString& answer, qint16 views,
                   const QString& chapter, bool trouble, bool boldQuestion, bool boldAnswer);

// One private memory region of this process (start address and size in bytes).
struct MemoryRegion {
    quint64 address = 0;
    quint64 width = 0;
};
// The private regions listed in a /proc/<pid>/maps text that hold memory: regions without
// any access right are reserved address space and are left out.
QList<MemoryRegion> privateMemoryRegions(const QByteArray& maps);
// "00,000,000": at least eight digits, grouped by three with the locale's separator.
QString formatHunkTotal(quint64 total);
