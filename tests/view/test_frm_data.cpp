#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "common/datetext.h"
#include "view/frm_data.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QTableView>
#include <QtTest>

namespace {

void fill(FrmData &w, int model, const QList<int> &words)
{
    ReadingSet &s = w.readingSet();
    w.MODEL = quint8(model);
    for (int i = 0; i < words.size(); ++i)
        s.RawData[i] = words[i];
    s.NoOfReadings = int(words.size());
    s.IntvUnit = 'S';
    s.IntvValue = 30;
    s.setNewestReading(1, 3, 24, 0, 0, 10);
    s.Format_Grid();
    s.Fill_Grid();
}

QString cell(const FrmData &w, int gridRow, int c)
{
    const QAbstractItemModel *m = w.FGrid()->model();
    return m->data(m->index(gridRow - 1, c), Qt::DisplayRole).toString();
}

QVariant colour(const FrmData &w, int gridRow, int c)
{
    const QAbstractItemModel *m = w.FGrid()->model();
    return m->data(m->index(gridRow - 1, c), Qt::ForegroundRole);
}

QStringList headings(const FrmData &w)
{
    QStringList out;
    const QAbstractItemModel *m = w.FGrid()->model();
    for (int c = 0; c < m->columnCount(); ++c)
        out << m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    return out;
}

QList<QRadioButton *> unitOptions(const FrmData &w)
{
    QList<QRadioButton *> out;
    for (const char *name : {"OptCels", "Optfaren", "Optcels1", "OptFaren1"})
        out << w.findChild<QRadioButton *>(QLatin1String(name));
    return out;
}

} // namespace

