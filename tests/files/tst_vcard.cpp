#include "files/vcard.h"
#include "grid/table.h"

#include <QFile>
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
                        "TEL;VALUE=uri;PREF=2;TYPE=home:tel:+33-1-555;ext=12\r\n"
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
    void laysOutItsOwnColumns();
    void nameFromNWhenFnIsMissing();
    void repairsCardsWithoutEnd_data();
    void repairsCardsWithoutEnd();
    void keepsWhatHasNoColumn_data();
    void keepsWhatHasNoColumn();
    void nameKeptAsRead_data();
    void nameKeptAsRead();
    void writerFollowsTheRoles();
    void appendedCardsMatchTitles();
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
    QTest::newRow("2.1 CELL label") << kV21 << "Phone (Mobile)"
                                    << "+49 170 555";
    QTest::newRow("2.1 WORK label") << kV21 << "Phone (Work)"
                                    << "+49 30 1234";
    QTest::newRow("2.1 email") << kV21 << "Email"
                               << "jm@example.de";
    QTest::newRow("2.1 quoted-printable street") << kV21 << "Street (Home)"
                                                 << "Hauptstraße 1";
    QTest::newRow("2.1 soft break in the address") << kV21 << "Zip Code (Home)"
                                                   << "10115";
    QTest::newRow("2.1 country") << kV21 << "Country (Home)"
                                 << "Germany";
    QTest::newRow("2.1 note: CRLF, fold, backslash") << kV21 << "Note"
                                                     << "Line one\nLine two, C:\\new";
    QTest::newRow("3.0 FN over N") << kV30 << "Name"
                                   << "Ann Lee";
    QTest::newRow("3.0 ORG parts") << kV30 << "Organization"
                                   << "Acme, Inc., Sales";
    QTest::newRow("3.0 escapes") << kV30 << "Job Title"
                                 << "Head of ;Things\\";
    QTest::newRow("3.0 label of the group") << kV30 << "Email (Other)"
                                            << "ann@acme.example";
    QTest::newRow("3.0 WORK email") << kV30 << "Email (Work)"
                                    << "ann.lee@acme.example";
    QTest::newRow("3.0 street apart from extended") << kV30 << "Street (Work)"
                                                    << "1 Main St";
    QTest::newRow("3.0 extended address") << kV30 << "Extended Address (Work)"
                                          << "Suite 4";
    QTest::newRow("3.0 region") << kV30 << "State (Work)"
                                << "IL";
    QTest::newRow("3.0 second address in parts") << kV30 << "City (Home)"
                                                 << "Shelbyville";
    QTest::newRow("3.0 url colon escape") << kV30 << "Web Site"
                                          << "https://acme.example/ann";
    QTest::newRow("3.0 birthday") << kV30 << "Birthday"
                                  << "1980-04-12";
    QTest::newRow("3.0 note") << kV30 << "Note"
                              << "Met at the fair, 2019.\nLikes tea.";
    QTest::newRow("4.0 tel: URI as dialled") << kV40 << "Phone (Work)"
                                             << "+33-1-999";
    QTest::newRow("4.0 tel: URI extension") << kV40 << "Phone (Home)"
                                            << "+33-1-555 ext. 12";
    QTest::newRow("4.0 grouped email") << kV40 << "Email"
                                       << "ez@example.fr";
    QTest::newRow("4.0 basic birthday") << kV40 << "Birthday"
                                        << "1840-04-02";
    QTest::newRow("4.0 UTF-8 name") << kV40 << "Name"
                                    << "Émile Zola";
    auto one = [](const QByteArray& line) {
        return "BEGIN:VCARD\r\nVERSION:3.0\r\n" + line + "\r\nEND:VCARD\r\n";
    };
    QTest::newRow("one bad byte in quoted-printable")
        << one("FN;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:=D0=AF=D0=BD=FF=D0=B0") << "Name"
        << "Ян\uFFFDа";
    QTest::newRow("unknown escape is the character") << one("FN:Ann \\\"Lee\\\" \\x") << "Name"
                                                     << "Ann \"Lee\" x";
    QTest::newRow("charset that does not fit") << one("FN;CHARSET=UTF-16:Ann Lee") << "Name"
                                               << "Ann Lee";
    QTest::newRow("charset that does not decode") << one("FN;CHARSET=Shift_JIS:Ann\x82") << "Name"
                                                  << "Ann\u201A";
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
    // Nothing of a photo reaches a column that shows.
    for (int r = 0; r < t.rowCount(); ++r)
        for (int c = 0; c < t.colCount(); ++c)
            QVERIFY(t.column(c).hidden || !t.text(r, c).contains(u"/9j/"));
}

