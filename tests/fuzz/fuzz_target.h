#pragma once

// One fuzz target: a decoder of something that comes from outside the program (a file handed
// over by e-mail, a reply off the serial line), fed arbitrary bytes.
//
// Each target source defines LLVMFuzzerTestOneInput, which checks one input and aborts through
// FUZZ_CHECK when the program's answer is neither a valid result nor the error the program
// reports for such input, and fuzzSeeds(), the genuine inputs (saved files, simulator replies)
// the mutations start from. Built with libFuzzer the target gets libFuzzer's driver; otherwise
// fuzz_driver.cpp runs the seeds and a fixed-seed series of mutations of them under CTest.

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace fuzz {

// The inputs the program meets in normal use. Every one of them must be accepted: the driver
// checks them unmutated before it mutates them.
QList<QByteArray> seeds();
// True for a seed: the target then also insists on a valid result, not merely a safe one.
bool isSeed(const QByteArray &input);
void setSeeds(const QList<QByteArray> &seeds);

// Writes what failed and the input that did it, then aborts (a crash for both drivers).
[[noreturn]] void fail(const char *expr, const char *file, int line, const QByteArray &what);
// The input being checked, kept for the failure report.
void setCurrentInput(const std::uint8_t *data, std::size_t size);

// Creates the application object the reading set and the timers need, once.
void ensureApplication();

} // namespace fuzz

#define FUZZ_CHECK(cond, what)                                                                 \
    do {                                                                                       \
        if (!(cond))                                                                           \
            ::fuzz::fail(#cond, __FILE__, __LINE__, QByteArray(what));                         \
    } while (false)
