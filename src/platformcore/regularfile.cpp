#include "regularfile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>

QString notRegularFileReason(const QString& path) {
    struct stat st {};
    // stat() follows links, so a link to a chapter is as good as the chapter; a broken link
    // or a missing file is left to the open, whose message names the system's reason.
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 || S_ISREG(st.st_mode))
        return QString();
    QString kind;
    if (S_ISDIR(st.st_mode))
        kind = QStringLiteral("a folder");
    else if (S_ISFIFO(st.st_mode))
        kind = QStringLiteral("a named pipe");
    else if (S_ISSOCK(st.st_mode))
        kind = QStringLiteral("a socket");
    else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        kind = QStringLiteral("a device");
    else
        kind = QStringLiteral("not a regular file");
    return QStringLiteral("'%1' is %2, not a file").arg(QDir::toNativeSeparators(path), kind);
}

bool writeFileWhole(const QString& path, const QByteArray& bytes, QString& error) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = f.errorString();
        return false;
    }
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 n = f.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            error = f.errorString();
            f.cancelWriting();
            return false;
        }
        done += n;
    }
    if (!f.commit()) {
        error = f.errorString();
        return false;
    }
    return true;
}
