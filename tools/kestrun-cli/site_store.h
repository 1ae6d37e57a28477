#pragma once

class LimitsStore;

namespace archivecli {

// The limits the window keeps and judges by: the site's, in the archive KESTRUN_ARCHIVE or the
// window's setting chooses. One store for the run of the program, made when first asked for.
LimitsStore &siteLimits();

} // namespace archivecli
