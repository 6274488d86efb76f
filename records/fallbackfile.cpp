#include "records/fallbackfile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// An open, locked file descriptor, closed (and so unlocked) on scope exit.
class LockedFile
{
public:
    LockedFile(const QString &path, int flags)
        : fd(::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, 0644))
    {
        if (fd >= 0 && ::flock(fd, LOCK_EX) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ~LockedFile()
    {
        if (fd >= 0)
            ::close(fd);
    }
    LockedFile(const LockedFile &) = delete;
    LockedFile &operator=(const LockedFile &) = delete;
    int fd;
};

bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

bool FallbackFile::append(const QString &path, const QByteArray &line)
{
    LockedFile file(path, O_WRONLY | O_APPEND | O_CREAT);
    if (file.fd < 0)
        return false;
    const QByteArray bytes = line + '\n';
    const off_t start = ::lseek(file.fd, 0, SEEK_END);
    if (writeAll(file.fd, bytes.constData(), bytes.size()) && ::fsync(file.fd) == 0)
        return true;
    // Leave no half line behind for the next writer to continue (the write has failed anyway).
    const bool trimmed = start >= 0 && ::ftruncate(file.fd, start) == 0;
    Q_UNUSED(trimmed);
    return false;
}

bool FallbackFile::drain(const QString &path,
                         const std::function<bool(const QList<QByteArray> &)> &take)
{
    if (!QFile::exists(path))
        return true;
    LockedFile file(path, O_RDWR);
    if (file.fd < 0)
        return false;
    QByteArray content;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        content.append(buffer, n);
    }
    QList<QByteArray> lines;
    for (const QByteArray &line : content.split('\n')) {
        if (!line.trimmed().isEmpty())
            lines.append(line);
    }
    if (lines.isEmpty())
        return true;
    if (!take(lines))
        return false;
    // Emptied rather than removed: a writer waiting for the lock still holds this file open.
    return ::ftruncate(file.fd, 0) == 0 && ::fsync(file.fd) == 0;
}