// The data window shows a reading set put into it: the table as the view sees it (headings,
// texts, red invalid readings, centred columns), the unit options and the unit captions.
class TestFrmData : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
        datetext::localeChanged();
    }

    void showsATemperatureSetInBothUnits_data()
    {
        QTest::addColumn<qint16>("celsFaren");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("unit");

        QTest::newRow("degC") << qint16(-1) << "Temp(°C)" << QStringList{"20.0", "***", "14.8"}
                              << "°C";
        QTest::newRow("degF") << qint16(0) << "Temp(°F)" << QStringList{"68.00", "***", "58.64"}
                              << "°F";
    }
    void showsATemperatureSetInBothUnits()
    {
        QFETCH(qint16, celsFaren);
        QFETCH(QString, heading);
        QFETCH(QStringList, values);
        QFETCH(QString, unit);

        FrmData w;
        w.resize(900, 600);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Cels_Faren = celsFaren;
        fill(w, 1, {504, 919, 560});
        w.Put_Unit();

        QCOMPARE(w.FGrid()->model()->columnCount(), 4);
        QCOMPARE(w.FGrid()->model()->rowCount(), 3);
        QCOMPARE(headings(w), (QStringList{" S.No", " Date", " Time", heading}));
        for (int r = 1; r <= 3; ++r) {
            QCOMPARE(cell(w, r, 0), QString::number(r));
            QCOMPARE(cell(w, r, 3), values[r - 1]);
            const bool invalid = values[r - 1] == QLatin1String("***");
            QCOMPARE(colour(w, r, 3).value<QColor>(), invalid ? QColor(255, 0, 0) : QColor());
            for (int c = 0; c < 4; ++c) {
                const QAbstractItemModel *m = w.FGrid()->model();
                const auto a =
                    Qt::Alignment(m->data(m->index(r - 1, c), Qt::TextAlignmentRole).toInt());
                QVERIFY(a & Qt::AlignHCenter);
            }
        }
        // Newest reading last: 1 March 2024 00:00:10, the one before 30 s earlier.
        QCOMPARE(cell(w, 3, 1), datetext::dateText(QDate(2024, 3, 1)));
        QCOMPARE(cell(w, 3, 2), datetext::timeText(QTime(0, 0, 10)));
        QCOMPARE(cell(w, 2, 1), datetext::dateText(QDate(2024, 2, 29)));
        QCOMPARE(cell(w, 2, 2), datetext::timeText(QTime(23, 59, 40)));

        QCOMPARE(w.label(36)->text(), unit);
        QCOMPARE(w.label(37)->text(), QString());
        for (QRadioButton *b : unitOptions(w))
            QVERIFY(!b->isHidden());
        // The designed width of the time column survives the refill.
        QVERIFY(w.FGrid()->columnWidth(2) > w.FGrid()->horizontalHeader()->defaultSectionSize());
    }

    void followsTheModelFromSetToSet()
    {
        FrmData w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        fill(w, 2, {10960, 2000, 5000, 0});
        w.Put_Unit();
        QCOMPARE(headings(w), (QStringList{" S.No", " Date", " Time", "Temp(°C)", "RH (%)"}));
        QCOMPARE(cell(w, 1, 3), QStringLiteral("70.0"));
        QCOMPARE(cell(w, 1, 4), QStringLiteral("73.5"));
        QCOMPARE(cell(w, 2, 4), QStringLiteral("***"));
        QCOMPARE(colour(w, 2, 4).value<QColor>(), QColor(255, 0, 0));
        QVERIFY(!colour(w, 2, 3).isValid());
        QCOMPARE(w.label(36)->text(), QStringLiteral("°C"));
        QCOMPARE(w.label(37)->text(), QStringLiteral("%rh"));

        fill(w, 3, {1023, 512});
        w.Put_Unit();
        QCOMPARE(headings(w), (QStringList{" S.No", " Date", " Time", "Voltage(V)"}));
        QCOMPARE(cell(w, 2, 3), QStringLiteral("1.251"));
        QCOMPARE(w.label(36)->text(), QStringLiteral("V"));
        QCOMPARE(w.label(37)->text(), QString());
        for (QRadioButton *b : unitOptions(w))
            QVERIFY(b->isHidden());

        fill(w, 7, {706});
        for (QRadioButton *b : unitOptions(w))
            QVERIFY(!b->isHidden());
        QCOMPARE(w.FGrid()->model()->columnCount(), 4);
    }

    void fieldsAreTheSetsFields()
    {
        FrmData w;
        w.MODEL = 32;
        w.Cels_Faren = 0;
        QCOMPARE(int(w.readingSet().MODEL), 32);
        QCOMPARE(int(w.readingSet().Cels_Faren), 0);
        w.readingSet().MODEL = 6;
        QCOMPARE(int(w.MODEL), 6);
        QCOMPARE(&w.table(), &w.readingSet().table());
        QCOMPARE(w.FGrid()->model(), static_cast<QAbstractItemModel *>(&w.table()));
    }

    void headerCaptionsOnBothTabs()
    {
        FrmData w;
        w.readingSet().setLocationText(QStringLiteral("COLD ROOM 2     "));
        w.setSerialCaption(QStringLiteral("0045 06 05 13"));
        for (const char *name : {"Llocation1", "Llocation2"})
            QCOMPARE(w.findChild<QLabel *>(QLatin1String(name))->text(),
                     QStringLiteral(":    COLD ROOM 2     "));
        for (const char *name : {"lserno1", "lserno2"})
            QCOMPARE(w.findChild<QLabel *>(QLatin1String(name))->text(),
                     QStringLiteral("0045 06 05 13"));
        QCOMPARE(w.locationCaption(), QStringLiteral(":    COLD ROOM 2     "));
        QCOMPARE(w.readingSet().SerialText(), QStringLiteral("0045 06 05 13"));
        w.setLocationCaption(QString());
        QCOMPARE(w.findChild<QLabel *>(QStringLiteral("Llocation2"))->text(), QString());
        // A caption from a file shows its control characters as escapes, and no markup; the
        // set keeps it as it came.
        const QString hostile = QStringLiteral(":    <b>A\x1b[2J\tB");
        w.setLocationCaption(hostile);
        for (const char *name : {"Llocation1", "Llocation2"}) {
            const QLabel *l = w.findChild<QLabel *>(QLatin1String(name));
            QCOMPARE(l->text(), QStringLiteral(":    <b>A\\x1b[2J\\tB"));
            QCOMPARE(l->textFormat(), Qt::PlainText);
        }
        QCOMPARE(w.locationCaption(), hostile);
    }
};

QTEST_MAIN(TestFrmData)
#include "test_frm_data.moc"
