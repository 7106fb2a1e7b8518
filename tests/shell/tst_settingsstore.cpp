#include "shell/settingsstore.h"
#include "shell/startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace corvanta;

class TestSettingsStore : public QObject
{
    Q_OBJECT
  private slots:
    void toInt16_data();
    void toInt16();
    void toBool_data();
    void toBool();
    void absentAndEmptyReadAsEmpty();
    void writeCreatesFileAndIsDurable();
    void iniRecordedOnlyOnce();
    void showTipsReading_data();
    void showTipsReading();
    void programFolderOfAnInstall();
    void fileArgument_data();
    void fileArgument();
};

void TestSettingsStore::toInt16_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("plain") << "1200" << 1200;
    QTest::newRow("negative") << "-300" << -300;
    QTest::newRow("spaces around") << "  42 " << 42;
    QTest::newRow("half to even down") << "2.5" << 2;
    QTest::newRow("half to even up") << "3.5" << 4;
    QTest::newRow("negative half") << "-2.5" << -2;
    QTest::newRow("fraction rounds") << "1200.7" << 1201;
    QTest::newRow("max") << "32767" << 32767;
    QTest::newRow("min") << "-32768" << -32768;
    QTest::newRow("just over after rounding") << "32767.5" << 0;
    QTest::newRow("out of range") << "40000" << 0;
    QTest::newRow("far below") << "-40000" << 0;
    QTest::newRow("not a number") << "abc" << 0;
    QTest::newRow("number then text") << "12abc" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("infinite") << "inf" << 0;
    QTest::newRow("nan") << "nan" << 0;
}

void TestSettingsStore::toInt16()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(SettingsStore::toInt16(text), expected);
}

void TestSettingsStore::toBool_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    QTest::newRow("True") << "True" << true;
    QTest::newRow("False") << "False" << false;
    QTest::newRow("lower false") << "false" << false;
    QTest::newRow("zero") << "0" << false;
    QTest::newRow("minus one") << "-1" << true;
    QTest::newRow("word") << "maybe" << true;
    QTest::newRow("empty") << "" << true;
}

void TestSettingsStore::toBool()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(SettingsStore::toBool(text), expected);
}

void TestSettingsStore::absentAndEmptyReadAsEmpty()
{
    QTemporaryDir dir;
    SettingsStore s(dir.filePath("s.ini"));
    QCOMPARE(s.read("WIDTH"), QString());
    s.write("WIDTH", "");
    QCOMPARE(s.read("WIDTH"), QString());
}

void TestSettingsStore::writeCreatesFileAndIsDurable()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/folder/s.ini");
    {
        SettingsStore s(path);
        QVERIFY(s.write("LastOpenPath", "/home/ann/Contacts, old/"));
        QVERIFY(s.write("col_mail", "6"));
        // Synced before write returns: another reader sees it at once.
        QSettings other(path, QSettings::IniFormat);
        QCOMPARE(other.value("Settings/col_mail").toString(), QString("6"));
    }
    SettingsStore again(path);
    QCOMPARE(again.read("LastOpenPath"), QString("/home/ann/Contacts, old/"));
    QCOMPARE(again.read("col_mail"), QString("6"));
}

void TestSettingsStore::iniRecordedOnlyOnce()
{
    QTemporaryDir dir;
    SettingsStore s(dir.filePath("s.ini"));
    Startup::recordProgramFolder(s, "/opt/first");
    Startup::recordProgramFolder(s, "/opt/second");
    QCOMPARE(s.read("INI"), QString("/opt/first"));
}

void TestSettingsStore::showTipsReading_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("expected");
    QTest::newRow("absent") << "" << true;
    QTest::newRow("False") << "False" << false;
    QTest::newRow("True") << "True" << true;
    QTest::newRow("no Boolean") << "sometimes" << true;
}

void TestSettingsStore::showTipsReading()
{
    QFETCH(QString, stored);
    QFETCH(bool, expected);
    QTemporaryDir dir;
    SettingsStore s(dir.filePath("s.ini"));
    if (!stored.isEmpty())
        s.write("ShowTips", stored);
    QCOMPARE(Startup::readShowTips(s), expected);
}

// A build keeps its files beside the program; an installed program keeps
// them in the user's data folder, copied there from share/corvanta.
void TestSettingsStore::programFolderOfAnInstall()
{
    QTemporaryDir dir;
    const QString bin = dir.filePath("usr/bin"), shared = dir.filePath("usr/share/corvanta");
    const QString user = dir.filePath("home/.local/share/corvanta");
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(shared));
    QCOMPARE(Startup::programFolder(bin, shared, user), bin); // nothing shipped
    const auto ship = [&](const QString& name, const QByteArray& bytes) {
        QFile f(shared + "/" + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    const auto copied = [&](const QString& name) {
        QFile f(user + "/" + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    };
    for (const char* name : {"tips.vti", "Sample_AB.cvt", "guide.html"})
        ship(name, name);
    QCOMPARE(Startup::programFolder(bin, shared, user), user);
    QCOMPARE(copied("tips.vti"), QByteArray("tips.vti"));
    QCOMPARE(copied("guide.html"), QByteArray("guide.html"));
    QVERIFY(QFileInfo(user + "/Sample_AB.cvt").isWritable());
    // The user's own sample is never replaced; the tips and the guide of
    // a newer package replace the copies of the older one.
    QFile mine(user + "/Sample_AB.cvt");
    QVERIFY(mine.open(QIODevice::WriteOnly));
    mine.write("mine");
    mine.close();
    ship("tips.vti", "tips 2");
    ship("guide.html", "guide 2");
    QCOMPARE(Startup::programFolder(bin, shared, user), user);
    QCOMPARE(copied("Sample_AB.cvt"), QByteArray("mine"));
    QCOMPARE(copied("tips.vti"), QByteArray("tips 2"));
    QCOMPARE(copied("guide.html"), QByteArray("guide 2"));
    // A program folder with its own data is a build: it stays where it is.
    QFile beside(bin + "/tips.vti");
    QVERIFY(beside.open(QIODevice::WriteOnly));
    beside.close();
    QCOMPARE(Startup::programFolder(bin, shared, user), bin);
}

void TestSettingsStore::fileArgument_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << QStringList() << QString();
    QTest::newRow("relative") << QStringList{"book.cvt"} << "/home/ann/book.cvt";
    QTest::newRow("absolute") << QStringList{"/tmp/a b.vcf"} << "/tmp/a b.vcf";
    QTest::newRow("options skipped") << QStringList{"--x", "../c.csv"} << "/home/c.csv";
    QTest::newRow("file URL") << QStringList{"file:///tmp/a%20b.vcf"} << "/tmp/a b.vcf";
}

void TestSettingsStore::fileArgument()
{
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    QCOMPARE(Startup::fileArgument(args, "/home/ann"), expected);
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
