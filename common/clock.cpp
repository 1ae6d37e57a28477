#include "common/clock.h"

namespace {
const SystemClock g_system;
const Clock *g_current = &g_system;
} // namespace

const Clock &Clock::current() { return *g_current; }

void Clock::install(const Clock *c) { g_current = c ? c : &g_system; }
