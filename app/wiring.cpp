#include "app/wiring.h"

#include "app/about/frm_about.h"
#include "app/archive_commands.h"
#include "app/sign_commands.h"
#include "app/data_commands.h"
#include "acquisition/erase_guard.h"
#include "app/frm_main.h"
#include "common/window_opener.h"
#include "device/device_commands.h"
#include "device/frm_data1.h"
#include "device/frm_id_dev.h"
#include "output/frm_title.h"
#include "output/output_trail.h"
#include "output/report.h"
#include "archive/archive.h"
#include "archive/audit_event.h"
#include "common/app_info.h"
#include "common/sha256.h"
#include "analysis/analysis_texts.h"
#include "common/prompter.h"
#include "output/run_summary.h"
#include "run/run_document.h"
#include "output/spreadsheet_export.h"
#include "view/frm_data.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QFile>
#include <QTableView>
#include <QUrl>

#include <memory>

namespace wiring {
namespace {

// Device Time, Stop Device, Clear & Stop Device and the Device Details dialog.
void wireDeviceCommands(FrmMain &main)
{
    auto *commands = new DeviceCommands(main, &main);
    commands->setObjectName(QStringLiteral("DeviceCommands"));
    QObject::connect(&main, &FrmMain::deviceTimeRequested, commands,
                     &DeviceCommands::Device_Time);
    QObject::connect(&main, &FrmMain::stopDeviceRequested, commands,
                     &DeviceCommands::Confirm_Stop);
    QObject::connect(&main, &FrmMain::eraseDeviceRequested, commands,
                     &DeviceCommands::Erase_Data);

    QObject::connect(&main, &FrmMain::identifyRequested, &main, [&main] {
        // One dialog at a time: while it is open the command is disabled anyway.
        if (windows::raiseOpen<frmIDdev>(
                main, [](frmIDdev &d) { return !d.details().isClosed(); }))
            return;
        windows::show(new frmIDdev(main, &main), windows::Kind::Form);
    });
}

// The Start Device dialog. The main window has asked, checked the port, set M_Show false and
// disabled itself; the dialog gives it back when it closes. The main window asks again when it
// is activated while the dialog is up, which brings the dialog back to the front.
void wireStartDevice(FrmMain &main)
{
    QObject::connect(&main, &FrmMain::startDeviceRequested, &main, [&main] {
        if (windows::raiseOpen<Frmdata1>(
                main, [](Frmdata1 &d) { return !d.logic().isClosed(); })) {
            main.setEnabled(false);
            return;
        }
        auto *dlg = new Frmdata1(main, &main);
        QObject::connect(dlg, &Frmdata1::closed, &main, [&main] {
            main.Enb_Controls();
            main.setEnabled(true);
            main.M_Show = true;
        });
        windows::show(dlg, windows::Kind::Form);
        dlg->logic().presetByOpener();
    });
}

// Whether the run shown can be judged by its limits; when they are refused the user is told
// why.
bool judgedOrSay(const RunDocument &doc, Prompter &prompter)
{
    const QString &refusal = doc.limitsRefusal();
    if (!refusal.isEmpty())
        prompter.message(refusal, analysistext::kLimitsTitle, Prompter::Icon::Warning);
    return refusal.isEmpty();
}

// Tells the user what the trail's note says, if anything.
void tellNote(Prompter &prompter, const QString &note)
{
    if (!note.isEmpty())
        prompter.message(note, appinfo::title(), Prompter::Icon::Warning);
}

// The export's event: the workbook written, named by its bytes.
void recordExport(FrmMain &main, report::OutputTrail &trail, const QString &path)
{
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly))
        return;
    archive::Archive a;
    tellNote(main.prompter(),
             trail.written(a.db(), archive::action::kExport, sha256Hex(main.document().fileBytes()),
                           report::exportDetails(report::detail::kXlsx, f.readAll(), path)));
}

