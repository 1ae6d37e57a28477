#pragma once

#include <QAbstractTableModel>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <optional>

// The columns every reader and writer of the table addresses by number.
namespace tablecol {
inline constexpr int kNumberCol = 0;
inline constexpr int kDateCol = 1;
inline constexpr int kTimeCol = 2;
inline constexpr int kValueCol = 3;    // temperature, voltage or CO2
inline constexpr int kHumidityCol = 4; // humidity models only
} // namespace tablecol

// The readings table (FGrid's content): a grid of text cells addressed by (row, column), both
// counted from 0 as users of the table know it. Row 0 is the fixed heading row; rows 1 to
// rows()-1 hold one reading each, oldest first. A cell may be drawn in red (an invalid reading,
// "***").
//
// Beside the texts every reading row keeps what they show: the reading's date and time, the
// running number, and the number of each value cell (columns 3 and 4), exactly the number its
// text shows; "***" has none. Every writer keeps both in step, so readers compute with numbers
// and times and never read a text back. Writers that already hold the number or the moment hand
// it over (setValue, setMoment); a text written alone (a file's cell, a fixture) gets its
// number from the text.
//
// The same object is the Qt model of the table view: the view's horizontal header shows row 0,
// and view row i shows grid row i + 1. Nothing is sized to its contents, so very long tables
// (a live run of days) stay cheap.
class ReadingsTable : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kMaxCols = 6;

    explicit ReadingsTable(QObject *parent = nullptr);

    // Grid size, heading row included. setRows(1) leaves the heading row only; rows never drop
    // below 1. Columns are 0 to kMaxCols; cells of removed rows or columns are forgotten.
    int rows() const { return int(m_rows.size()); }
    void setRows(int n);
    int cols() const { return m_cols; }
    void setCols(int n);

    const QString &text(int r, int c) const;
    void setText(int r, int c, const QString &text);
    bool isRed(int r, int c) const;
    void setRed(int r, int c, bool red);
    // Text and colour of a cell in one step (what filling a row needs).
    void setCell(int r, int c, const QString &text, bool red = false);

    // --- What the texts of a reading row show. ---

    // The number cell (r, c) shows (c = kNumberCol, kValueCol or kHumidityCol); none for
    // "***", an empty cell, the heading row and every other column.
    std::optional<double> number(int r, int c) const;
    // The same with NaN for "no value", for loops over many rows.
    double numberOrNaN(int r, int c) const;
    // The date and the time of day the date and time cells of row r show (invalid when the
    // text is not one).
    QDate date(int r) const;
    QTime time(int r) const;
    // Both as one moment of wall-clock time, kept as UTC so no daylight-saving gap or repeat
    // moves a reading; invalid when either cell is not a date or a time.
    QDateTime readingTime(int r) const;
    // readingTime() and the numbers of the value cells (NaN: none) of every reading row in
    // order, for readers of all of them.
    void forEachReading(
        const std::function<void(const QDateTime &time, double value, double humidity)> &take) const;

    // A number cell (c = kNumberCol, kValueCol or kHumidityCol) with the number its text shows
    // (NaN: none).
    void setValue(int r, int c, const QString &text, double number, bool red = false);
    // The date and time cells of row r with the moment their texts show.
    void setMoment(int r, const QDate &date, const QTime &time, const QString &dateText,
                   const QString &timeText);

    // Horizontal alignment of a column's cells; a new column starts left-aligned, like a
    // plain grid, until the layout centres it. The heading row is always centred.
    Qt::Alignment columnAlignment(int c) const;
    void setColumnAlignment(int c, Qt::Alignment alignment);
    // Rewrites column c of every reading row in place; `edit` returns whether it changed the
    // text. The views hear of it as one change of the column, so a long table stays cheap and
    // a view keeps its scroll position.
    void editColumn(int c, const std::function<bool(QString &text)> &edit);
    // Rewrites the cells of column c (kValueCol or kHumidityCol) that hold a number:
    // `convert` gets the number and returns the new text; the new number is the one that text
    // shows. Announced like editColumn.
    void convertValues(int c, const std::function<QString(double number)> &convert);
    // Appends one reading row and returns its grid row number.
    int appendRow();

    // Limits of a value column (kValueCol or kHumidityCol) in the numbers it shows: a cell
    // strictly above `high` gets a light red background, strictly below `low` a light blue
    // one ("***" keeps its red text and no tint). NaN: no limit.
    void setTintLimits(int c, double high, double low);

    // Between beginBatch() and endBatch() changes are not announced one by one; the views are
    // reset once at the end. Use it for filling many rows.
    void beginBatch();
    void endBatch();

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

private:
    static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    struct Row
    {
        std::array<QString, kMaxCols> cell;
        std::uint8_t red = 0; // one bit per column
    };
    // What a row's texts show, kept apart from them: readers of every row's numbers and
    // times go through far less memory.
    struct Facts
    {
        std::array<double, 3> number{kNone, kNone, kNone}; // columns 0, 3 and 4; NaN: none
        QDate date;
        QTime time;
    };
    bool inGrid(int r, int c) const { return r >= 0 && r < rows() && c >= 0 && c < m_cols; }
    static int numberSlot(int c);
    // Keeps the number or the moment behind cell (r, c) in step with its new text.
    void derive(int r, int c);
    void resizeRows(int n);
    void announce(int r, int c);
    QVariant tint(int r, int c) const;

    static constexpr Qt::Alignment kDefaultAlignment = Qt::AlignLeft | Qt::AlignVCenter;

    // A deque, not a vector: appending a live row to a long table never moves the rows
    // already there.
    std::deque<Row> m_rows;
    std::deque<Facts> m_facts; // beside m_rows, row for row
    std::array<double, 2> m_tintHigh{kNone, kNone}; // columns 3 and 4
    std::array<double, 2> m_tintLow{kNone, kNone};
    std::array<Qt::Alignment, kMaxCols> m_align;
    int m_cols = 0;
    int m_batch = 0;
};
