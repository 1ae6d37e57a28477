#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

// One event of the archive's audit trail: what was done, to which run, by whom, where, when and
// why, chained to the event before it by a hash. Events are only ever appended.
namespace archive {

// The actions, as the trail and `audit list --json` name them.
namespace action {
inline const QString kStore = QStringLiteral("store");
inline const QString kWithdraw = QStringLiteral("withdraw");
inline const QString kSign = QStringLiteral("sign");
inline const QString kSignFailed = QStringLiteral("sign-failed");
inline const QString kLimits = QStringLiteral("limits");
inline const QString kRejudge = QStringLiteral("rejudge");
inline const QString kReport = QStringLiteral("report");
inline const QString kExport = QStringLiteral("export");
inline const QString kSettings = QStringLiteral("settings");
} // namespace action

struct AuditEvent
{
    qint64 seq = 0;      // 1, 2, ... in the order appended; set when appended
    QDateTime at;        // UTC, whole seconds
    int utcOffsetS = 0;  // the computer's offset from UTC at that moment
    QString user;        // login name of the account the program runs as
    QString computer;
    QString action;
    QString run;         // the run's key; empty when the event concerns none
    QJsonObject details; // old and new values, hashes, how a run was obtained...
    std::optional<QString> reason;
    QString prevHash;    // set when appended
    QString hash;        // set when appended

    bool operator==(const AuditEvent &) const = default;
};

// An event of this moment, this account and this computer.
AuditEvent newEvent(const QString &action, const QString &run = {}, QJsonObject details = {},
                    std::optional<QString> reason = std::nullopt);

// The hash of the event before the first.
inline const QString kFirstPrevHash(64, QLatin1Char('0'));

// The event as its hash covers it: a compact JSON object of every field but the two hashes,
// keys in order, so the same event always gives the same bytes.
QByteArray canonicalForm(const AuditEvent &event);
// SHA-256 over `prevHash` (its 64 hex digits) followed by the event's canonical form.
QString chainedHash(const QString &prevHash, const AuditEvent &event);

// A JSON object as compact text, the form the archive keeps details and limits in.
QString jsonText(const QJsonObject &o);

// The time of an event as the trail keeps it ("2026-12-08T05:12:01Z") and back.
QString eventTime(const QDateTime &utc);
QDateTime parseEventTime(const QString &text);

} // namespace archive
