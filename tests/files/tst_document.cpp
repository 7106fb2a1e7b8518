// The document's state and what it announces.
#include "files/document.h"

#include <QSignalSpy>
#include <QTest>

using namespace corvanta;

class TestDocument : public QObject
{
    Q_OBJECT
  private slots:
    void makeModifiedAnnouncesChanges();
    void resetToUntitled();
    void untitledIgnoresCase();
    void folderOfPath_data();
    void folderOfPath();
};

void TestDocument::makeModifiedAnnouncesChanges()
{
    Document doc("/prog");
    QSignalSpy spy(&doc, &Document::modifiedChanged);
    doc.MakeModified(true);
    doc.MakeModified(true);
    QVERIFY(doc.IsModified());
    doc.MakeModified(false);
    QVERIFY(!doc.IsModified());
    QCOMPARE(spy.size(), 2);
    QCOMPARE(spy[0][0].toBool(), true);
    QCOMPARE(spy[1][0].toBool(), false);
}

void TestDocument::resetToUntitled()
{
    Document doc("/prog");
    QCOMPARE(doc.CurrentFile(), QString("/prog/Untitled.cvt"));
    QCOMPARE(doc.OpenFolder(), QString("/prog"));
    doc.setLoaded("/data/people.csv", Document::KindComma);
    doc.setRoles({1, 2, 3, 4});
    doc.setTextEncoding(TextEncoding::Utf16BE);
    doc.MakeModified(true);
    QSignalSpy paths(&doc, &Document::pathChanged);
    QSignalSpy resets(&doc, &Document::reset);
    doc.resetToUntitled();
    QCOMPARE(doc.CurrentFile(), QString("/prog/Untitled.cvt"));
    QCOMPARE(doc.FileKind(), Document::KindNative);
    QVERIFY(doc.roles() == ColumnRoles());
    QCOMPARE(doc.textEncoding(), TextEncoding::Utf8);
    QVERIFY(!doc.IsModified());
    QCOMPARE(paths.size(), 1);
    // Whatever file is read next starts out as UTF-8 until the reader says
    // otherwise.
    doc.setTextEncoding(TextEncoding::Windows1252);
    doc.setLoaded("/data/book.cvt", Document::KindNative);
    QCOMPARE(doc.textEncoding(), TextEncoding::Utf8);
    QCOMPARE(resets.size(), 1);
}

void TestDocument::untitledIgnoresCase()
{
    Document doc("/prog");
    QVERIFY(doc.isUntitled());
    doc.setCurrentFile("/prog/UNTITLED.CVT");
    QVERIFY(doc.isUntitled());
    doc.setCurrentFile("/prog/Untitled.csv");
    QVERIFY(!doc.isUntitled());
}

void TestDocument::folderOfPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::newRow("file in folder") << "/data/a.cvt"
                                    << "/data/";
    QTest::newRow("root file") << "/a.cvt"
                               << "/";
    QTest::newRow("no separator") << "a.cvt"
                                  << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("folder only") << "/data/sub/"
                                 << "/data/sub/";
}

void TestDocument::folderOfPath()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QCOMPARE(Document::FolderOfPath(path), folder);
}

QTEST_GUILESS_MAIN(TestDocument)
#include "tst_document.moc"
