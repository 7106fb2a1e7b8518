// The Help menu on the real main window: the tip of the day with its
// numbering and start-up switch, the guide and web addresses opened through
// the platform, and the About box.
#include "commands/commandset.h"
#include "files/nativefile.h"
#include "grid/table.h"
#include "shell/appsettings.h"
#include "shell/helpcommands.h"
#include "shell/startup.h"
#include "shell/tipsdialog.h"
#include "shellharness.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace corvanta;

namespace {

const QString kMissing =
    QStringLiteral("Cannot open tips file or the file is missing. Reinstall the program or consult "
                   "with software vendor.");

// Rows of the tips file: mark, heading, body.
void writeTips(const QString& path, const QList<QStringList>& rows)
{
    Table t(int(rows.size()) + 1, 4);
    t.setText(0, 2, u"Heading");
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 3; ++c)
            t.setText(r + 1, c + 1, rows[r][c]);
    QVERIFY(NativeFile::save(t, path));
}

// Three tips, with an unmarked row of each kind between them.
const QList<QStringList> kThreeTips = {{"-1", "H1", "B1"}, {"0", "X", "x"}, {"-1", "H2", "B2"},
                                       {"", "Y", "y"},     {"1", "Z", "z"}, {"-1", "H3", "B3"}};

TipsDialog* openTips(MainWindow& w)
{
    w.show();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w))
        qWarning("window not active");
    QTest::keyClick(w.fa(), Qt::Key_F1);
    return w.help().tipsDialog();
}

QString shown(TipsDialog* d)
{
    return d->findChild<QLabel*>("Label2")->text();
}

void click(QWidget* parent, const char* name)
{
    auto* b = parent->findChild<QAbstractButton*>(QString::fromLatin1(name));
    QVERIFY2(b, name);
    QTest::mouseClick(b, Qt::LeftButton);
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT
  private slots:
    void stepsThroughMarkedTips_data();
    void stepsThroughMarkedTips();
    void missingOrEmptyTipsFile_data();
    void missingOrEmptyTipsFile();
    void onlyCloseWritesShowTips_data();
    void onlyCloseWritesShowTips();
    void helpAddresses_data();
    void helpAddresses();
    void aboutBox();
};

void TestHelp::stepsThroughMarkedTips_data()
{
    QTest::addColumn<QString>("clicks"); // N: Next Tip, P: PreviousTip
    QTest::addColumn<QString>("tips");   // the tip shown after each click
    QTest::newRow("next right after opening") << "N"
                                              << "1";
    QTest::newRow("previous right after opening") << "P"
                                                  << "3";
    QTest::newRow("next cycles") << "NNNN"
                                 << "1231";
    QTest::newRow("previous from the first") << "NP"
                                             << "13";
    QTest::newRow("previous cycles") << "PPPP"
                                     << "3213";
}

void TestHelp::stepsThroughMarkedTips()
{
    QFETCH(QString, clicks);
    QFETCH(QString, tips);
    ShellHarness h;
    writeTips(h.inProgram("tips.vti"), kThreeTips);
    MainWindow& w = h.start();
    TipsDialog* d = openTips(w);
    QVERIFY(d);
    QVERIFY(d->isVisible());
    QVERIFY(!d->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(d->windowTitle(), QString("Tip of the Day"));
    const QStringList expected = {"H1\r\n\r\nB1", "H2\r\n\r\nB2", "H3\r\n\r\nB3"};
    QCOMPARE(d->tips(), expected);
    QVERIFY(QStringList({"H1\n\nB1", "H2\n\nB2", "H3\n\nB3"}).contains(shown(d)));
    for (int i = 0; i < clicks.size(); ++i) {
        click(d, clicks[i] == 'N' ? "cmdNext" : "cmdPrevious");
        const int n = tips[i].digitValue();
        QCOMPARE(d->current(), n);
        QCOMPARE(shown(d), QString(expected[n - 1]).replace("\r\n", "\n"));
    }
    QCOMPARE(h.platform.messages.size(), 0);
}

void TestHelp::missingOrEmptyTipsFile_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<int>("count");
    QTest::newRow("missing") << false << 2;
    QTest::newRow("no marked rows") << true << 0;
}

void TestHelp::missingOrEmptyTipsFile()
{
    QFETCH(bool, present);
    QFETCH(int, count);
    ShellHarness h;
    if (present)
        writeTips(h.inProgram("tips.vti"), {{"0", "X", "x"}, {"", "Y", "y"}});
    MainWindow& w = h.start();
    h.platform.answers = {MsgAnswer::Ok};
    TipsDialog* d = openTips(w);
    QVERIFY(d);
    QCOMPARE(d->tips().size(), count);
    if (present) {
        QCOMPARE(h.platform.messages.size(), 0);
        QCOMPARE(shown(d), QString("There are no tips to show."));
        click(d, "cmdNext");
        click(d, "cmdPrevious");
        QCOMPARE(d->current(), 0);
        QCOMPARE(shown(d), QString("There are no tips to show."));
    } else {
        QCOMPARE(h.platform.messages.size(), 1);
        QCOMPARE(h.platform.messages[0].text, kMissing);
        QCOMPARE(h.platform.messages[0].title, QString());
        QCOMPARE(h.platform.messages[0].icon, MsgIcon::Exclamation);
        QCOMPARE(d->tips(), QStringList({" ", " "}));
        click(d, "cmdPrevious");
        QCOMPARE(d->current(), 2);
        QCOMPARE(shown(d), QString(" "));
    }
}

