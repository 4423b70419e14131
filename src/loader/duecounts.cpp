#include "duecounts.h"

#include "appstate.h"
#include "duereview.h"
#include "ivordalite.h"
#include "modmain.h"
#include "programhistory.h"
#include "regularfile.h"

#include <QFileInfo>

namespace {
QString fileNameOf(const QString& path) { return path.section(QLatin1Char('/'), -1); }

// The chapter files of the list as the chapter window shows them: a file that is missing or
// can't be mounted is left out, a chapter without a title goes by its file name.
QVector<review::ChapterFile> listedChapters(const ivordalite& master) {
    QVector<review::ChapterFile> files;
    const qint32 count = std::min<qint32>(master.getlong(QStringLiteral("flist_count"), 0), 32767);
    for (qint32 i = 0; i <= count; ++i) {
        const QString path = master.getstring(QStringLiteral("flist_name_") + QString::number(i), QString());
        if (path.isEmpty() || !QFileInfo(path).isFile() || !notRegularFileReason(path).isEmpty())
            continue;
        ivordalite store;
        if (!store.mount(path, true))
            continue;
        files.append({path, store.title().isEmpty() ? fileNameOf(path) : store.title()});
    }
    return files;
}

void printLine(const QString& text, FILE* out) {
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}
} // namespace

bool hasDueOption(const QStringList& args) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--"))
            return false;
        if (args.at(i) == QLatin1String("--due"))
            return true;
    }
    return false;
}

DueReport dueReport() {
    AppState& a = app();
    if (a.homeFolder.isEmpty())
        a.homeFolder = homeFolderPath();
    DueReport report;
    const QString path = masterPath();
    // The store creates a file it mounts when there is none: only an existing one is mounted.
    if (!QFileInfo::exists(path)) {
        report.lines << QStringLiteral("No chapters are listed yet.");
        return report;
    }
    QString why = notRegularFileReason(path);
    if (why.isEmpty() && !QFileInfo(path).isFile())
        why = QStringLiteral("'") + path + QStringLiteral("' is a folder, not a file");
    auto master = std::make_unique<ivordalite>();
    if (why.isEmpty() && !master->mount(path, false))
        why = master->errorString();
    if (!why.isEmpty()) {
        report.warning = QStringLiteral("The chapter list can't be read: ") + why;
        report.exitCode = 1;
        return report;
    }
    a.master = std::move(master);
    ReadStudyOptions();
    const QVector<review::ChapterFile> files = listedChapters(*a.master);
    a.master.reset();
    if (files.isEmpty()) {
        report.lines << QStringLiteral("No chapters are listed yet.");
        return report;
    }

    QVector<history::Chapter> chapters;
    for (const review::ChapterFile& f : files) {
        std::optional<review::ChapterCards> c = review::readChapterCards(f);
        chapters.append(c ? c->chapter : history::Chapter{f.path, f.title, {}});
    }
    // A history that isn't there yet is not created by a look at the counts: every card is new.
    const QString historyPath =
        a.historyPathOverride.isEmpty() ? history::History::defaultPath() : a.historyPathOverride;
    history::History none;
    history::History* h = &none;
    if (QFileInfo::exists(historyPath)) {
        if (history::History* opened = review::programHistory())
            h = opened;
        else
            report.warning = QStringLiteral("The review history can't be used, so every card counts as new: ") +
                             review::historyProblem();
    }
    const history::DueDeck due = h->dueDeck(chapters, review::now(), a.dayStartHour, a.newCardsPerDay);
    for (int i = 0; i < files.size(); ++i) {
        const history::ChapterCounts& c = due.perChapter.value(i);
        report.lines << QStringLiteral("%1: %2 due, %3 new").arg(files[i].title).arg(c.due).arg(c.fresh);
    }
    report.lines << QStringLiteral("Total: %1 due, %2 new").arg(due.dueTotal).arg(due.freshTotal);
    review::closeProgramHistory();
    return report;
}

int printDueCounts(FILE* out, FILE* err) {
    const DueReport report = dueReport();
    for (const QString& line : report.lines)
        printLine(line, out);
    if (!report.warning.isEmpty())
        printLine(QStringLiteral("qr2: ") + report.warning, err);
    std::fflush(out);
    std::fflush(err);
    return report.exitCode;
}

QVector<review::ChapterFile> listedChapterFiles(const ivordalite& master) { return listedChapters(master); }
