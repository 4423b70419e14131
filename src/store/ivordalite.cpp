#include "ivordalite.h"

#include "ansi.h"
#include "prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {
ivordalite::LogSink& sink() {
    static ivordalite::LogSink s;
    return s;
}

// Reads the fields of one slot in order; a field that runs past the slot fails the read.
class SlotReader {
public:
    explicit SlotReader(const QByteArray& slot) : m_data(slot) {}
    bool u16(quint16& v) {
        if (m_pos + 2 > StoreFormat::kSlot)
            return false;
        v = quint16(byte(m_pos) | byte(m_pos + 1) << 8);
        m_pos += 2;
        return true;
    }
    bool i16(qint16& v) {
        quint16 u;
        if (!u16(u))
            return false;
        v = qint16(u);
        return true;
    }
    bool u32(quint32& v) {
        if (m_pos + 4 > StoreFormat::kSlot)
            return false;
        v = quint32(byte(m_pos)) | quint32(byte(m_pos + 1)) << 8 | quint32(byte(m_pos + 2)) << 16 |
            quint32(byte(m_pos + 3)) << 24;
        m_pos += 4;
        return true;
    }
    bool i32(qint32& v) {
        quint32 u;
        if (!u32(u))
            return false;
        v = qint32(u);
        return true;
    }
    bool str(QString& s) {
        quint16 n;
        if (!u16(n) || m_pos + n > StoreFormat::kSlot)
            return false;
        QByteArray bytes(n, '\0');
        for (int i = 0; i < n; ++i)
            bytes[i] = char(byte(m_pos + i));
        s = Ansi::decode(bytes);
        m_pos += n;
        return true;
    }

private:
    unsigned byte(int at) const { return at < m_data.size() ? static_cast<unsigned char>(m_data.at(at)) : 0u; }
    const QByteArray& m_data;
    int m_pos = 0;
};

void putU16(QByteArray& b, quint16 v) {
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}
void putU32(QByteArray& b, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
void putStr(QByteArray& b, const QString& s) {
    const QByteArray bytes = Ansi::encode(s);
    putU16(b, quint16(bytes.size()));
    b.append(bytes);
}
void padSlot(QByteArray& b, qsizetype slotStart) { b.append(QByteArray(slotStart + StoreFormat::kSlot - b.size(), '\0')); }

QString readOnlyQuestion() {
    return QStringLiteral("The specified file is readonly. Do you want to save to this location anyways?");
}
} // namespace

namespace StoreFormat {
qsizetype headerSize(const StoreHeader& h) {
    return kHeaderFixed + Ansi::byteLength(h.comment) + Ansi::byteLength(h.title) + Ansi::byteLength(h.extra);
}
qsizetype entrySize(const StoreEntry& e) {
    return kEntryFixed + Ansi::byteLength(e.name) + Ansi::byteLength(e.valuestring) + Ansi::byteLength(e.tag);
}

bool decodeHeader(const QByteArray& slot, StoreHeader& h) {
    SlotReader r(slot);
    return r.str(h.comment) && r.i32(h.formatversion) && r.i16(h.count) && r.str(h.title) && r.str(h.extra);
}

bool decodeEntry(const QByteArray& slot, StoreEntry& e) {
    SlotReader r(slot);
    qint16 flag = 0;
    if (!(r.str(e.name) && r.i16(flag) && r.str(e.valuestring) && r.i32(e.valuelong) && r.str(e.tag) &&
          r.i32(e.reserved1) && r.u32(e.reserved2)))
        return false;
    e.isstring = flag != 0;
    return true;
}

bool encode(const StoreHeader& header, const QVector<StoreEntry>& entries, QByteArray& out, QString* error) {
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (headerSize(header) > kSlot)
        return fail(QStringLiteral("the header (comment and title) takes %1 bytes; a slot holds %2")
                        .arg(headerSize(header))
                        .arg(kSlot));
    for (int i = 0; i < entries.size(); ++i)
        if (entrySize(entries[i]) > kSlot)
            return fail(QStringLiteral("the entry '%1' takes %2 bytes; a slot holds %3")
                            .arg(entries[i].name)
                            .arg(entrySize(entries[i]))
                            .arg(kSlot));
    out.clear();
    out.reserve(qsizetype(entries.size() + 1) * kSlot);
    putStr(out, header.comment);
    putU32(out, quint32(header.formatversion));
    putU16(out, quint16(header.count));
    putStr(out, header.title);
    putStr(out, header.extra);
    padSlot(out, 0);
    for (int i = 0; i < entries.size(); ++i) {
        const StoreEntry& e = entries[i];
        const qsizetype start = out.size();
        putStr(out, e.name);
        putU16(out, e.isstring ? 0xFFFF : 0);
        putStr(out, e.valuestring);
        putU32(out, quint32(e.valuelong));
        putStr(out, e.tag);
        putU32(out, quint32(e.reserved1));
        putU32(out, e.reserved2);
        padSlot(out, start);
    }
    return true;
}
} // namespace StoreFormat

