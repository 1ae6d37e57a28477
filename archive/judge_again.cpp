#include "archive/judge_again.h"

#include "acquisition/reading_set.h"
#include "analysis/limits_store.h"
#include "archive/archive_db.h"
#include "archive/audit_event.h"
#include "archive/limits_snapshot.h"
#include "datafile/set_io.h"
#include "run/run_document.h"

namespace archive {

KeptJudgement keptOf(const QString &key, const Judgement &judgement)
{
    return {key, judgement.status,
            judgement.limits ? std::optional(limitsFromSnapshot(*judgement.limits)) : std::nullopt,
            judgement.at, judgement.action != action::kRejudge};
}

std::optional<KeptJudgement> newestKept(const QString &key, const QList<Judgement> &judgements)
{
    if (judgements.isEmpty())
        return std::nullopt;
    return keptOf(key, judgements.last());
}

TodaysJudgement judgedToday(RunDocument &doc)
{
    const analysis::Validation today = doc.limitsStore().lookup(doc.identity().serial);
    TodaysJudgement out;
    out.refusal = today.error;
    out.limits = limitsSnapshot(today.limits.value_or(analysis::Limits{}), doc.set().MODEL);
    if (const auto verdict = doc.todaysVerdict(); verdict && today.limits)
        out.status = analysis::verdictText(*verdict);
    return out;
}

std::optional<Comparison> compareWithToday(ArchiveDb &db, const QString &key, RunDocument &doc,
                                           QString *why)
{
    const auto bytes = db.bytes(key);
    const auto judgements = bytes ? db.judgements(key) : std::nullopt;
    if (!judgements) {
        *why = db.error();
        return std::nullopt;
    }
    std::optional<KeptJudgement> kept = newestKept(key, *judgements);
    const setio::Opened opened = doc.openArchived(*bytes, key, kept);
    if (opened.status != setio::Status::Ok) {
        *why = setio::explained(opened);
        return std::nullopt;
    }
    return Comparison{*kept, judgedToday(doc)};
}

} // namespace archive
