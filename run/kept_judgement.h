#pragma once

#include "analysis/limits.h"
#include "analysis/summary.h"

#include <QDateTime>
#include <QString>

#include <optional>

// The judgement an archived run keeps: its verdict, the limits it was judged under (unset when
// they were not kept with it), when, and whether at storing or when it was judged again.
struct KeptJudgement
{
    QString key; // the run's archive key
    std::optional<QString> status; // unset: kept without a verdict
    std::optional<analysis::Limits> limits;
    QDateTime at; // UTC
    bool atStoring = true;
};

// What the Summary tab says of it: "Kept: NO LIMITS, at storing on 8 Dec 05:12", and when the
// limits that apply today judge it otherwise (`today`, unset while they are refused) " — Under
// today's limits: ALARM".
QString keptText(const KeptJudgement &kept, const std::optional<analysis::Verdict> &today);

// Whether today's verdict differs from the kept one (and so may be recorded).
bool judgedOtherwise(const KeptJudgement &kept, const std::optional<analysis::Verdict> &today);
