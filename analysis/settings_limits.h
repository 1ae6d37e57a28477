#pragma once

#include "analysis/limits_backend.h"

#include <memory>

class QSettings;

// Limits kept in settings: the program's per-user settings (organisation "Brivak",
// application "Kestrun", whatever the name of the program that opens them), or an INI file.
class SettingsLimits final : public LimitsBackend
{
public:
    SettingsLimits();
    explicit SettingsLimits(const QString &iniPath);
    ~SettingsLimits() override;

    std::optional<Sets> readAll(QString *why) override;
    bool write(const QString &scope, const std::optional<analysis::Limits> &limits) override;
    QString location() const override;

private:
    std::optional<analysis::LimitValues> read(const QString &group) const;
    bool commit();

    std::unique_ptr<QSettings> m_settings;
};
