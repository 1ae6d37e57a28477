#include "acquisition/conversions.h"
#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "common/datetext.h"

#include <QSignalSpy>
#include <QtTest>

#include <initializer_list>

namespace {

// Puts raw words and the time of the newest reading into a set and fills its table.
void fill(ReadingSet &s, int model, std::initializer_list<int> words, char unit = 'M',
          int interval = 1, qint16 celsFaren = -1)
{
    s.MODEL = quint8(model);
    s.Cels_Faren = celsFaren;
    int i = 0;
    for (int w : words)
        s.RawData[i++] = w;
    s.NoOfReadings = i;
    s.IntvUnit = quint8(unit);
    s.IntvValue = qint16(interval);
    s.setNewestReading(15, 6, 24, 12, 0);
    s.Fill_Grid();
}

QStringList column(const ReadingsTable &t, int c)
{
    QStringList out;
    for (int r = 1; r < t.rows(); ++r)
        out << t.text(r, c);
    return out;
}

QList<bool> redCells(const ReadingsTable &t, int c)
{
    QList<bool> out;
    for (int r = 1; r < t.rows(); ++r)
        out << t.isRed(r, c);
    return out;
}

} // namespace

// Filling the table from raw words: conversions per model, "***" in red, the time stamps
// counted back from the newest reading, and the layout per model.
class TestFillGrid : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
        datetext::localeChanged();
    }

    void values_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<qint16>("celsFaren");
        QTest::addColumn<QList<int>>("words");
        QTest::addColumn<int>("cols");
        QTest::addColumn<QStringList>("headings");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QList<bool>>("red");
        QTest::addColumn<QStringList>("humidity");
        QTest::addColumn<QList<bool>>("humidityRed");

        const QStringList noText;
        const QList<bool> noRed;
        QTest::newRow("temperature degC")
            << 1 << qint16(-1) << QList<int>{706, 560, 157, 156, 918, 919, 893} << 4
            << QStringList{" S.No", " Date", " Time", "Temp(°C)"}
            << QStringList{"00.0", "14.8", "70.0", "***", "-30.0", "***", "-25.2"}
            << QList<bool>{false, false, false, true, false, true, false} << noText << noRed;
        // degF converts the number the degC text shows: -25.2 gives -13.36, not -13.35.
        QTest::newRow("temperature degF")
            << 8 << qint16(0) << QList<int>{504, 560, 156, 893} << 4
            << QStringList{" S.No", " Date", " Time", "Temp(°F)"}
            << QStringList{"68.00", "58.64", "***", "-13.36"}
            << QList<bool>{false, false, true, false} << noText << noRed;
        QTest::newRow("humidity degC")
            << 2 << qint16(-1)
            << QList<int>{10960, 2000, 10961, 2000, 5000, 0, 6460, 3352, 6460, 111, 6404, 1049} << 5
            << QStringList{" S.No", " Date", " Time", "Temp(°C)", "RH (%)"}
            << QStringList{"70.0", "***", "10.4", "25.0", "25.0", "24.4"}
            << QList<bool>{false, true, false, false, false, false}
            << QStringList{"73.5", "***", "***", "99.9", "***", "35.4"}
            << QList<bool>{false, true, true, false, true, false};
        // In degF the humidity is compensated with the reading's own temperature, as in degC:
        // 24.44 shows as 24.4 (75.92) and 19.71 as 19.7 (67.46), yet their humidities stay
        // 35.4 and 61.0, not the 35.3 and 60.9 that the rounded temperatures would give.
        QTest::newRow("humidity degF")
            << 6 << qint16(0) << QList<int>{10960, 2000, 10961, 2000, 6404, 1049, 5931, 1865}
            << 5 << QStringList{" S.No", " Date", " Time", "Temp(°F)", "RH (%)"}
            << QStringList{"158.00", "***", "75.92", "67.46"}
            << QList<bool>{false, true, false, false}
            << QStringList{"73.5", "***", "35.4", "61.0"}
            << QList<bool>{false, true, false, false};
        QTest::newRow("voltage") << 3 << qint16(0) << QList<int>{1023, 0, 512} << 4
                                 << QStringList{" S.No", " Date", " Time", "Voltage(V)"}
                                 << QStringList{"2.500", "0.000", "1.251"}
                                 << QList<bool>{false, false, false} << noText << noRed;
        QTest::newRow("CO2") << 32 << qint16(-1) << QList<int>{1023, 1, 0, 512} << 4
                             << QStringList{" S.No", " Date", " Time", "CO2(PPM)"}
                             << QStringList{"2000", "2", "0", "1001"}
                             << QList<bool>{false, false, false, false} << noText << noRed;
    }
    void values()
    {
        QFETCH(int, model);
        QFETCH(qint16, celsFaren);
        QFETCH(QList<int>, words);
        QFETCH(int, cols);
        QFETCH(QStringList, headings);
        QFETCH(QStringList, values);
        QFETCH(QList<bool>, red);
        QFETCH(QStringList, humidity);
        QFETCH(QList<bool>, humidityRed);

        ReadingSet s;
        s.MODEL = quint8(model);
        s.Cels_Faren = celsFaren;
        for (int i = 0; i < words.size(); ++i)
            s.RawData[i] = words[i];
        s.NoOfReadings = int(words.size());
        s.IntvUnit = 'M';
        s.IntvValue = 1;
        s.setNewestReading(15, 6, 24, 12, 0);
        s.Fill_Grid();

        const ReadingsTable &t = s.table();
        QCOMPARE(t.cols(), cols);
        QStringList shown;
        for (int c = 0; c < t.cols(); ++c)
            shown << t.text(0, c);
        QCOMPARE(shown, headings);
        QCOMPARE(t.rows(), int(values.size()) + 1);
        QCOMPARE(column(t, 3), values);
        QCOMPARE(redCells(t, 3), red);
        if (!humidity.isEmpty()) {
            QCOMPARE(column(t, 4), humidity);
            QCOMPARE(redCells(t, 4), humidityRed);
        }
        for (int r = 1; r < t.rows(); ++r) {
            QCOMPARE(t.text(r, 0), QString::number(r));
            QVERIFY(!t.isRed(r, 0) && !t.isRed(r, 1) && !t.isRed(r, 2));
        }
    }

    void wholeReadingsOnly_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("words");
        QTest::addColumn<int>("readings");

        QTest::newRow("temperature, N words") << 1 << 7 << 7;
        QTest::newRow("humidity, 2N words") << 2 << 8 << 4;
        QTest::newRow("humidity, odd count") << 2 << 9 << 4;
        QTest::newRow("humidity, one word") << 6 << 1 << 0;
        QTest::newRow("no words") << 8 << 0 << 0;
    }
    void wholeReadingsOnly()
    {
        QFETCH(int, model);
        QFETCH(int, words);
        QFETCH(int, readings);
        ReadingSet s;
        // Valid words of the model: 0.0 degC; or 25.0 degC and a valid humidity.
        for (int i = 0; i < words; ++i)
            s.RawData[i] = model == 1 ? 706 : (i % 2 == 0 ? 6460 : 2000);
        s.RawData[words] = 0; // what follows the last word is no reading
        s.MODEL = quint8(model);
        s.NoOfReadings = words;
        s.IntvUnit = 'S';
        s.IntvValue = 30;
        s.setNewestReading(1, 3, 24, 0, 0);
        s.Fill_Grid();
        QCOMPARE(s.table().rows(), readings + 1);
        for (int r = 1; r <= readings; ++r)
            QVERIFY2(!s.table().isRed(r, 3) && !s.table().isRed(r, 4),
                     qPrintable(QString::number(r)));
        if (readings > 0)
            QCOMPARE(s.table().text(readings, 2), datetext::timeText(QTime(0, 0, 0)));
    }

    void timeStamps_data()
    {
        QTest::addColumn<char>("unit");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QDateTime>("newest");
        QTest::addColumn<QDateTime>("previous");
        QTest::addColumn<QDateTime>("oldest"); // of 4 readings

        const auto at = [](int y, int mo, int d, int h, int mi, int s) {
            return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
        };
        QTest::newRow("30 s over midnight into February")
            << 'S' << 30 << at(2023, 3, 1, 0, 0, 10) << at(2023, 2, 28, 23, 59, 40)
            << at(2023, 2, 28, 23, 58, 40);
        QTest::newRow("30 s into a leap day")
            << 'S' << 30 << at(2024, 3, 1, 0, 0, 10) << at(2024, 2, 29, 23, 59, 40)
            << at(2024, 2, 29, 23, 58, 40);
        QTest::newRow("15 min into the previous century")
            << 'M' << 15 << at(2000, 1, 1, 0, 10, 0) << at(1999, 12, 31, 23, 55, 0)
            << at(1999, 12, 31, 23, 25, 0);
        QTest::newRow("24 h a day each") << 'H' << 24 << at(2024, 3, 1, 5, 0, 0)
                                         << at(2024, 2, 29, 5, 0, 0) << at(2024, 2, 27, 5, 0, 0);
        QTest::newRow("1 h across the end of a year")
            << 'H' << 1 << at(2029, 1, 1, 1, 0, 0) << at(2029, 1, 1, 0, 0, 0)
            << at(2028, 12, 31, 22, 0, 0);
        QTest::newRow("59 min") << 'M' << 59 << at(2029, 6, 1, 0, 30, 0)
                                << at(2029, 5, 31, 23, 31, 0) << at(2029, 5, 31, 21, 33, 0);
        QTest::newRow("unknown unit keeps the time")
            << 'X' << 30 << at(2024, 3, 1, 0, 0, 10) << at(2024, 3, 1, 0, 0, 10)
            << at(2024, 3, 1, 0, 0, 10);
        QTest::newRow("lower-case unit is unknown")
            << 's' << 30 << at(2024, 3, 1, 0, 0, 10) << at(2024, 3, 1, 0, 0, 10)
            << at(2024, 3, 1, 0, 0, 10);
    }
    void timeStamps()
    {
        QFETCH(char, unit);
        QFETCH(int, interval);
        QFETCH(QDateTime, newest);
        QFETCH(QDateTime, previous);
        QFETCH(QDateTime, oldest);

        ReadingSet s;
        s.MODEL = 1;
        for (int i = 0; i < 4; ++i)
            s.RawData[i] = 706;
        s.NoOfReadings = 4;
        s.IntvUnit = quint8(unit);
        s.IntvValue = qint16(interval);
        const QDate d = newest.date();
        const QTime t = newest.time();
        s.setNewestReading(d.day(), d.month(), d.year() % 100, t.hour(), t.minute(), t.second());
        QCOMPARE(s.RefDate, d);
        QCOMPARE(s.RefTime, t);
        s.Fill_Grid();

        const ReadingsTable &g = s.table();
        QCOMPARE(g.rows(), 5);
        const auto stamp = [&g](int r) { return datetext::combine(g.text(r, 1), g.text(r, 2)); };
        QCOMPARE(stamp(4), newest);
        QCOMPARE(stamp(3), previous);
        QCOMPARE(stamp(1), oldest);
    }

    void twoDigitYears_data()
    {
        QTest::addColumn<int>("twoDigit");
        QTest::addColumn<int>("year");

        QTest::newRow("0") << 0 << 2000;
        QTest::newRow("29") << 29 << 2029;
        QTest::newRow("30") << 30 << 1930;
        QTest::newRow("99") << 99 << 1999;
    }
    void twoDigitYears()
    {
        QFETCH(int, twoDigit);
        QFETCH(int, year);
        ReadingSet s;
        s.MODEL = 3;
        s.NoOfReadings = 1;
        s.setNewestReading(31, 12, twoDigit, 23, 59);
        s.Fill_Grid();
        QCOMPARE(datetext::parseDate(s.table().text(1, 1)), QDate(year, 12, 31));
    }

    void layout_data()
    {
        QTest::addColumn<QList<int>>("models"); // filled one after the other
        QTest::addColumn<qint16>("celsFaren");
        QTest::addColumn<int>("cols");
        QTest::addColumn<QString>("heading3");
        QTest::addColumn<QString>("heading4");
        QTest::addColumn<bool>("options");

        QTest::newRow("humidity then temperature: 5 -> 4 columns")
            << QList<int>{2, 1} << qint16(-1) << 4 << "Temp(°C)"
            << "" << true;
        QTest::newRow("temperature then humidity")
            << QList<int>{7, 6} << qint16(-1) << 5 << "Temp(°C)"
            << "RH (%)" << true;
        QTest::newRow("humidity in degF") << QList<int>{2} << qint16(0) << 5 << "Temp(°F)"
                                          << "RH (%)" << true;
        QTest::newRow("voltage hides the unit options")
            << QList<int>{2, 3} << qint16(-1) << 4 << "Voltage(V)"
            << "" << false;
        QTest::newRow("CO2 hides the unit options")
            << QList<int>{4, 32} << qint16(0) << 4 << "CO2(PPM)"
            << "" << false;
        QTest::newRow("options come back for temperature")
            << QList<int>{32, 5} << qint16(0) << 4 << "Temp(°F)"
            << "" << true;
        QTest::newRow("unknown code leaves the layout")
            << QList<int>{6, 9} << qint16(-1) << 5 << "Temp(°C)"
            << "RH (%)" << true;
        QTest::newRow("unknown code after CO2")
            << QList<int>{32, 0} << qint16(-1) << 4 << "CO2(PPM)"
            << "" << false;
    }
    void layout()
    {
        QFETCH(QList<int>, models);
        QFETCH(qint16, celsFaren);
        QFETCH(int, cols);
        QFETCH(QString, heading3);
        QFETCH(QString, heading4);
        QFETCH(bool, options);

        ReadingSet s;
        for (int m : models)
            fill(s, m, {6460, 2000, 6460, 2000}, 'M', 1, celsFaren);
        const ReadingsTable &t = s.table();
        QCOMPARE(t.cols(), cols);
        QCOMPARE(t.text(0, 3), heading3);
        QCOMPARE(t.text(0, 4), heading4);
        QCOMPARE(s.unitOptionsVisible(), options);
        for (int c = 0; c < t.cols(); ++c)
            QCOMPARE(t.columnAlignment(c), Qt::AlignHCenter | Qt::AlignTop);
        // Column 4 of a four-column table is gone, not merely empty.
        if (cols == 4)
            QCOMPARE(t.columnCount(), 4);
    }

    void formatGridKeepsRows()
    {
        ReadingSet s;
        s.table().setRows(7);
        s.MODEL = 2;
        s.Format_Grid();
        QCOMPARE(s.table().rows(), 7);
    }

    void refillForgetsThePreviousSet()
    {
        ReadingSet s;
        fill(s, 2, {6460, 2000, 10961, 2000, 6460, 0});
        QVERIFY(s.table().isRed(2, 3) && s.table().isRed(3, 4));
        fill(s, 1, {706, 706, 706, 706});
        QCOMPARE(s.table().rows(), 5);
        for (int r = 1; r < 5; ++r) {
            QCOMPARE(s.table().text(r, 3), QStringLiteral("00.0"));
            QVERIFY(!s.table().isRed(r, 3));
        }
    }

    void putUnit_data()
    {
        QTest::addColumn<int>("before"); // model whose captions were set last
        QTest::addColumn<int>("model");
        QTest::addColumn<qint16>("celsFaren");
        QTest::addColumn<QString>("valueUnit");
        QTest::addColumn<QString>("humidityUnit");

        for (int code : {1, 4, 5, 7, 8}) {
            QTest::addRow("code %d degC", code) << 3 << code << qint16(-1) << "°C"
                                                << "";
            QTest::addRow("code %d degF", code) << 2 << code << qint16(0) << "°F"
                                                << "";
        }
        QTest::newRow("humidity degC") << 3 << 2 << qint16(-1) << "°C"
                                       << "%rh";
        QTest::newRow("humidity degF") << 32 << 6 << qint16(0) << "°F"
                                       << "%rh";
        QTest::newRow("voltage") << 2 << 3 << qint16(0) << "V"
                                 << "";
        QTest::newRow("CO2") << 6 << 32 << qint16(-1) << "CO2"
                             << "";
        QTest::newRow("unknown code clears") << 2 << 0 << qint16(-1) << ""
                                             << "";
    }
    void putUnit()
    {
        QFETCH(int, before);
        QFETCH(int, model);
        QFETCH(qint16, celsFaren);
        QFETCH(QString, valueUnit);
        QFETCH(QString, humidityUnit);

        ReadingSet s;
        s.MODEL = quint8(before);
        s.Put_Unit();
        QSignalSpy spy(&s, &ReadingSet::unitCaptionsChanged);
        s.MODEL = quint8(model);
        s.Cels_Faren = celsFaren;
        s.Put_Unit();
        QCOMPARE(s.valueUnitCaption(), valueUnit);
        QCOMPARE(s.humidityUnitCaption(), humidityUnit);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), valueUnit);
        QCOMPARE(spy.at(0).at(1).toString(), humidityUnit);
    }
};

QTEST_GUILESS_MAIN(TestFillGrid)
#include "test_fill_grid.moc"
