// The Print Options dialog: the date and time list rules (PrintRange, without widgets), the
// dialog showing them, what OK does, and the print command in front of it (Print_Options).

#include "common/messages.h"
#include "common/prompter.h"
#include "output/frm_title.h"
#include "output/print_range.h"
#include "print_test_support.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPrinter>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace printtest;

namespace {

const QDate kDay0(2024, 3, 14);

// Readings on the hour: "0:9-14,2:8-9" is day 0 from 09:00 to 14:00 and day 2 at 08:00 and
// 09:00.
QList<Reading> readingsOf(const QString &script)
{
    QList<Reading> out;
    for (const QString &part : script.split(QLatin1Char(','))) {
        const QStringList dayHours = part.split(QLatin1Char(':'));
        const QStringList hours = dayHours[1].split(QLatin1Char('-'));
        const int from = hours[0].toInt();
        const int to = hours.value(1, hours[0]).toInt();
        for (int h = from; h <= to; ++h)
            out.append({QDateTime(kDay0.addDays(dayHours[0].toInt()), QTime(h, 0)),
                        QStringLiteral("20.0"), QString()});
    }
    return out;
}

// Hours as the table writes them: "9 10" gives "09:00:00", "10:00:00". Other text is kept.
QStringList times(const QString &hours)
{
    QStringList out;
    for (const QString &h : hours.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int hour = h.toInt(&ok);
        out << (ok ? datetext::timeText(QTime(hour, 0)) : h);
    }
    return out;
}

// One hour as the table writes it, or the text itself when it is not an hour.
QString timeOrText(const QString &hour)
{
    bool ok = false;
    const int h = hour.toInt(&ok);
    return ok ? datetext::timeText(QTime(h, 0)) : hour;
}

// Steps of a script: "s2" picks entry 2 of the start list, "e0" entry 0 of the end list,
// "S1" / "E1" set the start / end date to day 1, "t:abc" / "T:abc" type into the start / end
// list, "-" sets Form_Ready false (the code is filling the controls).
void play(PrintRange &range, const QStringList &script)
{
    for (const QString &step : script) {
        const QString arg = step.mid(1);
        switch (step.at(0).toLatin1()) {
        case 's': range.pickStartTime(arg.toInt()); break;
        case 'e': range.pickEndTime(arg.toInt()); break;
        case 'S': range.setStartDate(kDay0.addDays(arg.toInt())); break;
        case 'E': range.setEndDate(kDay0.addDays(arg.toInt())); break;
        case 't': range.setStartTimeText(step.mid(2)); break;
        case 'T': range.setEndTimeText(step.mid(2)); break;
        case '-': range.Form_Ready = false; break;
        default: QFAIL(qPrintable(QStringLiteral("bad step ") + step));
        }
    }
}

// A scripted printer dialog that prints to a PDF file.
void printToPdf(ScriptedPrompter &p, const QString &path)
{
    p.printerChoice = [path](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
    };
}

} // namespace

class TestFrmTitle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void listRules_data();
    void listRules();
    void datesStayInsideTheDataAndInOrder_data();
    void datesStayInsideTheDataAndInOrder();

    void captionAndOptions_data();
    void captionAndOptions();
    void userPicksRebuildTheOtherList();
    void invalidTimeKeepsTheDialogOpen_data();
    void invalidTimeKeepsTheDialogOpen();
    void printerThatCannotStartIsReported();

    void cancelledPrinterDialogShowsNothing();
    void secondPrintCommandSwitchesTheOpenDialog_data();
    void secondPrintCommandSwitchesTheOpenDialog();

private:
    OutputDir m_dir;
    int m_count = 0;
    QString nextPdf() { return m_dir.filePath(QStringLiteral("options%1.pdf").arg(++m_count)); }
};

void TestFrmTitle::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    datetext::localeChanged();
    QVERIFY(m_dir.isValid());
}

