#include "shell/settingsstore.h"
#include "shell/startup.h"

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

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
