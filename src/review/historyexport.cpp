#include "historyexport.h"

#include "appstate.h"
#include "gcommondialog.h"
#include "programhistory.h"
#include "prompter.h"

#include <QSaveFile>

namespace review {

namespace {
const QString kTitle = QStringLiteral("Can't export review history");
}

bool exportReviewHistoryCommand(QObject* owner) {
    const history::History* h = programHistory();
    if (!h) {
        // Asked before the file name, so that no name is chosen for nothing.
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, kTitle,
                       QStringLiteral("The review history can't be exported. ") + historyProblem());
        return false;
    }
    GCommonDialog dlg;
    QString fileName = QStringLiteral("review history.csv"), fileTitle, filter = QStringLiteral("CSV file|*.csv");
    qint32 filterIndex = 1, flags = 0;
    if (!dlg.VBGetSaveFileName(fileName, fileTitle, true, filter, filterIndex, app().homeFolder, QString(),
                               QStringLiteral("csv"), owner, flags))
        return false;
    // Replaced whole: QSaveFile renames the new file into place only once it is complete.
    // Unbuffered, so that a failing write (a full disk) is seen before commit().
    QSaveFile file(fileName);
    QString error;
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (!ok)
        error = file.errorString();
    if (ok && !h->exportCsv(file)) {
        ok = false;
        error = h->lastError();
    }
    if (ok && !file.commit()) {
        ok = false;
        error = file.errorString();
    }
    if (!ok) {
        file.cancelWriting();
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, kTitle,
                       QStringLiteral("The file '") + fileName + QStringLiteral("' couldn't be written: ") + error);
        return false;
    }
    return true;
}

} // namespace review
