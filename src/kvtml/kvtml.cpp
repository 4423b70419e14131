#include "kvtml.h"

#include "regularfile.h"

#include <QFile>
#include <QSet>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace kvtml {

int Document::identifierIndex(const QString& id) const {
    for (qsizetype i = 0; i < identifiers.size(); ++i)
        if (identifiers[i].id == id)
            return int(i);
    return -1;
}

namespace {

Document refused(const QString& why, qint64 line = 0) {
    Document d;
    d.error = why;
    d.errorLine = line;
    return d;
}

// What the text of the element being read goes into.
enum class Collect { Nothing, Title, IdentifierName, IdentifierLocale, Text, LessonName };

class Parse {
public:
    explicit Parse(const QByteArray& bytes) : m_x(bytes) {}

    Document run() {
        while (!m_x.atEnd()) {
            switch (m_x.readNext()) {
            case QXmlStreamReader::DTD:
                // Entities are what expands a small file into gigabytes, or reads other files;
                // a vocabulary file has no use for them.
                if (!m_x.entityDeclarations().isEmpty() || m_x.text().contains(QLatin1String("<!ENTITY")))
                    return refused(QStringLiteral("it declares entities (<!ENTITY ...>), which a vocabulary file does "
                                                  "not use; it is not read"),
                                   m_x.lineNumber());
                break;
            case QXmlStreamReader::EntityReference:
                return refused(QStringLiteral("line %1 refers to an entity (&%2;) that the file does not declare")
                                   .arg(m_x.lineNumber())
                                   .arg(m_x.name()),
                               m_x.lineNumber());
            case QXmlStreamReader::StartElement:
                if (!start())
                    return std::move(m_refusal);
                break;
            case QXmlStreamReader::EndElement:
                end();
                break;
            case QXmlStreamReader::Characters:
                if (m_collect != Collect::Nothing && m_stack.size() == m_collectDepth)
                    m_text += m_x.text();
                break;
            default:
                break;
            }
        }
        if (m_x.hasError()) {
            const qint64 line = m_x.lineNumber();
            if (m_x.error() == QXmlStreamReader::PrematureEndOfDocumentError)
                return m_rootSeen
                           ? refused(QStringLiteral("it ends on line %1 before its elements are closed (the file "
                                                    "is cut short)")
                                         .arg(line),
                                     line)
                           : refused(QStringLiteral("it is empty, or no XML"));
            return refused(QStringLiteral("it is not well-formed XML: %1 (line %2)").arg(m_x.errorString()).arg(line),
                           line);
        }
        if (!m_rootSeen)
            return refused(QStringLiteral("it is empty, or no XML"));
        finishLessons();
        return std::move(m_doc);
    }

private:
    bool refuse(const QString& why) {
        m_refusal = refused(why, m_x.lineNumber());
        return false;
    }
    bool at(std::initializer_list<const char*> path) const {
        if (m_stack.size() != qsizetype(path.size()))
            return false;
        qsizetype i = 0;
        for (const char* p : path)
            if (m_stack[i++] != QLatin1String(p))
                return false;
        return true;
    }
    void collect(Collect what) {
        m_collect = what;
        m_collectDepth = m_stack.size() + 1;
        m_text.clear();
    }

