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

private:
    QProgressBar* m_pb;
};
