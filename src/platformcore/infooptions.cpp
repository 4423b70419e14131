#include "infooptions.h"

namespace {
void printLine(const QString& text, FILE* out) {
    QByteArray bytes = text.toLocal8Bit();
    if (!bytes.endsWith('\n'))
        bytes.append('\n');
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
    std::fflush(out);
}
} // namespace

bool handleInfoOptions(const QStringList& args, const QString& usage, const QString& versionText) {
    return handleInfoOptions(args, usage, versionText, stdout);
}

bool handleInfoOptions(const QStringList& args, const QString& usage, const QString& versionText, FILE* out) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        // Everything after "--" is an operand (a file name), never a switch.
        if (a == QLatin1String("--"))
            return false;
        if (a == QLatin1String("--help")) {
            printLine(usage, out);
            return true;
        }
        if (a == QLatin1String("--version")) {
            printLine(versionText, out);
            return true;
        }
    }
    return false;
}

QString versionTextWithLicence(const QString& versionLine) {
    return versionLine + QStringLiteral("\n"
                                        "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>\n"
                                        "This is free software: you are free to change and redistribute it.");
}

QStringList argumentsOf(int argc, char** argv) {
    QStringList out;
    for (int i = 0; i < argc; ++i)
        out.append(QString::fromLocal8Bit(argv[i]));
    return out;
}