    bool start() {
        if (m_stack.size() >= kMaxKvtmlDepth)
            return refuse(QStringLiteral("its elements nest deeper than %1 levels (line %2)")
                              .arg(kMaxKvtmlDepth)
                              .arg(m_x.lineNumber()));
        const QStringView name = m_x.name();
        const QXmlStreamAttributes attrs = m_x.attributes();
        const bool inLesson = !m_isLesson.isEmpty() && m_isLesson.last();
        bool isLesson = false;
        if (m_stack.isEmpty()) {
            if (name != QLatin1String("kvtml"))
                return refuse(QStringLiteral("it is no KVTML file (its first element is <%1>, not <kvtml>)").arg(name));
            const QString version = attrs.value(QLatin1String("version")).toString();
            if (!version.startsWith(u'2'))
                return refuse(QStringLiteral("it is KVTML version %1; only version 2 is read")
                                  .arg(version.isEmpty() ? QStringLiteral("1") : version));
            m_rootSeen = true;
        } else if (at({"kvtml", "information"}) && name == QLatin1String("title")) {
            collect(Collect::Title);
        } else if (at({"kvtml", "identifiers"}) && name == QLatin1String("identifier")) {
            m_doc.identifiers.append(Identifier{attrs.value(QLatin1String("id")).toString(), {}, {}});
        } else if (at({"kvtml", "identifiers", "identifier"}) && name == QLatin1String("name")) {
            collect(Collect::IdentifierName);
        } else if (at({"kvtml", "identifiers", "identifier"}) && name == QLatin1String("locale")) {
            collect(Collect::IdentifierLocale);
        } else if (at({"kvtml", "entries"}) && name == QLatin1String("entry")) {
            const QString id = attrs.value(QLatin1String("id")).toString();
            m_entry = int(m_doc.entries.size());
            m_entryIndex.insert(id, m_entry);
            m_doc.entries.append(Entry{id, m_x.lineNumber(), {}});
        } else if (at({"kvtml", "entries", "entry"}) && name == QLatin1String("translation")) {
            m_translation = attrs.value(QLatin1String("id")).toString();
        } else if (at({"kvtml", "entries", "entry", "translation"}) && name == QLatin1String("text")) {
            collect(Collect::Text);
        } else if (name == QLatin1String("container") && (at({"kvtml", "lessons"}) || inLesson)) {
            isLesson = true;
            Lesson l;
            l.depth = int(m_lessonStack.size());
            m_parent.append(m_lessonStack.isEmpty() ? -1 : m_lessonStack.last());
            m_lessonStack.append(int(m_doc.lessons.size()));
            m_doc.lessons.append(l);
        } else if (inLesson) {
            if (name == QLatin1String("name"))
                collect(Collect::LessonName);
            else if (name == QLatin1String("entry"))
                m_refs.append({m_lessonStack.last(), attrs.value(QLatin1String("id")).toString()});
        }
        m_stack.append(name.toString());
        m_isLesson.append(isLesson);
        return true;
    }

    void end() {
        if (m_stack.isEmpty())
            return;
        if (m_collect != Collect::Nothing && m_stack.size() == m_collectDepth) {
            switch (m_collect) {
            case Collect::Title:
                m_doc.title = m_text;
                break;
            case Collect::IdentifierName:
                m_doc.identifiers.last().name = m_text;
                break;
            case Collect::IdentifierLocale:
                m_doc.identifiers.last().locale = m_text;
                break;
            case Collect::Text:
                if (m_entry >= 0)
                    m_doc.entries[m_entry].texts.insert(m_translation, m_text);
                break;
            case Collect::LessonName:
                m_doc.lessons[m_lessonStack.last()].name = m_text;
                break;
            case Collect::Nothing:
                break;
            }
            m_collect = Collect::Nothing;
        }
        const QString name = m_stack.takeLast();
        if (m_isLesson.takeLast())
            m_lessonStack.removeLast();
        else if (name == QLatin1String("entry") && at({"kvtml", "entries"}))
            m_entry = -1;
    }
    void finishLessons() {
        for (qsizetype i = 0; i < m_doc.lessons.size(); ++i) {
            Lesson& l = m_doc.lessons[i];
            const int parent = m_parent[i];
            l.path = parent < 0 ? QStringList() : m_doc.lessons[parent].path;
            l.path.append(l.name);
        }
        QVector<QSet<int>> seen(m_doc.lessons.size());
        QSet<int> inSome;
        for (const auto& [lesson, id] : m_refs) {
            const auto it = m_entryIndex.constFind(id);
            if (it == m_entryIndex.constEnd() || seen[lesson].contains(*it))
                continue;
            seen[lesson].insert(*it);
            inSome.insert(*it);
            m_doc.lessons[lesson].entries.append(*it);
        }
        m_doc.entriesInNoLesson = m_doc.entries.size() - inSome.size();
    }

