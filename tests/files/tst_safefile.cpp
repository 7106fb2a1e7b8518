#include "../support/childprocess.h"
#include "files/safefile.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstring>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace corvanta;

namespace {

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void put(const QString& path, const QByteArray& bytes, int mode = 0644)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    f.close();
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
}

QStringList temps(const QString& dir)
{
    return QDir(dir).entryList({"*.corvanta-save-*"}, QDir::Files | QDir::Hidden | QDir::System);
}

struct stat lstatOf(const QString& path)
{
    struct stat st = {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

// Puts a file of the named kind at `path`; false when this system or user
// cannot make one.
bool makeSpecial(const QString& path, const QString& kind)
{
    const QByteArray p = QFile::encodeName(path);
    if (kind == "fifo")
        return ::mkfifo(p.constData(), 0666) == 0;
    if (kind == "directory")
        return ::mkdir(p.constData(), 0777) == 0;
    if (kind == "symlink loop")
        return ::symlink(p.constData(), p.constData()) == 0;
    if (kind == "symlink to fifo")
        return ::mkfifo((p + ".fifo").constData(), 0666) == 0 &&
               ::symlink((p + ".fifo").constData(), p.constData()) == 0;
    if (kind == "socket") {
        sockaddr_un addr = {};
        addr.sun_family = AF_UNIX;
        if (size_t(p.size()) >= sizeof addr.sun_path)
            return false;
        std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        ::close(fd);
        return ok;
    }
    if (kind == "char device") // the null device's numbers, but our own node
        return ::geteuid() == 0 && ::mknod(p.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    return false;
}

} // namespace

class TestSafeFile : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString dir() const { return m_dir->path(); }
    QString path(const QString& name) const { return m_dir->filePath(name); }

  private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void refusesTarget_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expected");
        for (const char* kind :
             {"fifo", "directory", "socket", "symlink loop", "symlink to fifo", "char device"})
            QTest::newRow(kind) << QString(kind) << "out.csv is not a regular file";
        QTest::newRow("read-only 0444") << "read-only"
                                        << "out.csv is read-only";
    }
    void refusesTarget()
    {
        QFETCH(QString, kind);
        QFETCH(QString, expected);
        const QString target = path("out.csv");
        if (kind == "read-only")
            put(target, "old", 0444);
        else if (!makeSpecial(target, kind))
            QSKIP("cannot make this kind of file here");
        const struct stat before = lstatOf(target);

        AtomicFile f(target);
        QVERIFY(!f.open(QIODevice::WriteOnly));
        QCOMPARE(f.errorString(), expected);
        const struct stat after = lstatOf(target);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        QVERIFY(temps(dir()).isEmpty());
    }

