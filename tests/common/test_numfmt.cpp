#include "common/numfmt.h"

#include <QtTest>

#include <cmath>

// Number texts: the picture patterns round a half away from zero, the explicit roundings take
// it to the even neighbour, and both decide halves on the 15-digit decimal form.
class TestNumfmt : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void picture_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");

        QTest::newRow("half away: 5.25") << 5.25 << "#00.0"
                                         << "05.3";
        QTest::newRow("half away negative") << -5.25 << "#00.0"
                                            << "-05.3";
        QTest::newRow("0.15 is a half as read") << 0.15 << "#0.0"
                                                << "0.2";
        QTest::newRow("1.45 is a half as read") << 1.45 << "#0.0"
                                                << "1.5";
        QTest::newRow("1.0005 to three decimals") << 1.0005 << "#0.000"
                                                  << "1.001";
        QTest::newRow("-1.0005 to three decimals") << -1.0005 << "#0.000"
                                                   << "-1.001";
        QTest::newRow("below half stays") << 14.84999 << "#00.0"
                                          << "14.8";
        QTest::newRow("two decimals padded") << 5.5 << "#00.00"
                                             << "05.50";
        QTest::newRow("negative two decimals") << -2.25 << "#00.00"
                                               << "-02.25";
        QTest::newRow("negative below ten") << -0.116 << "#00.0"
                                            << "-00.1";
        QTest::newRow("negative rounding to zero keeps its sign") << -0.04 << "#00.0"
                                                                  << "-00.0";
        QTest::newRow("negative zero has no sign") << -0.0 << "#00.0"
                                                   << "00.0";
        QTest::newRow("carry into a new digit") << 99.95 << "#00.0"
                                                << "100.0";
        QTest::newRow("more digits than the pattern") << 1234.5 << "#00.0"
                                                      << "1234.5";
        QTest::newRow("invalid value") << 9999.0 << "#00.0"
                                       << "9999.0";
        QTest::newRow("degF") << 68.0 << "#00.00"
                              << "68.00";
        QTest::newRow("volts") << 2.5 << "#0.000"
                               << "2.500";
        QTest::newRow("small volts") << 0.0024437927663734 << "#0.000"
                                     << "0.002";
        QTest::newRow("whole, three digits") << 7.0 << "#000"
                                             << "007";
        QTest::newRow("whole, four digits") << 45.0 << "#0000"
                                            << "0045";
        QTest::newRow("whole, half away") << 2.5 << "#00"
                                          << "03";
        QTest::newRow("whole, negative half away") << -2.5 << "#00"
                                                   << "-03";
        QTest::newRow("zero") << 0.0 << "#00.0"
                              << "00.0";
    }
    void picture()
    {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(numfmt::picture(value, pattern.toLatin1().constData()), expected);
    }

    void roundHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("expected");

        QTest::newRow("23.5 up to even") << 23.5 << 0 << 24.0;
        QTest::newRow("24.5 down to even") << 24.5 << 0 << 24.0;
        QTest::newRow("-0.5 to zero") << -0.5 << 0 << 0.0;
        QTest::newRow("-1.5 to -2") << -1.5 << 0 << -2.0;
        QTest::newRow("-2.5 to -2") << -2.5 << 0 << -2.0;
        QTest::newRow("not a half") << 1.955 << 0 << 2.0;
        QTest::newRow("2.675 is a half as read") << 2.675 << 2 << 2.68;
        QTest::newRow("2.665 down to even") << 2.665 << 2 << 2.66;
        QTest::newRow("0.125") << 0.125 << 2 << 0.12;
        QTest::newRow("0.375") << 0.375 << 2 << 0.38;
        QTest::newRow("0.25 to one decimal") << 0.25 << 1 << 0.2;
        QTest::newRow("0.35 to one decimal") << 0.35 << 1 << 0.4;
        QTest::newRow("three decimals") << 1.2345 << 3 << 1.234;
        QTest::newRow("huge value unchanged") << 1e20 << 0 << 1e20;
    }
    void roundHalfEven()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(double, expected);
        const double got = numfmt::roundHalfEven(value, decimals);
        QCOMPARE(got, expected);
        // The rounded number is the one its decimal text says, not a neighbour of it.
        QCOMPARE(QString::number(got, 'g', 17), QString::number(expected, 'g', 17));
    }

    void toInt16HalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");

        QTest::newRow("23.5") << 23.5 << 24;
        QTest::newRow("24.5") << 24.5 << 24;
        QTest::newRow("-0.5") << -0.5 << 0;
        QTest::newRow("-23.5") << -23.5 << -24;
        QTest::newRow("23.4") << 23.4 << 23;
        QTest::newRow("18.6") << 18.6 << 19;
        QTest::newRow("saturates high") << 40000.0 << 32767;
        QTest::newRow("saturates low") << -40000.0 << -32768;
        QTest::newRow("not a number") << std::nan("") << 0;
    }
    void toInt16HalfEven()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(int(numfmt::toInt16HalfEven(value)), expected);
    }

    void plain_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");

        QTest::newRow("whole") << 2000.0 << "2000";
        QTest::newRow("whole negative") << -3.0 << "-3";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("one decimal") << 23.5 << "23.5";
        QTest::newRow("negative fraction") << -0.25 << "-0.25";
        QTest::newRow("shortest form") << 0.1 + 0.2 << "0.3";
        QTest::newRow("fifteen digits") << 1.0 / 3 << "0.333333333333333";
        QTest::newRow("degC from degF") << (74.12 - 32) / 1.8 << "23.4";
    }
    void plain()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(numfmt::plain(value), expected);
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("expected");

        QTest::newRow("picture text") << "05.3" << true << 5.3;
        QTest::newRow("negative picture text") << "-02.25" << true << -2.25;
        QTest::newRow("blanks around") << " 68.00 " << true << 68.0;
        QTest::newRow("whole") << "2000" << true << 2000.0;
        QTest::newRow("invalid marker") << "***" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("decimal comma") << "1,5" << false << 0.0;
        QTest::newRow("words") << "abc" << false << 0.0;
        QTest::newRow("infinity") << "inf" << false << 0.0;
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, expected);
        double got = -12345;
        QCOMPARE(numfmt::parse(text, &got), ok);
        if (ok)
            QCOMPARE(got, expected);
        QCOMPARE(numfmt::parseOr(text, -1.0), ok ? expected : -1.0);
    }
};

QTEST_GUILESS_MAIN(TestNumfmt)
#include "test_numfmt.moc"
