#pragma once

#include "analysis/limits.h"
#include "analysis/summary.h"
#include "common/logger_identity.h"
#include "datafile/set_io.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

class LimitsStore;
class RunDocument;

// What is known of a run besides its bytes: whose readings they are, how many, from when to
// when, and its one summary under the limits that apply. The archive keeps these beside the
// bytes.
struct RunFacts
{
    setio::Opened opened; // how the file opened (Ok for a run shown)
    int model = 0;
    LoggerIdentity identity;
    int readings = 0;
    QDateTime first; // the reading times of the first and the last row
    QDateTime last;
    analysis::Summary summary;
    QString limitsRefusal; // as RunDocument::limitsRefusal(): empty when the limits judge
    std::optional<analysis::Limits> limits; // what the summary judged by; unset when refused
};

// The facts of the run a document shows.
RunFacts factsOf(const RunDocument &doc);

// The facts of a ".brv2" file's run exactly as Open would show it in degC, but without
// filling a table: a row file of weeks holds millions of rows, and their table would cost many
// times the file. The limits are looked up in `store` as a document looks them up (nullptr:
// the per-user settings).
RunFacts readRunFacts(const QByteArray &bytes, LimitsStore *store = nullptr);
