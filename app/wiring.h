#pragma once

#include <QString>

class FrmMain;

// Connects the main window's commands to the windows and routines that carry them out.
// Each subsystem adds its own connect function here; main() and the end-to-end tests call
// wireAll() on a fresh FrmMain.
namespace wiring {

void wireAll(FrmMain &main);

// Opens `path` into the data window of a wired main window exactly as File -> Open does once
// a file has been picked (a file named when the program is started).
void openFile(FrmMain &main, const QString &path);

} // namespace wiring
