#include "files/vcard.h"
#include "grid/table.h"

#include <QTemporaryDir>
#include <QTest>

using namespace corvanta;

namespace {

// The cell of record `record` in the column titled `title`; "<none>" when
// no column has that title.
QString cell(const Table& t, int record, const QString& title)
{
    for (int c = 0; c < t.colCount(); ++c)
        if (t.text(0, c) == title)
            return t.text(record, c);
    return QStringLiteral("<none>");
}

QStringList titles(const Table& t)
{
    QStringList out;
    for (int c = 0; c < t.colCount(); ++c)
        out << t.text(0, c);
    return out;
}

const QStringList kDefaultTitles = {"Name",  "Street", "City",     "State", "Zip Code",
                                    "Phone", "Email",  "Web Site", "",      ""};

// 2.1 as older phones and mail programs write it: bare types,
// quoted-printable with soft line breaks, a charset other than UTF-8, a
// photo in BASE64 whose lines carry no indent.
const QByteArray kV21 =
    "BEGIN:VCARD\r\n"
    "VERSION:2.1\r\n"
    "N;CHARSET=ISO-8859-1:M\xfcller;J\xfcrgen;;Dr.;\r\n"
    "TEL;WORK;VOICE:+49 30 1234\r\n"
    "TEL;CELL;PREF:+49 170 555\r\n"
    "EMAIL;PREF;INTERNET:jm@example.de\r\n"
    "ADR;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;Hauptstra=C3=9Fe 1;Berlin;;=\r\n"
    "10115;Germany\r\n"
    "NOTE;ENCODING=QUOTED-PRINTABLE:Line one=0D=0ALine=\r\n"
    " two, C:\\new\r\n"
    "PHOTO;ENCODING=BASE64;TYPE=JPEG:\r\n"
    "/9j/4AAQSkZJRgABAQEASABIAAD\r\n"
    "AAQSkZJRgABAQEASABIAAD/9j/4\r\n"
    "\r\n"
    "END:VCARD\r\n";

// 3.0 as address book programs export it: groups, TYPE lists, escapes,
// folded lines, a folded BASE64 photo, and a second card.
const QByteArray kV30 =
    "\xEF\xBB\xBF"
    "BEGIN:VCARD\n"
    "VERSION:3.0\n"
    "N:Lee;Ann;;;\n"
    "FN:Ann Lee\n"
    "ORG:Acme\\, Inc.;Sales\n"
    "TITLE:Head of \\;Things\\\\\n"
    "item1.EMAIL;type=INTERNET;type=pref:ann@acme.example\n"
    "item1.X-ABLabel:_$!<Other>!$_\n"
    "EMAIL;TYPE=INTERNET,WORK:ann.lee@acme.example\n"
    "TEL;TYPE=CELL:555-0100\n"
    "TEL;TYPE=WORK,VOICE:555-0199\n"
    "item2.ADR;TYPE=WORK:;Suite 4;1 Main St;Springfield;IL;62701;USA\n"
    "ADR;TYPE=HOME:;;9 Elm Rd;Shelbyville;;;\n"
    "URL:https\\://acme.example/ann\n"
    "BDAY:1980-04-12\n"
    "NOTE:Met at the fair\\, 2019.\\nLikes tea.\n"
    "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAAMCAgMCAgMDAwMEAwMEBQgFB\n"
    " QQEBQoHBwYIDAoMDAsKCwsNDhIQDQ4RDgsLEBYQERMUFRUVDA8XGBYUGBIUFRT/2wBDAQMEBAUE\n"
    "END:VCARD\n"
    "BEGIN:VCARD\n"
    "VERSION:3.0\n"
    "FN:Bo\n"
    " b Stone\n"
    "END:VCARD\n";

// 4.0: PREF numbers, grouped properties, a data: URI photo, a basic-form
// birthday, no FN fallback needed.
const QByteArray kV40 = "BEGIN:VCARD\r\n"
                        "VERSION:4.0\r\n"
                        "FN:Émile Zola\r\n"
                        "N:Zola;Émile;;;\r\n"
                        "TEL;VALUE=uri;PREF=2;TYPE=home:tel:+33-1-555\r\n"
                        "TEL;VALUE=uri;PREF=1;TYPE=\"work,voice\":tel:+33-1-999\r\n"
                        "work.EMAIL:ez@example.fr\r\n"
                        "BDAY:18400402\r\n"
                        "PHOTO:data:image/jpeg;base64,/9j/4AAQSkZJRgABAQEASABIAAD\r\n"
                        "NICKNAME:Mimi\r\n"
                        "END:VCARD\r\n";

} // namespace

