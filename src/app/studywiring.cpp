#include "studywiring.h"

#include "appstate.h"
#include "modmain.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QWidget>

void installStudyHooks() {
    LoaderHooks& h = app().hooks;
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
}
