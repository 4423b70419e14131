#include "kvtmlimport.h"

#include <QSet>

namespace qredit {

KvtmlChoice defaultKvtmlChoice(const kvtml::Document& doc) {
    KvtmlChoice c;
    c.frontId = doc.identifiers.value(0).id;
    c.backId = doc.identifiers.value(1).id;
    for (int i = 0; i < doc.lessons.size(); ++i)
        c.lessons.append(i);
    return c;
}

bool takesAll(const kvtml::Document& doc, const KvtmlChoice& choice) {
    return choice.lessons.size() == doc.lessons.size() && (choice.entriesInNoLesson || doc.entriesInNoLesson == 0);
}

wordlist::WordTable kvtmlTable(const kvtml::Document& doc, const KvtmlChoice& choice) {
    wordlist::WordTable t;
    t.delimiter = 0;
    t.columns = 2;
    QVector<bool> taken(doc.entries.size(), takesAll(doc, choice));
    if (!takesAll(doc, choice)) {
        QVector<bool> inLesson(doc.entries.size(), false);
        for (const kvtml::Lesson& l : doc.lessons)
            for (const int e : l.entries)
                inLesson[e] = true;
        for (const int l : choice.lessons)
            for (const int e : doc.lessons.value(l).entries)
                taken[e] = true;
        if (choice.entriesInNoLesson)
            for (qsizetype e = 0; e < doc.entries.size(); ++e)
                taken[e] = taken[e] || !inLesson[e];
    }
    for (qsizetype e = 0; e < doc.entries.size(); ++e) {
        if (!taken[e])
            continue;
        const kvtml::Entry& entry = doc.entries[e];
        wordlist::WordRow r;
        r.line = entry.line;
        // A card is one line: a line break in a text becomes a space, as in a word list.
        r.front = entry.texts.value(choice.frontId).simplified();
        r.back = choice.backId.isEmpty() ? QString() : entry.texts.value(choice.backId).simplified();
        if (r.front.isEmpty() && r.back.isEmpty())
            continue;
        t.rows.append(r);
    }
    t.dataRows = t.rows.size();
    return t;
}

QString lessonTitle(const kvtml::Lesson& lesson, const QVector<CardRow>& rows) {
    QString title = lesson.path.join(QStringLiteral(" \u2013 ")).simplified();
    while (!title.isEmpty() && !titleFits(title, chapterEncoding(rows, title)))
        title.chop(title.size() >= 2 && title.at(title.size() - 1).isLowSurrogate() ? 2 : 1);
    return title.trimmed();
}

QStringList lessonFileNames(const QVector<kvtml::Lesson>& lessons) {
    QStringList names;
    QSet<QString> used;
    for (qsizetype i = 0; i < lessons.size(); ++i) {
        QString base;
        for (const QChar c : lessonTitle(lessons[i]))
            base += (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c == u':' || c == u'*' || c == u'?' ||
                     c == u'"' || c == u'<' || c == u'>' || c == u'|')
                        ? QChar(u'_')
                        : c;
        base = base.trimmed();
        while (base.startsWith(u'.'))
            base.remove(0, 1);
        if (base.isEmpty())
            base = QStringLiteral("Lesson %1").arg(i + 1);
        QString name = base + QStringLiteral(".qex");
        for (int n = 2; used.contains(name.toLower()); ++n)
            name = QStringLiteral("%1 (%2).qex").arg(base).arg(n);
        used.insert(name.toLower());
        names.append(name);
    }
    return names;
}

kvtml::Document chapterDocument(const QVector<CardRow>& rows, const QString& title, const kvtml::Identifier& front,
                                const kvtml::Identifier& back) {
    kvtml::Document doc;
    doc.title = title;
    doc.identifiers = {front, back};
    kvtml::Lesson lesson;
    lesson.name = title;
    lesson.path = {title};
    doc.entries.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        kvtml::Entry e;
        e.id = QString::number(i);
        e.texts.insert(front.id, rows[i].question);
        e.texts.insert(back.id, rows[i].answer);
        doc.entries.append(e);
        lesson.entries.append(int(i));
    }
    doc.lessons = {lesson};
    return doc;
}

QString identifierList(const kvtml::Document& doc) {
    QStringList out;
    for (const kvtml::Identifier& i : doc.identifiers)
        out << (i.name.isEmpty() ? i.id : QStringLiteral("%1 %2").arg(i.id, i.name));
    return out.join(QStringLiteral(", "));
}

} // namespace qredit

#include "history.h"

#include <QFileInfo>

namespace qredit {
QString storeChapterLanguages(const QString& historyPath, const QString& chapterPath, const QVector<CardRow>& rows,
                              const QString& title, const QString& frontLocale, const QString& backLocale) {
    if (frontLocale.isEmpty() && backLocale.isEmpty())
        return {};
    if (historyPath.isEmpty())
        return QStringLiteral("the system names no data folder for the review history");
    history::History h;
    if (const history::OpenResult opened = h.open(historyPath); !opened.ok())
        return opened.message;
    history::Chapter chapter{QFileInfo(chapterPath).absoluteFilePath(), title, {}};
    for (const CardRow& r : rows)
        chapter.questions.append(r.question);
    if (!h.setChapterLanguages(chapter, frontLocale, backLocale))
        return h.lastError();
    return {};
}
} // namespace qredit
