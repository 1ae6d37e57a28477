#include "device/logger_models.h"

namespace loggermodels {

std::optional<QString> label(int code)
{
    switch (code) {
    case 1:
        return QStringLiteral("RV-110");
    case 2:
        return QStringLiteral("RV-210");
    case 3:
        return QStringLiteral("RV-410");
    case 4:
    case 5:
        return QStringLiteral("RV-120");
    case 6:
        return QStringLiteral("RV-220");
    case 7:
        return QStringLiteral("RV-310");
    case 8:
        return QStringLiteral("RV-320");
    case 32:
        return QStringLiteral("RV-420(CO2 0-2000 PPM)");
    default:
        return std::nullopt;
    }
}

int bytesPerReading(int code)
{
    switch (code) {
    case 1:
    case 3:
    case 4:
    case 5:
    case 7:
    case 8:
    case 32:
        return 2;
    default:
        return 4;
    }
}

int capacity(int code) { return bytesPerReading(code) == 2 ? 16000 : 8000; }

} // namespace loggermodels