class TstVcard : public QObject
{
    Q_OBJECT
  private slots:
    void readsRealWorldShapes_data();
    void readsRealWorldShapes();
    void addsColumnsAfterTheDefaults();
    void nameFromNWhenFnIsMissing();
    void followsTheRoles();
    void rolesThatClashKeepEveryValue();
    void refusesWhatIsNoVcard_data();
    void refusesWhatIsNoVcard();
    void writesFoldedEscapedCrlf();
    void roundTrip_data();
    void roundTrip();
    void fileRoundTrip();
};

void TstVcard::readsRealWorldShapes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("expected");

    QTest::newRow("2.1 N put together, charset") << kV21 << "Name"
                                                 << "Dr. Jürgen Müller";
    QTest::newRow("2.1 PREF phone") << kV21 << "Phone"
                                    << "+49 170 555";
    QTest::newRow("2.1 other phone") << kV21 << "Phone 2"
                                     << "+49 30 1234";
    QTest::newRow("2.1 email") << kV21 << "Email"
                               << "jm@example.de";
    QTest::newRow("2.1 quoted-printable street") << kV21 << "Street"
                                                 << "Hauptstraße 1";
    QTest::newRow("2.1 soft break in the address") << kV21 << "Zip Code"
                                                   << "10115";
    QTest::newRow("2.1 country") << kV21 << "Country"
                                 << "Germany";
    QTest::newRow("2.1 note: CRLF, fold, backslash") << kV21 << "Note"
                                                     << "Line one\nLine two, C:\\new";
    QTest::newRow("3.0 FN over N") << kV30 << "Name"
                                   << "Ann Lee";
    QTest::newRow("3.0 ORG parts") << kV30 << "Organization"
                                   << "Acme, Inc., Sales";
    QTest::newRow("3.0 escapes") << kV30 << "Job Title"
                                 << "Head of ;Things\\";
    QTest::newRow("3.0 grouped pref email") << kV30 << "Email"
                                            << "ann@acme.example";
    QTest::newRow("3.0 second email") << kV30 << "Email 2"
                                      << "ann.lee@acme.example";
    QTest::newRow("3.0 first phone") << kV30 << "Phone"
                                     << "555-0100";
    QTest::newRow("3.0 street with extended") << kV30 << "Street"
                                              << "1 Main St, Suite 4";
    QTest::newRow("3.0 region") << kV30 << "State"
                                << "IL";
    QTest::newRow("3.0 second address") << kV30 << "Address 2"
                                        << "9 Elm Rd, Shelbyville";
    QTest::newRow("3.0 url colon escape") << kV30 << "Web Site"
                                          << "https://acme.example/ann";
    QTest::newRow("3.0 birthday") << kV30 << "Birthday"
                                  << "1980-04-12";
    QTest::newRow("3.0 note") << kV30 << "Note"
                              << "Met at the fair, 2019.\nLikes tea.";
    QTest::newRow("4.0 PREF=1 wins") << kV40 << "Phone"
                                     << "tel:+33-1-999";
    QTest::newRow("4.0 PREF=2 next") << kV40 << "Phone 2"
                                     << "tel:+33-1-555";
    QTest::newRow("4.0 grouped email") << kV40 << "Email"
                                       << "ez@example.fr";
    QTest::newRow("4.0 basic birthday") << kV40 << "Birthday"
                                        << "1840-04-02";
    QTest::newRow("4.0 nickname") << kV40 << "Nickname"
                                  << "Mimi";
    QTest::newRow("4.0 UTF-8 name") << kV40 << "Name"
                                    << "Émile Zola";
}

void TstVcard::readsRealWorldShapes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, title);
    QFETCH(QString, expected);
    Table t;
    const FileStatus s = Vcard::decode(bytes, t);
    QVERIFY2(s, qPrintable(userText(s)));
    QCOMPARE(cell(t, 1, title), expected);
    // Nothing of a photo reaches the table.
    for (int r = 0; r < t.rowCount(); ++r)
        for (int c = 0; c < t.colCount(); ++c)
            QVERIFY(!t.text(r, c).contains(u"/9j/"));
}

