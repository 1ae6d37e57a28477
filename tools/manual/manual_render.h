#pragma once

#include <QString>

// Turns the Markdown source of the user manual into a PDF: A4 pages, the images the source
// names (relative to its folder) scaled to the text width when they are wider, page numbers at
// the foot. The file is written whole or not at all, so a failed run never leaves half a manual
// where Help would open it.
namespace manual {

struct Result
{
    bool ok = false;
    QString error; // why it failed, for the build log
};

Result render(const QString &markdownPath, const QString &pdfPath);

} // namespace manual
