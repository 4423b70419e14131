#include "packagearchive.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <zip.h>
#include <zstd.h>

#include <array>
#include <vector>

namespace package {

namespace {

const std::array<const char*, 3> kMembers = {"collection.anki21b", "collection.anki21", "collection.anki2"};

QString tooLarge(qint64 limit) {
    return QStringLiteral("The package's collection is larger than %1 MB unpacked; it may be a zip bomb, and was not "
                          "read.")
        .arg(limit >> 20);
}

// Writes what it is given to the temporary file, counting bytes against the limit.
class Sink {
public:
    Sink(QTemporaryFile& file, qint64 limit) : m_file(file), m_limit(limit) {}
    bool write(const char* data, qint64 n) {
        m_written += n;
        if (m_written > m_limit) {
            m_error = tooLarge(m_limit);
            return false;
        }
        if (m_file.write(data, n) != n) {
            m_error = QStringLiteral("The package's collection couldn't be unpacked to a temporary file: %1.")
                          .arg(m_file.errorString());
            return false;
        }
        return true;
    }
    qint64 written() const { return m_written; }
    qint64 limit() const { return m_limit; }
    QString m_error;

private:
    QTemporaryFile& m_file;
    qint64 m_limit;
    qint64 m_written = 0;
};

const QString kDamaged = QStringLiteral("The package is damaged or cut short: %1.");

class ZipReader {
public:
    explicit ZipReader(zip_t* archive) : m_zip(archive) {}
    ~ZipReader() {
        if (m_zip)
            zip_discard(m_zip);
    }
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    ExtractedCollection extract(qint64 limit) {
        ExtractedCollection out;
        zip_int64_t index = -1;
        const char* chosen = nullptr;
        for (const char* name : kMembers) {
            index = zip_name_locate(m_zip, name, 0);
            if (index >= 0) {
                chosen = name;
                break;
            }
        }
        if (index < 0) {
            out.error = QStringLiteral("The file is a zip archive but holds no collection: it is no package of cards.");
            return out;
        }
        out.member = QString::fromLatin1(chosen);
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(m_zip, zip_uint64_t(index), 0, &st) != 0) {
            out.error = kDamaged.arg(QString::fromUtf8(zip_strerror(m_zip)));
            return out;
        }
        const bool zstd = out.member.endsWith(u'b');
        if ((st.valid & ZIP_STAT_SIZE) && st.size > zip_uint64_t(limit) && !zstd) {
            out.error = tooLarge(limit);
            return out;
        }
        zip_file_t* member = zip_fopen_index(m_zip, zip_uint64_t(index), 0);
        if (!member) {
            out.error = kDamaged.arg(QString::fromUtf8(zip_strerror(m_zip)));
            return out;
        }
        auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/quarnel-package-XXXXXX"));
        if (!file->open()) {
            zip_fclose(member);
            out.error = QStringLiteral("No temporary file could be made to unpack the package: %1.")
                            .arg(file->errorString());
            return out;
        }
        Sink sink(*file, limit);
        QString error = zstd ? copyZstd(member, sink) : copyPlain(member, sink);
        zip_fclose(member);
        if (error.isEmpty() && !file->flush())
            error = QStringLiteral("The package's collection couldn't be unpacked to a temporary file: %1.")
                        .arg(file->errorString());
        if (!error.isEmpty()) {
            out.error = error;
            return out;
        }
        file->close();
        out.file = std::move(file);
        return out;
    }

private:
    QString readError(zip_file_t* member) {
        return kDamaged.arg(QString::fromUtf8(zip_file_strerror(member)));
    }

    QString copyPlain(zip_file_t* member, Sink& sink) {
        std::vector<char> buf(static_cast<size_t>(kChunk));
        for (;;) {
            const zip_int64_t n = zip_fread(member, buf.data(), buf.size());
            if (n < 0)
                return readError(member);
            if (n == 0)
                return {};
            if (!sink.write(buf.data(), n))
                return sink.m_error;
        }
    }