void TstVcard::laysOutItsOwnColumns()
{
    Table t;
    Vcard::ReadInfo info;
    QVERIFY(Vcard::decode(kV30, t, &info));
    QCOMPARE(t.rowCount(), 3);
    // The first address in role order, labelled phones, e-mails and web
    // sites, the other fields, the further address in parts, the hidden
    // column last.
    QCOMPARE(titles(t),
             QStringList({"Name", "Street (Work)", "City (Work)", "State (Work)",
                          "Zip Code (Work)", "Country (Work)", "Extended Address (Work)",
                          "Phone (Mobile)", "Phone (Work)", "Email (Other)", "Email (Work)",
                          "Web Site", "Organization", "Job Title", "Birthday", "Street (Home)",
                          "City (Home)", "State (Home)", "Zip Code (Home)", "Note", "vCard"}));
    QCOMPARE(info.roles.map, 1);
    QCOMPARE(info.roles.phone, 7);
    QCOMPARE(info.roles.mail, 9);
    QCOMPARE(info.roles.website, 11);
    QCOMPARE(t.column(14).type, int(TypeDate));
    QVERIFY(t.column(20).hidden);
    // Wide enough for "1980-04-12" at about 100 twips a character.
    QVERIFY(t.column(14).width >= 1300);
    QCOMPARE(t.text(2, 0), QStringLiteral("Bob Stone")); // folded FN of the second card
}

void TstVcard::nameFromNWhenFnIsMissing()
{
    Table t;
    QVERIFY(Vcard::decode("BEGIN:VCARD\nVERSION:3.0\nFN:\nN:Doe;John;Q.;Mr.;Jr.\nEND:VCARD\n", t));
    QCOMPARE(t.text(1, 0), QStringLiteral("Mr. John Q. Doe Jr."));
}

void TstVcard::repairsCardsWithoutEnd_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("repaired");
    QTest::newRow("END missing") << QByteArray("BEGIN:VCARD\nFN:Ann\nBEGIN:VCARD\nFN:Bob\nEND:VCARD\n"
                                               "BEGIN:VCARD\nFN:Cy\nEND:VCARD\n")
                                 << QStringList{"Ann", "Bob", "Cy"} << 1;
    QTest::newRow("files joined by cat")
        << QByteArray("BEGIN:VCARD\nFN:Ann\nEND:VCARDBEGIN:VCARD\nFN:Bob\nEND:VCARD")
        << QStringList{"Ann", "Bob"} << 0;
    QTest::newRow("2.1 AGENT nests a card")
        << QByteArray("BEGIN:VCARD\nVERSION:2.1\nFN:Ann\nAGENT:\nBEGIN:VCARD\nFN:Sec\n"
                      "END:VCARD\nTEL:1\nEND:VCARD\nBEGIN:VCARD\nFN:Bob\nEND:VCARD\n")
        << QStringList{"Ann", "Bob"} << 0;
    QTest::newRow("cut off") << QByteArray("BEGIN:VCARD\nFN:Ann\nTEL;TYPE=")
                             << QStringList{"Ann"} << 1;
}

void TstVcard::repairsCardsWithoutEnd()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QFETCH(int, repaired);
    Table t;
    Vcard::ReadInfo info;
    QVERIFY(Vcard::decode(bytes, t, &info));
    QStringList got;
    for (int r = 1; r < t.rowCount(); ++r)
        got << t.text(r, 0);
    QCOMPARE(got, names);
    QCOMPARE(info.repairedCards, repaired);
}

