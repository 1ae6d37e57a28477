#pragma once

#include "acquisition/readings_table.h"

#include <QList>
#include <QStringList>

namespace tablecells {

// Every cell of `t` as its text, and which cells are red: what a test keeps to prove later
// that the table was left exactly as it was.
inline void copy(const ReadingsTable &t, QList<QStringList> *cells, QList<QList<bool>> *red)
{
    cells->clear();
    red->clear();
    for (int r = 0; r < t.rows(); ++r) {
        QStringList row;
        QList<bool> rowRed;
        for (int c = 0; c < t.cols(); ++c) {
            row << t.text(r, c);
            rowRed << t.isRed(r, c);
        }
        *cells << row;
        *red << rowRed;
    }
}

} // namespace tablecells
