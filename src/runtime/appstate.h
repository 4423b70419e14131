#pragma once
// Program-wide state of the study program, owned by the loader. One instance per process;
// tests replace it with a fresh one for every case (AppState::reset).
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class ivordalite;
class QWidget;
class QLockFile;

// The points where the loader reaches windows that live in libraries above it. The study
// program's wiring fills them; an empty hook is skipped.
struct LoaderHooks {
    std::function<void()> showSplash;                       // load, show and start painting the splash
    std::function<void()> stopSplashPainting;
    std::function<void()> unloadSplash;
    std::function<QWidget*()> splashWindow;                 // nullptr when there is none
    std::function<void(const QString&)> setSplashStatus;    // the splash status line
    std::function<void()> installDefaultColours;            // a render data object runs setdefaults
    std::function<void(QWidget* owner)> runSetupWizard;     // modal
    std::function<QWidget*()> showChapterWindow;            // load and show, non-modal
    std::function<void(QWidget*, bool)> setChapterControlsEnabled;
    std::function<void()> releaseRenderer;                  // killrenderer(false), release renderer and data
    std::function<void()> showMainWindow;                   // load if needed, then show
    std::function<void()> beforeUnloadWindows;              // windows that must end before the data goes
    std::function<void(int exitCode)> quitProcess;          // default: leave the event loop
};

class AppState {
public:
    static AppState& instance();
    // Replaces the instance with a fresh one (tests); the old master database is released.
    static void reset();
    ~AppState();

    QString runModeName = QStringLiteral("release");
    QString homeFolder;
    std::unique_ptr<ivordalite> master;
    bool splashStatus = false;
    bool shutdownSignal = false;
    bool busy = false;
    bool alphaSupported = false;
    bool gradientSupported = false;
    int osVersion = 0;
    bool osVersionKnown = false;
    int osMajor = 0, osMinor = 0, osBuild = 0;
    bool alphaEffects = false;
    int alphaLevel = 90;
    bool showMouseHover = true;
    bool troubleDefaultPending = true; // the rule in force is `troubledefault` of the deck
    // Studying both ways and by typing. The defaults are the plain flip of question to answer.
    int cardDirection = 0;           // 0 question first, 1 answer first, 2 mixed
    bool typeAnswers = false;        // the typing drill
    bool forgiveAccents = true;      // accents and German spellings count as right
    bool rightClearsTrouble = false; // a right answer clears the card's trouble mark
    int roundSummary = 1;            // 0 never, 1 after a round of the typing drill, 2 after every round
    int readAloud = 0;               // 0 never, 1 the question when it shows, 2 both sides
    bool listeningDrill = false;     // the typing drill speaks the question and hides it
    // The review of due cards (Preferences): the share of cards to remember when they come
    // due, in percent (70 to 97), new cards a day, the hour the study day begins, and
    // whether intervals are spread a little so that cards learned together part.
    int desiredRetention = 90;
    int newCardsPerDay = 20;
    int dayStartHour = 4;
    bool intervalFuzz = true;
    // Where the review history lives; empty means the user's data folder.
    QString historyPathOverride;
    bool forgetSettingsAtExit = false;
    bool systemUp = false;
    bool showConsole = false;
    QString versionString;
    QStringList arguments;

    // Where the program lives and where the documents folder is; empty means the real ones.
    QString programFolderOverride;
    QString documentsOverride;
    // The windowing platform to act as (tests); empty means the one the program runs on.
    QString platformNameOverride;
    // Held while this instance runs, so a second start can be refused.
    std::unique_ptr<QLockFile> instanceLock;
    // A shutdown asked for while a shuffle runs waits for the shuffle to return.
    bool shutdownPending = false;
    // What runs once that waiting shutdown is done (the reload of a new session).
    std::function<void()> afterShutdown;
    // The user has been told that the mounted master database is full.
    bool settingsFullReported = false;
    bool exitRequested = false;
    int exitCode = 0;
    // LoadSystem runs (and may pump events in its pauses and the setup wizard).
    bool loadingSystem = false;
    // A signal asked the process to end while the system was still coming up: it ends once up.
    bool endWhenUp = false;

    LoaderHooks hooks;
};

inline AppState& app() { return AppState::instance(); }