ivordalite::ivordalite() { resetEntries(); }

ivordalite::~ivordalite() {
    zeroall();
    resetEntries();
}

void ivordalite::setLogSink(LogSink s) { sink() = std::move(s); }

void ivordalite::log(const QString& text) {
    if (sink())
        sink()(text);
}

QString ivordalite::version() {
    return QStringLiteral("VORDA Platform v") + QStringLiteral("3.44") + QStringLiteral(" of ") +
           QStringLiteral("16Jan2010");
}

void ivordalite::resetEntries() {
    m_entries.clear();
    m_entries.append(StoreEntry{});
    rebuildIndex();
}

void ivordalite::rebuildIndex() {
    m_first.clear();
    m_first.reserve(m_entries.size());
    for (int i = 0; i < m_entries.size(); ++i)
        if (!m_first.contains(m_entries[i].name))
            m_first.insert(m_entries[i].name, i);
}

int ivordalite::findindex(const QString& key) const {
    auto it = m_first.constFind(key);
    return it == m_first.constEnd() ? -1 : it.value();
}

bool ivordalite::openfile(const QString& path) {
    m_path = path;
    m_file = std::make_unique<QFile>(path);
    if (m_file->open(QIODevice::ReadWrite) || m_file->open(QIODevice::ReadOnly))
        return true;
    m_error = m_file->errorString();
    m_file.reset();
    return false;
}

void ivordalite::closefile() {
    m_path.clear();
    if (m_file)
        m_file->close();
    m_file.reset();
}

bool ivordalite::mount(const QString& file, bool headeronly) {
    if (file.isEmpty())
        return false;
    if (m_mounted) {
        log(QStringLiteral(" ..this class instance already has a file mounted/n"));
        log(QStringLiteral(" ..create a new instance or unmount the current file first/n"));
        return false;
    }
    m_mounted = true;
    m_error.clear();
    int number = 0;
    QString description;
    const bool existed = fe(file);
    if (existed) {
        if (!openfile(file)) {
            number = 75;
            description = QStringLiteral("Path/File access error: ") + m_error;
        } else {
            auto readSlots = [this](qint64 first, qint64 n) {
                m_file->seek(first * StoreFormat::kSlot);
                return m_file->read(n * StoreFormat::kSlot);
            };
            StoreHeader h;
            if (!StoreFormat::decodeHeader(readSlots(0, 1), h)) {
                number = 59;
                description = QStringLiteral("Bad record length");
            } else if (h.count < 0) {
                number = 9;
                description = QStringLiteral("Subscript out of range");
            } else {
                m_header = h;
                if (!headeronly) {
                    const int n = h.count + 1;
                    const QByteArray bytes = readSlots(1, n);
                    QVector<StoreEntry> entries(n);
                    for (int i = 0; i < n && number == 0; ++i) {
                        const QByteArray slot = bytes.mid(qsizetype(i) * StoreFormat::kSlot, StoreFormat::kSlot);
                        if (!StoreFormat::decodeEntry(slot, entries[i])) {
                            number = 59;
                            description = QStringLiteral("Bad record length");
                        }
                    }
                    if (number == 0) {
                        m_entries = std::move(entries);
                        rebuildIndex();
                    }
                }
                if (number == 0)
                    return true;
            }
        }
    } else {
        log(QStringLiteral("the specified file doesn't exist, creating new/n"));
        if (openfile(file)) {
            m_header.comment = QString::fromLatin1(StoreFormat::kNewComment);
            m_header.count = 0;
            m_header.formatversion = 4;
            resetEntries();
            log(QStringLiteral("file created/n"));
            log(QStringLiteral("file mounted/n"));
            return true;
        }
        number = 75;
        description = QStringLiteral("Path/File access error: ") + m_error;
    }
    log(QStringLiteral("   .. an error was encountered whilst attempting to mount this file/n"));
    if (number > 0) {
        log(QStringLiteral("   .. error number:      ") + QString::number(number) + QStringLiteral("/n"));
        log(QStringLiteral("   .. error description: ") + description + QStringLiteral("/n"));
    }
    m_error = description;
    // The path is forgotten with the file: a save on this instance must not write an empty
    // store over the file it could not read.
    closefile();
    resetEntries();
    return false;
}

bool ivordalite::unmount() {
    closefile();
    m_mounted = false;
    return false;
}

