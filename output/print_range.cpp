#include "output/print_range.h"

#include "acquisition/readings_table.h"
#include "common/datetext.h"

#include <algorithm>

namespace {

using namespace tablecol;

// Puts a time back into a list's edit field in the table's own form; text that is not a time
// stays as typed, so the user sees what they wrote.
QString shownTime(const QString &text)
{
    const QTime t = datetext::parseTypedTime(text);
    return t.isValid() ? datetext::timeText(t) : text;
}

QDate clamp(const QDate &d, const QDate &lo, const QDate &hi)
{
    if (!d.isValid())
        return lo;
    if (lo.isValid() && d < lo)
        return lo;
    if (hi.isValid() && d > hi)
        return hi;
    return d;
}

} // namespace

PrintRange::PrintRange(const ReadingsTable &table) : m_table(table) {}

bool PrintRange::hasReadings() const
{
    return m_table.rows() >= 2;
}

QDate PrintRange::firstDate() const
{
    return hasReadings() ? m_table.date(1) : QDate();
}

QDate PrintRange::lastDate() const
{
    return hasReadings() ? m_table.date(m_table.rows() - 1) : QDate();
}

void PrintRange::forEachTimeOn(const QDate &d,
                               const std::function<void(const QString &, const QTime &)> &add) const
{
    if (!d.isValid())
        return;
    for (int r = 1; r < m_table.rows(); ++r) {
        if (m_table.date(r) == d)
            add(m_table.text(r, kTimeCol), m_table.time(r));
    }
}

void PrintRange::start()
{
    Form_Ready = false;
    Set_Dates();
    Limit_Dates();
    Fill_Times();
    Form_Ready = true;
}

void PrintRange::Set_Dates()
{
    m_startDate = firstDate();
    m_endDate = lastDate();
}

void PrintRange::Limit_Dates()
{
    m_startMin = firstDate();
    m_startMax = m_endDate;
    m_endMin = m_startDate;
    m_endMax = lastDate();
}

void PrintRange::Fill_Times()
{
    m_start = TimeList{};
    m_end = TimeList{};
    forEachTimeOn(m_startDate, [this](const QString &t, const QTime &) { m_start.items << t; });
    if (!m_start.items.isEmpty()) {
        m_start.current = 0;
        m_start.text = m_start.items.front();
    }
    forEachTimeOn(m_endDate, [this](const QString &t, const QTime &) { m_end.items << t; });
    if (!m_end.items.isEmpty()) {
        m_end.current = int(m_end.items.size()) - 1;
        m_end.text = m_end.items.back();
    }
}

void PrintRange::Fill_EndTimes()
{
    const QTime t1 = datetext::parseTypedTime(m_start.text);
    const QString endShown = shownTime(m_end.text);
    m_end = TimeList{};
    m_end.text = endShown;
    const bool sameDay = m_startDate == m_endDate;
    forEachTimeOn(m_endDate, [&](const QString &text, const QTime &t) {
        // A start time that is not a time cannot exclude anything.
        if (sameDay && t1.isValid() && t.isValid() && t < t1)
            return;
        m_end.items << text;
    });
}

void PrintRange::Fill_StartTimes()
{
    const QTime t2 = datetext::parseTypedTime(m_end.text);
    const QString startShown = shownTime(m_start.text);
    m_start = TimeList{};
    m_start.text = startShown;
    const bool sameDay = m_startDate == m_endDate;
    forEachTimeOn(m_startDate, [&](const QString &text, const QTime &t) {
        if (sameDay && t2.isValid() && t.isValid() && t > t2)
            return;
        m_start.items << text;
    });
}

void PrintRange::setStartDate(const QDate &d)
{
    m_startDate = clamp(d, m_startMin, m_startMax);
    const bool ready = Form_Ready;
    Form_Ready = false;
    Limit_Dates();
    Fill_Times();
    Form_Ready = ready;
}

void PrintRange::setEndDate(const QDate &d)
{
    m_endDate = clamp(d, m_endMin, m_endMax);
    const bool ready = Form_Ready;
    Form_Ready = false;
    Limit_Dates();
    Fill_Times();
    Form_Ready = ready;
}

void PrintRange::pickStartTime(int index)
{
    if (index < 0 || index >= m_start.items.size())
        return;
    m_start.current = index;
    m_start.text = m_start.items.at(index);
    if (!Form_Ready)
        return;
    Form_Ready = false;
    Fill_EndTimes();
    Form_Ready = true;
}

void PrintRange::pickEndTime(int index)
{
    if (index < 0 || index >= m_end.items.size())
        return;
    m_end.current = index;
    m_end.text = m_end.items.at(index);
    if (!Form_Ready)
        return;
    Form_Ready = false;
    Fill_StartTimes();
    Form_Ready = true;
}
