#include "app/wiring.h"

#include "app/about/frm_about.h"
#include "app/frm_main.h"
#include "device/device_commands.h"
#include "device/frm_id_dev.h"
#include "output/spreadsheet_export.h"
#include "view/frm_data.h"

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
        for (frmIDdev *open : main.findChildren<frmIDdev *>(Qt::FindDirectChildrenOnly)) {
            if (!open->details().isClosed()) {
                open->raise();
                open->activateWindow();
                return;
            }
        }
        auto *dlg = new frmIDdev(main, &main);
        FrmMain::markAsForm(dlg);
        dlg->show();
    });
}

// The About box and the spreadsheet export.
void wireHelpAndExport(FrmMain &main)
{
    QObject::connect(&main, &FrmMain::aboutRequested, &main, [&main] {
        auto *about = new frmAbout(main.prompter(), &main);
        FrmMain::markAsForm(about);
        about->show();
    });
    QObject::connect(&main, &FrmMain::exportRequested, &main, [&main] {
        DesktopSpreadsheetOpener opener;
        spreadsheet::exportTable(main.data()->table(), main.prompter(), opener);
    });
}

} // namespace

void wireAll(FrmMain &main)
{
    wireDeviceCommands(main);
    wireHelpAndExport(main);
}

} // namespace wiring
