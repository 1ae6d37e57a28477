#include "output/pdf_drawing.h"

#include "common/app_info.h"

#include <QBuffer>
#include <QPdfWriter>

namespace printout {

QByteArray drawnPdf(const QString &title, const std::function<bool(QPdfWriter &)> &draw,
                    QString *error)
{
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    bool drawn = false;
    {
        // The writer ends the document as it goes.
        QPdfWriter writer(&pdf);
        writer.setTitle(title);
        writer.setCreator(appinfo::title());
        drawn = draw(writer);
    }
    if (drawn)
        return pdf.data();
    if (error)
        *error = kPdfNotDrawn;
    return {};
}

} // namespace printout
