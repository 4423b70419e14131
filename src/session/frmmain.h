#pragma once
// The window in which the user studies: the card face with four flat buttons, two check
// boxes and a link on it, the keyboard map and the popup menu.
#include "frmsummary.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class CardView;
class qexFlatButton;
class qexCheck;
class qexHL;
class QMenu;
class QAction;
class QTimer;
class QLineEdit;
class CardSpeech;

// Commands whose windows live elsewhere; the program's wiring fills them.
struct StudyCommands {
    std::function<void(QWidget*)> saveProgress;
    std::function<void(QWidget*)> exportCards;
    std::function<void(QWidget*)> exportHistory;
    std::function<void()> viewAllCards;
    std::function<void()> findCard;
    std::function<void()> options;
    std::function<void()> about;
    std::function<void()> productPage;
};
StudyCommands& studyCommands();

class frmMain : public QWidget {
    Q_OBJECT
public:
    frmMain();
    ~frmMain() override;

    void doEnableds(bool flag);
    void StartHoverTimer();
    void StopHoverTimer();

    CardView* cardView() const { return m_card; }
    qexFlatButton* button(int n) const; // 1..4
    qexCheck* Check1() const { return m_check1; }
    qexCheck* Check2() const { return m_check2; }
    qexHL* qexHL1() const { return m_link; }
    QMenu* mP() const { return m_menu; }
    QTimer* Timer1() const { return m_timer1; }
    bool newsession() const { return m_newsession; }

    // Runs the command of a Windows virtual-key code (13..88), as the keyboard map says.
    void keyCommand(int vk);
    // A key from the window or one of its controls: the menu keys, then the keyboard map.
    void controlKey(int vk, int shift);
    // Shows the popup menu at a point of this window (the tests read where it went).
    void popupMenuAt(const QPoint& local);
    QPoint lastMenuPos() const { return m_lastMenuPos; }
    void QuickHelp();
    static QString quickHelpText();

    // The side each card shows first (0 question, 1 answer, 2 mixed); the current card
    // turns to it at once.
    void setCardDirection(int direction);
    // The menu's study items follow the program-wide study options (after Preferences).
    void syncStudyOptions();

    // The typing drill: a box under the card takes the other side of the card; Return
    // checks it, turns the card and tells the verdict; the next Return moves on.
    void setTypingDrill(bool on);
    bool typingDrill() const;
    QLineEdit* answerBox() const { return m_answerBox; }
    // Return in the drill: check the typed answer, or move on after a check.
    void drillReturn();
    // Next or previous card; at the end of a round the round summary comes first.
    void navigate(bool forward);
    // True when the round is over and the user wants to see its summary.
    bool roundSummaryDue() const;
    // Shows what the round did and begins a new round; after the review of due cards, with
    // the review's own lines.
    void showRoundSummary(const QStringList& reviewLines = {});
    // The round summary's "Drill the trouble cards": trouble cards only, a new round.
    void drillTroubleCards();
    frmSummary* roundSummaryWindow() const { return m_summary; }

    // Grades the card on screen (1 Again, 2 Hard, 3 Good, 4 Easy) once its other side shows:
    // the grade goes into the review history, Again marks it as a trouble card, and the next
    // card comes (in the review of due cards, the next one due).
    void grade(int grade);
    // The grade buttons under the card; they show in the review of due cards once the card
    // has turned, each with the wait it would give.
    qexFlatButton* gradeButton(int grade) const; // 1..4
    // The grade the typing drill's verdict proposes for Return (0: none).
    int proposedGrade() const { return m_proposedGrade; }
    void updateGradeButtons();
    // Says the side the card shows (the read-aloud key and menu item).
    void readAloud();
    CardSpeech* speech() const { return m_speech; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void hover(const QString& description);
    void hoverTick();
    void newSessionCommand();
    void buildMenu();
    void layoutControls();
    void drillCardPresented();
    void checkAnswer();
    bool drillKey(QKeyEvent* e);
    // A key at one of the window's controls while the drill is on; true when it was taken.
    bool drillControlKey(QKeyEvent* e);
    bool isDrillText(const QKeyEvent* e) const;
    // Passes typed text on to the answer box, unless the box is read-only after a check.
    void typeIntoAnswerBox(const QKeyEvent* e);

    CardView* m_card = nullptr;
    qexFlatButton* m_buttons[4] = {};
    qexCheck* m_check1 = nullptr;
    qexCheck* m_check2 = nullptr;
    qexHL* m_link = nullptr;
    QMenu* m_menu = nullptr;
    QTimer* m_timer1 = nullptr;
    bool m_newsession = false;
    bool m_loaded = false;
    QPoint m_lastMenuPos;
    QAction* m_sideActions[3] = {};
    QAction* m_drillAction = nullptr;
    QLineEdit* m_answerBox = nullptr;
    QPointer<frmSummary> m_summary;
    bool m_drillChecked = false; // the typed answer was checked; the next Return moves on
    bool m_typingIntoBox = false; // a key is being passed on to the answer box
    qexFlatButton* m_gradeButtons[4] = {};
    qint64 m_presentedAtMs = 0; // when the card on screen came (the program's steady clock)
    int m_proposedGrade = 0;
    CardSpeech* m_speech = nullptr;
    void gradeNotKept();
    void finishReview();
};

// The one main card window: the existing one, or nullptr.
frmMain* mainWindow();
// Loads the main card window when it is not loaded yet, and returns it.
frmMain* loadMainWindow();
