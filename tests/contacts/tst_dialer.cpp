// The "Dial Phone" dialog against a simulated modem on a pseudo-terminal:
// the bytes the modem receives, the dialog's texts and buttons for each
// reply, and its settings.
#include "commands/commandset.h"
#include "contacts/dialdialog.h"
#include "fakeplatform.h"
#include "files/document.h"
#include "grid/gridwidget.h"
#include "modemsim.h"
#include "platform/valuestore.h"
#include "shellharness.h"
#include "widgettesting.h"

#include <QCheckBox>
#include <QHash>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace corvanta;

namespace {

// Settings in memory that remember the order of the writes.
class MemoryStore : public ValueStore
{
  public:
    QHash<QString, QString> values;
    QStringList writes; // "KEY=value"
    QString read(const QString& name) const override { return values.value(name); }
    bool write(const QString& name, const QString& text) override
    {
        values[name] = text;
        writes << name + QLatin1Char('=') + text;
        return true;
    }
};

const QString kPickUp = QStringLiteral("Pick up the phone and either press Enter or click OK");

QString status(DialDialog& d)
{
    return child<QLineEdit>(&d, "txtStatus")->text();
}

} // namespace

class TestDialer : public QObject
{
    Q_OBJECT
  private:
    FakePlatform m_platform;
    MemoryStore m_store;
    ModemSim* m_modem = nullptr;

    std::unique_ptr<DialDialog> dialog(const QString& number)
    {
        auto d = std::make_unique<DialDialog>(m_platform, m_store);
        d->setNumber(number);
        d->show(); // dials at once
        return d;
    }

  private slots:
    void init()
    {
        m_platform = FakePlatform();
        m_store = MemoryStore();
        m_modem = new ModemSim(this);
        QVERIFY(m_modem->isOpen());
        m_store.values[QStringLiteral("COMMPORT")] = m_modem->portPath();
    }
    void cleanup()
    {
        delete m_modem;
        m_modem = nullptr;
    }

    void modemReplies_data();
    void modemReplies();
    void cancelWhileWaiting();
    void closeWhileWaiting();
    void lostPortEndsWait();
    void floodKeepsLastLine();
    void portNotAvailable_data();
    void portNotAvailable();
    void numberRefused();
    void emptyNumberWaitsForUser();
    void settingsRead_data();
    void settingsRead();
    void settingsWrittenInOrder();
    void dialFromMainWindow();
};

void TestDialer::modemReplies_data()
{
    QTest::addColumn<QList<ModemSim::Piece>>("reply");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("beeps");

    QTest::newRow("OK after a delay")
        << QList<ModemSim::Piece>{{300, "\r\nOK\r\n"}} << kPickUp << 1;
    QTest::newRow("OK in two reads")
        << QList<ModemSim::Piece>{{50, "\r\nO"}, {200, "K\r\n"}} << kPickUp << 1;
    for (const char* word : {"ERROR", "NO DIALTONE", "BUSY", "NO CARRIER"})
        QTest::newRow(word) << QList<ModemSim::Piece>{{100, QByteArray("\r\n") + word + "\r\n"}}
                            << QStringLiteral("The modem answered \"%1\"; the number was not "
                                              "dialled.")
                                   .arg(QLatin1String(word))
                            << 0;
}

void TestDialer::modemReplies()
{
    QFETCH(QList<ModemSim::Piece>, reply);
    QFETCH(QString, message);
    QFETCH(int, beeps);
    m_modem->dialReply = reply;
    auto d = dialog(QStringLiteral("555-1234"));
    QTRY_VERIFY(d->isWaiting());
    QCOMPARE(status(*d), QStringLiteral("Dialing - 555-1234"));
    QVERIFY(!child<QPushButton>(d.get(), "cmdDial")->isEnabled());
    QVERIFY(child<QPushButton>(d.get(), "cmdCancel")->isEnabled());

    QTRY_COMPARE(m_platform.messages.size(), 1);
    QCOMPARE(m_platform.lastText(), message);
    QCOMPARE(m_platform.beeps, beeps);
    if (beeps) {
        QCOMPARE(status(*d), QStringLiteral("Waiting for picking up the phone"));
        // Shown whole: with the cursor at its end the box has not scrolled.
        auto* box = child<QLineEdit>(d.get(), "txtStatus");
        box->end(false);
        QCOMPARE(box->cursorPositionAt(QPoint(0, box->height() / 2)), 0);
    }
    QTRY_COMPARE(m_modem->received, QByteArray("ATDT555-1234;\rATH\r"));
    QVERIFY(!d->isWaiting());
    QVERIFY(child<QPushButton>(d.get(), "cmdDial")->isEnabled());
    QVERIFY(!child<QPushButton>(d.get(), "cmdCancel")->isEnabled());
}

