#pragma once
// KVTML 2, the vocabulary files of the KDE trainers: a display-free reader and writer.
//
//   <kvtml version="2.0">
//     <information><title>...</title></information>
//     <identifiers><identifier id="0"><name>English</name><locale>en</locale></identifier>...
//     <entries><entry id="0"><translation id="0"><text>house</text></translation>...</entry>...
//     <lessons><container><name>Lesson 1</name><entry id="0"/><container>...</container></container>
//   </kvtml>
//
// The input is untrusted. It is read whole, up to kMaxKvtmlBytes, with QXmlStreamReader,
// which fetches nothing from outside: a DOCTYPE naming an outside DTD (as the KDE trainers
// write) is passed over, but a file that declares entities of its own (<!ENTITY>, the stuff of
// "billion laughs") or refers to one it does not declare is refused with one message before
// anything is expanded. Elements may nest kMaxKvtmlDepth deep. Whatever the bytes, the
// reader returns a document or an error, and never crashes.
#include <QHash>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QVector>

namespace kvtml {

constexpr qint64 kMaxKvtmlBytes = 64 << 20;
constexpr int kMaxKvtmlDepth = 64;

struct Identifier {
    QString id;
    QString name;
    QString locale;
};

struct Entry {
    QString id;
    qint64 line = 0;               // where the entry starts in the file, from 1
    QHash<QString, QString> texts; // identifier id -> text
};

// One container of the lessons, at any depth. Its entries are those it names itself, not
// those of the containers inside it.
struct Lesson {
    QString name;
    QStringList path;     // the names of the containers it sits in, then its own
    int depth = 0;        // 0 for a container right under <lessons>
    QVector<int> entries; // indices into Document::entries, in the order named, each once
};

struct Document {
    QString error; // the file is refused when this is not empty; nothing else is then filled
    qint64 errorLine = 0;
    QString title;
    QVector<Identifier> identifiers;
    QVector<Entry> entries;
    QVector<Lesson> lessons;
    qint64 entriesInNoLesson = 0; // entries that no lesson names
    bool ok() const { return error.isEmpty(); }
    int identifierIndex(const QString& id) const;
};

class Reader {
public:
    static Document read(QIODevice& in);
    static Document readFile(const QString& path);
};

class Writer {
public:
    // KVTML 2 as the KDE trainers write it, UTF-8.
    static QByteArray toBytes(const Document& doc);
    // Replaces `path` as a whole or not at all.
    static bool writeFile(const QString& path, const Document& doc, QString& error);
};

} // namespace kvtml
