#include "grid/table.h"
#include "table/valueformat.h"

#include <QTest>

using namespace corvanta;

namespace {

const QString kNumberList = "0|0.0|0.00|0.000|0.0000|%|#.00%|#,###|#,###.00";
const QString kMoneyList = "$#,###|$#,###.00";
const QString kDateList = "mm/dd/yy|mm/dd/yyyy|m/d/yy|m/d/yyyy|dd-Mmm-yyyy|Mmm-dd-yyyy|"
                          "mm/dd/yy hh:mm|mm/dd/yy hh:mm:ss|mm/dd/yy hh:mm AMPM|"
                          "mm/dd/yy hh:mm:ss AMPM";

// One value through every pattern of a list: the expected texts in the
// list's order.
void addAcross(int type, const QString& list, const QString& value, const QStringList& expected)
{
    const QStringList patterns = list.split('|');
    QCOMPARE(expected.size(), patterns.size());
    for (int i = 0; i < patterns.size(); ++i)
        QTest::addRow("%s [%s]", qPrintable(value.isEmpty() ? "empty" : value),
                      qPrintable(patterns[i]))
            << type << patterns[i] << value << expected[i];
}

} // namespace

class TestValueFormat : public QObject
{
    Q_OBJECT
  private slots:
    void shown_data();
    void shown();
    void dateSerial_data();
    void dateSerial();
    void number_data();
    void number();
};

