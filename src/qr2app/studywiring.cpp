#include "studywiring.h"

#include "appstate.h"
#include "modmain.h"

#include "frmchapter.h"
#include "frmmain.h"
#include "modrender.h"
#include "r_data.h"
#include "progressfile.h"
#include "statistics.h"
#include "frmfind.h"
#include "frmviewer.h"
#include "frmoptions.h"
#include "frmsetup.h"
#include "frmabout.h"
#include "frmsplash.h"
#include "productpage.h"
#include "historyexport.h"
#include "cardspeech.h"
#include "enginespeaker.h"
#include "chapterlanguages.h"
#include "deck.h"
#include "languagesdialog.h"
#include "messagelog.h"

#include <QWidget>

void installStudyHooks() {
    LoaderHooks& h = app().hooks;
    h.showChapterWindow = []() -> QWidget* { return showChapterWindow(); };
    h.setChapterControlsEnabled = [](QWidget* w, bool on) {
        if (auto* c = qobject_cast<frmChapter*>(w))
            c->setControlsEnabled(on);
    };
    h.showMainWindow = [] { loadMainWindow(); };
    h.releaseRenderer = [] { releaseMainRenderPair(); };
    h.installDefaultColours = [] {
        r_data defaults;
        defaults.setdefaults();
    };
    studyCommands().saveProgress = [](QWidget* owner) { SaveProgress(owner); };
    studyCommands().exportCards = [](QWidget* owner) { ExportCardsCommand(owner); };
    studyCommands().exportHistory = [](QWidget* owner) { review::exportReviewHistoryCommand(owner); };
    chapterCommands().exportHistory = [](QWidget* owner) { review::exportReviewHistoryCommand(owner); };
    chapterCommands().loadProgress = [](QWidget* owner) { return LoadProgress(owner); };
    studyCommands().viewAllCards = [] { ViewAllCards(); };
    studyCommands().findCard = [] { ShowFindWindow(); };
    studyCommands().options = [] { ShowOptionsWindow(); };
    h.runSetupWizard = [](QWidget* owner) { RunSetupWizard(owner); };
    h.beforeUnloadWindows = [] { CloseOptionsAsCancel(); };
    h.showSplash = [] { ShowSplash(); };
    h.stopSplashPainting = [] { StopSplashPainting(); };
    h.unloadSplash = [] { UnloadSplash(); };
    h.splashWindow = [] { return splashWindow(); };
    h.setSplashStatus = [](const QString& s) { SetSplashStatus(s); };
    studyCommands().about = [] { ShowAboutWindow(); };
    studyCommands().productPage = [] { OpenProductPage(); };
    chapterCommands().about = [] { ShowAboutWindow(); };
    installCardVoice();
}

void installCardVoice() {
    // Made on the first word to say: a run that never speaks never starts the engine.
    static voice::EngineSpeaker engine;
    engine.setProblemSink([](const QString& problem) {
        LogMessage(problem + QStringLiteral("/n"), 2);
        if (frmMain* w = mainWindow())
            w->speech()->engineProblem(problem);
    });
    cardVoice().speaker = [] { return &engine; };
    cardVoice().ready = [] { return engine.started(); };
    cardVoice().chapterLanguages = [](const DeckChapter& c) { return review::deckChapterLanguages(c); };
    voiceLanguages() = [] { return engine.languages(); };
    cardVoice().log = [](const QString& line) { LogMessage(line + QStringLiteral("/n"), 2); };
}
