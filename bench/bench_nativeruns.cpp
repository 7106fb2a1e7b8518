// Format runs of the native file: bench_nativeruns [runs]
//
// Hostile but legal documents whose empty rows are covered by bold runs of
// 256 rows, read by NativeFile::load, side by side with unfolding the same
// runs cell by cell (Table::setFormat on every covered cell, then sharing
// alike rows: how a reader that expands each record would do it). Each
// reading runs in a fresh child process (bench_nativeruns --peak MODE ...),
// which reports the growth of its resident size and its time; every run
// measures each contender once, in turn, and medians are reported.
#include "benchutil.h"
#include "files/filestatus.h"
#include "files/nativefile.h"
#include "grid/table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace corvanta;
using bench::median;
using bench::statusKB;

namespace {

struct Shape
{
    const char* name;
    int rows;
    int cols;
    // Each column's runs start a row lower than the last's and leave a row
    // out after 255, so that no two rows have the same formats.
    bool staggered;
};

struct Record
{
    quint32 row, col;
    int more;
};

std::vector<Record> recordsOf(const Shape& s)
{
    std::vector<Record> out;
    for (int c = 0; c < s.cols; ++c) {
        const int longest = s.staggered ? 254 : 255;
        for (int r = s.staggered ? c % 256 : 0; r < s.rows; r += 256)
            out.push_back({quint32(r), quint32(c), std::min(longest, s.rows - 1 - r)});
    }
    std::sort(out.begin(), out.end(), [](const Record& a, const Record& b) {
        return a.row != b.row ? a.row < b.row : a.col < b.col;
    });
    return out;
}

void put32(QByteArray& b, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char(v >> (8 * i)));
}

// The document as docs/native-format.md lays it out.
QByteArray documentOf(const Shape& s)
{
    QByteArray b("\x89"
                 "CVT\r\n\x1a\n",
                 8);
    for (quint32 v : {2u, 0u, quint32(s.rows), quint32(s.cols)})
        put32(b, v);
    for (int c = 0; c < s.cols; ++c) {
        put32(b, quint32(-1));
        put32(b, 0);
        put32(b, 9);
        b.append('\0');
        put32(b, 0);
    }
    b.append(QByteArray(s.rows, '\0'));
    const std::vector<Record> records = recordsOf(s);
    put32(b, quint32(records.size()));
    for (const Record& r : records) {
        put32(b, r.row);
        put32(b, r.col);
        b.append('\0').append('\1').append('\0').append(char(r.more));
        put32(b, 0);
        put32(b, 0);
        put32(b, 0);
    }
    put32(b, 0);
    return b;
}

// Child mode: one reading; prints the resident size before it and the
// peak after it in kB, and the seconds it took.
int peak(const QString& mode, const QString& path, const Shape& shape)
{
    const qint64 before = statusKB("VmRSS");
    QElapsedTimer timer;
    timer.start();
    Table t;
    if (mode == QLatin1String("reader")) {
        if (const FileStatus s = NativeFile::load(path, t); !s) {
            std::printf("%lld %lld %.3f %s\n", static_cast<long long>(before),
                        static_cast<long long>(statusKB("VmHWM")), timer.nsecsElapsed() / 1e9,
                        qPrintable(userText(s)));
            return 0;
        }
    } else {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray bytes = f.readAll(); // held while decoding, as a reader does
        t = Table(shape.rows, shape.cols);
        CellFormat bold;
        bold.bold = true;
        for (const Record& r : recordsOf(shape))
            for (int k = 0; k <= r.more; ++k)
                t.setFormat(int(r.row) + k, int(r.col), bold);
        t.shareAlikeFormats();
    }
    std::printf("%lld %lld %.3f read\n", static_cast<long long>(before),
                static_cast<long long>(statusKB("VmHWM")), timer.nsecsElapsed() / 1e9);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const std::vector<Shape> shapes = {
        {"2.9 MB, 1,000,000 rows x 20 columns", 1000000, 20, false},
        {"10 MB, 3,500,000 rows x 20 columns", 3500000, 20, false},
        {"2.9 MB, 20 columns staggered", 1000000, 20, true},
        {"0.2 MB, 8,192 rows x 256 columns staggered", 8192, 256, true},
    };
    if (args.size() == 5 && args.at(1) == QLatin1String("--peak"))
        return peak(args.at(2), args.at(3), shapes.at(size_t(args.at(4).toInt())));

    const int runs = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 3;
    QTemporaryDir dir;
    std::printf("Reading format runs: growth of the resident size (peak - before), "
                "median of %d runs\n\n",
                runs);
    std::printf("  %-38s %10s | %-22s | %-22s\n", "document", "file", "NativeFile::load",
                "cell by cell");
    for (size_t i = 0; i < shapes.size(); ++i) {
        const QString path = dir.filePath(QStringLiteral("runs%1.cvt").arg(i));
        const QByteArray bytes = documentOf(shapes[i]);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return 1;
        f.close();
        std::vector<double> mem[2], time[2];
        QString outcome;
        for (int run = 0; run < runs; ++run) {
            for (int m = 0; m < 2; ++m) {
                QProcess child;
                child.start(app.applicationFilePath(),
                            {"--peak", m == 0 ? "reader" : "cellwise", path, QString::number(i)});
                child.waitForFinished(-1);
                const QList<QByteArray> out = child.readAllStandardOutput().trimmed().split(' ');
                if (out.size() < 4)
                    return 1;
                mem[m].push_back((out[1].toDouble() - out[0].toDouble()) / 1024);
                time[m].push_back(out[2].toDouble());
                if (m == 0)
                    outcome = QString::fromUtf8(out.mid(3).join(' '));
            }
        }
        const double fileMB = bytes.size() / 1048576.0;
        auto cell = [fileMB](double mb, double s) {
            return QString("%1 MB %2x %3 s")
                .arg(mb, 7, 'f', 1)
                .arg(mb / fileMB, 4, 'f', 0)
                .arg(s, 5, 'f', 2);
        };
        std::printf("  %-38s %7.1f MB | %s | %s\n", shapes[i].name, fileMB,
                    qPrintable(cell(median(mem[0]), median(time[0]))),
                    qPrintable(cell(median(mem[1]), median(time[1]))));
        std::printf("  %-38s %10s   (%s)\n", "", "", qPrintable(outcome));
    }
    return 0;
}
