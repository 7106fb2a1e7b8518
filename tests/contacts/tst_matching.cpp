// What the quick filter and Find Duplicates count as the same text: folding,
// the filter's result as the table and the text change, and the groups of
// probable duplicates with their reasons.
#include "../support/testfiles.h"
#include "contacts/duplicates.h"
#include "contacts/foldedtext.h"
#include "contacts/quickfilter.h"
#include "grid/table.h"

#include <QTest>

using namespace corvanta;

Q_DECLARE_METATYPE(std::vector<int>)

namespace {

//            Name               City        Phone               Email
const QList<QStringList> kPeople = {
    {"Name", "City", "Phone", "Email"},
    {"Zoë Adams", "Łódź", "+44 20 7946 0958", "zoe@example.org"}, // 1
    {"Jones, Priya", "Paris", "555-0100", "PRIYA@Example.org"},   // 2
    {"priya jones", "Lyon", "", "p.jones@example.net"},           // 3
    {"Bob Stone", "Zoetermeer", "020 7946 0958", ""},             // 4
    {"Carl Nash", "Acme\tTown", "", "priya@example.org"},         // 5
    {"Dana Wu", "", "(0)20-7946-0958", "dana@example.com"},       // 6
};

std::vector<int> rows(std::initializer_list<int> r)
{
    return r;
}

} // namespace

class TstMatching : public QObject
{
    Q_OBJECT
  private slots:
    void folded_data();
    void folded();
    void filter_data();
    void filter();
    void filterFollowsEdits();
    void keys_data();
    void keys();
    void groups();
    void merge();
};

void TstMatching::folded_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("folded");
    QTest::newRow("ascii case") << "AcMe Ltd" << QByteArray("acme ltd");
    QTest::newRow("accent") << "Zoë ÉCOLE" << QByteArray("zoe ecole");
    QTest::newRow("stroke letters") << "Łódź Øster Straße" << QByteArray("lodz oster strasse");
    QTest::newRow("ligature") << "ﬁne" << QByteArray("fine");
    QTest::newRow("controls to spaces") << "a\tb\nc" << QByteArray("a b c");
    QTest::newRow("non-latin kept") << "Σοφία 東京" << QString("σοφια 東京").toUtf8();
}

void TstMatching::folded()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, folded);
    QCOMPARE(foldedText(text), folded);
}

void TstMatching::filter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("column");
    QTest::addColumn<std::vector<int>>("searched");
    QTest::addColumn<std::vector<int>>("matches");
    const std::vector<int> all{0, 1, 2, 3};
    QTest::newRow("off shows all") << "  " << -1 << all << rows({1, 2, 3, 4, 5, 6});
    QTest::newRow("accent blind") << "zoe" << -1 << all << rows({1, 4});
    QTest::newRow("accented needle") << "ZOË" << -1 << all << rows({1, 4});
    QTest::newRow("one column") << "zoe" << 1 << all << rows({4});
    QTest::newRow("hidden column not searched")
        << "example" << -1 << std::vector<int>{0, 1, 2} << rows({});
    QTest::newRow("picked column hidden") << "zoe" << 3 << std::vector<int>{0, 1, 2} << rows({});
    QTest::newRow("not across cells") << "adams lodz" << -1 << all << rows({});
    QTest::newRow("tab typed as space") << "acme town" << -1 << all << rows({5});
    QTest::newRow("last column") << "example.org" << 3 << all << rows({1, 2, 5});
}

void TstMatching::filter()
{
    QFETCH(QString, text);
    QFETCH(int, column);
    QFETCH(std::vector<int>, searched);
    QFETCH(std::vector<int>, matches);
    const Table t = tableOf(kPeople);
    QuickFilter f;
    f.build(t, searched);
    // Typing letter by letter narrows; the result must equal a fresh search.
    for (qsizetype n = 1; n <= text.size(); ++n)
        f.setText(text.left(n), column);
    QCOMPARE(f.matches(), matches);
    QuickFilter fresh;
    fresh.build(t, searched);
    fresh.setText(text, column);
    QCOMPARE(fresh.matches(), matches);
}

