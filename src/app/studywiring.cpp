#include "studywiring.h"

#include "appstate.h"
#include "modmain.h"

#ifdef HAVE_STUDY_WINDOWS
#include "frmchapter.h"
#include "frmmain.h"
#include "modrender.h"
#include "r_data.h"
#endif
#ifdef HAVE_SESSIONFILES
#include "progressfile.h"
#include "statistics.h"
#endif
#ifdef HAVE_FINDUI
#include "frmfind.h"
#include "frmviewer.h"
#endif
#ifdef HAVE_PREFS
#include "frmoptions.h"
#include "frmsetup.h"
#endif
#ifdef HAVE_SPLASHUI
#include "frmabout.h"
#include "frmsplash.h"
#include "productpage.h"
#endif

#include <QHBoxLayout>
#include <QPushButton>
#include <QWidget>

void installStudyHooks() {
    LoaderHooks& h = app().hooks;
#ifdef HAVE_STUDY_WINDOWS
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
#else
    h.showChapterWindow = []() -> QWidget* {
        auto* w = new QWidget;
        w->setObjectName(QStringLiteral("frmChapter"));
        w->setWindowTitle(QStringLiteral("Select the Chapter or Data File"));
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), w);
        cancel->setObjectName(QStringLiteral("Command2"));
        auto* lay = new QHBoxLayout(w);
        lay->addWidget(cancel);
        QObject::connect(cancel, &QPushButton::clicked, w, [] { ShutdownSystem(0, false); });
        RestoreWindowPosition(w);
        w->show();
        return w;
    };
#endif
#ifdef HAVE_SESSIONFILES
    studyCommands().saveProgress = [](QWidget* owner) { SaveProgress(owner); };
    studyCommands().exportCards = [](QWidget* owner) { ExportCardsCommand(owner); };
    chapterCommands().loadProgress = [](QWidget* owner) { return LoadProgress(owner); };
#endif
#ifdef HAVE_FINDUI
    studyCommands().viewAllCards = [] { ViewAllCards(); };
    studyCommands().findCard = [] { ShowFindWindow(); };
#endif
#ifdef HAVE_PREFS
    studyCommands().options = [] { ShowOptionsWindow(); };
    h.runSetupWizard = [](QWidget* owner) { RunSetupWizard(owner); };
    h.beforeUnloadWindows = [] { CloseOptionsAsCancel(); };
#endif
#ifdef HAVE_SPLASHUI
    h.showSplash = [] { ShowSplash(); };
    h.stopSplashPainting = [] { StopSplashPainting(); };
    h.unloadSplash = [] { UnloadSplash(); };
    h.splashWindow = [] { return splashWindow(); };
    h.setSplashStatus = [](const QString& s) { SetSplashStatus(s); };
    studyCommands().about = [] { ShowAboutWindow(); };
    studyCommands().productPage = [] { OpenProductPage(); };
    chapterCommands().about = [] { ShowAboutWindow(); };
#endif
}
