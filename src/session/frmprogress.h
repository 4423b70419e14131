#pragma once
// A small window with one progress bar; the shuffler, the chapter loader and the item
// viewer set its caption and drive its bar.
#include <QWidget>

class QProgressBar;

class frmProgress : public QWidget {
    Q_OBJECT
public:
    explicit frmProgress(QWidget* owner = nullptr);
    QProgressBar* PB() const { return m_pb; }
    // Hides the window once its work is done and gives its native window back: every
    // top-level window that exists, shown or not, is listed to assistive technology, so a
    // hidden one would stay there. Shown again, it gets a new one.
    void finish();

private:
    QProgressBar* m_pb;
};
