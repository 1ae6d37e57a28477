#pragma once

#include "analysis/limits.h"

#include <QString>

#include <memory>
#include <optional>

class QSettings;

// Limits kept in the per-user settings: a set per logger serial number and a default set for
// every logger. The window and kestrun-cli open the same settings, so both see the same
// limits; tests and scripts can point the store at a file of their own.
class LimitsStore
{
public:
    // The program's per-user settings (organisation "Brivak", application "Kestrun"), whatever
    // the name of the program that opens them.
    LimitsStore();
    // Settings in an INI file at `iniPath` (created when first written).
    explicit LimitsStore(const QString &iniPath);
    ~LimitsStore();

    // The limits that apply to a logger: its own set, or the default when it has none (no
    // limits when neither is stored). A stored set that fails the check of typed limits is
    // refused with its reason and never judged by; nothing stands in for it, not even the
    // default.
    analysis::Validation lookup(const QString &serial) const;
    analysis::Validation defaults() const;
    // What is stored, value by value as kept (temperatures in °C), whether sound or not;
    // nullopt when no set is stored there.
    std::optional<analysis::LimitValues> storedForLogger(const QString &serial) const;
    std::optional<analysis::LimitValues> storedDefaults() const;
    // What a change of the logger's limits starts from: its own set, else the default (as the
    // dialog shows it), else nothing.
    analysis::LimitValues startingPoint(const QString &serial) const;

    // Each returns false when the settings could not be written; the store then reads as before.
    bool setDefaults(const analysis::Limits &limits);
    bool setForLogger(const QString &serial, const analysis::Limits &limits);
    // The logger goes back to the default set.
    bool removeForLogger(const QString &serial);
    // Every logger without a set of its own goes back to no limits.
    bool removeDefaults();

    // Where the settings are kept (a file name), for messages.
    QString location() const;

private:
    static QString loggerGroup(const QString &serial);
    std::optional<analysis::LimitValues> read(const QString &group) const;
    static analysis::Validation checked(const analysis::LimitValues &values, const QString &whose);
    bool write(const QString &group, const analysis::Limits &limits);
    bool commit();

    std::unique_ptr<QSettings> m_settings;
};
