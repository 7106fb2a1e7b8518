// Internet map, country choice, Send Email and Web Link: the exact address
// each hands to the browser or mail program, through the scripted platform.
#include "commands/commandset.h"
#include "contacts/contactaddress.h"
#include "files/document.h"
#include "grid/gridwidget.h"
#include "shellharness.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

using namespace corvanta;

namespace {

const QString kMapStart = QStringLiteral("https://www.openstreetmap.org/search?query=");

} // namespace

class TestContactTools : public QObject
{
    Q_OBJECT
  private:
    ShellHarness* m_h = nullptr;
    MainWindow* m_w = nullptr;
    GridWidget* fa() { return m_w->fa(); }
    void run(const char* name) { m_w->commands().action(QString::fromLatin1(name))->trigger(); }
    QByteArray lastUrl()
    {
        return m_h->platform.openedUrls.isEmpty() ? QByteArray()
                                                  : m_h->platform.openedUrls.last().toEncoded();
    }
    void setRecord(int row, const QStringList& cells)
    {
        for (int c = 0; c < cells.size(); ++c)
            fa()->SetCellText(row, c, cells[c]);
    }

  private slots:
    void init()
    {
        m_h = new ShellHarness;
        m_w = &m_h->start();
        fa()->SetRowCount(5);
    }
    void cleanup()
    {
        delete m_h;
        m_h = nullptr;
    }

    void mapAddress_data();
    void mapAddress();
    void mapWarnsOnEmptyStreetTitle();
    void mapTemplateFromSettings();
    void countryToggle();
    void mailTargets_data();
    void mailTargets();
    void mailTooLongGoesToClipboard();
    void webLink_data();
    void webLink();
};

void TestContactTools::mapAddress_data()
{
    QTest::addColumn<QStringList>("address"); // street, city, state, zip[, country]
    QTest::addColumn<QByteArray>("query");

    QTest::newRow("San Jose") << QStringList{"12 Main St", "San Jose", "CA", ""}
                              << QByteArray("12%20Main%20St%2C%20San%20Jose%2C%20CA%20%2C%20USA");
    QTest::newRow("& # + and non-ASCII stay data")
        << QStringList{"Straße 5 & Co #2 a+b", "Zürich", "ZH", "8001"}
        << QByteArray("Stra%C3%9Fe%205%20%26%20Co%20%232%20a%2Bb%2C%20Z%C3%BCrich%2C%20ZH%208001%"
                      "2C%20USA");
    QTest::newRow("the record's own country")
        << QStringList{"1 Rue Verte", "Paris", "", "75001", "France"}
        << QByteArray("1%20Rue%20Verte%2C%20Paris%2C%20%2075001%2C%20France");
}

void TestContactTools::mapAddress()
{
    QFETCH(QStringList, address);
    QFETCH(QByteArray, query);
    QStringList cells = QStringList{"Name"} + address.mid(0, 4);
    if (address.size() > 4) {
        fa()->SetCellText(0, 8, "Country");
        cells << "" << "" << "" << address[4];
    }
    setRecord(2, cells);
    fa()->SelectRange(2, 3);
    m_w->document().MakeModified(false);
    run("mnuTools_InternetMap");
    QCOMPARE(lastUrl(), kMapStart.toLatin1() + query);
    QVERIFY(m_h->platform.messages.isEmpty());
    QVERIFY(!m_w->document().IsModified());
}

