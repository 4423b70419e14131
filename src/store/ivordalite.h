#pragma once
// The keyed record file that both programs keep their data in. A store file is a
// sequence of 128-byte slots: slot 0 holds the header, slot k+1 holds entry k. Entry 0 is
// the hidden entry; the visible entries are 1..ub. The whole store is read into memory by
// mount, changed by add and written back as a whole by save.
#include "filetext.h"

#include <QFile>
#include <QHash>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <stdexcept>

struct StoreHeader {
    QString comment;
    qint32 formatversion = 0;
    qint16 count = 0;
    QString title;
    QString extra; // never the UTF-8 marker: that is how the texts were read (`encoding`)
    TextEncoding encoding = TextEncoding::Windows1252;
};

struct StoreEntry {
    QString name;
    bool isstring = false;
    QString valuestring;
    qint32 valuelong = 0;
    QString tag;
    qint32 reserved1 = 0;
    quint32 reserved2 = 0;
};

// An error raised to the caller (entry index out of range, too many entries). `number`
// follows the run-time error numbers the store reports in its log.
class StoreError : public std::runtime_error {
public:
    StoreError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), m_number(number), m_description(description) {}
    int number() const { return m_number; }
    QString description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};

namespace StoreFormat {
constexpr int kSlot = 128;
constexpr int kMaxEntries = 32767;
constexpr int kHeaderFixed = 12;
constexpr int kEntryFixed = 20;
inline const char* kNewComment = "VORDA Database File; VORDA Lite version";

// Bytes a record takes with its texts in `encoding` (a UTF-8 header holds the 5-byte marker
// in place of its `extra` value).
qsizetype headerSize(const StoreHeader& h, TextEncoding encoding);
qsizetype entrySize(const StoreEntry& e, TextEncoding encoding);

// The encoding a save writes: UTF-8 when any text of the store needs it.
TextEncoding chooseEncoding(const StoreHeader& header, const QVector<StoreEntry>& entries);
// False (with a description) when a record doesn't fit its slot in `encoding`.
bool checkFit(const StoreHeader& header, const QVector<StoreEntry>& entries, TextEncoding encoding, QString* error);

// Decodes one slot (up to 128 bytes; missing bytes read as zero). Returns false when a
// field runs past the end of the slot. A header slot sets `encoding` from its marker.
bool decodeHeader(const QByteArray& slot, StoreHeader& out);
bool decodeEntry(const QByteArray& slot, StoreEntry& out, TextEncoding encoding);

// Gives `n` slots from slot `first`; fewer bytes where the data ends (they read as zeros).
using SlotSource = std::function<QByteArray(qint64 first, qint64 n)>;
// Reads a whole store (or only its header). 0 on success, else the run-time error number,
// with `description`.
int decode(const SlotSource& source, bool headeronly, StoreHeader& header, QVector<StoreEntry>& entries,
           QString& description);

// Encodes a whole store in the encoding its texts need; returns false (with a description)
// when a record doesn't fit.
bool encode(const StoreHeader& header, const QVector<StoreEntry>& entries, QByteArray& out, QString* error);
} // namespace StoreFormat

class ivordalite {
public:
    using LogSink = std::function<void(const QString&)>;

    ivordalite();
    ~ivordalite();
    ivordalite(const ivordalite&) = delete;
    ivordalite& operator=(const ivordalite&) = delete;

    bool mount(const QString& file, bool headeronly);
    bool unmount();
    void ienum(qint16 id, QString& name, bool& isstring, QString& valuestring, qint32& valuelong, QString& tag) const;
    void zeroall();
    // Writes the store as a whole. False when nothing was written: the user declined to
    // overwrite a read-only file, a record doesn't fit its slot, there is no file, or the
    // file system refused (errorString() tells why).
    bool save();
    void add(const QString& title, const QString& sdata, qint32 ldata, const QString& tag);
    bool isstring(const QString& title) const;
    qint32 getlong(const QString& title, qint32 def, bool& found) const;
    qint32 getlong(const QString& title, qint32 def) const;
    QString getstring(const QString& title, const QString& def, bool& found) const;
    QString getstring(const QString& title, const QString& def) const;
    QString gettag(const QString& title) const;
    static bool fe(const QString& fn);

    qint16 lb() const { return 1; }
    qint16 ub() const { return qint16((m_unread > 0 ? m_unread : m_entries.size()) - 1); }
    qint16 count() const { return m_header.count; }
    QString comment() const { return m_header.comment; }
    void setComment(const QString& c) { m_header.comment = c; }
    QString title() const { return m_header.title; }
    void setTitle(const QString& t) { m_header.title = t; }
    static QString version();

    // Mounts a new, empty store for `file` without reading the file or touching the disk;
    // save() then replaces whatever is at `file` as a whole. For writers that rebuild a file
    // from scratch (the editor) and must not delete the old file before the new one is safe.
    bool mountnew(const QString& file);

    // Not part of the classic interface: what tests and callers need to look at.
    bool isMounted() const { return m_mounted; }
    QString filePath() const { return m_path; }
    QString errorString() const { return m_error; }
    const StoreHeader& header() const { return m_header; }
    // How the texts were read, and how a save would write them now.
    TextEncoding encoding() const { return m_header.encoding; }
    TextEncoding saveEncoding() const;
    // Whether a save would still succeed after add(title, sdata, 0, tag); when not, `why`
    // says which record would not fit. A text that needs UTF-8 makes every text of the store
    // count its UTF-8 bytes.
    bool fitsAfterAdd(const QString& title, const QString& sdata, const QString& tag, QString* why) const;
    // The same for several adds at once (each entry's name, string value and tag).
    bool fitsAfterAdd(const QVector<StoreEntry>& adds, QString* why) const;

    // Where the store's log lines go (the study program's message log); none by default.
    static void setLogSink(LogSink sink);

private:
    int findindex(const QString& key) const;
    void setentry(int i, const QString& sdata, qint32 ldata, const QString& tag);
    bool openfile(const QString& path);
    void closefile();
    void resetEntries();
    void rebuildIndex();
    // Decodes every entry still in m_slots into m_entries.
    void decodeAll() const;
    static void log(const QString& text);

    StoreHeader m_header;
    // After a mount, the entries stay in their slots as read (checked, not yet decoded) until
    // something needs them all: a lookup, an add, a save. ienum decodes one at a time.
    mutable QVector<StoreEntry> m_entries; // empty while m_unread > 0
    mutable QByteArray m_slots;
    mutable qsizetype m_unread = 0; // entries in m_slots, entry 0 first
    mutable QString m_lastTag;      // the tag ienum decoded last, shared by the next equal one
    QHash<QString, int> m_first; // first index of every name, so lookups keep "first match wins"
    bool m_indexValid = false;   // m_first matches m_entries (built on the first lookup)
    std::unique_ptr<QFile> m_file;
    QString m_path;
    bool m_mounted = false;
    QString m_error;
};
