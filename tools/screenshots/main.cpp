// kestrun-screenshots OUTDIR: takes the manual's pictures of the real program. It starts a
// simulated humidity logger, opens the real main window on it, runs the commands a user would
// (Read Data, the graph tab, Identify Device, Start Device, Print Graph) and saves a PNG of each
// window. Run it under Xvfb through scripts/screenshots so the windows look as on a desktop.

#include "analysis/limits_store.h"
#include "app/archive_commands.h"
#include "app/frm_main.h"
#include "run/run_document.h"
#include "archive/archive_browser.h"
#include "archive/archive_settings_dialog.h"
#include "app/wiring.h"
#include "common/clock.h"
#include "common/prompter.h"
#include "device/comport_file.h"
#include "tools/logger-sim/logger_core.h"
#include "tools/logger-sim/logger_sim.h"
#include "view/frm_data.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

QTextStream err(stderr);

// Lets the program run until `done` holds; false after `ms` without it.
bool waitFor(const std::function<bool()> &done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    return true;
}

// Some rest for the window system to paint what just changed.
void settle(int ms = 400)
{
    waitFor([] { return false; }, ms);
}

bool save(QWidget *w, const QDir &out, const QString &name)
{
    settle();
    const QString path = out.filePath(name + QStringLiteral(".png"));
    if (!w || !w->grab().save(path)) {
        err << "could not save " << path << "\n";
        return false;
    }
    err << "saved " << path << "\n";
    return true;
}

template<typename T> T *topLevel()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *t = qobject_cast<T *>(w); t && t->isVisible())
            return t;
    return nullptr;
}

QWidget *visibleChildWindow(FrmMain &main, const char *className)
{
    for (QWidget *w : main.findChildren<QWidget *>())
        if (w->isWindow() && w->isVisible() && w->inherits(className))
            return w;
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrun"));
    QApplication::setOrganizationName(QStringLiteral("Brivak"));
    if (app.arguments().size() != 2) {
        err << "usage: kestrun-screenshots OUTDIR\n";
        return 2;
    }
    QDir out(app.arguments().at(1));
    if (!out.mkpath(QStringLiteral("."))) {
        err << "cannot create " << out.path() << "\n";
        return 1;
    }

    // A humidity logger with three days of readings every 15 minutes, answering at full speed.
    loggersim::LoggerSim sim;
    sim.setPace(0);
    sim.setSpeed(0);
    sim.state().model = loggersim::model::RV210;
    sim.state().serial = 1207;
    sim.state().location = QByteArray("Cold store 2    ");
    sim.state().started = true;
    sim.state().intervalUnit = 'M';
    sim.state().intervalCount = 15;
    sim.core().fillHistory(3 * 96);
    QString why;
    if (!sim.open(&why)) {
        err << "simulator: " << why << "\n";
        return 1;
    }
    QTemporaryDir folder;
    // Limits and an archive of its own, not the user's: settings and data live in the scratch
    // folder.
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral("data")).toLocal8Bit());
    qunsetenv("KESTRUN_ARCHIVE");
    qputenv("KESTRUN_COM1", sim.slavePath().toLocal8Bit());
    comportfile::setFolder(folder.path());
    comportfile::write(1);

    ScriptedPrompter prompter;
    FrmMain main(nullptr, &prompter);
    wiring::wireAll(main);
    main.resize(1280, 800);
    main.show();
    main.Activation();
    if (!main.ok_port()) {
        err << "the simulated port did not open\n";
        return 1;
    }
    FrmData &data = *main.data();
    bool ok = true;

    // Read Data: the table, then the graph.
    const auto readData = [&] {
        main.toolbarAction(QStringLiteral("ReadData"))->trigger();
        return waitFor([&] { return main.toolbarAction(QStringLiteral("ReadData"))->isEnabled(); },
                       60000) &&
               data.FGrid()->model()->rowCount() >= 2;
    };
    if (!readData()) {
        err << "the download did not finish\n";
        return 1;
    }
    data.SSTab1()->setCurrentIndex(0);
    ok &= save(&main, out, QStringLiteral("table"));
    data.SSTab1()->setCurrentIndex(1);
    data.DRAW_GRAPH();
    ok &= save(&main, out, QStringLiteral("main_window"));
    ok &= save(data.SSTab1(), out, QStringLiteral("graph"));

    // Limits for the cold store and the Summary tab.
    analysis::Limits limits;
    limits[analysis::Quantity::Temperature] = {8.0, 2.0};
    limits[analysis::Quantity::Humidity].high = 70.0;
    limits.delayMinutes = 30;
    main.document().limitsStore().setForLogger(QStringLiteral("1207"), limits);
    main.document().limitsChanged();
    data.SSTab1()->setCurrentIndex(2);
    ok &= save(data.SSTab1(), out, QStringLiteral("summary"));
    data.SSTab1()->setCurrentIndex(1);

    // Identify Device.
    main.toolbarAction(QStringLiteral("IdentyDevice"))->trigger();
    QWidget *details = nullptr;
    waitFor([&] {
        details = visibleChildWindow(main, "frmIDdev");
        auto *status = details ? details->findChild<QLabel *>(QStringLiteral("ldevstatus1")) : nullptr;
        return status && !status->text().isEmpty();
    }, 10000);
    ok &= save(details, out, QStringLiteral("device_details"));
    if (details)
        details->close();

    // Start Device, confirmed, once its parameters have arrived; then Exit.
    prompter.yesNoAnswers = {true};
    main.toolbarAction(QStringLiteral("StartDevice"))->trigger();
    QWidget *start = nullptr;
    waitFor([&] {
        start = visibleChildWindow(main, "Frmdata1");
        auto *send = start ? start->findChild<QPushButton *>(QStringLiteral("Command2")) : nullptr;
        return send && send->isEnabled();
    }, 10000);
    ok &= save(start, out, QStringLiteral("start_device"));
    if (start)
        if (auto *exit = start->findChild<QPushButton *>(QStringLiteral("Command1")))
            exit->click();

    // Print Graph: the Print Options dialog (the printer dialog is answered by the prompter).
    main.toolbarAction(QStringLiteral("Print_G"))->trigger();
    QWidget *options = nullptr;
    waitFor([&] { return (options = visibleChildWindow(main, "FrmTitle")) != nullptr; }, 5000);
    ok &= save(options, out, QStringLiteral("print_options"));
    if (options)
        options->close();

    // Two more loggers read, then File -> Archive... with the three runs kept.
    for (const auto &[serial, location] : {std::pair{2231, "Pharmacy fridge "}, std::pair{1207, "Cold store 2    "}}) {
        sim.state().serial = serial;
        sim.state().location = QByteArray(location);
        sim.core().fillHistory(96);
        ok &= readData();
    }
    // The runs are kept in the background: the list fills as they land.
    auto *archive = main.findChild<ArchiveCommands *>();
    main.menuAction(QStringLiteral("mArchive"))->trigger();
    ok &= waitFor([&] {
        const ArchiveBrowser *browser = archive->browser();
        return browser && !browser->isAsking() && browser->table()->model()->rowCount() == 3;
    }, 10000);
    ok &= save(archive->browser(), out, QStringLiteral("archive"));
    if (archive->browser())
        archive->browser()->close();
    main.menuAction(QStringLiteral("mArchiveSetting"))->trigger();
    auto *where = main.findChild<ArchiveSettingsDialog *>();
    if (where) {
        where->sharedButton()->click();
        where->connectionEdit()->setText(QStringLiteral("service=loggers"));
    }
    ok &= save(where, out, QStringLiteral("archive_setting"));
    if (where)
        where->reject();

    return ok ? 0 : 1;
}
