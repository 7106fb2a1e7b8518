#pragma once

// Measuring helpers shared by the benchmarks.

#include <QString>

#include <vector>

namespace corvanta::bench {

// Median of the samples; -1 for none.
double median(std::vector<double> samples);

// A field of /proc/self/status in kB ("VmHWM", "VmRSS"), -1 if absent.
qint64 statusKB(const char* field);

// Wall time of one call, in seconds.
template <typename F> double seconds(F&& f);

// CPU time of the calling thread, in seconds: on a shared machine the
// wall time also counts the time other processes held the processor.
double threadCpu();

// Wall and thread CPU seconds of one call, added to the two samples.
template <typename F> void timed(std::vector<double>& wall, std::vector<double>& cpu, F&& f);

// Runs Python's csv module on the file, timed inside Python so that the
// interpreter's start is not counted. With `outPath` it also writes every
// row back with csv.writer. Returns -1 when python3 is missing or fails.
double pythonCsv(const QString& inPath, const QString& outPath, qsizetype* rows);

} // namespace corvanta::bench

#include <QElapsedTimer>

template <typename F> double corvanta::bench::seconds(F&& f)
{
    QElapsedTimer timer;
    timer.start();
    f();
    return double(timer.nsecsElapsed()) / 1e9;
}

template <typename F>
void corvanta::bench::timed(std::vector<double>& wall, std::vector<double>& cpu, F&& f)
{
    const double c0 = threadCpu();
    wall.push_back(seconds(f));
    cpu.push_back(threadCpu() - c0);
}
