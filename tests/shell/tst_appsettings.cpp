// The window settings: defaults when nothing is stored, and a save that
// reads back as it was written.
#include "shell/appsettings.h"
#include "shell/settingsstore.h"

#include <QTemporaryDir>
#include <QTest>

using namespace corvanta;

class TestAppSettings : public QObject
{
    Q_OBJECT
  private slots:
    void defaultsWhenNothingStored();
    void saveReadsBack();
    void geometryKeptInReadableRange_data();
    void geometryKeptInReadableRange();
};

void TestAppSettings::defaultsWhenNothingStored()
{
    QTemporaryDir dir;
    SettingsStore store(dir.filePath("a.ini"));
    const WindowSettings s = AppSettings(store).load("/prog");
    QVERIFY(!s.top && !s.left);
    QCOMPARE(s.width, 8888);
    QCOMPARE(s.height, 6600);
    QCOMPARE(s.vbarLeft, 3570);
    QVERIFY(s.alternateRows && s.showTips);
    QCOMPARE(s.dropBox, 1);
    QCOMPARE(s.openFolder, QString("/prog"));
    QCOMPARE(s.startupFile, QString("/prog/Sample_AB.cvt"));
    QVERIFY(s.roles == ColumnRoles());
}

void TestAppSettings::saveReadsBack()
{
    QTemporaryDir dir;
    SettingsStore store(dir.filePath("a.ini"));
    WindowSettings out;
    out.top = -120;
    out.left = 0;
    out.width = 9360;
    out.height = 7200;
    out.vbarLeft = 4320;
    out.alternateRows = false;
    out.dropBox = 0;
    out.openFolder = "/srv/book/";
    out.startupFile = "/srv/book/a.cvt";
    out.showTips = false;
    out.roles = {3, 2, 9, 0};
    AppSettings(store).save(out);
    // The stored texts are what other readers of the file expect.
    QCOMPARE(store.read("AlternateColor"), QString("False"));
    QCOMPARE(store.read("EmailParser"), QString("0"));
    QCOMPARE(store.read("col_website"), QString("9"));
    const WindowSettings in = AppSettings(store).load("/prog");
    QCOMPARE(in.top, out.top);
    QCOMPARE(in.left, out.left);
    QCOMPARE(in.width, out.width);
    QCOMPARE(in.height, out.height);
    QCOMPARE(in.vbarLeft, out.vbarLeft);
    QCOMPARE(in.alternateRows, false);
    QCOMPARE(in.dropBox, 0);
    QCOMPARE(in.openFolder, out.openFolder);
    QCOMPARE(in.startupFile, out.startupFile);
    QCOMPARE(in.showTips, false);
    QVERIFY(in.roles == out.roles);
}

void TestAppSettings::geometryKeptInReadableRange_data()
{
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("readBack");
    QTest::newRow("inside") << 32767 << 32767;
    QTest::newRow("just beyond") << 32768 << 32767;
    QTest::newRow("far right") << 60000 << 32767;
    QTest::newRow("far left") << -40000 << -32768;
}

// A value beyond 16 bits would read back as 0 and open a tiny window.
void TestAppSettings::geometryKeptInReadableRange()
{
    QFETCH(int, written);
    QFETCH(int, readBack);
    QTemporaryDir dir;
    SettingsStore store(dir.filePath("a.ini"));
    WindowSettings out;
    out.top = written;
    out.left = written;
    out.width = written;
    out.height = written;
    AppSettings(store).save(out);
    const WindowSettings in = AppSettings(store).load("/prog");
    QCOMPARE(in.top, std::optional<int>(readBack));
    QCOMPARE(in.left, std::optional<int>(readBack));
    QCOMPARE(in.width, readBack);
    QCOMPARE(in.height, readBack);
}

QTEST_GUILESS_MAIN(TestAppSettings)
#include "tst_appsettings.moc"
