#include "run/run_origin.h"


QString runOriginName(RunOrigin origin)
{
    switch (origin) {
    case RunOrigin::Download:
        return QStringLiteral("download");
    case RunOrigin::Live:
        return QStringLiteral("live");
    case RunOrigin::File:
        return QStringLiteral("import");
    case RunOrigin::None:
    case RunOrigin::Archive:
        break;
    }
    return QString();
}

std::optional<RunOrigin> runOriginFromName(const QString &name)
{
    for (const RunOrigin o : {RunOrigin::Download, RunOrigin::Live, RunOrigin::File})
        if (runOriginName(o) == name)
            return o;
    return std::nullopt;
}

