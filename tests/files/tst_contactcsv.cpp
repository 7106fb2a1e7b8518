#include "files/contactcsv.h"
#include "files/delimited.h"
#include "grid/table.h"

#include <QTest>

using namespace corvanta;

namespace {

Table parsed(const QByteArray& csv)
{
    Table t(1, 1);
    Delimited::decode(csv, Delimited::kSniff, t);
    return t;
}

QStringList titles(const Table& t)
{
    QStringList out;
    for (int c = 0; c < t.colCount(); ++c)
        out << t.text(0, c);
    return out;
}

} // namespace

class TstContactCsv : public QObject
{
    Q_OBJECT
  private slots:
    void recognisesFamilies_data();
    void recognisesFamilies();
    void laysOutAsAVcard();
};

void TstContactCsv::recognisesFamilies_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<int>("family");
    QTest::newRow("Google") << QByteArray("Name,Given Name,E-mail 1 - Type,E-mail 1 - Value")
                            << int(ContactCsv::Family::Google);
    QTest::newRow("Google, new titles")
        << QByteArray("First Name,Last Name,Phone 1 - Label,Phone 1 - Value")
        << int(ContactCsv::Family::Google);
    QTest::newRow("Outlook re-saved with semicolons")
        << QByteArray("First Name;Last Name;E-mail Address;Business Street")
        << int(ContactCsv::Family::Outlook);
    QTest::newRow("Thunderbird")
        << QByteArray("First Name,Last Name,Display Name,Primary Email,Work ZipCode")
        << int(ContactCsv::Family::Thunderbird);
    QTest::newRow("plain English") << QByteArray("Name,E-mail,Mobile Phone,Home Street,City,ZIP")
                                   << int(ContactCsv::Family::Plain);
    QTest::newRow("not contacts") << QByteArray("Date,Amount,Payee")
                                  << int(ContactCsv::Family::None);
}

void TstContactCsv::recognisesFamilies()
{
    QFETCH(QByteArray, header);
    QFETCH(int, family);
    QCOMPARE(int(ContactCsv::recognise(parsed(header + "\r\n"))), family);
}

void TstContactCsv::laysOutAsAVcard()
{
    // Thunderbird's order: name parts, mail, phones, then the home address
    // with its street split over two columns.
    const Table source = parsed(
        "First Name,Last Name,Display Name,Primary Email,Work Phone,Mobile Number,Home Address,"
        "Home Address 2,Home City,Home ZipCode,Custom 1,Birth Year,Birth Month,Birth Day\r\n"
        "Ann,Lee,,ann@x.example,555-0199,555-0100 ::: 555-0101,1 Main St,Apt 2,Rome,00100,blue,"
        "1980,3,12\r\n");
    ColumnRoles roles;
    ContactCsv::Report report;
    const Table t = ContactCsv::convert(source, &roles, &report);
    QCOMPARE(report.family, ContactCsv::Family::Thunderbird);
    QCOMPARE(titles(t), QStringList({"Name", "Street (Home)", "City (Home)", "State (Home)",
                                     "Zip Code (Home)", "Extended Address (Home)", "Phone (Work)",
                                     "Phone (Mobile)", "Phone (Mobile) 2", "Email", "Web Site",
                                     "Birthday", "Custom 1", "vCard"}));
    const QStringList record = {"Ann Lee", "1 Main St", "Rome", "", "00100", "Apt 2",
                                "555-0199", "555-0100", "555-0101", "ann@x.example", "",
                                "1980-03-12", "blue"};
    for (int c = 0; c < record.size(); ++c)
        QCOMPARE(t.text(1, c), record[c]);
    QCOMPARE(roles.map, 1);
    QCOMPARE(roles.phone, 6);
    QCOMPARE(roles.mail, 9);
    QCOMPARE(roles.website, 10);
    QCOMPARE(report.kept, 1);
}

QTEST_GUILESS_MAIN(TstContactCsv)
#include "tst_contactcsv.moc"