void TestFrmTitle::listRules_data()
{
    QTest::addColumn<QString>("readings");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QString>("startItems");
    QTest::addColumn<int>("startCurrent");
    QTest::addColumn<QString>("startText");
    QTest::addColumn<QString>("endItems");
    QTest::addColumn<int>("endCurrent");
    QTest::addColumn<QString>("endText");

    QTest::newRow("one reading") << "0:9" << QStringList{} << "9" << 0 << "9" << "9" << 0 << "9";
    QTest::newRow("opens on first and last of the span")
        << "0:9-14" << QStringList{} << "9 10 11 12 13 14" << 0 << "9" << "9 10 11 12 13 14" << 5
        << "14";
    QTest::newRow("same day: a start time drops the earlier end times")
        << "0:9-14" << QStringList{"s2"} << "9 10 11 12 13 14" << 2 << "11" << "11 12 13 14" << -1
        << "14";
    QTest::newRow("same day: an end time drops the later start times")
        << "0:9-14" << QStringList{"e3"} << "9 10 11 12" << -1 << "9" << "9 10 11 12 13 14" << 3
        << "12";
    QTest::newRow("same day: both, the other bound stays")
        << "0:9-14" << QStringList{"s2", "e1"} << "9 10 11 12" << -1 << "11" << "11 12 13 14" << 1
        << "12";
    QTest::newRow("same day: start on the last time") << "0:9-14" << QStringList{"s5"}
                                                      << "9 10 11 12 13 14" << 5 << "14" << "14"
                                                      << -1 << "14";
    QTest::newRow("different days: lists keep their whole day")
        << "0:9-11,1:8-10" << QStringList{"s2", "e0"} << "9 10 11" << -1 << "11" << "8 9 10" << 0
        << "8";
    QTest::newRow("a date change resets both times")
        << "0:9-11,1:8-10,2:7-9" << QStringList{"s1", "e0", "S1"} << "8 9 10" << 0 << "8"
        << "7 8 9" << 2 << "9";
    QTest::newRow("end date moved onto the start day")
        << "0:9-11,1:8-10" << QStringList{"E0"} << "9 10 11" << 0 << "9" << "9 10 11" << 2 << "11";
    QTest::newRow("a day without readings has an empty list")
        << "0:9-10,2:9-10" << QStringList{"S1"} << "" << -1 << "" << "9 10" << 1 << "10";
    QTest::newRow("picks while the code fills the lists rebuild nothing")
        << "0:9-14" << QStringList{"-", "s3", "e1"} << "9 10 11 12 13 14" << 3 << "12"
        << "9 10 11 12 13 14" << 1 << "10";
    QTest::newRow("typed start that is not a time is kept as typed")
        << "0:9-14" << QStringList{"t:half past", "e2"} << "9 10 11" << -1 << "half past"
        << "9 10 11 12 13 14" << 2 << "11";
    QTest::newRow("typed end that is not a time is kept as typed")
        << "0:9-14" << QStringList{"T:soon", "s4"} << "9 10 11 12 13 14" << 4 << "13" << "13 14"
        << -1 << "soon";
    QTest::newRow("typed time without seconds is shown as the table shows it")
        << "0:9-14" << QStringList{"T:12:00", "s1"} << "9 10 11 12 13 14" << 1 << "10"
        << "10 11 12 13 14" << -1 << "12";
    QTest::newRow("typed time in another form is shown as the table shows it")
        << "0:9-14" << QStringList{"T: 12:00:00 ", "s1"} << "9 10 11 12 13 14" << 1 << "10"
        << "10 11 12 13 14" << -1 << "12";
}

void TestFrmTitle::listRules()
{
    QFETCH(QString, readings);
    QFETCH(QStringList, script);
    QFETCH(QString, startItems);
    QFETCH(int, startCurrent);
    QFETCH(QString, startText);
    QFETCH(QString, endItems);
    QFETCH(int, endCurrent);
    QFETCH(QString, endText);

    const auto set = makeSet(1, readingsOf(readings));
    PrintRange range(set->table());
    range.start();
    QVERIFY(range.Form_Ready);
    play(range, script);

    QCOMPARE(range.startList().items, times(startItems));
    QCOMPARE(range.startList().current, startCurrent);
    QCOMPARE(range.startList().text, timeOrText(startText));
    QCOMPARE(range.endList().items, times(endItems));
    QCOMPARE(range.endList().current, endCurrent);
    QCOMPARE(range.endList().text, timeOrText(endText));
}

void TestFrmTitle::datesStayInsideTheDataAndInOrder_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");

    // Readings on days 0 to 4.
    QTest::newRow("opens on the first and last day") << QStringList{} << 0 << 4;
    QTest::newRow("start not after the end") << QStringList{"E2", "S3"} << 2 << 2;
    QTest::newRow("end not before the start") << QStringList{"S3", "E1"} << 3 << 3;
    QTest::newRow("nothing before the first day") << QStringList{"S-5"} << 0 << 4;
    QTest::newRow("nothing after the last day") << QStringList{"E9"} << 0 << 4;
    QTest::newRow("both moved inward") << QStringList{"S1", "E3"} << 1 << 3;
}

void TestFrmTitle::datesStayInsideTheDataAndInOrder()
{
    QFETCH(QStringList, script);
    QFETCH(int, start);
    QFETCH(int, end);

    const auto set = makeSet(1, readingsOf(QStringLiteral("0:12,1:12,2:12,3:12,4:12")));
    PrintRange range(set->table());
    range.start();
    play(range, script);
    QCOMPARE(range.startDate(), kDay0.addDays(start));
    QCOMPARE(range.endDate(), kDay0.addDays(end));
    // Each picker is limited by the data and by the other picker.
    QCOMPARE(range.startMinimum(), kDay0);
    QCOMPARE(range.startMaximum(), range.endDate());
    QCOMPARE(range.endMinimum(), range.startDate());
    QCOMPARE(range.endMaximum(), kDay0.addDays(4));
}