void TestDialer::cancelWhileWaiting()
{
    auto d = dialog(QStringLiteral("23"));
    QTRY_COMPARE(m_modem->received, QByteArray("ATDT23;\r"));
    QTest::qWait(100); // the modem stays silent
    QVERIFY(d->isWaiting());
    QTest::mouseClick(child<QPushButton>(d.get(), "cmdCancel"), Qt::LeftButton);
    QCOMPARE(status(*d), QStringLiteral("Cancel"));
    QTRY_COMPARE(m_modem->received, QByteArray("ATDT23;\rATH\r"));
    QVERIFY(m_platform.messages.isEmpty());

    // The next Dial works as the first did.
    m_modem->received.clear();
    m_modem->dialReply = {{10, "OK\r\n"}};
    QTest::mouseClick(child<QPushButton>(d.get(), "cmdDial"), Qt::LeftButton);
    QTRY_COMPARE(m_platform.lastText(), kPickUp);
    QTRY_COMPARE(m_modem->received, QByteArray("ATDT23;\rATH\r"));
}

void TestDialer::closeWhileWaiting()
{
    auto d = dialog(QStringLiteral("23"));
    QTRY_VERIFY(d->isWaiting());
    QTest::mouseClick(child<QPushButton>(d.get(), "cmdExit"), Qt::LeftButton);
    QVERIFY(!d->isVisible());
    QVERIFY(!d->isWaiting());
    QTRY_COMPARE(m_modem->received, QByteArray("ATDT23;\rATH\r"));
    QCOMPARE(m_store.writes.size(), 4);
    QVERIFY(m_platform.messages.isEmpty());
}

void TestDialer::lostPortEndsWait()
{
    auto d = dialog(QStringLiteral("23"));
    QTRY_COMPARE(m_modem->received, QByteArray("ATDT23;\r"));
    QVERIFY(d->isWaiting());
    m_modem->dropLine();
    QTRY_COMPARE(m_platform.messages.size(), 1);
    QVERIFY2(
        m_platform.lastText().startsWith(QStringLiteral("Lost the connection to the modem on ") +
                                         m_modem->portPath() + QStringLiteral(" (")),
        qPrintable(m_platform.lastText()));
    QVERIFY(m_platform.lastText().endsWith(QStringLiteral("); the number was not dialled.")));
    QVERIFY(!d->isWaiting());
    QCOMPARE(status(*d), QStringLiteral("Port lost"));
    QVERIFY(child<QPushButton>(d.get(), "cmdDial")->isEnabled());
}

// A modem that chatters: the lines go by and only the one
// still arriving is kept, so the wait neither grows nor slows.
void TestDialer::floodKeepsLastLine()
{
    m_modem->dialReply = {{10, QByteArray("CONNECTING\r\n").repeated(300)}, {50, "\r\nO"}};
    auto d = dialog(QStringLiteral("23"));
    QTRY_COMPARE(d->pendingReplyBytes(), 1);
    QCOMPARE(status(*d), QStringLiteral("Dialing..."));
    QVERIFY(d->isWaiting());
    QVERIFY(m_platform.messages.isEmpty());
}

