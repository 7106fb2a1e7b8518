#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include "files/filestatus.h"

#include <functional>
#include <sys/types.h>

class QFile;

namespace corvanta {

// The largest input file the readers accept, in bytes. The native reader
// holds the whole file and the table it builds at once, so a file takes at
// least twice its size in memory, and a text file's cells end up in the
// table at about their own size again. 2 GiB is far beyond any real address
// book (200,001 records of 201 filled columns stay well below it), keeps the
// peak near 4 GiB, and keeps every cell offset within the table's 32-bit
// row layout. Larger files are refused before a byte is read.
inline constexpr qint64 kMaxInputBytes = qint64(2) << 30;

// The system's own text for an errno value ("No space left on device").
QString systemReason(int errnum);

// The room, in bytes, that the file system holding `folder` has for a new
// file; negative when it cannot be told. Savers take the query as an
// argument so that a test can decide how full the disk is.
using FreeSpaceQuery = std::function<qint64(const QString& folder)>;
// The real file system's: root may also use the blocks kept in reserve.
qint64 systemFreeSpace(const QString& folder);

// Opens `path` for reading into `file` (which must not be open), refusing
// anything that is not a regular file or that is larger than `maxBytes`.
// A FIFO, device, socket or directory is never opened, so a pipe without a
// writer cannot block the caller. On failure `why` gets a text for the user
// and `file` stays closed.
bool openInput(QFile& file, const QString& path, qint64 maxBytes, QString* why,
               QIODevice::OpenMode mode = QIODevice::ReadOnly);
// The same for the file readers: the failure as a FileStatus (NotRegular,
// InputTooLarge, or Io with the system's reason).
FileStatus openInputFile(QFile& file, const QString& path, qint64 maxBytes = kMaxInputBytes,
                         QIODevice::OpenMode mode = QIODevice::ReadOnly);

// Writes a file so that the old one stays whole until the new one is
// complete and on disk; used like QSaveFile: open(WriteOnly), write, then
// commit() or cancelWriting(). Saving never touches an existing target that
// is not a regular file (or a symbolic link to one) and refuses a read-only
// one; a link is kept and the file it names is replaced. The data goes to
// ".<name>.corvanta-save-XXXXXX" beside the target, which takes over the old
// file's permissions and owner before it is renamed over it.
class AtomicFile : public QIODevice
{
  public:
    explicit AtomicFile(const QString& path, QObject* parent = nullptr);
    ~AtomicFile() override; // without commit(), the temporary file goes

    QString fileName() const { return m_path; }

    // WriteOnly (optionally with Truncate, Text or Unbuffered) only.
    bool open(OpenMode mode) override;
    // Puts the data in place of the target: true once the new file and its
    // folder entry are on disk. On failure the old target is left as it was
    // and errorString() gives the system's reason.
    bool commit();
    // Drops what was written; the target is left as it was.
    void cancelWriting();
    // Same as cancelWriting(): data reaches the target only through commit().
    void close() override;

    // True from the first failed write on; every later write fails at once,
    // so a writer can stop producing output.
    bool failed() const { return m_failed; }
    bool isSequential() const override { return true; }

    // False, with the reason in `why`, when the file system of `targetPath`
    // has less free space than `bytes`. True when the space cannot be told.
    static bool fitsFreeSpace(const QString& targetPath, qint64 bytes, QString* why,
                              const FreeSpaceQuery& freeSpace = systemFreeSpace);

  protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

  private:
    bool fail(const QString& why);
    void discard();

    QString m_path;
    QByteArray m_target; // the file replaced: the path with links resolved
    QByteArray m_temp;
    int m_fd = -1;
    bool m_failed = false;
    bool m_exists = false;
    mode_t m_mode = 0;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
};

} // namespace corvanta
