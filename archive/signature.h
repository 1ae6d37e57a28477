#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QList>
#include <QString>

#include <optional>

namespace archive {

// "reviewed", "approved": what a signer says by signing, as the trail and the command line
// name it; "Reviewed", "Approved" as people read it.
enum class Meaning { Reviewed, Approved };
QString meaningName(Meaning m);
QString meaningCaption(Meaning m);
std::optional<Meaning> meaningFromName(const QString &name);

// One signature of a run: who (login and printed name), what they meant, when, and what they
// signed: the run's bytes (their SHA-256) under one judgement (the hash of the trail's event
// that recorded it). Itself an event of the trail (`seq`).
struct Signature
{
    qint64 seq = 0;
    QString run;
    QString user;
    QString name;
    Meaning meaning = Meaning::Reviewed;
    QDateTime at; // UTC
    QString runSha256;
    QString judgementHash;

    bool operator==(const Signature &) const = default;
};

// The signatures as `archive list --json` gives them: [{"user", "name", "meaning", "at"}],
// the meaning by its name ("reviewed") and the time in UTC ("2026-12-08T05:12:01Z").
QJsonArray signaturesJson(const QList<Signature> &signatures);

} // namespace archive
