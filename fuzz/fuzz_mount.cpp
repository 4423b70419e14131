// Mounts arbitrary bytes as a record store. Beyond "no crash, no sanitizer report", every
// store that mounts must hold records that fit their slots, and must read back the same
// after a save.
#include "ivordalite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
struct Entry {
    QString name, valuestring, tag;
    bool isstring = false;
    qint32 valuelong = 0;
    bool operator==(const Entry&) const = default;
};

QList<Entry> entriesOf(const ivordalite& s) {
    QList<Entry> out;
    for (int i = 0; i <= s.ub(); ++i) {
        Entry e;
        s.ienum(qint16(i), e.name, e.isstring, e.valuestring, e.valuelong, e.tag);
        out.append(e);
    }
    return out;
}

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_mount: %s\n", what);
        std::abort();
    }
}

bool writeFile(const QString& path, const uint8_t* data, size_t size) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size);
}

const QString& workDir() {
    // Memory-backed where the system has it: every input is a file write and a save.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/fuzz_mount-XXXXXX")
                                                                       : QDir::tempPath() + "/fuzz_mount-XXXXXX");
    static const QString path = dir.path();
    return path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = workDir() + QStringLiteral("/input.qex");
    if (!writeFile(path, data, size))
        return 0;

    {
        ivordalite header;
        if (header.mount(path, true)) {
            check(header.count() >= 0, "negative count after a header-only mount");
            check(header.ub() == 0, "a header-only mount loaded entries");
        }
    }

    ivordalite s;
    if (!s.mount(path, false)) {
        check(s.ub() == 0, "a failed mount kept entries");
        check(!s.save(), "a failed mount could still save");
        return 0;
    }
    check(s.count() >= 0 && s.count() == s.ub(), "count and ub disagree after a full mount");
    const QList<Entry> first = entriesOf(s);
    for (const Entry& e : first)
        check(StoreFormat::kEntryFixed + e.name.size() + e.valuestring.size() + e.tag.size() <= StoreFormat::kSlot,
              "a mounted entry does not fit its slot");
    check(StoreFormat::headerSize(s.header()) <= StoreFormat::kSlot, "the mounted header does not fit its slot");

    // What was read is written back as it was read.
    check(s.save(), "a mounted store could not be saved");
    check(QFileInfo(path).size() == qint64(s.ub() + 2) * StoreFormat::kSlot, "the saved file has the wrong size");
    ivordalite back;
    check(back.mount(path, false), "a saved store does not mount");
    check(entriesOf(back) == first, "entries changed through save and mount");
    check(back.comment() == s.comment() && back.title() == s.title() && back.header().extra == s.header().extra &&
              back.header().formatversion == s.header().formatversion,
          "the header changed through save and mount");
    return 0;
}