void TestValueFormat::shown_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");

    // Number list: 0, 0.0, 0.00, 0.000, 0.0000, %, #.00%, #,###, #,###.00
    addAcross(TypeNumber, kNumberList, "0",
              {"0", "0.0", "0.00", "0.000", "0.0000", "%", ".00%", "", ".00"});
    addAcross(TypeNumber, kNumberList, "1234.5",
              {"1235", "1234.5", "1234.50", "1234.500", "1234.5000", "123450%", "123450.00%",
               "1,235", "1,234.50"});
    addAcross(TypeNumber, kNumberList, "-1234.5",
              {"-1235", "-1234.5", "-1234.50", "-1234.500", "-1234.5000", "-123450%", "-123450.00%",
               "-1,235", "-1,234.50"});
    // Halves as written, not as binary doubles.
    addAcross(TypeNumber, kNumberList, "0.125",
              {"0", "0.1", "0.13", "0.125", "0.1250", "13%", "12.50%", "", ".13"});
    addAcross(TypeNumber, kNumberList, "-0.125",
              {"-0", "-0.1", "-0.13", "-0.125", "-0.1250", "-13%", "-12.50%", "-", "-.13"});
    addAcross(TypeNumber, kNumberList, "2.5",
              {"3", "2.5", "2.50", "2.500", "2.5000", "250%", "250.00%", "3", "2.50"});
    addAcross(TypeNumber, kNumberList, "1.00005",
              {"1", "1.0", "1.00", "1.000", "1.0001", "100%", "100.01%", "1", "1.00"});
    addAcross(TypeNumber, kNumberList, "9999999.995",
              {"10000000", "10000000.0", "10000000.00", "9999999.995", "9999999.9950",
               "1000000000%", "999999999.50%", "10,000,000", "10,000,000.00"});
    // A spreadsheet keeps 15 significant digits.
    addAcross(TypeNumber, kNumberList, "123456789012345678",
              {"123456789012346000", "123456789012346000.0", "123456789012346000.00",
               "123456789012346000.000", "123456789012346000.0000", "12345678901234600000%",
               "12345678901234600000.00%", "123,456,789,012,346,000",
               "123,456,789,012,346,000.00"});
    addAcross(TypeNumber, kNumberList, "n/a",
              {"n/a", "n/a", "n/a", "n/a", "n/a", "n/a", "n/a", "n/a", "n/a"});
    addAcross(TypeNumber, kNumberList, "", {"", "", "", "", "", "", "", "", ""});

    addAcross(TypeMoney, kMoneyList, "1250", {"$1,250", "$1,250.00"});
    addAcross(TypeMoney, kMoneyList, "0", {"$", "$.00"});
    addAcross(TypeMoney, kMoneyList, "-1234.5", {"-$1,235", "-$1,234.50"});
    addAcross(TypeMoney, kMoneyList, "0.005", {"$", "$.01"});
    addAcross(TypeMoney, kMoneyList, "1234567.125", {"$1,234,567", "$1,234,567.13"});
    addAcross(TypeMoney, kMoneyList, "1e15",
              {"$1,000,000,000,000,000", "$1,000,000,000,000,000.00"});
    addAcross(TypeMoney, kMoneyList, "twelve", {"twelve", "twelve"});
    addAcross(TypeMoney, kMoneyList, "", {"", ""});

    addAcross(TypeDate, kDateList, "2026-12-08 15:04:05",
              {"12/08/26", "12/08/2026", "12/8/26", "12/8/2026", "08-Dec-2026", "Dec-08-2026",
               "12/08/26 15:04", "12/08/26 15:04:05", "12/08/26 03:04 PM", "12/08/26 03:04:05 PM"});
    // Serial 0 is the epoch; .5 is noon.
    addAcross(TypeDate, kDateList, "0",
              {"12/30/99", "12/30/1899", "12/30/99", "12/30/1899", "30-Dec-1899", "Dec-30-1899",
               "12/30/99 00:00", "12/30/99 00:00:00", "12/30/99 12:00 AM", "12/30/99 12:00:00 AM"});
    addAcross(TypeDate, kDateList, "46364.5",
              {"12/08/26", "12/08/2026", "12/8/26", "12/8/2026", "08-Dec-2026", "Dec-08-2026",
               "12/08/26 12:00", "12/08/26 12:00:00", "12/08/26 12:00 PM", "12/08/26 12:00:00 PM"});
    addAcross(TypeDate, kDateList, "-1.25",
              {"12/28/99", "12/28/1899", "12/28/99", "12/28/1899", "28-Dec-1899", "Dec-28-1899",
               "12/28/99 18:00", "12/28/99 18:00:00", "12/28/99 06:00 PM", "12/28/99 06:00:00 PM"});
    addAcross(TypeDate, kDateList, "2958465.9999",
              {"12/31/99", "12/31/9999", "12/31/99", "12/31/9999", "31-Dec-9999", "Dec-31-9999",
               "12/31/99 23:59", "12/31/99 23:59:51", "12/31/99 11:59 PM", "12/31/99 11:59:51 PM"});
    addAcross(TypeDate, kDateList, "soon",
              {"soon", "soon", "soon", "soon", "soon", "soon", "soon", "soon", "soon", "soon"});
    addAcross(TypeDate, kDateList, "", {"", "", "", "", "", "", "", "", "", ""});

    QTest::newRow("checkbox -1") << int(TypeCheckbox) << ""
                                 << "-1"
                                 << "True";
    QTest::newRow("checkbox 1.0") << int(TypeCheckbox) << ""
                                  << "1.0"
                                  << "True";
    QTest::newRow("checkbox 0") << int(TypeCheckbox) << ""
                                << "0"
                                << "False";
    QTest::newRow("checkbox 2") << int(TypeCheckbox) << ""
                                << "2"
                                << "False";
    QTest::newRow("checkbox text") << int(TypeCheckbox) << ""
                                   << "yes"
                                   << "False";
    QTest::newRow("checkbox empty") << int(TypeCheckbox) << ""
                                    << ""
                                    << "False";
    QTest::newRow("text keeps") << int(TypeText) << "0.00"
                                << "1.5"
                                << "1.5";
    QTest::newRow("untyped keeps") << int(TypeNone) << "0.00"
                                   << "1.5"
                                   << "1.5";
    QTest::newRow("empty format") << int(TypeNumber) << ""
                                  << "1.23456"
                                  << "1.23456";
    QTest::newRow("money input") << int(TypeMoney) << "$#,###.00"
                                 << "$1,250"
                                 << "$1,250.00";
    QTest::newRow("percent input") << int(TypeNumber) << "0.00"
                                   << "50%"
                                   << "0.50";
    QTest::newRow("bad groups") << int(TypeNumber) << "0.00"
                                << "1,23"
                                << "1,23";
    QTest::newRow("blanks around") << int(TypeNumber) << "0.0"
                                   << " 7 "
                                   << "7.0";
    QTest::newRow("huge exponent") << int(TypeNumber) << "0"
                                   << "1e999"
                                   << "1e999";
    QTest::newRow("minutes after hours") << int(TypeDate) << "hh:mm m"
                                         << "2026-03-04 05:06"
                                         << "05:06 3";
    QTest::newRow("minutes before seconds") << int(TypeDate) << "m:ss"
                                            << "2026-03-04 05:06:07"
                                            << "6:07";
    QTest::newRow("rounds to next day") << int(TypeDate) << "mm/dd/yyyy hh:mm:ss"
                                        << "45000.999999999"
                                        << "03/16/2023 00:00:00";
    QTest::newRow("rounds past the last day") << int(TypeDate) << "mm/dd/yyyy"
                                              << "2958465.999999999"
                                              << "2958465.999999999";
    QTest::newRow("out of range") << int(TypeDate) << "mm/dd/yy"
                                  << "2958466"
                                  << "2958466";
}

