#include "acquisition/conversions.h"
#include "common/model_codes.h"

#include <QtTest>

#include <cmath>

using namespace sensor;

Q_DECLARE_METATYPE(sensor::Range)

namespace {

// Counts at which the temperature sensor reads exactly a multiple of 5 degC, from -30 (918)
// up to +70 (157). Between two of them the characteristic is linear.
const int kAnchors[] = {918, 892, 863, 828, 791, 749, 706, 656, 608, 558, 504,
                        460, 418, 369, 331, 295, 254, 232, 208, 180, 157};

bool near(double a, double b)
{
    return std::fabs(a - b) <= 1e-12;
}

} // namespace

class TestConversions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void calcTemp_data()
    {
        QTest::addColumn<int>("raw");
        QTest::addColumn<double>("expected");

        // Both ends of every segment: its anchor is exactly its base; its warm end is one count
        // short of the next base.
        for (int k = 0; k + 1 < int(std::size(kAnchors)); ++k) {
            const int cold = kAnchors[k];
            const int warm = kAnchors[k + 1];
            const double base = -30.0 + 5.0 * k;
            QTest::addRow("anchor %d", cold) << cold << base;
            QTest::addRow("warm end %d", warm + 1) << warm + 1 << base + 5.0 - 5.0 / (cold - warm);
        }
        QTest::newRow("157 is 70.0") << 157 << 70.0;
        QTest::newRow("156 invalid") << 156 << kInvalid;
        QTest::newRow("918 is -30.0") << 918 << -30.0;
        QTest::newRow("919 invalid") << 919 << kInvalid;
        QTest::newRow("893") << 893 << -30.0 + 5.0 * 25 / 26;
        QTest::newRow("560 is 14.8") << 560 << 14.8;
        QTest::newRow("706 is 0.0") << 706 << 0.0;
        QTest::newRow("zero word") << 0 << kInvalid;
        QTest::newRow("largest word") << 65535 << kInvalid;
        QTest::newRow("negative") << -1 << kInvalid;
    }
    void calcTemp()
    {
        QFETCH(int, raw);
        QFETCH(double, expected);
        const double got = Calc_Temp(raw);
        QVERIFY2(near(got, expected), qPrintable(QString::number(got, 'g', 17)));
    }

    // The characteristic falls with every count and never by more than the steepest segment's
    // step (5 degrees over 22 counts): a misplaced or mistyped segment breaks one of the two.
    void calcTempIsMonotonic()
    {
        for (int raw = 157; raw < 918; ++raw) {
            const double step = Calc_Temp(raw) - Calc_Temp(raw + 1);
            QVERIFY2(step > 0 && step <= 5.0 / 22 + 1e-12, qPrintable(QString::number(raw)));
        }
    }

    void calcRHTemp_data()
    {
        QTest::addColumn<int>("raw");
        QTest::addColumn<double>("expected");

        QTest::newRow("-30.0 valid") << 960 << -30.0;
        QTest::newRow("-30.01 invalid") << 959 << kInvalid;
        QTest::newRow("70.0 valid") << 10960 << 70.0;
        QTest::newRow("70.01 invalid") << 10961 << kInvalid;
        QTest::newRow("0.0") << 3960 << 0.0;
        QTest::newRow("10.4") << 5000 << 10.4;
        QTest::newRow("zero word") << 0 << kInvalid;
    }
    void calcRHTemp()
    {
        QFETCH(int, raw);
        QFETCH(double, expected);
        const double got = Calc_RHTemp(raw);
        QVERIFY2(std::fabs(got - expected) <= 1e-9, qPrintable(QString::number(got, 'g', 17)));
    }

    void calcRH_data()
    {
        QTest::addColumn<int>("so");
        QTest::addColumn<double>("tempC");
        QTest::addColumn<double>("expected");

        QTest::newRow("at 25 degC") << 1600 << 25.0 << 53.632;
        QTest::newRow("at 70 degC, still valid") << 2000 << 70.0 << 73.45;
        QTest::newRow("at -30 degC") << 2000 << -30.0 << 56.45;
        QTest::newRow("above 70 degC") << 2000 << 70.01 << kInvalid;
        QTest::newRow("invalid temperature") << 2000 << kInvalid << kInvalid;
        QTest::newRow("humidity word 0") << 0 << 25.0 << kInvalid;
        QTest::newRow("100.3 clamps to 99.9") << 3352 << 25.0 << 99.9;
        QTest::newRow("0.5 is invalid") << 111 << 25.0 << kInvalid;
    }
    void calcRH()
    {
        QFETCH(int, so);
        QFETCH(double, tempC);
        QFETCH(double, expected);
        const double got = Calc_RH(so, tempC);
        QVERIFY2(std::fabs(got - expected) <= 1e-9, qPrintable(QString::number(got, 'g', 17)));
    }

    void calcVolt_data()
    {
        QTest::addColumn<int>("raw");
        QTest::addColumn<double>("expected");

        QTest::newRow("full scale") << 1023 << 2.5;
        QTest::newRow("zero") << 0 << 0.0;
        QTest::newRow("half scale") << 512 << 1.2512218963831867;
        QTest::newRow("no range check") << 2046 << 5.0;
    }
    void calcVolt()
    {
        QFETCH(int, raw);
        QFETCH(double, expected);
        QVERIFY(std::fabs(Calc_Volt(raw) - expected) <= 1e-12);
    }

    void calcCO2_data()
    {
        QTest::addColumn<int>("raw");
        QTest::addColumn<int>("model");
        QTest::addColumn<double>("expected");

        QTest::newRow("1023 is 2000") << 1023 << 32 << 2000.0;
        QTest::newRow("1 is 2") << 1 << 32 << 2.0;
        QTest::newRow("0 is 0") << 0 << 32 << 0.0;
        QTest::newRow("512 rounds up") << 512 << 32 << 1001.0;
        QTest::newRow("100 rounds down") << 100 << 32 << 196.0;
        QTest::newRow("another model gives 0") << 1023 << 1 << 0.0;
    }
    void calcCO2()
    {
        QFETCH(int, raw);
        QFETCH(int, model);
        QFETCH(double, expected);
        QCOMPARE(Calc_CO2(raw, model), expected);
    }

    // Every word converts to the invalid value or into the sensor's range, and the range's
    // bounds are reached: what a row file may hold is exactly what the conversions can give.
    void rangesAreTheConversions_data()
    {
        QTest::addColumn<int>("which"); // 0 temperature, 1 humidity group temperature,
                                        // 2 humidity at 25 degC, 3 voltage, 4 CO2
        QTest::addColumn<Range>("range");
        QTest::newRow("temperature") << 0 << kTemperatureRange;
        QTest::newRow("humidity group temperature") << 1 << kTemperatureRange;
        QTest::newRow("humidity") << 2 << kHumidityRange;
        QTest::newRow("voltage") << 3 << kVoltageRange;
        QTest::newRow("CO2") << 4 << kCO2Range;
    }
    void rangesAreTheConversions()
    {
        QFETCH(int, which);
        QFETCH(Range, range);
        const auto convert = [which](qint32 w) {
            switch (which) {
            case 0:
                return Calc_Temp(w);
            case 1:
                return Calc_RHTemp(w);
            case 2:
                return Calc_RH(w, 25.0);
            case 3:
                return Calc_Volt(w);
            default:
                return Calc_CO2(w, model::kRV420);
            }
        };
        double lowest = kInvalid;
        double highest = -kInvalid;
        for (qint32 w = 0; w <= kLargestWord; ++w) {
            const double v = convert(w);
            if (isInvalid(v))
                continue;
            QVERIFY2(range.contains(v), qPrintable(QStringLiteral("word %1 gives %2").arg(w).arg(v)));
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
        QCOMPARE(highest, range.high);
        // The humidity's lowest result lies less than one count's step (0.04 %) above 1 %.
        QVERIFY2(which == 2 ? lowest - range.low < 0.04 : lowest == range.low,
                 qPrintable(QString::number(lowest, 'g', 17)));
    }

    void units_data()
    {
        QTest::addColumn<double>("celsius");
        QTest::addColumn<double>("fahrenheit");

        QTest::newRow("20 degC") << 20.0 << 68.0;
        QTest::newRow("freezing") << 0.0 << 32.0;
        QTest::newRow("boiling") << 100.0 << 212.0;
        QTest::newRow("same in both") << -40.0 << -40.0;
        QTest::newRow("shown value") << 23.4 << 74.12;
    }
    void units()
    {
        QFETCH(double, celsius);
        QFETCH(double, fahrenheit);
        QVERIFY(std::fabs(Conv_Faren(celsius) - fahrenheit) <= 1e-9);
        QVERIFY(std::fabs(Conv_Celsius(fahrenheit) - celsius) <= 1e-9);
    }

    void models_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("words");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<bool>("temperature");
        QTest::addColumn<bool>("humidity");

        QTest::newRow("1") << 1 << "RV-110" << 1 << 16000 << true << false;
        QTest::newRow("2") << 2 << "RV-210" << 2 << 8000 << true << true;
        QTest::newRow("3") << 3 << "RV-410" << 1 << 16000 << false << false;
        QTest::newRow("4") << 4 << "RV-120" << 1 << 16000 << true << false;
        QTest::newRow("5") << 5 << "RV-120" << 1 << 16000 << true << false;
        QTest::newRow("6") << 6 << "RV-220" << 2 << 8000 << true << true;
        QTest::newRow("7") << 7 << "RV-310" << 1 << 16000 << true << false;
        QTest::newRow("8") << 8 << "RV-320" << 1 << 16000 << true << false;
        QTest::newRow("32") << 32 << "RV-420(CO2 0-2000 PPM)" << 1 << 16000 << false << false;
        QTest::newRow("0 unknown") << 0 << "" << 2 << 8000 << false << false;
        QTest::newRow("9 unknown") << 9 << "" << 2 << 8000 << false << false;
    }
    void models()
    {
        QFETCH(int, code);
        QFETCH(QString, label);
        QFETCH(int, words);
        QFETCH(int, capacity);
        QFETCH(bool, temperature);
        QFETCH(bool, humidity);
        QCOMPARE(model::label(code), label);
        QCOMPARE(model::wordsPerReading(code), words);
        QCOMPARE(model::bytesPerReading(code), 2 * words);
        QCOMPARE(model::capacity(code), capacity);
        QCOMPARE(model::hasTemperature(code), temperature);
        QCOMPARE(model::isHumidity(code), humidity);
    }
};

QTEST_GUILESS_MAIN(TestConversions)
#include "test_conversions.moc"