void TstVcard::addsColumnsAfterTheDefaults()
{
    Table t;
    QVERIFY(Vcard::decode(kV30, t));
    QCOMPARE(t.rowCount(), 3);
    QCOMPARE(titles(t).mid(0, 10), kDefaultTitles);
    QCOMPARE(titles(t).mid(10), QStringList({"Country", "Organization", "Job Title", "Birthday",
                                             "Phone 2", "Email 2", "Address 2", "Note"}));
    QCOMPARE(t.column(13).type, int(TypeDate));
    QCOMPARE(t.text(2, 0), QStringLiteral("Bob Stone")); // folded FN of the second card
    QCOMPARE(t.text(2, 5), QString());
}

void TstVcard::nameFromNWhenFnIsMissing()
{
    Table t;
    QVERIFY(Vcard::decode("BEGIN:VCARD\nVERSION:3.0\nFN:\nN:Doe;John;Q.;Mr.;Jr.\nEND:VCARD\n", t));
    QCOMPARE(t.text(1, 0), QStringLiteral("Mr. John Q. Doe Jr."));
}

void TstVcard::followsTheRoles()
{
    ColumnRoles roles;
    roles.map = 3; // street, city, state, zip in 3..6
    roles.phone = 1;
    roles.mail = 9;
    roles.website = 2;
    Table t;
    QVERIFY(Vcard::decode(kV30, t, roles));
    QCOMPARE(titles(t).mid(0, 10), QStringList({"Name", "Phone", "Web Site", "Street", "City",
                                                "State", "Zip Code", "", "", "Email"}));
    QCOMPARE(t.text(1, 1), QStringLiteral("555-0100"));
    QCOMPARE(t.text(1, 4), QStringLiteral("Springfield"));
    QCOMPARE(t.text(1, 9), QStringLiteral("ann@acme.example"));
    // Written with the same roles, the file reads back to the same table.
    Table back;
    QVERIFY(Vcard::decode(Vcard::encode(t, roles), back, roles));
    QVERIFY(back == t);
}

void TstVcard::rolesThatClashKeepEveryValue()
{
    ColumnRoles roles;
    roles.phone = 0;      // the name's column
    roles.mail = 2;       // inside the address block
    roles.website = 5000; // far past any sensible table
    Table t;
    QVERIFY(Vcard::decode(kV30, t, roles));
    QCOMPARE(t.text(1, 0), QStringLiteral("Ann Lee"));
    QCOMPARE(cell(t, 1, "Phone"), QStringLiteral("555-0100"));
    QCOMPARE(cell(t, 1, "Phone 2"), QStringLiteral("555-0199"));
    QCOMPARE(cell(t, 1, "Email"), QStringLiteral("ann@acme.example"));
    QCOMPARE(cell(t, 1, "Web Site"), QStringLiteral("https://acme.example/ann"));
    QVERIFY(t.colCount() < 30);
}

void TstVcard::refusesWhatIsNoVcard_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("code");
    QTest::newRow("empty") << QByteArray() << int(FileStatus::NotVcard);
    QTest::newRow("comma text") << QByteArray("Name,City\nAnn,Rome\n") << int(FileStatus::NotVcard);
    QTest::newRow("a calendar") << QByteArray("BEGIN:VCALENDAR\nEND:VCALENDAR\n")
                                << int(FileStatus::NotVcard);
    QByteArray wide = "BEGIN:VCARD\n";
    for (int i = 0; i <= Table::kMaxCols; ++i)
        wide += "TEL:" + QByteArray::number(i) + "\n";
    QTest::newRow("more phones than columns") << wide << int(FileStatus::TooManyFields);
    QTest::newRow("cut off: taken") << QByteArray("BEGIN:VCARD\nFN:Ann\nTEL;TYPE=") << 0;
}

void TstVcard::refusesWhatIsNoVcard()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, code);
    Table t(2, 2);
    t.setText(1, 1, u"kept");
    const Table before = t;
    QCOMPARE(int(Vcard::decode(bytes, t).code), code);
    if (code != 0)
        QVERIFY(t == before);
    else
        QCOMPARE(t.text(1, 0), QStringLiteral("Ann"));
}

