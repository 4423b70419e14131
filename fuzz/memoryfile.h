#pragma once
// One memory-backed file for a whole fuzzing run: each input replaces its content, so that
// no file is created, written to disk or deleted per input. Readers open it by its path.
#include <QString>

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

class MemoryFile {
public:
    MemoryFile() : m_fd(memfd_create("fuzz-input", 0)), m_path(QStringLiteral("/proc/self/fd/%1").arg(m_fd)) {}
    ~MemoryFile() {
        if (m_fd >= 0)
            close(m_fd);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool set(const uint8_t* data, size_t size) {
        if (m_fd < 0 || ftruncate(m_fd, 0) != 0)
            return false;
        size_t done = 0;
        while (done < size) {
            const ssize_t n = pwrite(m_fd, data + done, size - done, off_t(done));
            if (n <= 0)
                return false;
            done += size_t(n);
        }
        return true;
    }
    const QString& path() const { return m_path; }

private:
    int m_fd;
    QString m_path;
};
