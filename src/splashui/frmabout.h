#pragma once
// The About window: the title picture, what the program is and how it was made, and a link
// to the product page.
#include <QStringList>
#include <QWidget>

class QLabel;
class QPushButton;
class qexHL;

class frmAbout : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // The label's lines, in order.
    static QStringList aboutLines();

    QLabel* picture() const { return m_picture; }
    QLabel* label() const { return m_label; }
    qexHL* link() const { return m_link; }

private:
    QLabel* m_picture;
    QLabel* m_label;
    qexHL* m_link;
    QPushButton* m_ok;
};

// Loads the About window and shows it, not modal; an open one is brought to the front.
void ShowAboutWindow();
// The open About window, nullptr when there is none.
frmAbout* aboutWindow();