void TestHelp::onlyCloseWritesShowTips_data()
{
    QTest::addColumn<bool>("before");
    QTest::addColumn<bool>("toggle");
    QTest::addColumn<bool>("byClose"); // else by Esc
    QTest::addColumn<bool>("after");
    QTest::newRow("cleared, Close") << true << true << true << false;
    QTest::newRow("cleared, Esc") << true << true << false << true;
    QTest::newRow("ticked, Close") << false << true << true << true;
    QTest::newRow("untouched, Close") << false << false << true << false;
}

void TestHelp::onlyCloseWritesShowTips()
{
    QFETCH(bool, before);
    QFETCH(bool, toggle);
    QFETCH(bool, byClose);
    QFETCH(bool, after);
    ShellHarness h;
    writeTips(h.inProgram("tips.vti"), kThreeTips);
    h.settings->write(AppSettings::ShowTipsKey, before ? "True" : "False");
    MainWindow& w = h.start();
    QPointer<TipsDialog> d = openTips(w);
    QVERIFY(d);
    auto* box = d->findChild<QCheckBox*>("chkShowTips");
    QCOMPARE(box->text(), QString("Show Tips at Startup"));
    QCOMPARE(box->isChecked(), before);
    if (toggle)
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    QCOMPARE(box->isChecked(), before != toggle);
    if (byClose)
        click(d, "cmdOK");
    else
        QTest::keyClick(d, Qt::Key_Escape);
    QTRY_VERIFY(d.isNull()); // closed windows are gone, and open afresh
    w.mnuExit_Click();
    QCOMPARE(h.platform.endCalls, 1);
    QCOMPARE(Startup::readShowTips(*h.settings), after);
}

void TestHelp::helpAddresses_data()
{
    QTest::addColumn<QString>("guideSetting");
    QTest::addColumn<QString>("webSetting");
    QTest::addColumn<QString>("guide"); // "" = the guide beside the program
    QTest::addColumn<QString>("web");
    QTest::addColumn<bool>("guideThere");
    QTest::newRow("defaults") << ""
                              << ""
                              << ""
                              << "" << true;
    QTest::newRow("kept in the settings") << "https://guide.example.org/corvanta"
                                          << "https://www.example.org/"
                                          << "https://guide.example.org/corvanta"
                                          << "https://www.example.org/" << false;
    QTest::newRow("guide not installed") << ""
                                         << "https://www.example.org/"
                                         << ""
                                         << "https://www.example.org/" << false;
}

void TestHelp::helpAddresses()
{
    QFETCH(QString, guideSetting);
    QFETCH(QString, webSetting);
    QFETCH(QString, guide);
    QFETCH(QString, web);
    QFETCH(bool, guideThere);
    ShellHarness h;
    if (!guideSetting.isEmpty())
        h.settings->write("GuideUrl", guideSetting);
    if (!webSetting.isEmpty())
        h.settings->write("WebUrl", webSetting);
    if (guideThere) {
        QFile f(h.inProgram("guide.html"));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    MainWindow& w = h.start();
    const QUrl installed = QUrl::fromLocalFile(h.inProgram("guide.html"));
    w.commands().action("mnuHelpGuide")->trigger();
    w.commands().action("mnuWeb")->trigger();
    QList<QUrl> opened;
    QStringList shown;
    if (!guide.isEmpty() || guideThere)
        opened << (guide.isEmpty() ? installed : QUrl(guide));
    else
        shown << "Cannot open " + installed.toString() + ".";
    opened << (web.isEmpty() ? installed : QUrl(web));
    QCOMPARE(h.platform.openedUrls, opened);
    QStringList texts;
    for (const FakePlatform::Shown& m : h.platform.messages)
        texts << m.text;
    QCOMPARE(texts, shown);
}

void TestHelp::aboutBox()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    w.commands().action("mnuAbout")->trigger();
    auto* about = w.findChild<QDialog*>("frmAbout");
    QVERIFY(about);
    QTRY_VERIFY(about->isVisible());
    QCOMPARE(about->findChild<QLabel*>("lblTitle")->text(), QString("Corvanta Address Book"));
    QVERIFY(about->findChild<QLabel*>("lblVersion")->text().startsWith("Version 1."));
    QVERIFY(about->findChild<QLabel*>("lblQt")->text().contains(QString::fromLatin1(qVersion())));
    QVERIFY(about->findChild<QLabel*>("lblLicences")->text().contains("Lesser General Public"));
    QPointer<QDialog> gone = about;
    click(about, "cmdOK");
    QTRY_VERIFY(gone.isNull());
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
