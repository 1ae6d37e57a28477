#include "tools/bench/figures.h"
#include "tools/bench/inputs.h"

#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "acquisition/table_texts.h"
#include "common/datetext.h"
#include "common/numfmt.h"

#include <QDateTime>

#include <memory>

namespace bench {

namespace {

void fillTable(Stopwatch &sw, int model)
{
    auto set = std::make_unique<ReadingSet>();
    setFromImage(*set, model, fullMemoryImage(model));
    sw.start();
    set->Fill_Grid();
    sw.stop();
    if (set->table().rows() != set->NoOfReadings / (model == kHumidityModel ? 2 : 1) + 1)
        sw.fail(QStringLiteral("the table has %1 rows").arg(set->table().rows()));
}

// A live run of a humidity logger: one row every 10 seconds. Every 50th reading has a failed
// humidity sensor.
class LiveRun
{
public:
    LiveRun()
    {
        m_set.MODEL = quint8(kHumidityModel);
        m_set.Format_Grid();
    }

    ReadingsTable &table() { return m_set.table(); }

    void appendRow()
    {
        ReadingsTable &t = m_set.table();
        const int r = t.appendRow();
        const double temperature = 20.0 + (r % 97) * 0.1;
        t.setText(r, 0, QString::number(r));
        t.setMoment(r, m_time.date(), m_time.time(), datetext::dateText(m_time.date()),
                    datetext::timeText(m_time.time()));
        t.setText(r, 3, numfmt::picture(temperature, "#00.0"));
        if (r % 50 == 0) {
            t.setText(r, 4, tabletext::kInvalid);
            t.setRed(r, 4, true);
        } else {
            t.setText(r, 4, numfmt::picture(45.0 + (r % 31) * 0.5, "#00.0"));
        }
        m_time = m_time.addSecs(10);
    }

private:
    ReadingSet m_set;
    QDateTime m_time{QDate(2024, 6, 1), QTime(8, 0), Qt::UTC}; // no time-zone work
};

constexpr int kLiveRows = 300000;
constexpr int kAppendedPerRun = 2000;

} // namespace

void fillTemperatureTable(Stopwatch &sw) { fillTable(sw, kTemperatureModel); }
void fillHumidityTable(Stopwatch &sw) { fillTable(sw, kHumidityModel); }

void appendLiveRow(Stopwatch &sw)
{
    // Made once: every run appends its rows to the same long table.
    static const std::unique_ptr<LiveRun> run = [] {
        auto live = std::make_unique<LiveRun>();
        live->table().beginBatch();
        while (live->table().rows() <= kLiveRows)
            live->appendRow();
        live->table().endBatch();
        return live;
    }();
    sw.start();
    for (int i = 0; i < kAppendedPerRun; ++i)
        run->appendRow();
    sw.stop(kAppendedPerRun);
}

} // namespace bench