void TestFrmTitle::captionAndOptions_data()
{
    QTest::addColumn<bool>("graph");
    QTest::newRow("listing") << false;
    QTest::newRow("graph") << true;
}

void TestFrmTitle::captionAndOptions()
{
    QFETCH(bool, graph);
    const auto set = makeSet(1, readingsOf(QStringLiteral("0:9-12")));
    ScriptedPrompter prompter;
    FrmTitle dlg(*set, graph, nullptr, prompter, [] { return 1; });
    dlg.show();

    QCOMPARE(dlg.windowTitle(), graph ? msg::kPrintGraph : msg::kPrintData);
    QCOMPARE(dlg.opt_CData()->isVisible(), !graph);
    QVERIFY(dlg.opt_All()->isChecked());
    QVERIFY(dlg.Text1()->text().isEmpty());
    QCOMPARE(dlg.Label1()->text(), QStringLiteral("If you want any title,  type here"));

    // Only "Select Range" lets the dates and times be chosen.
    const QList<QWidget *> range{dlg.R_date1(), dlg.R_date2(), dlg.R_time1(), dlg.R_time2()};
    const auto rangeEnabled = [&](bool on) {
        return std::all_of(range.begin(), range.end(), [on](QWidget *w) { return w->isEnabled() == on; });
    };
    QVERIFY(rangeEnabled(false));
    dlg.opt_SRange()->click();
    QVERIFY(rangeEnabled(true));
    dlg.opt_All()->click();
    QVERIFY(rangeEnabled(false));
    if (!graph) {
        dlg.opt_SRange()->click();
        dlg.opt_CData()->click();
        QVERIFY(rangeEnabled(false));
        QCOMPARE(dlg.inputs().selection, printout::Selection::ActiveSheet);
    }
}

void TestFrmTitle::userPicksRebuildTheOtherList()
{
    const auto set = makeSet(1, readingsOf(QStringLiteral("0:9-14,1:9-10")));
    ScriptedPrompter prompter;
    FrmTitle dlg(*set, false, nullptr, prompter, [] { return 1; });
    dlg.opt_SRange()->click();

    // Opened on the span of the data. Filling the lists from code selects their entries;
    // that must not rebuild the other list.
    QCOMPARE(dlg.R_date1()->date(), kDay0);
    QCOMPARE(dlg.R_date2()->date(), kDay0.addDays(1));
    QCOMPARE(dlg.R_date1()->maximumDate(), kDay0.addDays(1));
    QCOMPARE(dlg.R_date2()->minimumDate(), kDay0);
    QCOMPARE(dlg.R_time1()->currentIndex(), 0);
    QCOMPARE(dlg.R_time2()->count(), 2);
    QCOMPARE(dlg.R_time2()->currentIndex(), 1);

    // The end date onto the first day: both lists hold its times again.
    dlg.R_date2()->setDate(kDay0);
    QCOMPARE(dlg.R_time2()->count(), 6);
    QCOMPARE(dlg.R_time2()->currentIndex(), 5);

    dlg.R_time1()->setCurrentIndex(3); // 12:00
    QCOMPARE(dlg.R_time2()->count(), 3);
    QCOMPARE(dlg.R_time2()->itemText(0), datetext::timeText(QTime(12, 0)));
    QCOMPARE(dlg.R_time2()->currentText(), datetext::timeText(QTime(14, 0)));

    dlg.R_time2()->setCurrentIndex(1); // 13:00
    QCOMPARE(dlg.R_time1()->count(), 5);
    QCOMPARE(dlg.R_time1()->currentText(), datetext::timeText(QTime(12, 0)));

    const printout::PrintInputs in = dlg.inputs();
    QCOMPARE(in.selection, printout::Selection::Range);
    QCOMPARE(in.startDate, kDay0);
    QCOMPARE(in.endDate, kDay0);
    QCOMPARE(in.startTime, datetext::timeText(QTime(12, 0)));
    QCOMPARE(in.endTime, datetext::timeText(QTime(13, 0)));
}

void TestFrmTitle::invalidTimeKeepsTheDialogOpen_data()
{
    QTest::addColumn<bool>("startBound");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("start") << true << "ten o'clock" << msg::kInvalidStartTime;
    QTest::newRow("end") << false << "25:00:00" << msg::kInvalidEndTime;
    QTest::newRow("empty end") << false << "" << msg::kInvalidEndTime;
}

