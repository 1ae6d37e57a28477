// Printing through the real window: a set downloaded from the simulated logger, the print
// commands, a scripted printer dialog that chooses a PDF file, Print Options and OK. The PDF
// is read back with poppler's tools.
#include "tests/support/e2e_fixture.h"

#include "acquisition/readings_table.h"
#include "app/data_commands.h"
#include "common/messages.h"
#include "common/numfmt.h"
#include "output/frm_title.h"
#include "tests/output/print_test_support.h"
#include "view/frm_data.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

using namespace printtest;

namespace {
constexpr int kDownloadMs = 40000;

// A value cell as the listing shows it: one decimal, "***" as it is.
QString listed(const QString &cell)
{
    double v = 0;
    return numfmt::parse(cell, &v) ? numfmt::picture(v, "#00.0") : cell;
}
} // namespace

class TestE2ePrint : public QObject
{
    Q_OBJECT

    std::unique_ptr<e2e::Fixture> f;
    OutputDir m_dir;

    bool download()
    {
        auto *commands = f->main().findChild<DataCommands *>();
        QSignalSpy done(commands, &DataCommands::downloadFinished);
        f->toolbar(QStringLiteral("ReadData"));
        return done.wait(kDownloadMs) || done.count() > 0;
    }
    // The printer dialog of the next print command chooses this PDF file.
    void chooseFile(const QString &path)
    {
        f->prompter().printerChoice = [path](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
        };
    }
    QList<FrmTitle *> openDialogs() const
    {
        QList<FrmTitle *> out;
        for (FrmTitle *d : f->main().findChildren<FrmTitle *>())
            if (d->isVisible())
                out << d;
        return out;
    }
    int printerDialogs() const
    {
        int n = 0;
        for (const auto &s : f->prompter().shown)
            n += s.kind == QLatin1String("printer");
        return n;
    }
    const ReadingsTable &table() { return f->main().data()->table(); }

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<e2e::Fixture>();
        e2e::enableLogger(f->sim().state(), "LAB A", 15);
    }
    void cleanup() { f.reset(); }

    void nothingDownloadedNothingToPrint()
    {
        QVERIFY2(f->start(), qPrintable(f->why()));
        f->toolbar(QStringLiteral("Print"));
        f->menu(QStringLiteral("PrintGrapg"));
        QCOMPARE(f->prompter().messages(), (QStringList{msg::kNoDataToPrint, msg::kNoDataToPrint}));
        QCOMPARE(f->lastMessage().icon, Prompter::Icon::Information);
        QCOMPARE(f->lastMessage().title, appinfo::title());
        QCOMPARE(printerDialogs(), 0);
        QVERIFY(openDialogs().isEmpty());
    }

    void listingAndGraphOfADownload()
    {
        f->sim().state().model = 2;
        f->sim().core().fillHistory(60);
        QVERIFY2(f->start(), qPrintable(f->why()));
        QVERIFY(download());
        QCOMPARE(table().rows(), 61);

        // The listing, from the toolbar.
        const QString listing = m_dir.filePath(QStringLiteral("listing.pdf"));
        chooseFile(listing);
        f->toolbar(QStringLiteral("Print"));
        QCOMPARE(openDialogs().size(), 1);
        FrmTitle *dlg = openDialogs().front();
        QCOMPARE(dlg->windowTitle(), msg::kPrintData);
        QVERIFY(!f->main().Data_Graph);
        // A second command while it is open brings it back: no second printer dialog.
        f->menu(QStringLiteral("PrintData"));
        QCOMPARE(openDialogs(), QList<FrmTitle *>{dlg});
        QCOMPARE(printerDialogs(), 1);

        QTest::keyClicks(dlg->Text1(), QStringLiteral("Lab A, March"));
        QPointer<FrmTitle> watched(dlg);
        dlg->cmdOK()->click();
        QTRY_VERIFY(!watched);
        QVERIFY2(f->prompter().messages().isEmpty(), qPrintable(f->prompter().messages().join('|')));

        const QStringList lines = pdfLines(listing);
        QVERIFY2(lines.size() == 4 + 60, qPrintable(lines.join('\n')));
        QCOMPARE(lines.mid(0, 4), (QStringList{"Lab A, March", "Serial No.: 0045 06 05 13",
                                               "Location.: LAB A", "Sl.No Date Time Temp(°C) RH (%)"}));
        for (int r = 1; r <= 60; ++r) {
            const QString expected = QStringLiteral("%1%2 %3 %4 %5")
                                         .arg(r, 3, 10, QLatin1Char('0'))
                                         .arg(table().text(r, 1), table().text(r, 2),
                                              listed(table().text(r, 3)), listed(table().text(r, 4)));
            QCOMPARE(lines[3 + r], expected);
        }

        // The graph, from the menu.
        const QString graph = m_dir.filePath(QStringLiteral("graph.pdf"));
        chooseFile(graph);
        f->menu(QStringLiteral("PrintGrapg"));
        QCOMPARE(openDialogs().size(), 1);
        dlg = openDialogs().front();
        QCOMPARE(dlg->windowTitle(), msg::kPrintGraph);
        QVERIFY(!dlg->opt_CData()->isVisible());
        dlg->cmdOK()->click();
        QVERIFY(f->prompter().messages().isEmpty());

        const QImage page = renderPage(graph, 50);
        QVERIFY(page.width() > page.height());
        const auto has = [&](const QColor &c) {
            for (int y = page.height() / 5; y < page.height(); ++y)
                for (int x = 0; x < page.width(); ++x)
                    if (page.pixelColor(x, y) == c)
                        return true;
            return false;
        };
        QVERIFY(has(QColor(255, 0, 0)));
        QVERIFY(has(QColor(0, 0, 255)));
        const QString text = pdfLines(graph).join(' ');
        QVERIFY2(text.contains(QStringLiteral("( Serial No. : 0045 06 05 13, Location : LAB A )")),
                 qPrintable(text));
        QVERIFY2(text.contains(table().text(1, 2)), qPrintable(text)); // the first time label
    }

    void activeSheetFollowsTheTableView()
    {
        f->sim().state().model = 1;
        f->sim().core().fillHistory(120);
        QVERIFY2(f->start(), qPrintable(f->why()));
        QVERIFY(download());
        f->main().show();
        FrmData *data = f->main().data();
        data->SSTab1()->setCurrentIndex(0); // the "Table" tab
        QTableView *grid = data->FGrid();
        QTRY_VERIFY(grid->isVisible() && grid->viewport()->height() > 100);
        // View row 39 shows table row 40.
        grid->scrollTo(grid->model()->index(39, 0), QAbstractItemView::PositionAtTop);
        QTRY_COMPARE(grid->rowAt(0), 39);

        const QString path = m_dir.filePath(QStringLiteral("sheet.pdf"));
        chooseFile(path);
        f->toolbar(QStringLiteral("Print"));
        QCOMPARE(openDialogs().size(), 1);
        FrmTitle *dlg = openDialogs().front();
        dlg->opt_CData()->click();
        dlg->cmdOK()->click();
        QVERIFY(f->prompter().messages().isEmpty());

        QStringList numbers;
        for (const QString &line : pdfLines(path))
            if (line.size() > 3 && line.at(0).isDigit())
                numbers << line.left(3);
        QStringList expected;
        for (int r = 40; r <= 57; ++r)
            expected << QStringLiteral("%1").arg(r, 3, 10, QLatin1Char('0'));
        QCOMPARE(numbers, expected);
    }
};

QTEST_MAIN(TestE2ePrint)
#include "test_e2e_print.moc"
