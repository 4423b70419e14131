#pragma once
// The Find window: "Jump to ID" makes a card current by its number, "Find by Name" searches
// the questions and/or answers and lists the hits in the Item Viewer.
#include <QDialog>

class QTabWidget;
class QLineEdit;
class QSlider;
class QPushButton;
class QLabel;
class QCheckBox;

class frmFind : public QDialog {
    Q_OBJECT
public:
    frmFind();
    ~frmFind() override;

    QTabWidget* ts() const { return m_ts; }
    QLineEdit* Text1() const { return m_text1; }
    QSlider* Slider1() const { return m_slider; }
    QLabel* Label1(int element) const; // elements 2 and 3
    QLineEdit* Text2() const { return m_text2; }
    QCheckBox* Check1() const { return m_check1; }
    QCheckBox* Check2() const { return m_check2; }
    QCheckBox* Check3() const { return m_check3; }

    // Escape closes the window the same way as "Done" and the close box.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void goClicked();

    QTabWidget* m_ts = nullptr;
    QLineEdit* m_text1 = nullptr;
    QSlider* m_slider = nullptr;
    QLabel* m_label1[2] = {};
    QLineEdit* m_text2 = nullptr;
    QCheckBox* m_check1 = nullptr;
    QCheckBox* m_check2 = nullptr;
    QCheckBox* m_check3 = nullptr;
    bool m_closing = false;
};

// The one Find window: the existing one, or nullptr.
frmFind* findWindow();
// Loads the Find window when it is not loaded yet and shows it (modeless).
void ShowFindWindow();
// The "Search" button of the Find window.
void SearchCards();

// The slider's tick frequency for n cards: (n + 2) / 10, halves rounded to even.
int sliderTickFrequency(int n);
// The card number "Go" reads from a number box text: the integer part (rounded down) of the
// number it holds; false when the text is not a finite number.
bool cardNumberFromText(const QString& text, double& number);
