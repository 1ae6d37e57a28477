#include "analysis/analysis_texts.h"
#include "analysis/limits_dialog.h"
#include "analysis/limits_store.h"
#include "common/prompter.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace analysis;

// The Limits dialog: what is typed in the table's unit is stored in °C for the logger shown;
// bad input is said and nothing is stored.
class TestLimitsDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void typedLimitsAreStored()
    {
        QTemporaryDir dir;
        LimitsStore store(dir.filePath(QStringLiteral("limits.ini")));
        ScriptedPrompter prompter;
        const QString serial = QStringLiteral("1234");
        {
            LimitsDialog dialog(store, serial, true, prompter);
            dialog.show();
            QVERIFY(dialog.loggerButton()->isChecked());
            QTest::keyClicks(dialog.highEdit(Quantity::Temperature), QStringLiteral("77"));
            QTest::keyClicks(dialog.lowEdit(Quantity::Temperature), QStringLiteral("35.6"));
            QTest::keyClicks(dialog.highEdit(Quantity::Humidity), QStringLiteral("70"));
            dialog.delayEdit()->setText(QStringLiteral("15"));
            dialog.cumulativeButton()->click();
            dialog.okButton()->click();
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        Limits expected;
        expected[Quantity::Temperature] = {25.0, 2.0};
        expected[Quantity::Humidity].high = 70.0;
        expected.delayMinutes = 15;
        expected.type = AlarmType::Cumulative;
        const Limits stored = *LimitsStore(store.location()).lookup(serial).limits;
        QCOMPARE(*stored[Quantity::Temperature].high, 25.0);
        QCOMPARE(*stored[Quantity::Temperature].low, 2.0);
        QCOMPARE(stored[Quantity::Humidity], expected[Quantity::Humidity]);
        QCOMPARE(stored.delayMinutes, 15);
        QCOMPARE(stored.type, AlarmType::Cumulative);
        QCOMPARE(store.defaults().limits, std::optional(Limits{}));

        // Shown again in the unit of the table; a low above its high is refused.
        LimitsDialog dialog(store, serial, true, prompter);
        dialog.show();
        QCOMPARE(dialog.highEdit(Quantity::Temperature)->text(), QStringLiteral("77"));
        dialog.lowEdit(Quantity::Humidity)->setText(QStringLiteral("80"));
        dialog.okButton()->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(prompter.messages(),
                 QStringList{analysistext::kLowNotBelowHigh.arg("humidity", "80", "70")});
        QCOMPARE(prompter.shown.last().icon, Prompter::Icon::Warning);
        QCOMPARE(LimitsStore(store.location()).lookup(serial).limits, std::optional(stored));

        // The default for every logger is edited beside it.
        dialog.defaultButton()->click();
        QCOMPARE(dialog.highEdit(Quantity::Temperature)->text(), QString());

        // A stored set the check refuses is shown as kept, with the reason, to be mended.
        {
            QSettings raw(store.location(), QSettings::IniFormat);
            raw.setValue(QStringLiteral("limits/logger/1234/delay_min"), "99999999999");
        }
        prompter.clear();
        LimitsDialog refused(store, serial, false, prompter);
        QCOMPARE(prompter.messages(),
                 QStringList{analysistext::kStoredRefused.arg(
                     analysistext::kLoggerLimits.arg(serial),
                     analysistext::kBadDelay.arg("99999999999"))});
        QCOMPARE(refused.delayEdit()->text(), QStringLiteral("99999999999"));
        QCOMPARE(refused.highEdit(Quantity::Temperature)->text(), QStringLiteral("25"));
        refused.delayEdit()->setText(QStringLiteral("60"));
        refused.okButton()->click();
        QCOMPARE(LimitsStore(store.location()).lookup(serial).limits->delayMinutes, 60);
    }
};

QTEST_MAIN(TestLimitsDialog)
#include "test_limits_dialog.moc"