void TestDialer::portNotAvailable_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("named");

    QTest::newRow("device path") << "/dev/no-such-modem"
                                 << "/dev/no-such-modem";
    QTest::newRow("device name") << "ttyNoSuch9"
                                 << "ttyNoSuch9";
    QTest::newRow("not a port") << "two words"
                                << "two words";
    QTest::newRow("number past the listed ports") << "300"
                                                  << "COM300 (/dev/ttyS299)";
    QTest::newRow("number out of range") << "40000"
                                         << "COM40000";
    QTest::newRow("zero") << "0"
                          << "COM0";
}

void TestDialer::portNotAvailable()
{
    QFETCH(QString, port);
    QFETCH(QString, named);
    m_store.values[QStringLiteral("COMMPORT")] = port;
    auto d = dialog(QStringLiteral("23"));
    QTRY_COMPARE(m_platform.messages.size(), 1);
    QCOMPARE(m_platform.lastText(),
             named +
                 QStringLiteral(": not available. Change the CommPort property to another port."));
    QCOMPARE(m_platform.messages.first().icon, MsgIcon::None);
    QVERIFY(d->IsLongForm());
    QVERIFY(child<QWidget>(d.get(), "txtPort")->isVisible());
    QVERIFY(child<QPushButton>(d.get(), "cmdDial")->isEnabled());
    QVERIFY(m_modem->received.isEmpty());
}

void TestDialer::numberRefused()
{
    for (const char* number : {"555;1234", "1-800-FLOWERS", "555\r1234"}) {
        m_platform.messages.clear();
        auto d = dialog(QString::fromLatin1(number));
        QTRY_COMPARE(m_platform.messages.size(), 1);
        QVERIFY(m_platform.lastText().startsWith(QStringLiteral("The number cannot be dialled")));
        QVERIFY(child<QPushButton>(d.get(), "cmdDial")->isEnabled());
    }
    QVERIFY(m_platform.lastText().contains(QStringLiteral("\"\r\"")));
    QCOMPARE(m_modem->received, QByteArray());
}

void TestDialer::emptyNumberWaitsForUser()
{
    auto d = dialog(QString());
    QTest::qWait(50);
    QVERIFY(child<QPushButton>(d.get(), "cmdDial")->isEnabled());
    QVERIFY(!child<QPushButton>(d.get(), "cmdCancel")->isEnabled());
    QVERIFY(m_modem->received.isEmpty());
    // The user types a number and dials it.
    m_modem->dialReply = {{10, "OK\r\n"}};
    QTest::keyClicks(child<QLineEdit>(d.get(), "txtNum"), QStringLiteral("911"));
    QTest::mouseClick(child<QPushButton>(d.get(), "cmdDial"), Qt::LeftButton);
    QTRY_COMPARE(m_modem->received, QByteArray("ATDT911;\rATH\r"));
}

void TestDialer::settingsRead_data()
{
    QTest::addColumn<QStringList>("stored"); // COMMPORT, LONGDIS, DIALONE, LONGFORM
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("dialOne");
    QTest::addColumn<bool>("longForm");

    QTest::newRow("missing") << QStringList() << "2"
                             << "1" << false << false;
    QTest::newRow("empty") << QStringList{"", "", "", ""} << "2"
                           << "1" << false << false;
    QTest::newRow("set") << QStringList{"ttyUSB0", "0", "1", "True"} << "ttyUSB0"
                         << "0" << true << true;
    QTest::newRow("bad values") << QStringList{"3", " 9 ", "yes", "true"} << "3"
                                << " 9 " << false << false;
    QTest::newRow("number text") << QStringList{"4", "1", "1.0", "False"} << "4"
                                 << "1" << true << false;
    QTest::newRow("half goes to even 0") << QStringList{"4", "1", "0.5", "False"} << "4"
                                         << "1" << false << false;
}