void TestContactTools::mapWarnsOnEmptyStreetTitle()
{
    // The street role on the second-to-last column: the cells after the
    // last column read as empty.
    const int last = fa()->ColCount() - 1;
    m_w->document().setRoles(ColumnRoles{6, 5, 7, last - 1});
    fa()->SetCellText(0, last - 1, "");
    fa()->SetCellText(1, last - 1, "1 Elm");
    fa()->SetCellText(1, last, "Reno");
    fa()->SelectRange(1, 0);
    run("tbr_map");
    QCOMPARE(m_h->platform.messages.size(), 1);
    QCOMPARE(
        m_h->platform.lastText(),
        QStringLiteral("The street address column is set to Column %1 -- ''.\r\nIf this is not "
                       "the street address column, you may reset it by going to menu "
                       "Tools->Column Define or pressing F9 key.")
            .arg(last));
    QCOMPARE(m_h->platform.messages.first().icon, MsgIcon::Exclamation);
    // The map opens all the same.
    QCOMPARE(lastUrl(), kMapStart.toLatin1() + "1%20Elm%2C%20Reno%2C%20%20%2C%20USA");
}

void TestContactTools::mapTemplateFromSettings()
{
    m_h->settings->write(ContactAddress::mapTemplateKey(),
                         "https://maps.example.org/find?addr={street}&csz={city}, {state} "
                         "{zip}&Country={code}");
    setRecord(1, {"Name", "12 Main St", "San Jose", "CA", "95113"});
    fa()->SelectRange(1, 0);
    run("mnuTools_InternetMap");
    QCOMPARE(lastUrl(), QByteArray("https://maps.example.org/find?addr=12%20Main%20St&csz=San%"
                                   "20Jose%2C%20CA%2095113&Country=us"));
}

void TestContactTools::countryToggle()
{
    QAction* usa = m_w->commands().action("mnuToolsCountryUSA");
    QAction* ca = m_w->commands().action("mnuToolsCountryCa");
    QVERIFY(usa->isChecked() && !ca->isChecked());
    QCOMPARE(m_w->statusPanel(2), QStringLiteral("US"));
    // A click on the checked entry swaps the pair.
    usa->trigger();
    QVERIFY(!usa->isChecked() && ca->isChecked());
    QCOMPARE(m_w->statusPanel(2), QStringLiteral("CA"));
    run("mnuTools_InternetMap");
    QVERIFY(lastUrl().endsWith("%2C%20Canada"));
    ca->trigger();
    QVERIFY(usa->isChecked() && !ca->isChecked());
    QCOMPARE(m_w->statusPanel(2), QStringLiteral("US"));
    ca->trigger();
    QCOMPARE(m_w->statusPanel(2), QStringLiteral("CA"));
    usa->trigger();
    QCOMPARE(m_w->statusPanel(2), QStringLiteral("US"));
    run("mnuTools_InternetMap");
    QVERIFY(lastUrl().endsWith("%2C%20USA"));
}

void TestContactTools::mailTargets_data()
{
    QTest::addColumn<QStringList>("cells"); // e-mail cells of rows 1..
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<bool>("warned");

    QTest::newRow("valid, empty, no @") << QStringList{"ann@x.org", "", "bob.example.org"}
                                        << QByteArray("mailto:ann@x.org") << false;
    QTest::newRow("two valid") << QStringList{"ann@x.org", "bob@y.net"}
                               << QByteArray("mailto:ann@x.org,bob@y.net") << false;
    QTest::newRow("encoded, quoted comma kept inside")
        << QStringList{"Ann Lee <ann@x.org>", "\"O'Neil, B\" <b@y.net>"}
        << QByteArray("mailto:Ann%20Lee%20%3Cann@x.org%3E,%22O%27Neil%2C%20B%22%20%3Cb@y.net%3E")
        << false;
    QTest::newRow("several in one cell") << QStringList{"a@b.c; d@e.f", "x@y.z,, no-at.org"}
                                         << QByteArray("mailto:a@b.c,d@e.f,x@y.z") << false;
    QTest::newRow("none valid") << QStringList{"ann", "x.org"} << QByteArray("mailto:") << true;
}

