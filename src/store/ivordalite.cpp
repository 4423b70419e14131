#include "ivordalite.h"

#include "filetext.h"
#include "prompter.h"
#include "regularfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <cstring>

namespace {
ivordalite::LogSink& sink() {
    static ivordalite::LogSink s;
    return s;
}

// Reads the fields of one slot in order; a field that runs past the slot fails the read.
// The slot is always a full 128 bytes (callers pad a short read with zeros).
class SlotReader {
public:
    explicit SlotReader(const char* slot) : m_data(reinterpret_cast<const unsigned char*>(slot)) {}
    bool u16(quint16& v) {
        if (m_pos + 2 > StoreFormat::kSlot)
            return false;
        v = quint16(m_data[m_pos] | m_data[m_pos + 1] << 8);
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
        v = quint32(m_data[m_pos]) | quint32(m_data[m_pos + 1]) << 8 | quint32(m_data[m_pos + 2]) << 16 |
            quint32(m_data[m_pos + 3]) << 24;
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
    // A text field's bytes, left undecoded.
    bool bytes(const char*& at, quint16& n) {
        if (!u16(n) || m_pos + n > StoreFormat::kSlot)
            return false;
        at = reinterpret_cast<const char*>(m_data + m_pos);
        m_pos += n;
        return true;
    }

private:
    const unsigned char* m_data;
    int m_pos = 0;
};

// Whether `text` is the ASCII text of `bytes`: every card of a chapter carries the same tag,
// which is then shared instead of decoded again. Only plain ASCII is compared; anything else
// is decoded as usual.
bool sameText(const QString& text, const char* bytes, int n) {
    if (text.size() != n)
        return false;
    const QChar* c = text.constData();
    for (int i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x80 || c[i].unicode() != b)
            return false;
    }
    return true;
}

// A slot's 128 bytes, zero-padded when the data ends inside it.
QByteArray fullSlot(const QByteArray& slot) {
    if (slot.size() >= StoreFormat::kSlot)
        return slot.left(StoreFormat::kSlot);
    return slot + QByteArray(StoreFormat::kSlot - slot.size(), '\0');
}

bool isMarker(const char* at, quint16 n) {
    return n == FileText::kMarkerSize && std::memcmp(at, FileText::kMarker, FileText::kMarkerSize) == 0;
}

// The header's `extra` field, at its end, tells how all texts of the store are encoded, so
// the header's own texts are decoded only once it has been read.
bool decodeHeaderAt(const char* slot, StoreHeader& h) {
    SlotReader r(slot);
    const char *comment, *title, *extra;
    quint16 commentSize, titleSize, extraSize;
    if (!(r.bytes(comment, commentSize) && r.i32(h.formatversion) && r.i16(h.count) && r.bytes(title, titleSize) &&
          r.bytes(extra, extraSize)))
        return false;
    const bool marked = isMarker(extra, extraSize);
    h.encoding = marked ? TextEncoding::Utf8 : TextEncoding::Windows1252;
    h.comment = FileText::decode(comment, commentSize, h.encoding);
    h.title = FileText::decode(title, titleSize, h.encoding);
    h.extra = marked ? QString() : FileText::decode(extra, extraSize, h.encoding);
    return true;
}

// The fields of an entry's slot, its texts still as bytes.
struct EntryFields {
    const char* name = nullptr;
    quint16 nameSize = 0;
    qint16 flag = 0;
    const char* value = nullptr;
    quint16 valueSize = 0;
    qint32 valuelong = 0;
    const char* tag = nullptr;
    quint16 tagSize = 0;
    qint32 reserved1 = 0;
    quint32 reserved2 = 0;
};

// False when a field runs past the slot: the only way an entry can fail to read.
bool readEntryFields(const char* slot, EntryFields& f) {
    SlotReader r(slot);
    return r.bytes(f.name, f.nameSize) && r.i16(f.flag) && r.bytes(f.value, f.valueSize) && r.i32(f.valuelong) &&
           r.bytes(f.tag, f.tagSize) && r.i32(f.reserved1) && r.u32(f.reserved2);
}

// `sharedTag`, when given, is reused if the tag's bytes are its text.
bool decodeEntryAt(const char* slot, StoreEntry& e, const QString* sharedTag, TextEncoding encoding) {
    EntryFields f;
    if (!readEntryFields(slot, f))
        return false;
    e.name = FileText::decode(f.name, f.nameSize, encoding);
    e.isstring = f.flag != 0;
    e.valuestring = FileText::decode(f.value, f.valueSize, encoding);
    e.valuelong = f.valuelong;
    e.tag = sharedTag && sameText(*sharedTag, f.tag, f.tagSize) ? *sharedTag : FileText::decode(f.tag, f.tagSize, encoding);
    e.reserved1 = f.reserved1;
    e.reserved2 = f.reserved2;
    return true;
}

// Entry `i`'s slot in the entries' bytes, zero-padded where the data ends (the slots the file lacks
// read as zeros). `cut` holds the padded copy of a slot the data ends inside.
const char* entrySlot(const QByteArray& entryBytes, qsizetype i, QByteArray& cut) {
    static const char zeroSlot[StoreFormat::kSlot] = {};
    const qsizetype at = i * StoreFormat::kSlot;
    if (at + StoreFormat::kSlot <= entryBytes.size())
        return entryBytes.constData() + at;
    if (at < entryBytes.size()) {
        cut = fullSlot(entryBytes.mid(at));
        return cut.constData();
    }
    return zeroSlot;
}

// Reads the header and the slots of the `count + 1` entries, and checks that every field of
// every entry lies inside its slot, without decoding the entries' texts. 0 on success, else
// the run-time error number, with `description`.
int readStore(const StoreFormat::SlotSource& source, bool headeronly, StoreHeader& header, QByteArray& entryBytes,
              QString& description) {
    using StoreFormat::kSlot;
    QByteArray headerSlot = source(0, 1);
    if (headerSlot.size() < kSlot)
        headerSlot.append(QByteArray(kSlot - headerSlot.size(), '\0'));
    entryBytes.clear();
    if (!decodeHeaderAt(headerSlot.constData(), header)) {
        description = QStringLiteral("Bad record length");
        return 59;
    }
    if (header.count < 0) {
        description = QStringLiteral("Subscript out of range");
        return 9;
    }
    if (headeronly)
        return 0;
    const int n = header.count + 1;
    // The slots the file lacks read as zeros. They are not padded out in memory: a file cut
    // short whose header gives 32767 entries would cost 4 MB of zeros on every mount.
    entryBytes = source(1, n);
    QByteArray cut;
    EntryFields fields;
    for (int i = 0; i < n; ++i)
        if (!readEntryFields(entrySlot(entryBytes, i, cut), fields)) {
            entryBytes.clear();
            description = QStringLiteral("Bad record length");
            return 59;
        }
    return 0;
}

// Decodes the `n` entries whose slots readStore() has checked.
void decodeEntries(const QByteArray& entryBytes, int n, TextEncoding encoding, QVector<StoreEntry>& entries) {
    entries.resize(n);
    QByteArray cut;
    for (int i = 0; i < n; ++i)
        decodeEntryAt(entrySlot(entryBytes, i, cut), entries[i], i > 0 ? &entries[i - 1].tag : nullptr, encoding);
}

// Writes the fields of one record into a zero-filled slot; the caller has checked the size.
class SlotWriter {
public:
    SlotWriter(char* slot, TextEncoding encoding) : m_p(reinterpret_cast<unsigned char*>(slot)), m_encoding(encoding) {}
    void u16(quint16 v) {
        *m_p++ = v & 0xFF;
        *m_p++ = v >> 8;
    }
    void u32(quint32 v) {
        for (int i = 0; i < 4; ++i)
            *m_p++ = (v >> (8 * i)) & 0xFF;
    }
    void str(const QString& s) {
        unsigned char* lengthAt = m_p;
        m_p += 2;
        const qsizetype n = FileText::encodeInto(s, m_encoding, reinterpret_cast<char*>(m_p));
        m_p += n;
        lengthAt[0] = n & 0xFF;
        lengthAt[1] = (n >> 8) & 0xFF;
    }

private:
    unsigned char* m_p;
    TextEncoding m_encoding;
};

QString readOnlyQuestion() {
    return QStringLiteral("The specified file is readonly. Do you want to save to this location anyways?");
}
} // namespace

