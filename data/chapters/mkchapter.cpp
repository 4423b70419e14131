// Turns a readable chapter source into a chapter file.
//
// Source format (UTF-8): the first non-empty line is "title: <deck title>"; every other
// non-empty line that does not start with '#' is "<question> = <answer>".
#include "deck.h"
#include "ivordalite.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication a(argc, argv);
    const QStringList args = a.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: mkchapter SOURCE.txt OUT.qex\n");
        return 2;
    }
    QFile src(args[1]);
    if (!src.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "mkchapter: can't read %s\n", qPrintable(args[1]));
        return 1;
    }
    QTextStream in(&src);
    in.setEncoding(QStringConverter::Utf8);
    QString title;
    QList<QPair<QString, QString>> cards;
    int lineNo = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNo;
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(QLatin1String("title:"))) {
            title = line.mid(6).trimmed();
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1String(" = "));
        if (eq < 0) {
            std::fprintf(stderr, "%s:%d: expected 'question = answer'\n", qPrintable(args[1]), lineNo);
            return 1;
        }
        cards.append({line.left(eq).trimmed(), line.mid(eq + 3).trimmed()});
    }
    QFile::remove(args[2]);
    ivordalite store;
    if (!store.mount(args[2], false)) {
        std::fprintf(stderr, "mkchapter: can't create %s\n", qPrintable(args[2]));
        return 1;
    }
    store.setComment(chapterMark());
    store.setTitle(title);
    for (auto [q, a] : cards) {
        EncodeSpecialLetters(q);
        store.add(q, a, 0, QStringLiteral("qre_word"));
    }
    if (!store.save()) {
        std::fprintf(stderr, "mkchapter: %s\n", qPrintable(store.errorString()));
        return 1;
    }
    return 0;
}