void TestFrmTitle::invalidTimeKeepsTheDialogOpen()
{
    QFETCH(bool, startBound);
    QFETCH(QString, typed);
    QFETCH(QString, message);

    const auto set = makeSet(1, readingsOf(QStringLiteral("0:9-14")));
    ScriptedPrompter prompter;
    const QString pdf = nextPdf();
    auto printer = pdfPrinter(pdf);
    FrmTitle dlg(*set, false, std::move(printer), prompter, [] { return 1; });
    dlg.show();
    dlg.opt_SRange()->click();
    QComboBox *box = startBound ? dlg.R_time1() : dlg.R_time2();
    box->lineEdit()->selectAll();
    if (typed.isEmpty())
        QTest::keyClick(box->lineEdit(), Qt::Key_Delete);
    else
        QTest::keyClicks(box->lineEdit(), typed);
    QSignalSpy printed(&dlg, &FrmTitle::printed);
    dlg.cmdOK()->click();

    QCOMPARE(prompter.messages(), QStringList{message});
    QVERIFY(dlg.isVisible());
    QCOMPARE(printed.count(), 0);
    QVERIFY(!QFile::exists(pdf));

    // Picked from the list again, the range prints.
    box->setCurrentIndex(startBound ? 0 : box->count() - 1);
    dlg.cmdOK()->click();
    QCOMPARE(printed.count(), 1);
    QVERIFY(QFile::exists(pdf));
}

void TestFrmTitle::printerThatCannotStartIsReported()
{
    const auto set = makeSet(1, readingsOf(QStringLiteral("0:9-14")));
    QWidget owner;
    ScriptedPrompter prompter;
    printToPdf(prompter, m_dir.filePath(QStringLiteral("no/such/folder/x.pdf")));
    QPointer<FrmTitle> dlg = printout::Print_Options(&owner, prompter, *set, false, [] { return 1; });
    QVERIFY(dlg);
    dlg->cmdOK()->click();
    QCOMPARE(prompter.messages(), QStringList{msg::kPrinterNotReady});
    QTRY_VERIFY(!dlg);
}

void TestFrmTitle::cancelledPrinterDialogShowsNothing()
{
    const auto set = makeSet(1, readingsOf(QStringLiteral("0:9")));
    QWidget owner;
    ScriptedPrompter prompter;
    prompter.printerAnswers = {false};
    QCOMPARE(printout::Print_Options(&owner, prompter, *set, true, [] { return 1; }), nullptr);
    QCOMPARE(prompter.shown.size(), 1);
    QCOMPARE(prompter.shown[0].kind, QStringLiteral("printer"));
    QVERIFY(owner.findChildren<FrmTitle *>().isEmpty());
}

void TestFrmTitle::secondPrintCommandSwitchesTheOpenDialog_data()
{
    QTest::addColumn<bool>("graph"); // the second command
    QTest::newRow("Print Graph over Print Data's options") << true;
    QTest::newRow("Print Data over Print Graph's options") << false;
}

// The other print command while the dialog is open brings it forward as that command's dialog:
// caption, options and what OK prints follow it; the title typed stays, and the printer is not
// asked for again.
void TestFrmTitle::secondPrintCommandSwitchesTheOpenDialog()
{
    QFETCH(bool, graph);
    const auto set = makeSet(1, readingsOf(QStringLiteral("0:9-14")));
    QWidget owner;
    ScriptedPrompter prompter;
    const QString pdf = nextPdf();
    printToPdf(prompter, pdf);
    QPointer<FrmTitle> dlg = printout::Print_Options(&owner, prompter, *set, !graph, [] { return 1; });
    QVERIFY(dlg);
    dlg->Text1()->setText(QStringLiteral("Kept"));
    if (graph)
        dlg->opt_CData()->click(); // the listing's own choice: the graph prints all instead

    QCOMPARE(printout::Print_Options(&owner, prompter, *set, graph, [] { return 1; }), dlg.data());
    QCOMPARE(prompter.shown.size(), 1);
    QCOMPARE(dlg->windowTitle(), graph ? msg::kPrintGraph : msg::kPrintData);
    QCOMPARE(dlg->opt_CData()->isVisible(), !graph);
    QCOMPARE(dlg->inputs().selection, printout::Selection::All);
    QCOMPARE(dlg->Text1()->text(), QStringLiteral("Kept"));
    dlg->cmdOK()->click();
    QTRY_VERIFY(!dlg);
    // The graph prints on a landscape page, the listing on a portrait one.
    QCOMPARE(pdfPageWidth(pdf) > 700, graph);
}

QTEST_MAIN(TestFrmTitle)
#include "test_frm_title.moc"
