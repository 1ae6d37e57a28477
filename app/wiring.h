#pragma once

class FrmMain;

// Connects the main window's commands to the windows and routines that carry them out.
// Each subsystem adds its own connect function here; main() and the end-to-end tests call
// wireAll() on a fresh FrmMain.
namespace wiring {

void wireAll(FrmMain &main);

} // namespace wiring
