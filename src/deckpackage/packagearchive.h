#pragma once
// The collection inside a package of the most used flash-card program (`.apkg`, `.colpkg`):
// a zip archive holding the SQLite collection as `collection.anki21b` (zstd-compressed),
// `collection.anki21` or `collection.anki2`, taken in that order (a newer export keeps a
// placeholder `collection.anki2` beside its real collection).
//
// The chosen member is copied to a private temporary file, so the collection can be opened
// read-only by SQLite while the package itself is never written. Input is untrusted: a member
// that claims or inflates past kMaxCollectionBytes is refused, zstd is decompressed as a
// stream with its window bounded, and memory stays at a few buffers of kChunk bytes plus the
// zstd window (at most 2^kMaxZstdWindowLog bytes) whatever the package holds.
#include <QByteArray>
#include <QString>
#include <memory>

#include <QTemporaryFile>

namespace package {

constexpr qint64 kMaxCollectionBytes = qint64(1) << 30; // 1 GiB of SQLite, far more than any deck
constexpr int kMaxZstdWindowLog = 27;                   // 128 MiB, zstd's own default limit
constexpr qint64 kChunk = 64 * 1024;

struct ExtractedCollection {
    QString error; // one sentence for the user; empty when the collection was extracted
    QString member; // the member taken
    std::unique_ptr<QTemporaryFile> file;
    bool ok() const { return error.isEmpty(); }
};

// Extracts the collection of the package at `path`, or of the package's bytes in `data`.
// `limit` bounds the bytes extracted (tests use a small one).
ExtractedCollection extractCollection(const QString& path, qint64 limit = kMaxCollectionBytes);
ExtractedCollection extractCollectionFromData(const QByteArray& data, qint64 limit = kMaxCollectionBytes);

} // namespace package
