#include "version.h"

#include "appstate.h"

QString VersionString() {
    if (app().versionString.isEmpty()) {
        QString v = QStringLiteral("version %appmajor%.%appminor% [build %apprev%] %specialbuild%");
        v.replace(QStringLiteral("%appmajor%"), QString::number(kAppMajor));
        v.replace(QStringLiteral("%appminor%"), QString::number(kAppMinor));
        v.replace(QStringLiteral("%apprev%"), QString::number(kAppRevision));
        v.replace(QStringLiteral("%specialbuild%"), QString());
        app().versionString = v;
    }
    return app().versionString;
}
