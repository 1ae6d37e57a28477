#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

class ReadingsTable;

// The date and time choices of the Print Options dialog, without the widgets: two date
// pickers limited to the data and to each other, and two editable lists of the time texts of
// the chosen days. The dialog shows this state and reports the user's actions to it; tests
// drive it directly.
//
// Form_Ready is false while the state is filled or re-limited by code. A selection made
// while it is false is only recorded: setting a list's selection from code raises the same
// notification as a user's choice, and must not rebuild the other list.
class PrintRange
{
public:
    // A drop-down list of time texts: its entries, the selected entry (-1: none) and the text
    // of its edit field (the selected entry, or what was typed or put there).
    struct TimeList
    {
        QStringList items;
        int current = -1;
        QString text;
    };

    explicit PrintRange(const ReadingsTable &table);

    // True when the table holds at least one reading.
    bool hasReadings() const;

    // Start-up: Set_Dates, Limit_Dates and Fill_Times with Form_Ready false, then true.
    void start();

    // The start picker shows the first reading's date, the end picker the last one's.
    void Set_Dates();
    // Start: from the first reading's date to the end date; end: from the start date to the
    // last reading's date.
    void Limit_Dates();
    // Both lists from the table: the start list holds the times of the start day, first one
    // selected; the end list the times of the end day, last one selected.
    void Fill_Times();
    // After a start time is picked: the end list again, keeping the end time shown; on a
    // single day only times not before the start time.
    void Fill_EndTimes();
    // After an end time is picked: the mirror image.
    void Fill_StartTimes();

    // --- What the user does ---
    // A date change (kept within the picker's limits) re-limits both pickers and refills both
    // lists, so both time choices start afresh.
    void setStartDate(const QDate &d);
    void setEndDate(const QDate &d);
    // Picking an entry of a list; rebuilds the other list only when Form_Ready.
    void pickStartTime(int index);
    void pickEndTime(int index);
    // Typing into a list's edit field.
    void setStartTimeText(const QString &text) { m_start.text = text; }
    void setEndTimeText(const QString &text) { m_end.text = text; }

    bool Form_Ready = false;

    QDate startDate() const { return m_startDate; }
    QDate endDate() const { return m_endDate; }
    QDate startMinimum() const { return m_startMin; }
    QDate startMaximum() const { return m_startMax; }
    QDate endMinimum() const { return m_endMin; }
    QDate endMaximum() const { return m_endMax; }
    const TimeList &startList() const { return m_start; }
    const TimeList &endList() const { return m_end; }

private:
    QDate firstDate() const;
    QDate lastDate() const;
    // Calls `add` with the time text of every reading on day `d`, in table order.
    // The time text and the time of every row on day d, in table order.
    void forEachTimeOn(const QDate &d,
                       const std::function<void(const QString &, const QTime &)> &add) const;

    const ReadingsTable &m_table;
    QDate m_startDate, m_endDate;
    QDate m_startMin, m_startMax, m_endMin, m_endMax;
    TimeList m_start, m_end;
};