    void keepsModeAndOwner_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("expected");
        QTest::newRow("new file, umask 022") << false << 0 << 022 << 0644;
        QTest::newRow("new file, umask 027") << false << 0 << 027 << 0640;
        QTest::newRow("replaced 0640") << true << 0640 << 022 << 0640;
        QTest::newRow("replaced 0666 despite umask 077") << true << 0666 << 077 << 0666;
        QTest::newRow("replaced 0604") << true << 0604 << 077 << 0604;
    }
    void keepsModeAndOwner()
    {
        QFETCH(bool, exists);
        QFETCH(int, mode);
        QFETCH(int, mask);
        QFETCH(int, expected);
        const QString target = path("book.cvt");
        const bool root = ::geteuid() == 0;
        if (exists) {
            put(target, "old", mode);
            if (root)
                QCOMPARE(::chown(QFile::encodeName(target).constData(), 4321, 4322), 0);
        }
        const mode_t oldMask = ::umask(mode_t(mask));
        AtomicFile f(target);
        const bool opened = f.open(QIODevice::WriteOnly);
        ::umask(oldMask);
        QVERIFY2(opened, qPrintable(f.errorString()));
        QCOMPARE(f.write("new"), 3);
        QVERIFY2(f.commit(), qPrintable(f.errorString()));

        const struct stat st = lstatOf(target);
        QCOMPARE(int(st.st_mode & 07777), expected);
        if (exists && root) {
            QCOMPARE(st.st_uid, uid_t(4321));
            QCOMPARE(st.st_gid, gid_t(4322));
        }
        QCOMPARE(contents(target), "new");
        QVERIFY(temps(dir()).isEmpty());
    }

    void writesThroughSymlink()
    {
        const QString real = path("real.cvt");
        const QString link = path("sub/link.cvt");
        put(real, "old", 0640);
        QVERIFY(QDir(dir()).mkdir("sub"));
        QVERIFY(QFile::link("../real.cvt", link));

        AtomicFile f(link);
        QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(f.errorString()));
        QCOMPARE(temps(dir()).size(), 1); // beside the file it replaces
        f.write("new");
        QVERIFY2(f.commit(), qPrintable(f.errorString()));

        QVERIFY(S_ISLNK(lstatOf(link).st_mode));
        QCOMPARE(QFile::symLinkTarget(link), real);
        QCOMPARE(contents(real), "new");
        QCOMPARE(int(lstatOf(real).st_mode & 07777), 0640);
        QVERIFY(temps(dir()).isEmpty());
        QVERIFY(temps(path("sub")).isEmpty());
    }

    void sweepsOnlyStaleTemps()
    {
        const QString target = path("book.cvt");
        put(target, "old");
        const QString stale = ".book.cvt.corvanta-save-Ab12Cd";
        const QStringList others = {".book.cvt.corvanta-save-Ab12C",
                                    "book.cvt.corvanta-save-Ab12Cd",
                                    ".other.cvt.corvanta-save-Ab12Cd"};
        for (const QString& name : others + QStringList{stale})
            put(path(name), "stale");

        AtomicFile f(target);
        QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(f.errorString()));
        QVERIFY(!QFile::exists(path(stale)));
        for (const QString& name : others)
            QVERIFY2(QFile::exists(path(name)), qPrintable(name));
        QStringList mine = temps(dir());
        for (const QString& name : others)
            mine.removeOne(name);
        QCOMPARE(mine.size(), 1);
        QVERIFY(mine[0].startsWith(".book.cvt.corvanta-save-") && mine[0].size() == stale.size());

        // A save in progress elsewhere is not stale.
        {
            AtomicFile other(target);
            QVERIFY(other.open(QIODevice::WriteOnly));
            QVERIFY(QFile::exists(path(mine[0])));
        }
        QCOMPARE(f.write("new"), 3);
        QVERIFY2(f.commit(), qPrintable(f.errorString()));
        QCOMPARE(contents(target), "new");
        QCOMPARE(temps(dir()).size(), others.size());
        for (const QString& name : others)
            QVERIFY2(QFile::exists(path(name)), qPrintable(name));
    }

    void discardsWithoutCommit_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : {"cancelWriting", "close", "destructor"})
            QTest::newRow(how) << QString(how);
    }
    void discardsWithoutCommit()
    {
        QFETCH(QString, how);
        const QString target = path("book.cvt");
        put(target, "old");
        {
            AtomicFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("new");
            if (how == "cancelWriting")
                f.cancelWriting();
            else if (how == "close")
                f.close();
            if (how != "destructor") {
                QVERIFY(!f.commit());
                QVERIFY(temps(dir()).isEmpty());
            }
        }
        QCOMPARE(contents(target), "old");
        QVERIFY(temps(dir()).isEmpty());
    }

    // A file-size limit makes write() fail with EFBIG, as a full disk does
    // with ENOSPC: the reason must reach the user, and the first failure
    // must stop the save.
    void reportsWriteFailure()
    {
        const QString target = path("book.csv");
        put(target, "old");
        const QByteArray result = inChild(
            [&] {
                const rlimit limit = {64 * 1024, RLIM_INFINITY};
                ::setrlimit(RLIMIT_FSIZE, &limit);
                ::signal(SIGXFSZ, SIG_IGN);
                AtomicFile f(target);
                if (!f.open(QIODevice::WriteOnly))
                    return "open: " + f.errorString().toUtf8();
                const QByteArray chunk(64 * 1024, 'x');
                int written = 0;
                while (written < 16 && f.write(chunk) == chunk.size())
                    ++written;
                QByteArray out = "written " + QByteArray::number(written);
                out += f.failed() ? " failed" : " not failed";
                // With room again, a write after the failure must still fail.
                const rlimit none = {RLIM_INFINITY, RLIM_INFINITY};
                ::setrlimit(RLIMIT_FSIZE, &none);
                out += ", then " + QByteArray::number(f.write(chunk));
                out += f.commit() ? ", committed" : ", not committed";
                return out + ": " + f.errorString().toUtf8();
            },
            10);
        QCOMPARE(result, "written 1 failed, then -1, not committed: File too large");
        QCOMPARE(contents(target), "old");
        QVERIFY(temps(dir()).isEmpty());
    }

    void checksFreeSpace()
    {
        const QString target = path("new.csv");
        const QStorageInfo storage(dir());
        QVERIFY(storage.isValid());
        QString why;
        QVERIFY2(AtomicFile::fitsFreeSpace(target, 1, &why), qPrintable(why));
        QVERIFY(!AtomicFile::fitsFreeSpace(target, storage.bytesTotal() + 1, &why));
        QVERIFY2(why.startsWith(QString(::strerror(ENOSPC)) + " (the file needs "),
                 qPrintable(why));
    }

    void opensOnlyRegularInput_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QString>("expected");
        const QString notRegular = "in.csv is not a regular file";
        const qint64 k64 = 64 * 1024;
        QTest::newRow("regular file") << "file" << qint64(5) << kMaxInputBytes << "opened 5";
        QTest::newRow("at the limit") << "file" << k64 << k64 << "opened 65536";
        QTest::newRow("one byte over the limit")
            << "file" << k64 + 1 << k64
            << "The file is larger than 64 KiB, the largest file that can be opened.";
        QTest::newRow("3 GiB") << "file" << (qint64(3) << 30) << kMaxInputBytes
                               << "The file is larger than 2 GiB, the largest file that can be "
                                  "opened.";
        QTest::newRow("missing") << "none" << qint64(0) << kMaxInputBytes
                                 << QString(::strerror(ENOENT));
        for (const char* kind :
             {"fifo", "symlink to fifo", "directory", "socket", "symlink loop", "char device"})
            QTest::newRow(kind) << kind << qint64(0) << kMaxInputBytes << notRegular;
    }
    void opensOnlyRegularInput()
    {
        QFETCH(QString, kind);
        QFETCH(qint64, size);
        QFETCH(qint64, limit);
        QFETCH(QString, expected);
        const QString input = path("in.csv");
        if (kind == "file") {
            QFile f(input);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(size)); // sparse: takes no room
        } else if (kind != "none" && !makeSpecial(input, kind)) {
            QSKIP("cannot make this kind of file here");
        }
        // A child, so that a FIFO that blocks fails the test instead of
        // hanging it.
        const QByteArray result = inChild(
            [&] {
                QFile f;
                QString why;
                if (!openInput(f, input, limit, &why))
                    return f.isOpen() ? "left open" : why.toUtf8();
                return "opened " + QByteArray::number(f.readAll().size());
            },
            10);
        QCOMPARE(QString::fromUtf8(result), expected);
    }
};

QTEST_GUILESS_MAIN(TestSafeFile)
#include "tst_safefile.moc"