void TestValueFormat::shown()
{
    QFETCH(int, type);
    QFETCH(QString, format);
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    QCOMPARE(ValueFormat::shown(type, format, stored), expected);
}

void TestValueFormat::dateSerial_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("serial"); // NaN = not a date value

    const double no = qQNaN();
    QTest::newRow("epoch") << "1899-12-30" << 0.0;
    QTest::newRow("iso") << "2000-01-01" << 36526.0;
    QTest::newRow("iso time") << "2000-01-01 06:00" << 36526.25;
    QTest::newRow("iso T seconds") << "2000-01-01T18:00:36" << 36526.0 + 64836 / 86400.0;
    QTest::newRow("iso one digit") << "2000-1-1" << 36526.0;
    QTest::newRow("us yyyy") << "12/8/2026" << 46364.0;
    QTest::newRow("us yy") << "12/08/26" << 46364.0;
    QTest::newRow("us pm") << "1/1/2000 6:00 PM" << 36526.75;
    QTest::newRow("us 12 am") << "1/1/00 12:00:00 am" << 36526.0;
    QTest::newRow("us 24h") << "1/1/2000 18:00" << 36526.75;
    QTest::newRow("dd-Mmm-yyyy") << "01-Jan-2000" << 36526.0;
    QTest::newRow("Mmm-dd-yyyy") << "jan-01-2000" << 36526.0;
    QTest::newRow("year 29") << "1/1/29" << double(QDate(1899, 12, 30).daysTo(QDate(2029, 1, 1)));
    QTest::newRow("year 30") << "1/1/30" << double(QDate(1899, 12, 30).daysTo(QDate(1930, 1, 1)));
    QTest::newRow("serial") << "36526.25" << 36526.25;
    QTest::newRow("negative serial") << "-2.5" << -2.5;
    QTest::newRow("blanks") << "  2000-01-01  " << 36526.0;
    QTest::newRow("13th month") << "2000-13-01" << no;
    QTest::newRow("feb 30") << "2/30/2000" << no;
    QTest::newRow("no year") << "12/8" << no;
    QTest::newRow("three-digit year") << "12/8/202" << no;
    QTest::newRow("hour 25") << "2000-01-01 25:00" << no;
    QTest::newRow("pm hour 13") << "1/1/2000 13:00 PM" << no;
    QTest::newRow("am in iso") << "2000-01-01 06:00 PM" << no;
    QTest::newRow("T in us") << "1/1/2000T06:00" << no;
    QTest::newRow("money") << "$5" << no;
    QTest::newRow("word") << "Tuesday" << no;
    QTest::newRow("empty") << "" << no;
}

void TestValueFormat::dateSerial()
{
    QFETCH(QString, text);
    QFETCH(double, serial);
    const std::optional<double> got = ValueFormat::dateSerial(text);
    if (qIsNaN(serial)) {
        QVERIFY2(!got, qPrintable(QString::number(got.value_or(0))));
        return;
    }
    QVERIFY(got);
    QVERIFY2(qAbs(*got - serial) < 1e-9, qPrintable(QString::number(*got, 'f', 9)));
}

void TestValueFormat::number_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    const double no = qQNaN();
    QTest::newRow("plain") << "12" << 12.0;
    QTest::newRow("signs") << "-0.5" << -0.5;
    QTest::newRow("groups") << "1,234,567.5" << 1234567.5;
    QTest::newRow("dollar") << "-$1,250" << -1250.0;
    QTest::newRow("percent") << "12.5%" << 0.125;
    QTest::newRow("exponent") << "1.5E3" << 1500.0;
    QTest::newRow("point first") << ".25" << 0.25;
    QTest::newRow("short group") << "1,23" << no;
    QTest::newRow("long first group") << "1234,567" << no;
    QTest::newRow("lone sign") << "-" << no;
    QTest::newRow("trailing text") << "12kg" << no;
    QTest::newRow("empty") << "" << no;
}

void TestValueFormat::number()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    const std::optional<double> got = ValueFormat::number(text);
    if (qIsNaN(value))
        QVERIFY(!got);
    else
        QCOMPARE(got, std::optional<double>(value));
}

QTEST_APPLESS_MAIN(TestValueFormat)
#include "tst_valueformat.moc"
