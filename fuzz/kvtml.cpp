// libFuzzer target for the KVTML reader. Besides "no crash, no leak, no unbounded
// allocation" it checks what the reader promises: a refused input fills nothing else; an
// accepted one has lessons whose entries are entries of the file, each once, and paths as
// deep as the lessons; and what the writer makes of the document reads back to the same
// title, identifiers and texts.
#include "kvtml.h"

#include <QBuffer>
#include <QSet>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "kvtml: %s\n", what);
    std::abort();
}

kvtml::Document readBytes(const QByteArray& bytes) {
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    return kvtml::Reader::read(b);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const kvtml::Document doc = readBytes(input);
    if (!doc.ok()) {
        if (!doc.entries.isEmpty() || !doc.identifiers.isEmpty() || !doc.lessons.isEmpty())
            fail("a refused input gave a document");
        return 0;
    }
    qint64 named = 0;
    QSet<int> inSome;
    for (const kvtml::Lesson& l : doc.lessons) {
        if (l.depth < 0 || l.depth >= kvtml::kMaxKvtmlDepth || l.path.size() != l.depth + 1 || l.path.last() != l.name)
            fail("a lesson's path does not match its depth");
        QSet<int> seen;
        for (const int e : l.entries) {
            if (e < 0 || e >= doc.entries.size() || seen.contains(e))
                fail("a lesson names an entry that is not there, or twice");
            seen.insert(e);
            inSome.insert(e);
        }
        named += l.entries.size();
    }
    if (doc.entriesInNoLesson != doc.entries.size() - inSome.size())
        fail("the entries in no lesson are miscounted");

    const kvtml::Document back = readBytes(kvtml::Writer::toBytes(doc));
    if (!back.ok())
        fail("the writer's file is refused");
    if (back.title != doc.title || back.identifiers.size() != doc.identifiers.size() ||
        back.entries.size() != doc.entries.size() || back.lessons.size() != doc.lessons.size())
        fail("the writer's file reads back different");
    QSet<QString> ids;
    for (qsizetype i = 0; i < doc.identifiers.size(); ++i) {
        if (back.identifiers[i].id != doc.identifiers[i].id || back.identifiers[i].name != doc.identifiers[i].name ||
            back.identifiers[i].locale != doc.identifiers[i].locale)
            fail("an identifier reads back different");
        ids.insert(doc.identifiers[i].id);
    }
    for (qsizetype e = 0; e < doc.entries.size(); ++e)
        for (const QString& id : ids)
            if (back.entries[e].texts.value(id) != doc.entries[e].texts.value(id))
                fail("a text reads back different");
    (void)named;
    return 0;
}