void TstVcard::keepsWhatHasNoColumn_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("title"); // the cell of record 1 edited
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("edited"); // its line as written
    QTest::addColumn<int>("changedLines");  // the lines that may differ
    QTest::newRow("phone's 3.0 card, a phone edited")
        << "phone30.vcf"
        << "Phone (Work)"
        << "+31 20 555 0102" << QByteArray("TEL;type=WORK;type=VOICE:+31 20 555 0102") << 1;
    QTest::newRow("phone's 3.0 card, the name edited")
        << "phone30.vcf"
        << "Name"
        << "Anna van der Berg" << QByteArray("FN:Anna van der Berg") << 2;
    QTest::newRow("4.0 card, the work phone edited")
        << "v40.vcf"
        << "Phone (Work)"
        << "+1-418-656-9254 ext. 103"
        << QByteArray("TEL;VALUE=uri;TYPE=\"work,voice\";PREF=1:tel:+1-418-656-9254;ext=103") << 1;
    QTest::newRow("4.0 card, the street edited")
        << "v40.vcf"
        << "Street (Work)"
        << "2875 boul. Laurier"
        << QByteArray("ADR;TYPE=work:;Suite D2-630;2875 boul. Laurier;Quebec;QC;G1V 2M2;Canada") << 1;
}

// The content lines of a vCard text with their folds undone.
QList<QByteArray> unfolded(const QByteArray& text)
{
    QList<QByteArray> out;
    for (const QByteArray& l : QByteArray(text).replace("\r\n", "\n").split('\n')) {
        if (l.startsWith(' ') && !out.isEmpty())
            out.back() += l.mid(1);
        else if (!l.isEmpty())
            out << l;
    }
    return out;
}

void TstVcard::keepsWhatHasNoColumn()
{
    QFETCH(QString, fixture);
    QFETCH(QString, title);
    QFETCH(QString, value);
    QFETCH(QByteArray, edited);
    QFETCH(int, changedLines);
    QFile file(QStringLiteral(CORVANTA_FIXTURES "/") + fixture);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray source = file.readAll();
    Table t;
    QVERIFY(Vcard::decode(source, t));
    int col = -1;
    for (int c = 0; c < t.colCount(); ++c)
        if (t.text(0, c) == title)
            col = c;
    QVERIFY(col >= 0);
    t.setText(1, col, value);
    const QList<QByteArray> written = unfolded(Vcard::encode(t));
    QVERIFY2(written.contains(edited), Vcard::encode(t).constData());
    // Every other property of the card comes back as it was.
    int lost = 0;
    for (const QByteArray& line : unfolded(source))
        if (!line.startsWith("VERSION:") && !line.startsWith("PRODID:") && !written.contains(line))
            ++lost;
    QCOMPARE(lost, changedLines);
}

void TstVcard::nameKeptAsRead_data()
{
    QTest::addColumn<QByteArray>("card");
    QTest::addColumn<QString>("newName"); // empty: the name stays
    QTest::addColumn<QByteArray>("fn");
    QTest::addColumn<QByteArray>("n");
    QTest::newRow("suffix") << QByteArray("FN:John Smith Sr.\nN:Smith;John;;;Sr.") << QString()
                            << QByteArray("FN:John Smith Sr.") << QByteArray("N:Smith;John;;;Sr.");
    QTest::newRow("particle") << QByteArray("FN:Ludwig van Beethoven\nN:van Beethoven;Ludwig;;;")
                              << QString() << QByteArray("FN:Ludwig van Beethoven")
                              << QByteArray("N:van Beethoven;Ludwig;;;");
    QTest::newRow("family first")
        << QByteArray("FN:Lee\\, Ann\nN:Lee;Ann;;;") << QString() << QByteArray("FN:Lee\\, Ann")
        << QByteArray("N:Lee;Ann;;;");
    QTest::newRow("renamed: N follows")
        << QByteArray("FN:John Smith Sr.\nN:Smith;John;;;Sr.") << "Jane Roe"
        << QByteArray("FN:Jane Roe") << QByteArray("N:Roe;Jane;;;");
    QTest::newRow("no name: the organization")
        << QByteArray("ORG:Acme;Sales\nEMAIL:info@acme.example") << QString()
        << QByteArray("FN:Acme\\, Sales") << QByteArray("N:;;;;");
    QTest::newRow("no name: the e-mail") << QByteArray("EMAIL:info@acme.example") << QString()
                                         << QByteArray("FN:info@acme.example")
                                         << QByteArray("N:;;;;");
}

void TstVcard::nameKeptAsRead()
{
    QFETCH(QByteArray, card);
    QFETCH(QString, newName);
    QFETCH(QByteArray, fn);
    QFETCH(QByteArray, n);
    Table t;
    QVERIFY(Vcard::decode("BEGIN:VCARD\nVERSION:3.0\n" + card + "\nEND:VCARD\n", t));
    if (!newName.isEmpty())
        t.setText(1, 0, newName);
    const QList<QByteArray> written = unfolded(Vcard::encode(t));
    QVERIFY2(written.contains(fn), Vcard::encode(t).constData());
    QVERIFY2(written.contains(n), Vcard::encode(t).constData());
}