void TstMatching::filterFollowsEdits()
{
    Table t = tableOf(kPeople);
    QuickFilter f;
    f.build(t, {0, 1, 2, 3});
    f.setText(QStringLiteral("pr"));
    QCOMPARE(f.matches(), rows({2, 3, 5}));
    // A record that did not match before is edited to match: typing on
    // must not narrow from the old result.
    t.setText(4, 0, u"Priam Stone");
    f.refold(t, 4, 4);
    f.setText(QStringLiteral("pri"));
    QCOMPARE(f.matches(), rows({2, 3, 4, 5}));
    t.insertRows(2, 1);
    t.setText(2, 1, u"Priapolis");
    f.insertRows(t, 2, 1);
    t.removeRows(1, 1);
    f.removeRows(1, 1);
    f.setText(QStringLiteral("pri"));
    QCOMPARE(f.matches(), rows({1, 2, 3, 4, 5}));
    QCOMPARE(f.recordCount(), 6);
}

void TstMatching::keys_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");
    QTest::newRow("mail case") << 0 << "Priya@Example.ORG "
                               << "priya@example.org" << true;
    QTest::newRow("mail differs") << 0 << "priya@example.org"
                                  << "priya@example.com" << false;
    QTest::newRow("no address") << 0 << "n/a"
                                << "N/A" << false;
    QTest::newRow("phone last 9") << 1 << "+44 20 7946 0958"
                                  << "(020) 7946-0958" << true;
    QTest::newRow("phone 10th digit") << 1 << "20 7946 0958"
                                      << "30 7946 0958" << true;
    QTest::newRow("phone differs") << 1 << "020 7946 0958"
                                   << "020 7946 0959" << false;
    QTest::newRow("phone too short") << 1 << "x 1234"
                                     << "1234" << false;
    QTest::newRow("name order") << 2 << "Jones, Priya"
                                << "priya  JONES" << true;
    QTest::newRow("name accents") << 2 << "Zoë O'Brien"
                                  << "zoe o brien" << true;
    QTest::newRow("name differs") << 2 << "Priya Jones"
                                  << "Priya Jonas" << false;
    QTest::newRow("name punctuation only") << 2 << "--"
                                           << "." << false;
}

void TstMatching::keys()
{
    QFETCH(int, kind);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);
    const auto key = kind == 0 ? mailKey : kind == 1 ? phoneKey : nameKey;
    const QByteArray ka = key(a), kb = key(b);
    QCOMPARE(!ka.isEmpty() && ka == kb, same);
}

void TstMatching::groups()
{
    // 1 and 4 share a phone, 4 and 6 too; 2 and 3 a name, 2 and 5 an e-mail.
    const auto found = findDuplicates(tableOf(kPeople), {0, 2, 3});
    QCOMPARE(found.size(), size_t(2));
    QCOMPARE(found[0].rows, rows({1, 4, 6}));
    QCOMPARE(found[0].reasons, (QList<DuplicateReason>{
                                   {DuplicateReason::Phone, QStringLiteral("+44 20 7946 0958")}}));
    QCOMPARE(found[1].rows, rows({2, 3, 5}));
    QCOMPARE(found[1].reasons,
             (QList<DuplicateReason>{{DuplicateReason::Mail, QStringLiteral("PRIYA@Example.org")},
                                     {DuplicateReason::Name, QStringLiteral("Jones, Priya")}}));
    QVERIFY(findDuplicates(tableOf(kPeople), {1, -1, -1}).empty());
}

void TstMatching::merge()
{
    const Table t = tableOf(kPeople);
    const std::vector<int> group{2, 3, 5};
    const auto choices = mergeChoices(t, group);
    // Phone: only record 2 has one, no choice; Email: 2 and 5 agree
    // case-blind but are different texts.
    QCOMPARE(choices.size(), size_t(3));
    QCOMPARE(choices[0].col, 0);
    QCOMPARE(choices[1].values, (QStringList{"Paris", "Lyon", "Acme\tTown"}));
    QCOMPARE(choices[2].values,
             (QStringList{"PRIYA@Example.org", "p.jones@example.net", "priya@example.org"}));
    QCOMPARE(mergedRecord(t, group, choices, {0, 0, 0}),
             (QStringList{"Jones, Priya", "Paris", "555-0100", "PRIYA@Example.org"}));
    QCOMPARE(mergedRecord(t, group, choices, {1, 2, 1}),
             (QStringList{"priya jones", "Acme\tTown", "555-0100", "p.jones@example.net"}));
    // The first record empty where a later one is not: the later value.
    QCOMPARE(mergedRecord(t, {6, 4}, mergeChoices(t, {6, 4}), {0, 0})[1],
             QStringLiteral("Zoetermeer"));
}

QTEST_GUILESS_MAIN(TstMatching)
#include "tst_matching.moc"
