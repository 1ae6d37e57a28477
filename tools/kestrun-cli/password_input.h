#pragma once

#include <QByteArray>
#include <optional>

// A password read for one use: never echoed, logged or kept; the caller wipes it
// (auth::wipe) once it was checked.
namespace passwordinput {

// One line from standard input, without its line end; nullopt when standard input gave none.
std::optional<QByteArray> fromStandardInput();
// Asks on the terminal (standard input), with `prompt` on standard error and the echo off for
// the answer; nullopt when standard input is no terminal or the answer did not come.
std::optional<QByteArray> fromTerminal(const QByteArray &prompt);

} // namespace passwordinput