void ivordalite::ienum(qint16 id, QString& name, bool& isstring, QString& valuestring, qint32& valuelong,
                       QString& tag) const {
    if (id < 0 || id > ub())
        throw StoreError(9, QStringLiteral("Subscript out of range"));
    const StoreEntry& e = m_entries[id];
    name = e.name;
    isstring = e.isstring;
    valuestring = e.valuestring;
    valuelong = e.valuelong;
    tag = e.tag;
}

void ivordalite::zeroall() {
    resetEntries();
    m_header.comment.clear();
    m_header.formatversion = 0;
    m_header.count = 0;
    unmount();
}

bool ivordalite::save() {
    const QString path = m_path;
    m_error.clear();
    if (path.isEmpty()) {
        m_error = QStringLiteral("no file is mounted");
        return false;
    }
    // Everything is checked and encoded before the file is touched, so a record that
    // doesn't fit leaves the file and the instance as they were.
    StoreHeader h = m_header;
    h.count = ub();
    QByteArray bytes;
    if (!StoreFormat::encode(h, m_entries, bytes, &m_error)) {
        log(QStringLiteral("   .. an error was encountered whilst attempting to save this file/n"));
        log(QStringLiteral("   .. error description: ") + m_error + QStringLiteral("/n"));
        return false;
    }
    closefile();
    // The read-only attribute is the owner's write permission (root may write anyway).
    if (fe(path) && !(QFile::permissions(path) & QFileDevice::WriteOwner)) {
        if (prompter().ask(MsgIcon::Question, MsgButtons::YesNo, QStringLiteral("Readonly File Detected"),
                           readOnlyQuestion()) != MsgResult::Yes) {
            m_error = QStringLiteral("the file is read-only");
            return false;
        }
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
    }
    // Written beside the old file and renamed over it: the file on disk is either the old
    // store or the complete new one.
    QSaveFile out(path);
    bool ok = out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
    ok = ok && out.commit();
    if (!ok) {
        m_error = out.errorString();
        out.cancelWriting();
        log(QStringLiteral("   .. an error was encountered whilst attempting to save this file/n"));
        log(QStringLiteral("   .. error description: ") + m_error + QStringLiteral("/n"));
        openfile(path);
        return false;
    }
    m_header.count = h.count;
    openfile(path);
    return true;
}

void ivordalite::setentry(int i, const QString& sdata, qint32 ldata, const QString& tag) {
    StoreEntry& e = m_entries[i];
    e.tag = tag;
    e.reserved1 = 0;
    if (!sdata.isEmpty()) {
        e.isstring = true;
        e.valuestring = sdata;
        e.valuelong = 0;
    } else {
        e.isstring = false;
        e.valuelong = ldata;
        e.valuestring.clear();
    }
}

void ivordalite::add(const QString& title, const QString& sdata, qint32 ldata, const QString& tag) {
    const int i = findindex(title);
    if (i >= 0) {
        setentry(i, sdata, ldata, tag);
        return;
    }
    if (ub() >= StoreFormat::kMaxEntries || m_header.count >= StoreFormat::kMaxEntries)
        throw StoreError(6, QStringLiteral("Overflow"));
    StoreEntry e;
    e.name = title;
    m_entries.append(e);
    const int at = int(m_entries.size() - 1);
    m_first.insert(title, at);
    setentry(at, sdata, ldata, tag);
    m_header.count = qint16(m_header.count + 1);
}

bool ivordalite::isstring(const QString& title) const {
    const int i = findindex(title);
    return i >= 0 && m_entries[i].isstring;
}

qint32 ivordalite::getlong(const QString& title, qint32 def, bool& found) const {
    const int i = findindex(title);
    found = i >= 0;
    if (!found || m_entries[i].isstring)
        return def;
    return m_entries[i].valuelong;
}

qint32 ivordalite::getlong(const QString& title, qint32 def) const {
    bool found;
    return getlong(title, def, found);
}

QString ivordalite::getstring(const QString& title, const QString& def, bool& found) const {
    const int i = findindex(title);
    found = i >= 0;
    return found ? m_entries[i].valuestring : def;
}

QString ivordalite::getstring(const QString& title, const QString& def) const {
    bool found;
    return getstring(title, def, found);
}

QString ivordalite::gettag(const QString& title) const {
    const int i = findindex(title);
    return i >= 0 ? m_entries[i].tag : QString();
}

bool ivordalite::fe(const QString& fn) {
    if (fn.isEmpty())
        return false;
    const QFileInfo info(fn);
    const QString name = info.fileName();
    if (name.contains(u'*') || name.contains(u'?')) {
        const QDir dir = info.dir();
        return !dir.entryList(QStringList{name}, QDir::Files | QDir::NoDotAndDotDot).isEmpty();
    }
    // Directories, devices and hidden files (a name starting with '.') don't count.
    return info.isFile() && !name.startsWith(u'.');
}
