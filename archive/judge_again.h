#pragma once

#include "archive/judgement.h"
#include "run/kept_judgement.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>

#include <optional>

class RunDocument;

namespace archive {

class ArchiveDb;

// A kept judgement as the run document takes it.
KeptJudgement keptOf(const QString &key, const Judgement &judgement);
// The newest of a run's judgements (the one its status follows); unset when there is none.
std::optional<KeptJudgement> newestKept(const QString &key, const QList<Judgement> &judgements);

// How the limits that apply today judge a run.
struct TodaysJudgement
{
    std::optional<QString> status; // unset: today's limits are refused, and judge nothing
    QJsonObject limits;            // today's limits as a snapshot
    QString refusal;               // why they are refused
};
// Today's judgement of the run `doc` shows (by its one summary code).
TodaysJudgement judgedToday(RunDocument &doc);

// A run of the archive beside today's judgement of it.
struct Comparison
{
    KeptJudgement kept;
    TodaysJudgement today;
    bool differs() const { return today.status && today.status != kept.status; }
};
// The run of `key` in `db`, judged today by `doc`'s limits store (the document shows it
// afterwards, under its kept judgement); unset with the archive's error in `why`.
std::optional<Comparison> compareWithToday(ArchiveDb &db, const QString &key, RunDocument &doc,
                                           QString *why);

} // namespace archive