void TestDialer::settingsRead()
{
    QFETCH(QStringList, stored);
    QFETCH(QString, port);
    QFETCH(QString, prefix);
    QFETCH(bool, dialOne);
    QFETCH(bool, longForm);
    const char* keys[] = {"COMMPORT", "LONGDIS", "DIALONE", "LONGFORM"};
    m_store.values.clear();
    for (int i = 0; i < stored.size(); ++i)
        m_store.values[QString::fromLatin1(keys[i])] = stored[i];
    DialDialog d(m_platform, m_store); // not shown: nothing dials
    QCOMPARE(child<QLineEdit>(&d, "txtPort")->text(), port);
    QCOMPARE(child<QLineEdit>(&d, "txtLongDis")->text(), prefix);
    QCOMPARE(child<QCheckBox>(&d, "chkDialOne")->isChecked(), dialOne);
    QCOMPARE(d.m_dialone, dialOne ? 1 : 0);
    d.setNumber(QString()); // so that showing dials nothing
    d.show();
    QCOMPARE(d.IsLongForm(), longForm);
    QCOMPARE(child<QWidget>(&d, "txtPort")->isVisible(), longForm);
}

void TestDialer::settingsWrittenInOrder()
{
    m_store.values.clear();
    auto d = dialog(QString());
    QTest::mouseClick(child<QPushButton>(d.get(), "cmdSet"), Qt::LeftButton);
    QVERIFY(d->IsLongForm());
    QLineEdit* port = child<QLineEdit>(d.get(), "txtPort");
    port->selectAll();
    QTest::keyClicks(port, QStringLiteral("ttyACM0"));
    QCheckBox* one = child<QCheckBox>(d.get(), "chkDialOne");
    QTest::mouseClick(one, Qt::LeftButton, {}, QPoint(6, one->height() / 2));
    QCOMPARE(d->m_dialone, 1);
    QTest::mouseClick(child<QPushButton>(d.get(), "cmdSave"), Qt::LeftButton);
    const QStringList expected{"COMMPORT=ttyACM0", "LONGDIS=1", "DIALONE=1", "LONGFORM=True"};
    QCOMPARE(m_store.writes, expected);

    // Closing saves again; the next dialog comes back as it was left.
    const int longHeight = d->height();
    QTest::mouseClick(child<QPushButton>(d.get(), "cmdSet"), Qt::LeftButton);
    QVERIFY(d->height() < longHeight);
    d->close();
    QCOMPARE(m_store.writes.mid(4),
             (QStringList{"COMMPORT=ttyACM0", "LONGDIS=1", "DIALONE=1", "LONGFORM=False"}));
    DialDialog again(m_platform, m_store);
    QCOMPARE(child<QLineEdit>(&again, "txtPort")->text(), QStringLiteral("ttyACM0"));
    QCOMPARE(again.m_dialone, 1);
}

void TestDialer::dialFromMainWindow()
{
    ShellHarness h;
    h.settings->write(QStringLiteral("COMMPORT"), m_modem->portPath());
    h.settings->write(QStringLiteral("LONGDIS"), QStringLiteral(" 1 "));
    h.settings->write(QStringLiteral("DIALONE"), QStringLiteral("1"));
    MainWindow& w = h.start();
    w.show();
    const int phone = w.document().roles().phone;
    w.fa()->SetCellText(2, phone, QStringLiteral("23"));
    w.fa()->SelectRange(2, 0);
    m_modem->dialReply = {{20, "OK\r\n"}};
    w.commands().action(QStringLiteral("tbr_phone"))->trigger();
    auto* d = w.findChild<DialDialog*>(QStringLiteral("frmDial"));
    QVERIFY(d);
    QVERIFY(d->isModal());
    QCOMPARE(child<QLineEdit>(d, "txtNum")->text(), QStringLiteral("123"));
    QTRY_COMPARE(h.platform.lastText(), kPickUp);
    QTRY_COMPARE(m_modem->received, QByteArray("ATDT123;\rATH\r"));
    QPointer<DialDialog> gone(d);
    QTest::mouseClick(child<QPushButton>(d, "cmdExit"), Qt::LeftButton);
    QTRY_VERIFY(!gone);
    QCOMPARE(h.settings->read(QStringLiteral("LONGFORM")), QStringLiteral("False"));
}

QTEST_MAIN(TestDialer)
#include "tst_dialer.moc"
