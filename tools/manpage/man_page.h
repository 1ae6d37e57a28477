#pragma once

#include "common/program_help.h"

// A program's description as a manual page in groff's man macros (section 1).
namespace manpage {

// `version` goes into the page's header, e.g. "Kestrun 2.1.2".
QString render(const help::Program &program, const QString &version);

} // namespace manpage
