#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>

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

    // Horizontal alignment of a column's cells; a new column starts left-aligned, like a
    // plain grid, until the layout centres it. The heading row is always centred.
    Qt::Alignment columnAlignment(int c) const;
    void setColumnAlignment(int c, Qt::Alignment alignment);
    // Rewrites column c of every reading row in place; `edit` returns whether it changed the
    // text. The views hear of it as one change of the column, so a long table stays cheap and
    // a view keeps its scroll position.
    void editColumn(int c, const std::function<bool(QString &text)> &edit);
    // Appends one reading row and returns its grid row number.
    int appendRow();

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
    struct Row
    {
        std::array<QString, kMaxCols> cell;
        std::uint8_t red = 0; // one bit per column
    };
    void announce(int r, int c);

    static constexpr Qt::Alignment kDefaultAlignment = Qt::AlignLeft | Qt::AlignVCenter;

    // A deque, not a vector: appending a live row to a long table never moves the rows
    // already there.
    std::deque<Row> m_rows;
    std::array<Qt::Alignment, kMaxCols> m_align;
    int m_cols = 0;
    int m_batch = 0;
};
