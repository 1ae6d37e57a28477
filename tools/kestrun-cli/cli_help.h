#pragma once

#include "common/program_help.h"

// Everything kestrun-cli says about itself: the overview, each subcommand's --help and the
// manual page kestrun-cli(1) are all made from this one description.
namespace clihelp {

const help::Program &program();

// The overview `kestrun-cli --help` prints.
QString overview();

} // namespace clihelp
