#include "run/kept_judgement.h"

#include "analysis/analysis_texts.h"

#include <QLocale>

QString keptText(const KeptJudgement &kept, const std::optional<analysis::Verdict> &today)
{
    // The moment as people read it on the screen they stand at.
    const QString when = QLocale::c().toString(kept.at.toLocalTime(), analysistext::kKeptWhen);
    QString text = analysistext::kKept.arg(
        kept.status.value_or(analysistext::kNoVerdict),
        kept.atStoring ? analysistext::kAtStoring : analysistext::kJudgedAgain, when);
    text += kept.limits ? QString() : analysistext::kUnderUnknownLimits;
    if (judgedOtherwise(kept, today))
        return text + analysistext::kUnderToday.arg(analysis::verdictText(*today));
    return kept.limits ? text + analysistext::kUnderKeptLimits : text;
}

bool judgedOtherwise(const KeptJudgement &kept, const std::optional<analysis::Verdict> &today)
{
    return today && kept.status != analysis::verdictText(*today);
}