// The About box, the spreadsheet export and the report. What they write goes into the
// archive's trail; the archive is the one chosen at the moment of writing.
void wireHelpAndExport(FrmMain &main)
{
    // One for both commands: the user hears once that the archive cannot take their events.
    const auto trail = std::make_shared<report::OutputTrail>();
    QObject::connect(&main, &FrmMain::aboutRequested, &main, [&main] {
        if (!windows::raiseOpen<frmAbout>(main))
            windows::show(new frmAbout(main.prompter(), &main), windows::Kind::Form);
    });
    QObject::connect(&main, &FrmMain::exportRequested, &main, [&main, trail] {
        DesktopSpreadsheetOpener opener;
        // The table goes out whatever the limits; a Summary sheet only when they can judge.
        judgedOrSay(main.document(), main.prompter());
        const std::optional<report::RunSummary> run = report::sheetSummaryOf(main.document());
        const spreadsheet::Result result = spreadsheet::exportTable(
            main.data()->table(), main.prompter(), opener, QString(), run ? &*run : nullptr);
        recordExport(main, *trail, result.path);
    });
    QObject::connect(&main, &FrmMain::reportRequested, &main, [&main, trail] {
        if (!judgedOrSay(main.document(), main.prompter()))
            return;
        archive::Archive a;
        report::reportToPdf(
            main.document(), main.prompter(),
            [](const QString &path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); },
            QDateTime::currentDateTime(), &a.db(), trail.get());
    });
}

// Read Data, Save and Open of the data window.
DataCommands *wireDataCommands(FrmMain &main)
{
    auto *commands = new DataCommands(main);
    commands->setObjectName(QStringLiteral("DataCommands"));
    QObject::connect(&main, &FrmMain::readDataRequested, commands, &DataCommands::Read_data);
    QObject::connect(&main, &FrmMain::fileSaveRequested, commands, &DataCommands::SaveData);
    QObject::connect(&main, &FrmMain::fileOpenRequested, commands, &DataCommands::OpenData);
    return commands;
}

// Print Data and Print Graph: the printer dialog, then the Print Options dialog, not modal.
// "Active Sheet" lists from the table row at the top of the table's view when OK is clicked.
void wirePrinting(FrmMain &main)
{
    QObject::connect(&main, &FrmMain::printRequested, &main, [&main](bool graph) {
        FrmData *data = main.data();
        const auto topRow = [data] {
            const int viewRow = data->FGrid()->rowAt(0); // view row i shows table row i + 1
            return viewRow < 0 ? 1 : viewRow + 1;
        };
        printout::Print_Options(&main, main.prompter(), data->readingSet(), graph, topRow);
    });
}

// Before Start Device or Clear & Stop erase a logger, what it holds may be read and kept: a
// download as Read Data makes it, and the archive's word that the run is kept.
void wireEraseGuard(FrmMain &main, DataCommands *data, ArchiveCommands *archive)
{
    EraseGuard &guard = main.eraseGuard();
    QObject::connect(data, &DataCommands::downloadFinished, &guard, [&main, &guard, archive](bool done) {
        if (!guard.isRunning())
            return;
        if (!done || main.document().readingCount() == 0)
            guard.readDone(done);
        else
            archive->whenLastKept([&guard](bool kept) { guard.readDone(kept); });
    });
    guard.setReader([data] { data->Read_data(); });
}

// Every download and every live run stopped with rows go to the archive; its browser opens runs
// into the data window.
ArchiveCommands *wireArchive(FrmMain &main, DataCommands *data)
{
    auto *commands = new ArchiveCommands(main);
    commands->setObjectName(QStringLiteral("ArchiveCommands"));
    QObject::connect(data, &DataCommands::runDownloaded, commands, &ArchiveCommands::keepShown);
    QObject::connect(&main, &FrmMain::liveRunStopped, commands, &ArchiveCommands::keepShown);
    QObject::connect(&main, &FrmMain::archiveRequested, commands, &ArchiveCommands::openBrowser);
    QObject::connect(&main, &FrmMain::archiveSettingRequested, commands,
                     &ArchiveCommands::openSettings);
    QObject::connect(&main, &FrmMain::auditTrailRequested, commands,
                     &ArchiveCommands::openAuditTrail);
    QObject::connect(commands, &ArchiveCommands::runOpened, data, &DataCommands::openRun);
    (new SignCommands(main, *commands))->setObjectName(QStringLiteral("SignCommands"));
    return commands;
}

} // namespace

void openFile(FrmMain &main, const QString &path)
{
    // The one DataCommands wireAll gave the window.
    main.findChild<DataCommands *>(QString(), Qt::FindDirectChildrenOnly)->openFile(path);
}

void wireAll(FrmMain &main)
{
    DataCommands *data = wireDataCommands(main);
    wireDeviceCommands(main);
    wireStartDevice(main);
    wireHelpAndExport(main);
    wirePrinting(main);
    wireEraseGuard(main, data, wireArchive(main, data));
}

} // namespace wiring
