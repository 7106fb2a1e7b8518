// Contact import benchmark: bench_contactimport [records] [runs]
//
// A Google CSV export of 200,000 contacts by default (Google's 53 titles:
// name parts, labelled e-mails with " ::: " second values, phones, a home
// address also written out whole, organisation, web site), read two ways
// side by side: opened as plain comma text (GridFile::load into a model,
// as File > Open > Comma Delimited does) and imported (the same read, then
// the family recognised, the table laid out as an address book and put in
// the model, as File > Import Contacts... does without its messages).
// Medians over `runs`, alternating the two; the target is the import
// within 1 s.
#include "addressgen.h"
#include "benchutil.h"
#include "files/contactcsv.h"
#include "files/delimited.h"
#include "files/filestatus.h"
#include "files/gridfile.h"
#include "grid/table.h"
#include "grid/tablemodel.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <vector>

using namespace corvanta;
using bench::median;
using bench::seconds;

namespace {

// Processor time of this process, in seconds: what the work costs, less
// swayed than the wall time by other programs on a busy machine.
double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

const char* const kGoogleTitles[] = {"Name",
                                     "Given Name",
                                     "Additional Name",
                                     "Family Name",
                                     "Yomi Name",
                                     "Given Name Yomi",
                                     "Additional Name Yomi",
                                     "Family Name Yomi",
                                     "Name Prefix",
                                     "Name Suffix",
                                     "Initials",
                                     "Nickname",
                                     "Short Name",
                                     "Maiden Name",
                                     "Birthday",
                                     "Gender",
                                     "Location",
                                     "Billing Information",
                                     "Directory Server",
                                     "Mileage",
                                     "Occupation",
                                     "Hobby",
                                     "Sensitivity",
                                     "Priority",
                                     "Subject",
                                     "Notes",
                                     "Language",
                                     "Photo",
                                     "Group Membership",
                                     "E-mail 1 - Type",
                                     "E-mail 1 - Value",
                                     "E-mail 2 - Type",
                                     "E-mail 2 - Value",
                                     "Phone 1 - Type",
                                     "Phone 1 - Value",
                                     "Phone 2 - Type",
                                     "Phone 2 - Value",
                                     "Address 1 - Type",
                                     "Address 1 - Formatted",
                                     "Address 1 - Street",
                                     "Address 1 - City",
                                     "Address 1 - PO Box",
                                     "Address 1 - Region",
                                     "Address 1 - Postal Code",
                                     "Address 1 - Country",
                                     "Address 1 - Extended Address",
                                     "Organization 1 - Type",
                                     "Organization 1 - Name",
                                     "Organization 1 - Yomi Name",
                                     "Organization 1 - Title",
                                     "Organization 1 - Department",
                                     "Website 1 - Type",
                                     "Website 1 - Value"};
constexpr int kCols = int(std::size(kGoogleTitles));

int col(const char* title)
{
    for (int c = 0; c < kCols; ++c)
        if (qstrcmp(kGoogleTitles[c], title) == 0)
            return c;
    return -1;
}

// Google's export of the benchmarks' usual address data.
QByteArray googleCsv(int records)
{
    Table a;
    bench::fillAddressTable(a, records);
    Table g(records + 1, kCols);
    for (int c = 0; c < kCols; ++c)
        g.setUtf8(0, c, kGoogleTitles[c]);
    for (int r = 1; r <= records; ++r) {
        const QString name = a.text(r, 0);
        const QString street = a.text(r, 1), city = a.text(r, 2), state = a.text(r, 3),
                      zip = a.text(r, 4);
        g.setText(r, col("Name"), name);
        g.setText(r, col("Given Name"), name.section(u' ', 0, 0));
        g.setText(r, col("Family Name"), name.section(u' ', -1));
        g.setText(r, col("Notes"), a.text(r, 8));
        g.setUtf8(r, col("Group Membership"), "* myContacts");
        g.setUtf8(r, col("E-mail 1 - Type"), "* Work");
        g.setText(r, col("E-mail 1 - Value"),
                  r % 5 == 0 ? a.text(r, 6) + QStringLiteral(" ::: ") + a.text(r, 6).toUpper()
                             : a.text(r, 6));
        g.setUtf8(r, col("Phone 1 - Type"), "Mobile");
        g.setText(r, col("Phone 1 - Value"), a.text(r, 5));
        g.setUtf8(r, col("Address 1 - Type"), "Home");
        g.setText(r, col("Address 1 - Formatted"),
                  street + u'\n' + city + QStringLiteral(", ") + state + u' ' + zip +
                      QStringLiteral("\nUSA"));
        g.setText(r, col("Address 1 - Street"), street);
        g.setText(r, col("Address 1 - City"), city);
        g.setText(r, col("Address 1 - Region"), state);
        g.setText(r, col("Address 1 - Postal Code"), zip);
        g.setUtf8(r, col("Address 1 - Country"), "USA");
        g.setUtf8(r, col("Website 1 - Type"), "Profile");
        g.setText(r, col("Website 1 - Value"), a.text(r, 7));
    }
    return Delimited::encode(g, ',');
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int records = args.size() > 1 ? std::max(1, args[1].toInt()) : 200000;
    const int runs = args.size() > 2 ? std::max(1, args[2].toInt()) : 5;

    QTemporaryDir dir;
    const QString path = dir.filePath("google.csv");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(googleCsv(records)) < 0)
            return 1;
    }
    std::printf("bench_contactimport: %d Google contacts, %.1f MB, %d runs\n", records,
                double(QFile(path).size()) / 1e6, runs);

    std::vector<double> open, import, layout, openCpu, importCpu;
    int columns = 0;
    for (int i = 0; i < runs; ++i) {
        double cpu = cpuSeconds();
        open.push_back(seconds([&] {
            TableModel model;
            if (const FileStatus s = GridFile::load(model, path, FileFormat::Comma, true); !s)
                std::fprintf(stderr, "open failed: %s\n", qPrintable(userText(s)));
        }));
        openCpu.push_back(cpuSeconds() - cpu);
        cpu = cpuSeconds();
        import.push_back(seconds([&] {
            TableModel scratch, document;
        if (const FileStatus s = GridFile::load(scratch, path, FileFormat::Comma, true); !s)
            std::fprintf(stderr, "import failed: %s\n", qPrintable(userText(s)));
        const Table source = scratch.takeTable();
        if (ContactCsv::recognise(source) != ContactCsv::Family::Google)
            std::fprintf(stderr, "not recognised as Google CSV\n");
        ColumnRoles roles;
        ContactCsv::Report report;
        layout.push_back(
            seconds([&] { document.replaceTable(ContactCsv::convert(source, &roles, &report)); }));
        columns = document.table().colCount();
    }));
    importCpu.push_back(cpuSeconds() - cpu);
}
const double a = median(open), b = median(import);
std::printf("  open as comma text            median %7.1f ms  (processor %7.1f ms)\n", a * 1e3,
            median(openCpu) * 1e3);
std::printf("  import as contacts (%d cols)  median %7.1f ms  (processor %7.1f ms)  "
            "target <= 1000\n",
            columns, b * 1e3, median(importCpu) * 1e3);
std::printf("    of which the layout          median %7.1f ms\n", median(layout) * 1e3);
std::printf("  import / open                 %7.2f\n", b / a);
return 0;
}