namespace StoreFormat {
qsizetype headerSize(const StoreHeader& h, TextEncoding encoding) {
    const qsizetype extra =
        encoding == TextEncoding::Utf8 ? FileText::kMarkerSize : FileText::byteLength(h.extra, encoding);
    return kHeaderFixed + FileText::byteLength(h.comment, encoding) + FileText::byteLength(h.title, encoding) + extra;
}
qsizetype entrySize(const StoreEntry& e, TextEncoding encoding) {
    return kEntryFixed + FileText::byteLength(e.name, encoding) + FileText::byteLength(e.valuestring, encoding) +
           FileText::byteLength(e.tag, encoding);
}

TextEncoding chooseEncoding(const StoreHeader& header, const QVector<StoreEntry>& entries) {
    FileText::EncodingChoice choice;
    choice.add(header.comment);
    choice.add(header.title);
    choice.add(header.extra);
    for (const StoreEntry& e : entries) {
        if (choice.encoding() == TextEncoding::Utf8)
            break;
        choice.add(e.name);
        choice.add(e.valuestring);
        choice.add(e.tag);
    }
    return choice.encoding();
}

bool checkFit(const StoreHeader& header, const QVector<StoreEntry>& entries, TextEncoding encoding, QString* error) {
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    // Said in the encoding's terms: a text that fits as Windows-1252 may not fit as UTF-8.
    const QString in = encoding == TextEncoding::Utf8 ? QStringLiteral(" in UTF-8") : QString();
    if (headerSize(header, encoding) > kSlot)
        return fail(QStringLiteral("the header (comment and title) takes %1 bytes%2; a slot holds %3")
                        .arg(headerSize(header, encoding))
                        .arg(in)
                        .arg(kSlot));
    for (int i = 0; i < entries.size(); ++i)
        if (entrySize(entries[i], encoding) > kSlot)
            return fail(QStringLiteral("the entry '%1' takes %2 bytes%3; a slot holds %4")
                            .arg(entries[i].name)
                            .arg(entrySize(entries[i], encoding))
                            .arg(in)
                            .arg(kSlot));
    return true;
}

bool decodeHeader(const QByteArray& slot, StoreHeader& h) {
    return decodeHeaderAt(fullSlot(slot).constData(), h);
}

bool decodeEntry(const QByteArray& slot, StoreEntry& e, TextEncoding encoding) {
    return decodeEntryAt(fullSlot(slot).constData(), e, nullptr, encoding);
}

int decode(const SlotSource& source, bool headeronly, StoreHeader& header, QVector<StoreEntry>& entries,
           QString& description) {
    entries.clear();
    QByteArray entryBytes;
    const int number = readStore(source, headeronly, header, entryBytes, description);
    if (number == 0 && !headeronly)
        decodeEntries(entryBytes, header.count + 1, header.encoding, entries);
    return number;
}

bool encode(const StoreHeader& header, const QVector<StoreEntry>& entries, QByteArray& out, QString* error) {
    // One pass measures every record as Windows-1252 and learns whether that holds every text;
    // only a store that needs UTF-8 is measured again.
    bool fits = true;
    auto length = [&fits](const QString& text) { return FileText::windows1252Length(text, fits); };
    bool tooLong = kHeaderFixed + length(header.comment) + length(header.title) + length(header.extra) > kSlot;
    for (const StoreEntry& e : entries)
        if (kEntryFixed + length(e.name) + length(e.valuestring) + length(e.tag) > kSlot)
            tooLong = true;
    const TextEncoding encoding = fits ? TextEncoding::Windows1252 : TextEncoding::Utf8;
    if ((tooLong || encoding == TextEncoding::Utf8) && !checkFit(header, entries, encoding, error))
        return false;
    out = QByteArray(qsizetype(entries.size() + 1) * kSlot, '\0');
    char* slot = out.data();
    SlotWriter h(slot, encoding);
    h.str(header.comment);
    h.u32(quint32(header.formatversion));
    h.u16(quint16(header.count));
    h.str(header.title);
    h.str(encoding == TextEncoding::Utf8 ? QString::fromLatin1(FileText::kMarker) : header.extra);
    for (const StoreEntry& e : entries) {
        slot += kSlot;
        SlotWriter w(slot, encoding);
        w.str(e.name);
        w.u16(e.isstring ? 0xFFFF : 0);
        w.str(e.valuestring);
        w.u32(quint32(e.valuelong));
        w.str(e.tag);
        w.u32(quint32(e.reserved1));
        w.u32(e.reserved2);
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
    m_slots.clear();
    m_unread = 0;
    m_lastTag.clear();
    m_entries.clear();
    m_entries.append(StoreEntry{});
    m_first.clear();
    m_indexValid = false;
}

void ivordalite::decodeAll() const {
    if (m_unread == 0)
        return;
    decodeEntries(m_slots, m_unread, m_header.encoding, m_entries);
    m_slots.clear();
    m_unread = 0;
    m_lastTag.clear();
}

void ivordalite::rebuildIndex() {
    // Built on the first lookup after a mount, so that a caller that only enumerates (the
    // chapter loader) never pays for it. Inserting from the top down leaves the first index of
    // every name in the table.
    m_first.clear();
    m_first.reserve(m_entries.size());
    for (int i = int(m_entries.size()) - 1; i >= 0; --i)
        m_first.insert(m_entries[i].name, i);
    m_indexValid = true;
}

int ivordalite::findindex(const QString& key) const {
    decodeAll();
    if (!m_indexValid)
        const_cast<ivordalite*>(this)->rebuildIndex();
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
    // A named pipe, a device or a socket is no store: opening a pipe waits for a writer that
    // may never come, and "creating" a store in its place would open the device itself. (A
    // folder fails to open as before.)
    const QString notAFile = existed || QFileInfo(file).isDir() ? QString() : notRegularFileReason(file);
    if (!notAFile.isEmpty()) {
        number = 75;
        description = QStringLiteral("Path/File access error: ") + notAFile;
    } else if (existed) {
        if (!openfile(file)) {
            number = 75;
            description = QStringLiteral("Path/File access error: ") + m_error;
        } else {
            // Reads whole slots; what the file lacks reads as zeros.
            // (The read asks for no more than the file holds: a buffer of the full size would be
            // allocated first, 4 MB for a short file that claims 32767 entries.)
            auto readSlots = [this](qint64 first, qint64 n) {
                QByteArray bytes;
                const qint64 at = first * StoreFormat::kSlot;
                const qint64 held = std::min(n * StoreFormat::kSlot, m_file->size() - at);
                if (held > 0 && m_file->seek(at))
                    bytes = m_file->read(held);
                return bytes;
            };
            // The entries' texts are decoded when first asked for: a chapter load reads each
            // entry once through ienum, so a decoded copy of the whole store is never held.
            StoreHeader h;
            QByteArray entryBytes;
            number = readStore(readSlots, headeronly, h, entryBytes, description);
            if (number == 0) {
                m_header = h;
                if (!headeronly) {
                    m_entries.clear();
                    m_slots = std::move(entryBytes);
                    m_unread = h.count + 1;
                    m_lastTag.clear();
                    m_first.clear();
                    m_indexValid = false;
                }
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

bool ivordalite::mountnew(const QString& file) {
    if (file.isEmpty() || m_mounted)
        return false;
    m_mounted = true;
    m_error.clear();
    m_path = file;
    m_header = StoreHeader{};
    m_header.comment = QString::fromLatin1(StoreFormat::kNewComment);
    m_header.formatversion = 4;
    resetEntries();
    return true;
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
    if (m_unread > 0) {
        // Decoded from its slot, which the mount has checked; consecutive entries with the
        // same tag share one copy of it.
        StoreEntry read;
        QByteArray cut;
        decodeEntryAt(entrySlot(m_slots, id, cut), read, &m_lastTag, m_header.encoding);
        m_lastTag = read.tag;
        name = std::move(read.name);
        isstring = read.isstring;
        valuestring = std::move(read.valuestring);
        valuelong = read.valuelong;
        tag = std::move(read.tag);
        return;
    }
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
    decodeAll();
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
    // store or the complete new one. Unbuffered, because QSaveFile does not notice a write
    // that fails only in the flush inside commit() (a full disk) and would rename the cut
    // file over the old one; a short write is repeated so that the system's reason comes back.
    QSaveFile out(path);
    bool ok = out.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    for (qint64 done = 0; ok && done < bytes.size();) {
        const qint64 n = out.write(bytes.constData() + done, bytes.size() - done);
        ok = n > 0;
        done += n;
    }
    ok = ok && out.commit();
    if (!ok) {
        m_error = out.errorString();
        out.cancelWriting();
        log(QStringLiteral("   .. an error was encountered whilst attempting to save this file/n"));
        log(QStringLiteral("   .. error description: ") + m_error + QStringLiteral("/n"));
        // The reopen of a file that was never there fails too; the save's reason is the one.
        const QString why = m_error;
        openfile(path);
        m_error = why;
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
    m_entries.append(std::move(e));
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

TextEncoding ivordalite::saveEncoding() const {
    decodeAll();
    return StoreFormat::chooseEncoding(m_header, m_entries);
}

bool ivordalite::fitsAfterAdd(const QString& title, const QString& sdata, const QString& tag, QString* why) const {
    StoreEntry e;
    e.name = title;
    e.valuestring = sdata;
    e.tag = tag;
    return fitsAfterAdd(QVector<StoreEntry>{e}, why);
}

bool ivordalite::fitsAfterAdd(const QVector<StoreEntry>& adds, QString* why) const {
    decodeAll();
    QVector<StoreEntry> entries = m_entries;
    for (const StoreEntry& add : adds) {
        int i = -1;
        for (int k = 0; k < entries.size() && i < 0; ++k)
            if (entries[k].name == add.name)
                i = k;
        StoreEntry e = add;
        e.isstring = !add.valuestring.isEmpty();
        if (i >= 0)
            entries[i] = e;
        else
            entries.append(e);
    }
    return StoreFormat::checkFit(m_header, entries, StoreFormat::chooseEncoding(m_header, entries), why);
}
