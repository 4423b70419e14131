#pragma once
// The Preferences window: card colours edited on a private copy of the colour table with a
// live preview card, the fade, the hover descriptions, the trouble-by-default rule and the
// request to run the first-run setup again, how cards are studied and how due cards are
// scheduled. Colours and the scheduling choices take effect only through OK.
#include <QPair>
#include <QVector>
#include <QWidget>
#include <memory>

class CardView;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabBar;
class QTimer;
class r_data;
class r_renderer;

class frmOptions : public QWidget {
    Q_OBJECT
public:
    explicit frmOptions(QWidget* parent = nullptr);
    ~frmOptions() override;

    // Loading: fills the controls from the program-wide settings, shows the window and
    // starts the preview.
    void load();
    // Ends the window: stops the preview, puts back colours that were written without OK,
    // keeps the window's position. Runs once; the window deletes itself afterwards.
    void unload();
    void Command1Click(); // OK
    void Command2Click(); // Cancel

    bool loaded() const { return m_loaded; }
    bool unloaded() const { return m_unloaded; }
    std::shared_ptr<r_data> previewData() const { return m_data; }
    r_renderer* previewRenderer() const { return m_renderer.get(); }
    // The colour that Command3 shows (COLORREF).
    qint32 command3Colour() const { return m_command3Colour; }

    // "Make cards trouble by default", with the latched value when it differs from the rule
    // in force.
    static QString check3Caption(bool pending, bool inForce);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    void tabChanged();
    void nextTab();
    void setFadeEnabled(bool on);
    void fillColourList();
    void itemSelected(QListWidgetItem* item);
    void Command3Click();
    void Command4Click();
    void timerTick();
    void check3Released();
    void check4Clicked(bool checked);
    QGroupBox* buildStudyFrame(QWidget* pane);
    QGroupBox* buildReviewFrame(QWidget* pane);
    void applyReviewChoices();
    void setCommand3Colour(qint32 colour);
    void stopPreview();
    void snapshotStoredColours();
    void restoreStoredColours();

    QTabBar* m_ts = nullptr;
    QWidget* m_panes[3] = {};
    QGroupBox* m_colourFrame = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QListWidget* m_lv = nullptr;
    QPushButton* m_command3 = nullptr;
    QPushButton* m_command4 = nullptr;
    CardView* m_picture2 = nullptr;
    QCheckBox* m_check1 = nullptr;
    QGroupBox* m_fadeFrame = nullptr;
    QLabel* m_label3 = nullptr;
    QLabel* m_label4 = nullptr;
    QLabel* m_label5 = nullptr;
    QSlider* m_slider1 = nullptr;
    QCheckBox* m_check2 = nullptr;
    QCheckBox* m_check3 = nullptr;
    QCheckBox* m_check4 = nullptr;
    QGroupBox* m_studyFrame = nullptr;
    QLabel* m_label6 = nullptr;
    QComboBox* m_combo1 = nullptr; // the side cards show first
    QCheckBox* m_check5 = nullptr; // the typing drill
    QCheckBox* m_check6 = nullptr; // accents and German spellings forgiven
    QCheckBox* m_check7 = nullptr; // a right answer clears the trouble mark
    QLabel* m_label7 = nullptr;
    QComboBox* m_combo2 = nullptr; // when the round summary shows
    QComboBox* m_combo4 = nullptr; // when cards are read aloud
    QCheckBox* m_check9 = nullptr; // the listening drill
    QGroupBox* m_reviewFrame = nullptr;
    QSpinBox* m_spin1 = nullptr;   // desired retention, in percent
    QSpinBox* m_spin2 = nullptr;   // new cards a day
    QComboBox* m_combo3 = nullptr; // the hour the study day begins
    QCheckBox* m_check8 = nullptr; // intervals spread a little
    QPushButton* m_command1 = nullptr;
    QPushButton* m_command2 = nullptr;
    QTimer* m_timer1 = nullptr;

    std::shared_ptr<r_data> m_data;
    std::unique_ptr<r_renderer> m_renderer;
    qint32 m_command3Colour = 0;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_confirmed = false;
    // "reset defaults" writes the default colours into the master database at once; without
    // OK, the colours stored before are put back when the window goes.
    bool m_defaultsWritten = false;
    QVector<QPair<QString, qint32>> m_storedColours;
};

// The loaded Preferences window, or nullptr.
frmOptions* optionsWindow();
// Loads the Preferences window when it is not loaded and shows it (modeless).
void ShowOptionsWindow();
// Unloads a Preferences window that is still open as if Cancel were pressed (the shutdown
// calls this before the main render data goes).
void CloseOptionsAsCancel();
