// vCard open benchmark: bench_vcardopen [cards] [runs]
// Run with QT_QPA_PLATFORM=offscreen.
//
// The same vCard file, 20,000 cards with a photo each by default (about
// 100 MB), opened two ways side by side: by the program (the file read
// into a shown grid through GridFile::load, as File > Open does, up to the
// grid's first paint) and by the converter (corvanta-convert FILE out.cvt,
// a process of its own: read, and the native file written). Medians over
// `runs`, alternating the two; the target is the program within 1.5 x the
// converter.
#include "benchutil.h"
#include "files/filestatus.h"
#include "files/gridfile.h"
#include "grid/gridwidget.h"
#include "grid/tablemodel.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using namespace corvanta;
using bench::median;
using bench::seconds;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int cards = args.size() > 1 ? std::max(1, args[1].toInt()) : 20000;
    const int runs = args.size() > 2 ? std::max(1, args[2].toInt()) : 5;

    QTemporaryDir dir;
    const QString path = dir.filePath("photos.vcf");
    {
        // A phone's export: a photo of about 3.6 KB (4.8 KB of BASE64) a card.
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        QRandomGenerator rng(7);
        QByteArray raw(3600, '\0');
        for (int i = 0; i < cards; ++i) {
            for (char& c : raw)
                c = char(rng.bounded(256));
            QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person" + QByteArray::number(i) +
                              ";Ann;;;\r\nFN:Ann Person" + QByteArray::number(i) +
                              "\r\nTEL;type=CELL;type=VOICE;type=pref:+1 555 0100\r\n"
                              "item1.EMAIL;type=INTERNET:ann@example.org\r\n"
                              "PHOTO;ENCODING=b;TYPE=JPEG:";
            const QByteArray photo = raw.toBase64();
            card += photo.first(75 - 26);
            for (qsizetype at = 75 - 26; at < photo.size(); at += 74)
                card += "\r\n " + photo.mid(at, 74);
            card += "\r\nEND:VCARD\r\n";
            f.write(card);
        }
    }
    const QString convert = QCoreApplication::applicationDirPath() + "/corvanta-convert";
    std::printf("bench_vcardopen: %d cards, %.1f MB, %d runs\n", cards,
                double(QFile(path).size()) / 1e6, runs);

    std::vector<double> program, converter;
    for (int i = 0; i < runs; ++i) {
        program.push_back(seconds([&] {
            GridWidget grid;
            grid.resize(1000, 700);
            grid.show();
            if (const FileStatus s = GridFile::load(*grid.gridModel(), path, FileFormat::Vcard, true);
                !s)
                std::fprintf(stderr, "open failed: %s\n", qPrintable(userText(s)));
            grid.repaint(); // the first paint of the opened table
        }));
        converter.push_back(seconds([&] {
            QProcess p;
            p.start(convert, {path, dir.filePath("out.cvt")});
            if (!p.waitForFinished(600000) || p.exitCode() != 0)
                std::fprintf(stderr, "converter failed\n");
        }));
    }
    const double a = median(program), b = median(converter);
    std::printf("  program: open to first paint  median %7.1f ms\n", a * 1e3);
    std::printf("  converter: FILE -> out.cvt    median %7.1f ms\n", b * 1e3);
    std::printf("  program / converter           %7.2f   (target <= 1.5)\n", a / b);
    return 0;
}
