#include "tools/kestrun-cli/site_store.h"

#include "analysis/limits_store.h"
#include "archive/site_limits.h"

#include <QCoreApplication>

namespace archivecli {
namespace {

LimitsStore *g_store = nullptr;

// Its connection is closed while the application, which the database drivers need, is there.
void closeStore()
{
    delete g_store;
    g_store = nullptr;
}

} // namespace

LimitsStore &siteLimits()
{
    if (!g_store) {
        g_store = archive::siteLimitsStore().release();
        qAddPostRoutine(closeStore);
    }
    return *g_store;
}

} // namespace archivecli
