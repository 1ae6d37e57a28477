#pragma once

#include "analysis/limits.h"
#include "analysis/limits_backend.h"

#include <QString>

#include <memory>
#include <optional>

// The limits that apply to the loggers: a set per logger serial number and a default set for
// every logger, kept by a backend — the archive's database for the window and kestrun-cli, so
// every computer of a site judges alike, or settings (tests, and a store made without one).
//
// What is kept is read once and then answered from memory, so a summary never waits on a
// database; reload() reads it again (the window does when a run comes in and when the Limits
// dialog opens). Limits that cannot be read judge nothing: every lookup is then refused with
// the reason, never answered with other limits.
class LimitsStore
{
public:
    // The program's per-user settings (organisation "Brivak", application "Kestrun"), whatever
    // the name of the program that opens them.
    LimitsStore();
    // Settings in an INI file at `iniPath` (created when first written).
    explicit LimitsStore(const QString &iniPath);
    explicit LimitsStore(std::unique_ptr<LimitsBackend> backend);
    ~LimitsStore();

    // Reads what is kept again.
    void reload();
    // Why what is kept cannot be read now; empty when it can.
    QString unreadable() const;

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

    // Each returns false when the limits could not be kept; the store then reads as before.
    bool setDefaults(const analysis::Limits &limits);
    bool setForLogger(const QString &serial, const analysis::Limits &limits);
    // The logger goes back to the default set.
    bool removeForLogger(const QString &serial);
    // Every logger without a set of its own goes back to no limits.
    bool removeDefaults();

    // Where the limits are kept (a file name, the archive), for messages.
    QString location() const;

private:
    void readNow() const;
    const LimitsBackend::Sets &sets() const;
    std::optional<analysis::LimitValues> stored(const QString &scope) const;
    static analysis::Validation checked(const analysis::LimitValues &values, const QString &whose);
    bool change(const QString &scope, const std::optional<analysis::Limits> &limits);

    std::unique_ptr<LimitsBackend> m_backend;
    mutable std::optional<LimitsBackend::Sets> m_sets; // unset until read, or unreadable
    mutable QString m_unreadable;
    mutable bool m_read = false;
};
