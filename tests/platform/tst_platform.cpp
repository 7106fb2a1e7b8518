// What the production platform hands to Qt's file dialogs.
#include "platform/platform.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

using namespace corvanta;

class TestPlatform : public QObject
{
    Q_OBJECT
  private slots:
    void qtFilter_data();
    void qtFilter();
    void defaultSuffix_data();
    void defaultSuffix();
    void escapeIsNotNo_data();
    void escapeIsNotNo();
};

void TestPlatform::qtFilter_data()
{
    QTest::addColumn<QString>("common");
    QTest::addColumn<QString>("qt");
    QTest::newRow("two entries") << "Corvanta Files (*.cvt)|*.cvt|All Files (*.*)|*.*"
                                 << "Corvanta Files (*.cvt);;All Files (*.*)";
    QTest::newRow("one entry") << "Comma Delimited Text Files (*.csv)|*.csv"
                               << "Comma Delimited Text Files (*.csv)";
    QTest::newRow("description without pattern") << "Grid Files|*.cvt"
                                                 << "Grid Files (*.cvt)";
    QTest::newRow("several patterns") << "Grids (*.cvt;*.qrf)|*.cvt;*.qrf"
                                      << "Grids (*.cvt *.qrf)";
    QTest::newRow("empty") << ""
                           << "";
}

void TestPlatform::qtFilter()
{
    QFETCH(QString, common);
    QFETCH(QString, qt);
    QCOMPARE(qtFilterFromCommon(common), qt);
}

void TestPlatform::defaultSuffix_data()
{
    QTest::addColumn<QString>("defaultExt");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("open uses the default extension")
        << "*.csv"
        << "Comma Delimited Files (*.csv)|*.csv|All Files (*.*)|*.*" << false << "csv";
    QTest::newRow("save uses the filter, not a stale extension")
        << "*.csv"
        << "Corvanta Files (*.cvt)|*.cvt" << true << "cvt";
    QTest::newRow("save as tab") << ""
                                 << "Tab Delimited Text Files (*.txt)|*.txt" << true << "txt";
    QTest::newRow("open without default") << ""
                                          << "Corvanta Files (*.cvt)|*.cvt" << false << "";
    QTest::newRow("all files adds nothing") << "*.*"
                                            << "All Files (*.*)|*.*" << false << "";
}

void TestPlatform::defaultSuffix()
{
    QFETCH(QString, defaultExt);
    QFETCH(QString, filter);
    QFETCH(bool, save);
    QFETCH(QString, suffix);
    CommonDialog dlg;
    dlg.DefaultExt = defaultExt;
    dlg.Filter = filter;
    QCOMPARE(defaultSuffixOf(dlg, save), suffix);
}

void TestPlatform::escapeIsNotNo_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("expected");
    QTest::newRow("yes/no") << int(MsgButtons::YesNo) << int(MsgAnswer::Escape);
    QTest::newRow("yes/no/cancel") << int(MsgButtons::YesNoCancel) << int(MsgAnswer::Cancel);
}

// The real box, answered with the Esc key.
void TestPlatform::escapeIsNotNo()
{
    QFETCH(int, buttons);
    QFETCH(int, expected);
    QtPlatform platform;
    QTimer::singleShot(0, [] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    const MsgAnswer a = platform.messageBox("Do you want to overwrite x?", "Save",
                                            MsgIcon::Question, MsgButtons(buttons));
    QCOMPARE(int(a), expected);
}

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
