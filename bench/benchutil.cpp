#include "benchutil.h"

#include <QFile>
#include <QProcess>

#include <algorithm>
#include <ctime>

namespace corvanta::bench {

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double threadCpu()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

qint64 statusKB(const char* field)
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

double pythonCsv(const QString& inPath, const QString& outPath, qsizetype* rows)
{
    static const char* script =
        "import csv, sys, time\n"
        "t = time.perf_counter()\n"
        "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
        "    rows = list(csv.reader(f))\n"
        "if len(sys.argv) > 2:\n"
        "    with open(sys.argv[2], 'w', newline='', encoding='utf-8') as f:\n"
        "        csv.writer(f).writerows(rows)\n"
        "print(time.perf_counter() - t, len(rows))\n";
    QStringList args{"-c", script, inPath};
    if (!outPath.isEmpty())
        args << outPath;
    QProcess p;
    p.start("python3", args);
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    const QList<QByteArray> out = p.readAllStandardOutput().trimmed().split(' ');
    if (out.size() != 2)
        return -1;
    *rows = out[1].toLongLong();
    return out[0].toDouble();
}

} // namespace corvanta::bench
