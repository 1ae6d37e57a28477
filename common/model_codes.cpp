#include "common/model_codes.h"

namespace model {

Family family(int code)
{
    switch (code) {
    case kRV110:
    case kRV120:
    case kRV120b:
    case kRV310:
    case kRV320:
        return Family::Temperature;
    case kRV210:
    case kRV220:
        return Family::Humidity;
    case kRV410:
        return Family::Voltage;
    case kRV420:
        return Family::CO2;
    default:
        return Family::Unknown;
    }
}

bool hasTemperature(int code)
{
    const Family f = family(code);
    return f == Family::Temperature || f == Family::Humidity;
}

bool isHumidity(int code)
{
    return family(code) == Family::Humidity;
}

int wordsPerReading(int code)
{
    const Family f = family(code);
    return (f == Family::Humidity || f == Family::Unknown) ? 2 : 1;
}

QString label(int code)
{
    switch (code) {
    case kRV110:
        return QStringLiteral("RV-110");
    case kRV120:
    case kRV120b:
        return QStringLiteral("RV-120");
    case kRV310:
        return QStringLiteral("RV-310");
    case kRV320:
        return QStringLiteral("RV-320");
    case kRV210:
        return QStringLiteral("RV-210");
    case kRV220:
        return QStringLiteral("RV-220");
    case kRV410:
        return QStringLiteral("RV-410");
    case kRV420:
        return QStringLiteral("RV-420(CO2 0-2000 PPM)");
    default:
        return QString();
    }
}

} // namespace model
