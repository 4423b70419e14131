#include "historyexport.h"

#include "appstate.h"
#include "gcommondialog.h"
#include "programhistory.h"
#include "prompter.h"

#include <QBuffer>
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
    // The whole export is made first: the history is read in one go, and a write that fails
    // half way is repeated for the system's reason (a short write sets none).
    QBuffer csv;
    csv.open(QIODevice::WriteOnly);
    QString error;
    bool ok = h->exportCsv(csv);
    if (!ok)
        error = h->lastError();
    // Replaced whole: QSaveFile renames the new file into place only once it is complete.
    // Unbuffered, so that a failing write (a full disk) is seen before commit().
    QSaveFile file(fileName);
    if (ok && !file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        ok = false;
        error = file.errorString();
    }
    const QByteArray& bytes = csv.data();
    for (qint64 done = 0; ok && done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            ok = false;
            error = file.errorString();
        }
        done += n;
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
