#include "files/safefile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QStorageInfo>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvanta {

namespace {

const QByteArray kTempMark = QByteArrayLiteral(".corvanta-save-");
constexpr int kTempSuffix = 6;

// strerror_r comes in two flavours: GNU returns the text, POSIX fills buf.
[[maybe_unused]] const char* reasonText(int rc, const char* buf)
{
    return rc == 0 ? buf : nullptr;
}
[[maybe_unused]] const char* reasonText(const char* text, const char*)
{
    return text;
}

QString nameOf(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

QString notRegular(const QString& path)
{
    return userText(FileStatus::fail(FileStatus::NotRegular, nameOf(path)));
}

QString sizeText(qint64 bytes)
{
    static constexpr struct
    {
        qint64 unit;
        const char* name;
    } units[] = {{qint64(1) << 30, "GiB"}, {qint64(1) << 20, "MiB"}, {qint64(1) << 10, "KiB"}};
    for (const auto& u : units) {
        if (bytes >= u.unit && bytes % u.unit == 0)
            return QStringLiteral("%1 %2").arg(bytes / u.unit).arg(QLatin1StringView(u.name));
    }
    return QStringLiteral("%1 bytes").arg(bytes);
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The folder and the name of a path, as the file system sees them.
std::pair<QByteArray, QByteArray> splitPath(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {QByteArrayLiteral("."), path};
    return {slash == 0 ? QByteArrayLiteral("/") : path.left(slash), path.mid(slash + 1)};
}

struct Target
{
    QByteArray path; // links resolved
    bool exists = false;
    struct stat st = {};
};

// Decides what a save to `path` would replace, refusing what must not be.
bool inspectTarget(const QString& path, Target& t, QString* why)
{
    const QByteArray p = QFile::encodeName(path);
    t = Target{};
    if (::stat(p.constData(), &t.st) != 0) {
        const int err = errno;
        if (err == ELOOP) {
            *why = notRegular(path);
            return false;
        }
        if (err != ENOENT) {
            *why = systemReason(err);
            return false;
        }
        // Nothing there, or a link to nothing: the new file takes the name.
        t.path = p;
        return true;
    }
    if (!S_ISREG(t.st.st_mode)) {
        *why = notRegular(path);
        return false;
    }
    // Root may write anything, so the mode alone says the owner wants the
    // file left alone.
    if ((t.st.st_mode & 0222) == 0) {
        *why = QStringLiteral("%1 is read-only").arg(nameOf(path));
        return false;
    }
    if (::access(p.constData(), W_OK) != 0) {
        *why = systemReason(errno);
        return false;
    }
    char* real = ::realpath(p.constData(), nullptr);
    if (!real) {
        *why = systemReason(errno);
        return false;
    }
    t.path = QByteArray(real);
    std::free(real);
    t.exists = true;
    return true;
}

bool isTempName(QByteArrayView name, const QByteArray& prefix)
{
    if (name.size() != prefix.size() + kTempSuffix || !name.startsWith(prefix))
        return false;
    for (char c : name.sliced(prefix.size())) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// Removes temporary files of an earlier save of the same target that was
// killed before it finished. A save in progress holds a lock on its file,
// so another process's live save is left alone.
void removeStaleTemps(const QByteArray& dir, const QByteArray& prefix)
{
    DIR* d = ::opendir(dir.constData());
    if (!d)
        return;
    while (const dirent* e = ::readdir(d)) {
        if (!isTempName(e->d_name, prefix))
            continue;
        const QByteArray path = dir + '/' + e->d_name;
        struct stat before, opened, now;
        if (::lstat(path.constData(), &before) != 0 || !S_ISREG(before.st_mode))
            continue;
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::fstat(fd, &opened) == 0 && sameFile(before, opened) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.constData(), &now) == 0 &&
            sameFile(now, opened))
            ::unlink(path.constData());
        ::close(fd);
    }
    ::closedir(d);
}

QByteArray randomSuffix()
{
    static constexpr char chars[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray s(kTempSuffix, Qt::Uninitialized);
    for (char& c : s)
        c = chars[QRandomGenerator::global()->bounded(int(sizeof chars - 1))];
    return s;
}

// Creates and locks a new temporary file named `prefix` plus a random
// suffix. A new target is created with 0666 so that the umask (and any
// default ACL of the folder) applies as for any new file; a replacement
// starts private and takes the old file's mode at commit.
int createTemp(const QByteArray& prefix, mode_t mode, QByteArray* path, QString* why)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = prefix + randomSuffix();
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            *why = systemReason(errno);
            return -1;
        }
        // Another save's sweep may have taken the file between its creation
        // and the lock; then the name no longer leads to it.
        struct stat opened, named;
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &opened) == 0 &&
            ::lstat(name.constData(), &named) == 0 && sameFile(opened, named)) {
            *path = name;
            return fd;
        }
        ::close(fd);
    }
    *why = systemReason(EEXIST);
    return -1;
}

// Makes the rename itself durable. File systems that cannot sync a folder
// say so with EINVAL; their rename is as safe as they make it.
bool syncFolder(const QByteArray& dir, QString* why)
{
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        *why = systemReason(errno);
        return false;
    }
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == EOPNOTSUPP;
    if (!ok)
        *why = systemReason(errno);
    ::close(fd);
    return ok;
}

} // namespace

QString systemReason(int errnum)
{
    char buf[256] = {};
    const char* text = reasonText(::strerror_r(errnum, buf, sizeof buf), buf);
    return text ? QString::fromLocal8Bit(text) : QStringLiteral("Error %1").arg(errnum);
}

