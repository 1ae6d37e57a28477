// The temperature unit of the readings table: column 3 and the flag change together.
#include "acquisition/readings_table.h"
#include "view/unit_switch.h"

#include <QtTest>

namespace {

// A humidity table: column 3 temperatures (degC, one decimal), column 4 humidity.
void fill(ReadingsTable &t, const QStringList &temps, const QStringList &rh)
{
    t.setCols(5);
    t.setRows(int(temps.size()) + 1);
    t.setText(0, 3, QStringLiteral("Temp(°C)"));
    for (int i = 0; i < temps.size(); ++i) {
        t.setCell(i + 1, 3, temps[i], temps[i] == QLatin1String("***"));
        t.setCell(i + 1, 4, rh[i], rh[i] == QLatin1String("***"));
    }
}

QStringList column(const ReadingsTable &t, int c)
{
    QStringList out;
    for (int r = 1; r < t.rows(); ++r)
        out << t.text(r, c);
    return out;
}

} // namespace

class TestUnitSwitch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Switches in a row: the texts of column 3, the heading and the flag after each one. The
    // switch converts the texts as shown, so a round trip gives back the shown values.
    void switches_data()
    {
        QTest::addColumn<QStringList>("temps");
        QTest::addColumn<QString>("steps"); // F: to Fahrenheit, C: to Celsius
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("heading");
        const QStringList temps{"23.4", "***", "-05.0", "00.1", "37.8"};
        QTest::newRow("to F") << temps << "F"
                              << QStringList{"74.12", "***", "23.00", "32.18", "100.04"}
                              << "Temp(°F)";
        QTest::newRow("to F twice converts once")
            << temps << "FF" << QStringList{"74.12", "***", "23.00", "32.18", "100.04"}
            << "Temp(°F)";
        QTest::newRow("round trip") << temps << "FC" << temps << "Temp(°C)";
        QTest::newRow("already C") << temps << "C" << temps << "Temp(°C)";
        QTest::newRow("twice round") << temps << "FCFC" << temps << "Temp(°C)";
        // -17.8 C is -0.04 F: a small negative number keeps its sign on the way.
        QTest::newRow("near zero")
            << QStringList{"-17.8", "00.0"} << "FC" << QStringList{"-17.8", "00.0"} << "Temp(°C)";
    }
    void switches()
    {
        QFETCH(QStringList, temps);
        QFETCH(QString, steps);
        QFETCH(QStringList, after);
        QFETCH(QString, heading);
        ReadingsTable t;
        QStringList rh;
        for (int i = 0; i < temps.size(); ++i)
            rh << (i == 1 ? QStringLiteral("***") : QString::number(40 + i) + QStringLiteral(".5"));
        fill(t, temps, rh);
        qint16 flag = -1;
        for (QChar step : steps) {
            const bool toF = step == QLatin1Char('F');
            const bool wasC = flag != 0;
            const bool converted =
                toF ? units::toFahrenheit(t, flag) : units::toCelsius(t, flag);
            QCOMPARE(converted, toF == wasC);
            QCOMPARE(flag, qint16(toF ? 0 : -1));
        }
        QCOMPARE(column(t, 3), after);
        QCOMPARE(t.text(0, 3), heading);
        QCOMPARE(column(t, 4), rh); // humidity never touched
        for (int r = 1; r < t.rows(); ++r)
            QCOMPARE(t.isRed(r, 3), t.text(r, 3) == QLatin1String("***"));
    }
};

QTEST_GUILESS_MAIN(TestUnitSwitch)
#include "test_unit_switch.moc"
