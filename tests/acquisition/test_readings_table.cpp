#include "acquisition/readings_table.h"
#include "acquisition/table_queries.h"
#include "common/datetext.h"

#include <QColor>
#include <QSignalSpy>
#include <QtTest>

using namespace tablequery;

namespace {

// A table whose column `c` holds `texts` in rows 1, 2, ...
void putColumn(ReadingsTable &t, int c, const QStringList &texts)
{
    if (t.rows() < texts.size() + 1)
        t.setRows(int(texts.size()) + 1);
    for (int i = 0; i < texts.size(); ++i)
        t.setText(i + 1, c, texts[i]);
}

} // namespace

// The table as the other views read it: cells, red marks, the model the view sees, and the
// queries that scale the graph and locate a printed range.
class TestReadingsTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        datetext::localeChanged();
    }

    void extremes_data()
    {
        QTest::addColumn<QStringList>("values"); // rows 1, 2, ...
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("largest");
        QTest::addColumn<int>("smallest");

        QTest::newRow("rounded to whole")
            << QStringList{"23.4", "18.6", "20.0"} << 1 << 3 << 23 << 19;
        QTest::newRow("numeric, not text order") << QStringList{"9.4", "10.0"} << 1 << 2 << 10 << 9;
        QTest::newRow("negatives") << QStringList{"-05.3", "-12.7", "03.0"} << 1 << 3 << 3 << -13;
        QTest::newRow("all below zero") << QStringList{"-05.3", "-12.7"} << 1 << 2 << -5 << -13;
        QTest::newRow("first cell missing, all above zero")
            << QStringList{"***", "21.0", "22.5"} << 1 << 3 << 22 << 21;
        QTest::newRow("first cell missing, all below zero")
            << QStringList{"***", "-21.0", "-22.5"} << 1 << 3 << -21 << -22;
        QTest::newRow("missing cells in between")
            << QStringList{"15.0", "***", "30.0", "***"} << 1 << 4 << 30 << 15;
        QTest::newRow("no valid cell") << QStringList{"***", "***"} << 1 << 2 << 0 << 0;
        QTest::newRow("one row, 23.5") << QStringList{"23.5", "99.0"} << 1 << 1 << 24 << 24;
        QTest::newRow("one row, 24.5") << QStringList{"24.5", "99.0"} << 1 << 1 << 24 << 24;
        QTest::newRow("one row, -0.5") << QStringList{"-0.5", "-99.0"} << 1 << 1 << 0 << 0;
        QTest::newRow("one missing row") << QStringList{"***", "12.0"} << 1 << 1 << 0 << 0;
        QTest::newRow("last before first: row first only")
            << QStringList{"1.0", "7.0", "3.0"} << 2 << 1 << 7 << 7;
        QTest::newRow("sub-range")
            << QStringList{"50.0", "7.0", "3.0", "-40.0"} << 2 << 3 << 7 << 3;
        QTest::newRow("range past the end") << QStringList{"7.0", "3.0"} << 1 << 10 << 7 << 3;
        QTest::newRow("degF texts")
            << QStringList{"68.00", "74.12", "-13.36"} << 1 << 3 << 74 << -13;
        QTest::newRow("CO2 texts") << QStringList{"2000", "2", "0"} << 1 << 3 << 2000 << 0;
    }
    void extremes()
    {
        QFETCH(QStringList, values);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, largest);
        QFETCH(int, smallest);

        // Column 3 holds the values and column 4 the same values shifted by 1000, so each
        // query is seen to read its own column.
        ReadingsTable t;
        t.setCols(5);
        putColumn(t, 3, values);
        QStringList shifted;
        for (const QString &v : values)
            shifted << (v == QLatin1String("***") ? v : QString::number(v.toDouble() + 1000));
        putColumn(t, 4, shifted);

        QCOMPARE(int(Max_Val(t, first, last)), largest);
        QCOMPARE(int(Min_Val(t, first, last)), smallest);
        bool anyValid = false;
        for (int r = first; r <= std::max(first, last) && r <= values.size(); ++r)
            anyValid = anyValid || values[r - 1] != QLatin1String("***");
        QCOMPARE(int(Max_RH(t, first, last)), anyValid ? largest + 1000 : 0);
        QCOMPARE(int(Min_RH(t, first, last)), anyValid ? smallest + 1000 : 0);
    }

    void findRow_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("row");

        // Rows: 1 Feb 29 23:59:40, 2 Feb 29 23:59:50, 3 Mar 1 00:00:00, 4 Mar 1 00:00:10,
        //       5 Mar 2 00:00:10
        QTest::newRow("exact match")
            << QDate(2024, 3, 1) << datetext::timeText(QTime(0, 0, 10)) << 4;
        QTest::newRow("first row")
            << QDate(2024, 2, 29) << datetext::timeText(QTime(23, 59, 40)) << 1;
        QTest::newRow("same time, later day")
            << QDate(2024, 3, 2) << datetext::timeText(QTime(0, 0, 10)) << 5;
        QTest::newRow("time of another day")
            << QDate(2024, 3, 1) << datetext::timeText(QTime(23, 59, 50)) << 0;
        QTest::newRow("time not in the table")
            << QDate(2024, 3, 1) << datetext::timeText(QTime(0, 0, 5)) << 0;
        QTest::newRow("same time, other form") << QDate(2024, 3, 1) << "00:00:10" << 0;
        QTest::newRow("trailing blank")
            << QDate(2024, 3, 1) << datetext::timeText(QTime(0, 0, 10)) + ' ' << 0;
        QTest::newRow("typed text") << QDate(2024, 3, 1) << "noon" << 0;
        QTest::newRow("date without readings")
            << QDate(2024, 3, 3) << datetext::timeText(QTime(0, 0, 10)) << 0;
    }
    void findRow()
    {
        QFETCH(QDate, date);
        QFETCH(QString, time);
        QFETCH(int, row);

        const QDateTime stamps[] = {QDateTime(QDate(2024, 2, 29), QTime(23, 59, 40)),
                                    QDateTime(QDate(2024, 2, 29), QTime(23, 59, 50)),
                                    QDateTime(QDate(2024, 3, 1), QTime(0, 0, 0)),
                                    QDateTime(QDate(2024, 3, 1), QTime(0, 0, 10)),
                                    QDateTime(QDate(2024, 3, 2), QTime(0, 0, 10))};
        ReadingsTable t;
        t.setCols(4);
        t.setRows(6);
        for (int r = 1; r <= 5; ++r) {
            t.setText(r, 1, datetext::dateText(stamps[r - 1].date()));
            t.setText(r, 2, datetext::timeText(stamps[r - 1].time()));
        }
        QCOMPARE(Find_StartRow(t, date, time), row);
        QCOMPARE(Find_EndRow(t, date, time), row);
    }

    void viewSeesTheGrid()
    {
        ReadingsTable t;
        t.setCols(4);
        t.setText(0, 3, QStringLiteral("Temp(°C)"));
        t.setRows(3);
        t.setText(1, 3, QStringLiteral("21.5"));
        t.setCell(2, 3, QStringLiteral("***"), true);

        QCOMPARE(t.rowCount(), 2);
        QCOMPARE(t.columnCount(), 4);
        QCOMPARE(t.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("Temp(°C)"));
        QCOMPARE(t.data(t.index(0, 3), Qt::DisplayRole).toString(), QStringLiteral("21.5"));
        QCOMPARE(t.data(t.index(1, 3), Qt::DisplayRole).toString(), QStringLiteral("***"));
        QCOMPARE(t.data(t.index(1, 3), Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
        QVERIFY(!t.data(t.index(0, 3), Qt::ForegroundRole).isValid());

        // A cell written again as a valid reading loses its red.
        t.setCell(2, 3, QStringLiteral("20.0"), false);
        QVERIFY(!t.isRed(2, 3));
        QVERIFY(!t.data(t.index(1, 3), Qt::ForegroundRole).isValid());
    }

    void removedColumnsAreForgotten()
    {
        ReadingsTable t;
        t.setCols(5);
        t.setRows(2);
        t.setCell(1, 4, QStringLiteral("***"), true);
        t.setColumnAlignment(4, Qt::AlignHCenter | Qt::AlignTop);
        t.setCols(4);
        QCOMPARE(t.text(1, 4), QString());
        t.setCols(5);
        QCOMPARE(t.text(1, 4), QString());
        QVERIFY(!t.isRed(1, 4));
        QVERIFY(t.columnAlignment(4) != (Qt::AlignHCenter | Qt::AlignTop));
    }

    void batchAnnouncesOnce()
    {
        ReadingsTable t;
        t.setCols(4);
        QSignalSpy resets(&t, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(&t, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&t, &QAbstractItemModel::dataChanged);
        t.beginBatch();
        t.setRows(1001);
        for (int r = 1; r <= 1000; ++r)
            t.setText(r, 0, QString::number(r));
        t.appendRow();
        t.endBatch();
        QCOMPARE(resets.count(), 1);
        QCOMPARE(inserted.count(), 0);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(t.rowCount(), 1001);
    }

    void appendRowOutsideBatch()
    {
        ReadingsTable t;
        t.setCols(4);
        t.setRows(3);
        QSignalSpy inserted(&t, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&t, &QAbstractItemModel::dataChanged);
        const int r = t.appendRow();
        QCOMPARE(r, 3);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.at(0).at(1).toInt(), 2); // view row = grid row - 1
        t.setText(r, 0, QStringLiteral("3"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).value<QModelIndex>().row(), 2);
    }
};

QTEST_GUILESS_MAIN(TestReadingsTable)
#include "test_readings_table.moc"
