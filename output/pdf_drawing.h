#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QPdfWriter;

namespace printout {

// Why a PDF drawn in memory came out empty.
inline const QString kPdfNotDrawn = QStringLiteral("the PDF could not be drawn");

// A PDF drawn in memory by `draw` under `title` (the program as its creator): its bytes, or
// empty with `*error` set when `draw` could not draw it. Written nowhere: the caller decides
// where the bytes go (and what is attached to them first).
QByteArray drawnPdf(const QString &title, const std::function<bool(QPdfWriter &)> &draw,
                    QString *error);

} // namespace printout