void TstVcard::writerFollowsTheRoles()
{
    // A table typed with other roles: untitled columns hold the street
    // block, the phone, the e-mail and the web site.
    ColumnRoles roles;
    roles.map = 3;
    roles.phone = 1;
    roles.mail = 9;
    roles.website = 2;
    Table t(2, 10);
    t.setText(0, 0, u"Name");
    for (const auto& [col, text] : std::initializer_list<std::pair<int, const char16_t*>>{
             {0, u"Ann Lee"}, {1, u"555-0100"}, {2, u"https://acme.example"}, {3, u"1 Main St"},
             {4, u"Springfield"}, {9, u"ann@acme.example"}})
        t.setText(1, col, text);
    Table back;
    QVERIFY(Vcard::decode(Vcard::encode(t, roles), back));
    QCOMPARE(cell(back, 1, "Phone"), QStringLiteral("555-0100"));
    QCOMPARE(cell(back, 1, "Street"), QStringLiteral("1 Main St"));
    QCOMPARE(cell(back, 1, "City"), QStringLiteral("Springfield"));
    QCOMPARE(cell(back, 1, "Email"), QStringLiteral("ann@acme.example"));
    QCOMPARE(cell(back, 1, "Web Site"), QStringLiteral("https://acme.example"));
}

void TstVcard::appendedCardsMatchTitles()
{
    Table a, b;
    QVERIFY(Vcard::decode("BEGIN:VCARD\nFN:Ann\nORG:Acme\nADR:;;1 Elm;Rome;;;Italy\nEND:VCARD\n", a));
    QVERIFY(Vcard::decode("BEGIN:VCARD\nFN:Bob\nORG:Globex\nTITLE:Engineer\nEND:VCARD\n", b));
    const Table m = Vcard::matchedTo(a, std::move(b));
    QCOMPARE(m.colCount(), a.colCount() + 1);
    QCOMPARE(m.text(0, a.colCount()), QStringLiteral("Job Title"));
    QCOMPARE(m.text(1, a.colCount()), QStringLiteral("Engineer"));
    // Under the document's titles: Bob's organization, and no country.
    for (int c = 0; c < a.colCount(); ++c) {
        QVERIFY(m.text(0, c).isEmpty() || m.text(0, c) == a.text(0, c));
        if (a.text(0, c) == u"Organization")
            QCOMPARE(m.text(1, c), QStringLiteral("Globex"));
        if (a.text(0, c) == u"Country")
            QCOMPARE(m.text(1, c), QString());
    }
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
    const int same = int(Vcard::Version::Same);
    QTest::newRow("2.1 file") << kV21 << same;
    QTest::newRow("3.0 file") << kV30 << same;
    QTest::newRow("4.0 file") << kV40 << same;
    for (int v : {int(Vcard::Version::V3), int(Vcard::Version::V4)}) {
        // Gaps: an empty phone before a filled one, a text birthday,
        // fields without a property, as this program writes them.
        QTest::addRow("gaps as %s", v == int(Vcard::Version::V4) ? "4.0" : "3.0")
            << QByteArray("BEGIN:VCARD\nPRODID:-//Corvanta//Corvanta Address Book 1.0//EN\n"
                          "FN:Gap\nTEL:\nTEL:\nTEL:3\nBDAY:spring\n"
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
    // The untitled column keeps its place; the other empty one makes none.
    QCOMPARE(titles(back), kDefaultTitles.mid(0, 9));
    QCOMPARE(back.text(1, 0), t.text(1, 0));
    QCOMPARE(back.text(1, 1), t.text(1, 1));
    QCOMPARE(back.text(1, 5), t.text(1, 5));
    QCOMPARE(back.text(1, 8), t.text(1, 8));
    QCOMPARE(back.text(2, 6), t.text(3, 6));
    QCOMPARE(int(Vcard::load(dir.filePath("missing.vcf"), back).code), int(FileStatus::Io));
}

QTEST_GUILESS_MAIN(TstVcard)
#include "tst_vcard.moc"
