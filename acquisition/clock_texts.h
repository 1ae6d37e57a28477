#pragma once

#include <QString>

// Texts of the logger's clock as checked against the computer's.
namespace clocktext {

// %1 how far, as a duration reads ("2 min 13 s").
inline const QString kFast = QStringLiteral("%1 fast");
inline const QString kSlow = QStringLiteral("%1 slow");
inline const QString kRight = QStringLiteral("right to the second");

} // namespace clocktext