bool openInput(QFile& file, const QString& path, qint64 maxBytes, QString* why,
               QIODevice::OpenMode mode)
{
    const FileStatus s = openInputFile(file, path, maxBytes, mode);
    if (!s && why)
        *why = userText(s);
    return s.ok();
}

FileStatus openInputFile(QFile& file, const QString& path, qint64 maxBytes,
                         QIODevice::OpenMode mode)
{
    auto usable = [&](const struct stat& st) -> FileStatus {
        if (!S_ISREG(st.st_mode))
            return FileStatus::fail(FileStatus::NotRegular, nameOf(path));
        if (st.st_size > maxBytes)
            return FileStatus::fail(FileStatus::InputTooLarge, sizeText(maxBytes));
        return {};
    };
    auto systemFailure = [](int err) {
        return FileStatus::fail(FileStatus::Io, systemReason(err));
    };

    const QByteArray p = QFile::encodeName(path);
    struct stat st;
    if (::stat(p.constData(), &st) != 0) {
        return errno == ELOOP ? FileStatus::fail(FileStatus::NotRegular, nameOf(path))
                              : systemFailure(errno);
    }
    if (FileStatus s = usable(st); !s)
        return s;
    // The path may have changed since the look: without O_NONBLOCK a FIFO
    // put there now would block this open until a writer comes.
    const int fd = ::open(p.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return systemFailure(errno);
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return systemFailure(err);
    }
    if (FileStatus s = usable(st); !s) {
        ::close(fd);
        return s;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file.setFileName(path);
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return FileStatus::fail(FileStatus::Io, file.errorString());
    }
    return {};
}

AtomicFile::AtomicFile(const QString& path, QObject* parent) : QIODevice(parent), m_path(path) {}

AtomicFile::~AtomicFile()
{
    discard();
}

bool AtomicFile::open(OpenMode mode)
{
    if (isOpen() || (mode & (ReadOnly | Append)) || !(mode & WriteOnly)) {
        setErrorString(QStringLiteral("Unsupported open mode"));
        return false;
    }
    QString why;
    Target t;
    if (!inspectTarget(m_path, t, &why)) {
        setErrorString(why);
        return false;
    }
    const auto [dir, name] = splitPath(t.path);
    const QByteArray prefix = dir + "/." + name + kTempMark;
    removeStaleTemps(dir, '.' + name + kTempMark);
    const int fd = createTemp(prefix, t.exists ? 0600 : 0666, &m_temp, &why);
    if (fd < 0) {
        setErrorString(why);
        return false;
    }
    m_fd = fd;
    m_target = t.path;
    m_exists = t.exists;
    m_mode = t.st.st_mode;
    m_uid = t.st.st_uid;
    m_gid = t.st.st_gid;
    m_failed = false;
    return QIODevice::open(mode);
}

qint64 AtomicFile::readData(char*, qint64)
{
    return -1;
}

qint64 AtomicFile::writeData(const char* data, qint64 size)
{
    if (m_failed || m_fd < 0)
        return -1;
    qint64 done = 0;
    while (done < size) {
        const ssize_t n =
            ::write(m_fd, data + done, size_t(std::min<qint64>(size - done, 1 << 30)));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // A regular file takes at least one byte or says why not; zero
        // would loop for ever.
        m_failed = true;
        setErrorString(systemReason(n < 0 ? errno : EIO));
        return -1;
    }
    return done;
}

bool AtomicFile::commit()
{
    if (m_fd < 0)
        return false;
    if (m_failed)
        return fail(errorString());
    if (m_exists) {
        // Only root can give the file back to its owner; others keep the
        // file as theirs, as with any file they write.
        if (::geteuid() == 0)
            (void)::fchown(m_fd, m_uid, m_gid);
        // Set-ID bits are not carried over to new content.
        if (::fchmod(m_fd, m_mode & 0777) != 0)
            return fail(systemReason(errno));
    }
    if (::fsync(m_fd) != 0)
        return fail(systemReason(errno));
    // Something may have taken the target's place since open().
    QString why;
    Target now;
    if (!inspectTarget(m_path, now, &why))
        return fail(why);
    // The rename comes before the close: the lock keeps another save's sweep
    // off the file until it has its final name.
    if (::rename(m_temp.constData(), m_target.constData()) != 0)
        return fail(systemReason(errno));
    m_temp.clear();
    ::close(m_fd);
    m_fd = -1;
    QIODevice::close();
    if (!syncFolder(splitPath(m_target).first, &why)) {
        setErrorString(why);
        return false;
    }
    return true;
}

void AtomicFile::cancelWriting()
{
    discard();
    QIODevice::close();
}

void AtomicFile::close()
{
    cancelWriting();
}

bool AtomicFile::fail(const QString& why)
{
    discard();
    QIODevice::close();
    setErrorString(why);
    return false;
}

void AtomicFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.isEmpty()) {
        ::unlink(m_temp.constData());
        m_temp.clear();
    }
}

qint64 systemFreeSpace(const QString& folder)
{
    const QStorageInfo storage(folder);
    if (!storage.isValid() || !storage.isReady())
        return -1;
    return ::geteuid() == 0 ? storage.bytesFree() : storage.bytesAvailable();
}

bool AtomicFile::fitsFreeSpace(const QString& targetPath, qint64 bytes, QString* why,
                               const FreeSpaceQuery& freeSpace)
{
    // The old file stays until the rename, so its space does not count.
    const qint64 free = freeSpace(QFileInfo(targetPath).absolutePath());
    if (free < 0 || bytes <= free)
        return true;
    if (why) {
        const QLocale c = QLocale::c();
        *why =
            QStringLiteral("%1 (the file needs %2, %3 are free)")
                .arg(systemReason(ENOSPC), c.formattedDataSize(bytes), c.formattedDataSize(free));
    }
    return false;
}

} // namespace corvanta
