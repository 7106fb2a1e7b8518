// vCard benchmark: bench_vcard [cards] [runs]
//
// Writing (encode, write through AtomicFile) and reading (read the file,
// decode, build the table) of realistic address cards, 10,000 by default:
// the ten default columns of the address data, with the two note columns
// titled Organization and Note so that every card also carries ORG and
// NOTE. Each run times the writer and then the reader once; medians are
// reported, with the target of 0.2 s each.
//
// Then the reader's memory and time on cards of other programs: the peak
// resident size of reading 100,000 phone cards without photos (labels,
// groups, UID and REV, which the hidden column keeps) and 500,000 tiny
// ones, each in a fresh child process (bench_vcard --read-peak FILE),
// against the file's size (target: within 3x); and one card with 2,000 to
// 16,000 TEL lines, whose time must grow linearly.
#include "addressgen.h"
#include "benchutil.h"
#include "files/vcard.h"
#include "grid/table.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <tuple>
#include <vector>

using namespace corvanta;
using bench::median;
using bench::seconds;

namespace {

qint64 statusKB(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key) + 1).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Child mode: one read in a process of its own; the resident size before
// it and the peak after it, in kB, and the records.
int readPeak(const QString& path)
{
    const qint64 before = statusKB("VmRSS");
    Table t;
    if (const FileStatus s = Vcard::load(path, t); !s) {
        std::fprintf(stderr, "read failed: %s\n", qPrintable(userText(s)));
        return 1;
    }
    std::printf("%lld %lld %d\n", static_cast<long long>(before),
                static_cast<long long>(statusKB("VmHWM")), t.rowCount() - 1);
    return 0;
}

// Cards as a phone exports them, without photos.
QByteArray phoneCards(int n, bool tiny)
{
    QByteArray out;
    for (int i = 0; i < n; ++i) {
        const QByteArray k = QByteArray::number(i);
        if (tiny) {
            out += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:P" + k + "\r\nTEL:555" + k +
                   "\r\nEND:VCARD\r\n";
            continue;
        }
        out += "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Apple Inc.//iPhone OS 17.1//EN\r\n"
               "N:Person" + k + ";Ann;;;\r\nFN:Ann Person" + k + "\r\nORG:Acme " + k +
               ";\r\nitem1.EMAIL;type=INTERNET;type=pref:ann" + k +
               "@example.org\r\nitem1.X-ABLabel:_$!<Other>!$_\r\n"
               "TEL;type=CELL;type=VOICE;type=pref:+1 555 01" + k +
               "\r\nTEL;type=WORK;type=VOICE:+1 555 02" + k +
               "\r\nitem2.ADR;type=HOME;type=pref:;;" + k +
               " Main St;Springfield;IL;62701;USA\r\nitem2.X-ABADR:us\r\n"
               "UID:3F2504E0-4F89-11D3-9A0C-" + k.rightJustified(12, '0') +
               "\r\nREV:2023-10-01T12:00:00Z\r\nEND:VCARD\r\n";
    }
    return out;
}

void peakOf(const char* what, const QString& path)
{
    const double bytes = double(QFileInfo(path).size());
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {"--read-peak", path});
    if (!child.waitForFinished(600000) || child.exitCode() != 0) {
        std::printf("  %s: child process failed\n", what);
        return;
    }
    const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
    const double before = f.value(0).toDouble() * 1024, peak = f.value(1).toDouble() * 1024;
    std::printf("  %s: %.1f MB, %s records\n", what, bytes / 1e6, f.value(2).constData());
    std::printf("    peak resident size %7.1f MB = %.2f x the file; of which the read %.1f MB = "
                "%.2f x (target 3 x)\n",
                peak / 1e6, peak / bytes, (peak - before) / 1e6, (peak - before) / bytes);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == u"--read-peak")
        return readPeak(args[2]);
    const int cards = args.size() > 1 ? std::max(1, args[1].toInt()) : 10000;
    const int runs = args.size() > 2 ? std::max(1, args[2].toInt()) : 9;

    Table table;
    bench::fillAddressTable(table, cards);
    table.setText(0, 8, u"Organization");
    table.setText(0, 9, u"Note");

    QTemporaryDir dir;
    const QString path = dir.filePath("cards.vcf");
    std::printf("bench_vcard: %d cards, %d runs\n", cards, runs);
    for (const Vcard::Version version : {Vcard::Version::V3, Vcard::Version::V4}) {
        std::vector<double> write, read;
        int rows = 0;
        for (int i = 0; i < runs; ++i) {
            write.push_back(seconds([&] {
                if (!Vcard::save(table, path, {}, version))
                    std::fprintf(stderr, "save failed\n");
            }));
            read.push_back(seconds([&] {
                Table t;
                if (!Vcard::load(path, t))
                    std::fprintf(stderr, "load failed\n");
                rows = t.rowCount();
            }));
        }
        std::printf("  vCard %s: %.1f MB, %d records read back\n",
                    version == Vcard::Version::V3 ? "3.0" : "4.0",
                    double(QFileInfo(path).size()) / 1e6, rows - 1);
        std::printf("    write  median %7.1f ms   (target 200 ms)\n", median(write) * 1e3);
        std::printf("    read   median %7.1f ms   (target 200 ms)\n", median(read) * 1e3);
    }

    std::printf("memory of a read, cards of other programs without photos:\n");
    for (const auto& [what, n, tiny] : {std::tuple("phone cards", 100000, false),
                                        std::tuple("tiny cards", 500000, true)}) {
        const QString file = dir.filePath(tiny ? "tiny.vcf" : "phone.vcf");
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(phoneCards(n, tiny)) < 0)
            return 1;
        f.close();
        peakOf(what, file);
    }

    std::printf("one card with many TEL lines (time must grow linearly):\n");
    for (const int tels : {2000, 4000, 8000, 16000}) {
        QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Many\r\n";
        for (int i = 0; i < tels; ++i)
            card += "TEL;TYPE=CELL:+1 555 " + QByteArray::number(i) + "\r\n";
        card += "END:VCARD\r\n";
        std::vector<double> read;
        for (int i = 0; i < runs; ++i)
            read.push_back(seconds([&] {
                Table t;
                if (!Vcard::decode(card, t))
                    std::fprintf(stderr, "decode failed\n");
            }));
        std::printf("  %5d TEL: median %7.1f ms = %.3f ms per 100 TEL\n", tels, median(read) * 1e3,
                    median(read) * 1e3 * 100 / tels);
    }
    return 0;
}
