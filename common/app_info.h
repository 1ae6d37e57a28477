#pragma once

#include <QString>

// Build properties of the program shown to users.
namespace appinfo {

inline constexpr int kMajor = 2;
inline constexpr int kMinor = 1;
inline constexpr int kRevision = 2;

// Caption of every message box that has no title of its own.
inline QString title() { return QStringLiteral("BRIVAK QTRN 2.1.0"); }

} // namespace appinfo