    QString copyZstd(zip_file_t* member, Sink& sink) {
        std::unique_ptr<ZSTD_DCtx, size_t (*)(ZSTD_DCtx*)> ctx(ZSTD_createDCtx(), ZSTD_freeDCtx);
        if (!ctx)
            return QStringLiteral("Out of memory while unpacking the package.");
        ZSTD_DCtx_setParameter(ctx.get(), ZSTD_d_windowLogMax, kMaxZstdWindowLog);
        std::vector<char> in(static_cast<size_t>(kChunk)), out(ZSTD_DStreamOutSize());
        bool first = true;
        size_t last = 0; // what the last call asked for: 0 when a frame had just ended
        for (;;) {
            const zip_int64_t n = zip_fread(member, in.data(), in.size());
            if (n < 0)
                return readError(member);
            if (n == 0)
                break;
            if (first) {
                first = false;
                // A frame that claims more than the bound is refused before anything is unpacked.
                const unsigned long long claimed = ZSTD_getFrameContentSize(in.data(), size_t(n));
                if (claimed != ZSTD_CONTENTSIZE_UNKNOWN && claimed != ZSTD_CONTENTSIZE_ERROR &&
                    claimed > (unsigned long long)sink.limit())
                    return tooLarge(sink.limit());
            }
            ZSTD_inBuffer input{in.data(), size_t(n), 0};
            while (input.pos < input.size) {
                ZSTD_outBuffer output{out.data(), out.size(), 0};
                last = ZSTD_decompressStream(ctx.get(), &output, &input);
                if (ZSTD_isError(last))
                    return QStringLiteral("The package's compressed collection is damaged: %1.")
                        .arg(QString::fromUtf8(ZSTD_getErrorName(last)));
                if (output.pos > 0 && !sink.write(out.data(), qint64(output.pos)))
                    return sink.m_error;
            }
        }
        if (first)
            return QStringLiteral("The package's compressed collection is empty.");
        // Output may still be held in the context once the input is spent.
        for (int rounds = 0; last != 0; ++rounds) {
            ZSTD_inBuffer input{nullptr, 0, 0};
            ZSTD_outBuffer output{out.data(), out.size(), 0};
            last = ZSTD_decompressStream(ctx.get(), &output, &input);
            if (ZSTD_isError(last))
                return QStringLiteral("The package's compressed collection is damaged: %1.")
                    .arg(QString::fromUtf8(ZSTD_getErrorName(last)));
            if (output.pos > 0 && !sink.write(out.data(), qint64(output.pos)))
                return sink.m_error;
            if (output.pos == 0)
                return QStringLiteral("The package's compressed collection is cut short.");
        }
        return {};
    }
    zip_t* m_zip;
};

QString openError(int code) {
    switch (code) {
    case ZIP_ER_NOZIP:
        return QStringLiteral("The file is no package: it is not a zip archive, or one cut short.");
    case ZIP_ER_NOENT:
        return QStringLiteral("The package does not exist.");
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
        return QStringLiteral("The package couldn't be read.");
    case ZIP_ER_MEMORY:
        return QStringLiteral("Out of memory while opening the package.");
    default: {
        zip_error_t e;
        zip_error_init_with_code(&e, code);
        const QString why = QString::fromUtf8(zip_error_strerror(&e));
        zip_error_fini(&e);
        return kDamaged.arg(why);
    }
    }
}

} // namespace

ExtractedCollection extractCollection(const QString& path, qint64 limit) {
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!z) {
        ExtractedCollection out;
        out.error = openError(code);
        return out;
    }
    return ZipReader(z).extract(limit);
}

ExtractedCollection extractCollectionFromData(const QByteArray& data, qint64 limit) {
    ExtractedCollection out;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(data.constData(), zip_uint64_t(data.size()), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        out.error = openError(ZIP_ER_MEMORY);
        return out;
    }
    zip_t* z = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!z) {
        out.error = openError(zip_error_code_zip(&error));
        zip_error_fini(&error);
        zip_source_free(source);
        return out;
    }
    zip_error_fini(&error);
    return ZipReader(z).extract(limit);
}

} // namespace package
