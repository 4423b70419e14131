#pragma once
// The state a test of the whole study program starts from: settings and deck reset, the
// documents and program folders set, the real windows wired, and the process's end recorded
// in `quits` instead of ending the test.
#include "appstate.h"
#include "deck.h"
#include "studywiring.h"

#include <QList>
#include <QString>

inline void resetStudyProgram(const QString& documents, QList<int>& quits) {
    AppState::reset();
    FlushDeck(true);
    app().documentsOverride = documents;
    app().programFolderOverride = QStringLiteral(QUARNEL_BIN_DIR);
    installStudyHooks();
    app().hooks.quitProcess = [&quits](int code) { quits.append(code); };
    quits.clear();
}