void TstVcard::writesFoldedEscapedCrlf()
{
    Table t(2, 10);
    t.setText(0, 0, u"Name");
    t.setText(1, 0, u"Ann; \"The\" Lee, Jr.\\");
    t.setText(0, 7, u"Web Site");
    t.setText(1, 7, QStringLiteral("https://example.org/") + QString(100, QChar(0xE9)));
    const QByteArray v3 = Vcard::encode(t);
    QVERIFY(v3.contains("VERSION:3.0\r\n"));
    QVERIFY(v3.contains("FN:Ann\\; \"The\" Lee\\, Jr.\\\\\r\n"));
    QVERIFY(!v3.contains("\n\n"));
    for (const QByteArray& line : v3.split('\n')) {
        QVERIFY2(line.isEmpty() || line.endsWith('\r'), line.constData());
        QVERIFY2(line.size() <= 76, line.constData()); // 75 octets and the CR
        QVERIFY(Table::isValidUtf8(line));             // no fold inside a character
    }
    const QByteArray v4 = Vcard::encode(t, {}, Vcard::Version::V4);
    QVERIFY(v4.contains("VERSION:4.0\r\n"));
    // An empty record makes no card.
    QCOMPARE(v3.count("BEGIN:VCARD"), 1);
}

void TstVcard::roundTrip_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<int>("version");
    for (int v : {0, 1}) {
        const char* name = v ? "4.0" : "3.0";
        QTest::addRow("2.1 file as %s", name) << kV21 << v;
        QTest::addRow("3.0 file as %s", name) << kV30 << v;
        QTest::addRow("4.0 file as %s", name) << kV40 << v;
        // Gaps: an empty role value with a second phone, an empty Phone 2
        // before a Phone 3, a text birthday, a field without a property.
        QTest::addRow("gaps as %s", name)
            << QByteArray("BEGIN:VCARD\nPRODID:-//Corvanta//Corvanta Address Book 1.0//EN\n"
                          "FN:Gap\nTEL;TYPE=pref:\nTEL:\nTEL:3\nBDAY:spring\n"
                          "X-CORVANTA-FIELD;X-TITLE=\"Spouse ^'Al^'\";X-COLUMN=40:Alice\n"
                          "X-CORVANTA-FIELD;X-TITLE=\"\";X-COLUMN=8:eight\nEND:VCARD\n")
            << v;
    }
}

void TstVcard::roundTrip()
{
    QFETCH(QByteArray, source);
    QFETCH(int, version);
    Table first;
    QVERIFY(Vcard::decode(source, first));
    const QByteArray written = Vcard::encode(first, {}, Vcard::Version(version));
    Table again;
    QVERIFY(Vcard::decode(written, again));
    if (!(again == first)) {
        qWarning("%s", written.constData());
        QCOMPARE(titles(again), titles(first));
        for (int r = 0; r < first.rowCount(); ++r)
            for (int c = 0; c < first.colCount(); ++c)
                QCOMPARE(again.text(r, c), first.text(r, c));
        QFAIL("the column attributes differ");
    }
}

void TstVcard::fileRoundTrip()
{
    // A table typed by hand in the default layout, with the characters
    // vCard escapes, comes back as it was.
    Table t(4, 10);
    for (int c = 0; c < kDefaultTitles.size(); ++c)
        t.setText(0, c, kDefaultTitles[c]);
    t.setText(1, 0, u"Ann, Lee");
    t.setText(1, 1, u"1 Main St; Apt 2");
    t.setText(1, 5, u"555\\0100");
    t.setText(1, 8, u"untitled column");
    t.setText(3, 6, u"only@mail.example");
    QTemporaryDir dir;
    const QString path = dir.filePath("book.vcf");
    QVERIFY(Vcard::save(t, path));
    Table back;
    QVERIFY(Vcard::load(path, back));
    QCOMPARE(back.rowCount(), 3); // the empty record makes no card
    QCOMPARE(titles(back), kDefaultTitles);
    QCOMPARE(back.text(1, 0), t.text(1, 0));
    QCOMPARE(back.text(1, 1), t.text(1, 1));
    QCOMPARE(back.text(1, 5), t.text(1, 5));
    QCOMPARE(back.text(1, 8), t.text(1, 8));
    QCOMPARE(back.text(2, 6), t.text(3, 6));
    QCOMPARE(int(Vcard::load(dir.filePath("missing.vcf"), back).code), int(FileStatus::Io));
}

QTEST_GUILESS_MAIN(TstVcard)
#include "tst_vcard.moc"
