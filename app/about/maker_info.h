#pragma once

#include <QString>

// The maker's contact line of the splash and the About box.
namespace maker {

inline const QString kContact =
    QStringLiteral("BRIVAK Instruments \u00b7 support@brivak.example \u00b7 +00 000 000 000");

} // namespace maker
