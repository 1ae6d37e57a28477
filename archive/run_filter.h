#pragma once

#include <QDateTime>
#include <QString>
#include <QVariantList>

#include <optional>

// Which runs a list shows and in which order; one SQL text for the command line's list and the
// browser's table alike.
namespace archive {

struct RunFilter
{
    std::optional<int> serial;
    QString location; // part of the location, in any case and with or without accents
    QDateTime since;  // runs with a reading at or after this logger time (invalid: no bound)
    QDateTime until;  // runs with a reading at or before this logger time
    bool alarmsOnly = false;
    bool withdrawn = false; // withdrawn runs listed too
};

// The columns of a list: the browser's, in its order, then what only the command line lists
// (each sensor's failed readings: count, longest run in seconds, first time), then whether the
// run was withdrawn.
enum class RunColumn {
    StoredAt,
    Serial,
    Location,
    Model,
    First,
    Last,
    Readings,
    Status,
    Source,
    StoredBy,
    Computer,
    Key,
    Failed1,
    FailedLongest1,
    FailedAt1,
    Failed2,
    FailedLongest2,
    FailedAt2,
    Withdrawn
};
inline constexpr int kRunColumnCount = 12; // the browser's
inline constexpr int kListColumnCount = 19;

struct RunQuery
{
    QString sql; // SELECT of the list's columns (in RunColumn's order), no run bytes
    QVariantList values; // bound in order to the placeholders
};

// Newest stored first unless `sortColumn` says otherwise. A `limit` above 0 keeps that many
// runs from the `offset`-th on: one page of a long list.
RunQuery listQuery(const RunFilter &filter, RunColumn sortColumn = RunColumn::StoredAt,
                   Qt::SortOrder order = Qt::DescendingOrder, int limit = 0, int offset = 0);

// How many runs listQuery(filter) lists: its runs in no order (sorting them only to count them
// would cost a sort of the whole archive at every count).
RunQuery countQuery(const RunFilter &filter);

// A text as location search compares it, in every language: compatibility forms and accents
// taken apart and the accents dropped, then case folded ("Ünïcode" and "UNICODE" both give
// "unicode", "Straße" gives "strasse"). The archive stores each run's location folded beside it.
QString searchFolded(const QString &text);

// A date the user typed as the first or the last moment it names: a date "2024-05-17", or a
// date and time "2024-05-17T08:00" or "2024-05-17T08:00:30"; invalid for anything else.
QDateTime parseBound(const QString &text, bool endOfDay);

} // namespace archive
