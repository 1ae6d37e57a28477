#pragma once

#include "analysis/limits.h"

#include <QMap>
#include <QString>

#include <optional>

// Where a LimitsStore keeps its sets: one set per scope, "default" for every logger and
// "logger:<serial>" for one. The per-user settings keep them for tests and a computer on its
// own; the archive's database keeps a site's (archive/site_limits.h).
class LimitsBackend
{
public:
    using Sets = QMap<QString, analysis::LimitValues>;

    virtual ~LimitsBackend() = default;

    // Every set kept, value by value as kept; nullopt when they cannot be read, with why.
    virtual std::optional<Sets> readAll(QString *why) = 0;
    // One scope's set replaced by `limits`, or removed (nullopt); false when it could not be.
    virtual bool write(const QString &scope, const std::optional<analysis::Limits> &limits) = 0;
    // Where the sets are kept, for messages.
    virtual QString location() const = 0;
};

namespace analysis {

inline const QString kDefaultScope = QStringLiteral("default");
// "logger:0045"; empty for a blank serial.
QString loggerScope(const QString &serial);

} // namespace analysis
