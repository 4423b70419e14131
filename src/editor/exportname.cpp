#include "exportname.h"

#include <QFileInfo>

namespace qredit {

namespace {
bool isChapterName(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("qex"), Qt::CaseInsensitive) == 0;
}
} // namespace

ExportName exportName(const QString& typed, ExportType type) {
    const QString suffix = QFileInfo(typed).suffix().toLower();
    QString path = typed;
    if (suffix != QLatin1String("csv") && suffix != QLatin1String("tsv") && suffix != QLatin1String("txt") &&
        suffix != QLatin1String("qex")) {
        if (!path.endsWith(u'.'))
            path += u'.';
        path += type == ExportType::Tab ? QLatin1String("tsv") : QLatin1String("csv");
    }
    // The file is replaced where a link points; a link named like a word list may point at a
    // chapter.
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    if (isChapterName(path) || isChapterName(target))
        return {QString(),
                QStringLiteral("'%1' is the name of a chapter file. Export writes a word list: choose a name ending "
                               "in .csv, .tsv or .txt. Nothing was written.")
                    .arg(info.fileName())};
    return {path, QString()};
}

} // namespace qredit