void TestContactTools::mailTargets()
{
    QFETCH(QStringList, cells);
    QFETCH(QByteArray, target);
    QFETCH(bool, warned);
    const int mail = m_w->document().roles().mail;
    for (int i = 0; i < cells.size(); ++i)
        fa()->SetCellText(i + 1, mail, cells[i]);
    fa()->SelectRange(1, 0, int(cells.size()), fa()->ColCount() - 1);
    QCOMPARE(fa()->PickedRowCount(), int(cells.size()));
    run("tbr_email");
    QCOMPARE(lastUrl(), target);
    QCOMPARE(m_h->platform.messages.size(), warned ? 1 : 0);
    if (warned)
        QCOMPARE(m_h->platform.lastText(),
                 QStringLiteral("The Email address column is set to Column 7 -- 'Email'.\r\nIf "
                                "this is not the email address column, you may reset it by going "
                                "to menu Tools->Column Define (F9). Or, highlight rows that "
                                "contain valid email address and try again. "));
}

void TestContactTools::mailTooLongGoesToClipboard()
{
    const int mail = m_w->document().roles().mail;
    const int rows = 120;
    fa()->SetRowCount(rows + 1);
    QStringList all;
    for (int r = 1; r <= rows; ++r) {
        all << QStringLiteral("person%1@example.org").arg(r, 3, 10, QLatin1Char('0'));
        fa()->SetCellText(r, mail, all.last());
    }
    fa()->SelectRange(1, 0, rows, fa()->ColCount() - 1);
    run("mnuTools_SendMail");
    const int fit = ContactAddress::recipientsThatFit(all);
    // "mailto:" and 21 characters an address, 22 with its comma.
    QCOMPARE(fit, (2000 - 7 + 1) / 22);
    QCOMPARE(m_h->platform.lastText(), ContactAddress::tooManyRecipients(rows, fit));
    QVERIFY(m_h->platform.lastText().contains(QStringLiteral("hold 120 email addresses")));
    QCOMPARE(QApplication::clipboard()->text(), all.join(QStringLiteral(", ")));
    // No cut-off list: the message opens empty for the pasted list.
    QCOMPARE(lastUrl(), QByteArray("mailto:"));
}

void TestContactTools::webLink_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QByteArray>("opened"); // empty: refused with the warning

    QTest::newRow("http kept") << "http://x.org/a?b=1" << QByteArray("http://x.org/a?b=1");
    QTest::newRow("HTTPS any case") << "HTTPS://x.org" << QByteArray("https://x.org");
    QTest::newRow("no scheme") << "www.x.org" << QByteArray("http://www.x.org");
    QTest::newRow("host and port") << "x.org:8080/p" << QByteArray("http://x.org:8080/p");
    QTest::newRow("outer blanks") << "  x.org  " << QByteArray("http://x.org");
    QTest::newRow("blank inside") << "x.org http://y" << QByteArray();
    QTest::newRow("file") << "file:///etc/x.conf" << QByteArray();
    QTest::newRow("javascript") << "javascript:alert(1).x" << QByteArray();
    QTest::newRow("ftp") << "ftp://x.org" << QByteArray();
    QTest::newRow("control character") << "x.org/\x01" << QByteArray();
    QTest::newRow("no dot") << "homepage" << QByteArray();
    QTest::newRow("no host") << "http:///a.b" << QByteArray();
}

void TestContactTools::webLink()
{
    QFETCH(QString, cell);
    QFETCH(QByteArray, opened);
    const int web = m_w->document().roles().website;
    fa()->SetCellText(3, web, cell);
    fa()->SelectRange(3, 0);
    run("tbr_website");
    if (opened.isEmpty()) {
        QVERIFY(m_h->platform.openedUrls.isEmpty());
        QCOMPARE(m_h->platform.lastText(),
                 QStringLiteral("The Web site address column is set to Column 8 -- 'Web Site'.\r\n"
                                "If this is not the web site address column, you may reset it by "
                                "going to menu Tools->Column Define or pressing F9 key."));
    } else {
        QCOMPARE(lastUrl(), opened);
        QVERIFY(m_h->platform.messages.isEmpty());
    }
}

QTEST_MAIN(TestContactTools)
#include "tst_contacttools.moc"
