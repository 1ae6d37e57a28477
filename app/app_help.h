#pragma once

#include "common/program_help.h"

#include <QStringList>

#include <optional>

// What the kestrun program says about itself: `kestrun --help` and the manual page kestrun(1)
// are both made from this one description.
namespace apphelp {

const help::Program &program();

// What the command line asks of a start: a file to open, or the end of the run.
struct Start
{
    std::optional<int> exitStatus; // set: end with it (after --help, --version or a usage error)
    QString file;                  // the ".brv2" file to open, if one was named
};

// Whether the command line asks only for text (--help, --version): then no window, and no
// display, is needed.
bool asksOnlyForText(int argc, const char *const *argv);

// Reads the command line (the program's name first, the window system's own options already
// taken out). --help, --version and an unknown option end the process, as in any Qt program;
// more than one file is reported on standard error. Needs the application object.
Start readCommandLine(const QStringList &arguments);

} // namespace apphelp