    QXmlStreamReader m_x;
    Document m_doc;
    Document m_refusal;
    QStringList m_stack;
    bool m_rootSeen = false;
    Collect m_collect = Collect::Nothing;
    qsizetype m_collectDepth = 0;
    QString m_text;
    int m_entry = -1;
    QString m_translation;
    QHash<QString, int> m_entryIndex;
    QVector<int> m_lessonStack;
    QVector<bool> m_isLesson; // per open element: whether it is a lesson's container
    QVector<int> m_parent;
    QVector<QPair<int, QString>> m_refs;
};

} // namespace

Document Reader::read(QIODevice& in) {
    const QString tooLarge = QStringLiteral("it is larger than %1 MB").arg(kMaxKvtmlBytes >> 20);
    if (!in.isSequential() && in.size() - in.pos() > kMaxKvtmlBytes)
        return refused(tooLarge);
    // In blocks: a read of the whole bound at once would take 64 MB for any file.
    QByteArray bytes;
    for (;;) {
        const QByteArray block = in.read(1 << 20);
        if (block.isEmpty()) {
            if (!in.atEnd())
                return refused(in.errorString());
            break;
        }
        if (bytes.size() + block.size() > kMaxKvtmlBytes)
            return refused(tooLarge);
        bytes += block;
    }
    return Parse(bytes).run();
}

Document Reader::readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return refused(f.errorString());
    return read(f);
}

QByteArray Writer::toBytes(const Document& doc) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(1);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("kvtml"));
    w.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));
    w.writeStartElement(QStringLiteral("information"));
    w.writeTextElement(QStringLiteral("generator"), QStringLiteral("qredit"));
    w.writeTextElement(QStringLiteral("title"), doc.title);
    w.writeEndElement();
    w.writeStartElement(QStringLiteral("identifiers"));
    for (const Identifier& i : doc.identifiers) {
        w.writeStartElement(QStringLiteral("identifier"));
        w.writeAttribute(QStringLiteral("id"), i.id);
        w.writeTextElement(QStringLiteral("name"), i.name);
        w.writeTextElement(QStringLiteral("locale"), i.locale);
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeStartElement(QStringLiteral("entries"));
    for (const Entry& e : doc.entries) {
        w.writeStartElement(QStringLiteral("entry"));
        w.writeAttribute(QStringLiteral("id"), e.id);
        for (const Identifier& i : doc.identifiers) {
            const auto it = e.texts.constFind(i.id);
            if (it == e.texts.constEnd())
                continue;
            w.writeStartElement(QStringLiteral("translation"));
            w.writeAttribute(QStringLiteral("id"), i.id);
            w.writeTextElement(QStringLiteral("text"), *it);
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement();
    if (!doc.lessons.isEmpty()) {
        w.writeStartElement(QStringLiteral("lessons"));
        // Containers nest by depth, as they were read.
        int open = 0;
        for (const Lesson& l : doc.lessons) {
            for (; open > l.depth; --open)
                w.writeEndElement();
            w.writeStartElement(QStringLiteral("container"));
            ++open;
            w.writeTextElement(QStringLiteral("name"), l.name);
            w.writeTextElement(QStringLiteral("inpractice"), QStringLiteral("true"));
            for (const int e : l.entries) {
                w.writeEmptyElement(QStringLiteral("entry"));
                w.writeAttribute(QStringLiteral("id"), doc.entries.value(e).id);
            }
        }
        for (; open > 0; --open)
            w.writeEndElement();
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

bool Writer::writeFile(const QString& path, const Document& doc, QString& error) {
    return writeFileWhole(path, toBytes(doc), error);
}

} // namespace kvtml
