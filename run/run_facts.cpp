#include "run/run_facts.h"

#include "acquisition/reading_set.h"
#include "analysis/limits_store.h"
#include "run/run_document.h"

#include <cmath>
#include <memory>

namespace {

// The rows as the summary reads them off a table: each row's reading time and the numbers
// its value cells show.
class SummaryRows : public setio::RowTaker
{
public:
    explicit SummaryRows(std::vector<analysis::SummaryRow> &rows) : m_rows(rows) {}
    void expect(qsizetype rows) override { m_rows.reserve(size_t(rows)); }
    void take(setio::ShownRow &&row) override
    {
        // The table keeps whole seconds, and wall-clock times as UTC.
        const QTime t(row.time.hour(), row.time.minute(), row.time.second());
        m_rows.push_back({QDateTime(row.date, t, Qt::UTC), number(row.valueNumber),
                          number(row.humidityNumber)});
    }

private:
    static std::optional<double> number(double v)
    {
        return std::isnan(v) ? std::nullopt : std::optional<double>(v);
    }
    std::vector<analysis::SummaryRow> &m_rows;
};

} // namespace

RunFacts factsOf(const RunDocument &doc)
{
    RunFacts f;
    f.opened.status = setio::Status::Ok;
    f.model = doc.set().MODEL;
    f.identity = doc.identity();
    f.readings = doc.readingCount();
    if (f.readings > 0) {
        f.first = doc.set().readingTime(1);
        f.last = doc.set().readingTime(f.readings);
    }
    f.summary = doc.summary();
    f.limitsRefusal = doc.limitsRefusal();
    if (f.limitsRefusal.isEmpty())
        f.limits = doc.limits();
    return f;
}

RunFacts readRunFacts(const QByteArray &bytes, LimitsStore *store)
{
    analysis::SummaryInput in;
    SummaryRows rows(in.rows);
    setio::Loaded loaded = setio::load(bytes, false, {}, &rows);
    if (loaded.opened.status != setio::Status::Ok) {
        RunFacts failed;
        failed.opened = loaded.opened;
        return failed;
    }
    if (loaded.content.isImage()) {
        // A memory image holds at most a full memory: shown as Open shows it.
        RunDocument doc(store);
        const setio::Opened opened = doc.openArchived(bytes, QString());
        RunFacts f = factsOf(doc);
        f.opened = opened;
        return f;
    }
    const brv2::Content &c = loaded.content;
    std::unique_ptr<LimitsStore> own;
    if (!store) {
        own = std::make_unique<LimitsStore>();
        store = own.get();
    }
    RunFacts f;
    f.opened = loaded.opened;
    f.model = c.model;
    f.identity = LoggerIdentity::fromCaptions(c.serialCaption, c.locationCaption);
    f.readings = int(in.rows.size());
    if (!in.rows.empty()) {
        f.first = in.rows.front().time;
        f.last = in.rows.back().time;
    }
    const analysis::Validation kept = store->lookup(f.identity.serial);
    f.limitsRefusal = kept.error;
    f.limits = kept.limits;
    in.model = c.model;
    f.summary = analysis::summarize(in, kept.limits.value_or(analysis::Limits{}));
    return f;
}
