#include "tools/manual/manual_render.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>

namespace manual {
namespace {

constexpr int kResolution = 300; // dots per inch of the PDF's layout
constexpr double kMarginMm = 10;
// Printing lays the document out with a margin of its own of 2 cm on every side.
constexpr double kDocumentMarginMm = 20;

// Images wider than the text would run off the page: give each one an explicit size that fits.
// Returns the names of images that could not be read, so a missing screenshot fails the build
// instead of leaving a hole in the manual.
QStringList fitImages(QTextDocument &doc, const QDir &base, qreal textWidth)
{
    QStringList missing;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            // Absolute names: printing lays out a copy of the document, which loads the
            // pictures again and does not know the source's folder.
            const QString path = base.absoluteFilePath(format.name());
            const QImage image(path);
            if (image.isNull()) {
                missing << format.name();
                continue;
            }
            // Sizes are screen pixels (96 per inch); printing scales them to the paper.
            const qreal width = std::min(qreal(image.width()), textWidth);
            format.setName(QUrl::fromLocalFile(path).toString());
            format.setWidth(width);
            format.setHeight(width * image.height() / image.width());
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
    return missing;
}

} // namespace

Result render(const QString &markdownPath, const QString &pdfPath)
{
    Result result;
    QFile source(markdownPath);
    if (!source.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("cannot read %1: %2").arg(markdownPath, source.errorString());
        return result;
    }
    const QString markdown = QString::fromUtf8(source.readAll());
    const QDir base = QFileInfo(markdownPath).absoluteDir();

    // Written beside the target and renamed over it once complete.
    const QString partial = pdfPath + QStringLiteral(".part");
    QFile::remove(partial);
    {
        QPdfWriter writer(partial);
        writer.setResolution(kResolution);
        writer.setTitle(QStringLiteral("Kestrun user manual"));
        writer.setCreator(QStringLiteral("Kestrun"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                         QPageLayout::Millimeter));

        QTextDocument doc;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(10);
        doc.setDefaultFont(font);
        doc.setBaseUrl(QUrl::fromLocalFile(base.absolutePath() + QLatin1Char('/')));
        doc.setMarkdown(markdown);
        // Left unpaginated: print() then breaks it into pages of the writer's size, scales it
        // from screen to paper and numbers the pages.
        const qreal textMm = writer.pageLayout().paintRect(QPageLayout::Millimeter).width() -
                             2 * kDocumentMarginMm;
        const QStringList missing = fitImages(doc, base, textMm / 25.4 * 96.0);
        if (!missing.isEmpty()) {
            result.error = QStringLiteral("images not found: %1").arg(missing.join(", "));
            return result;
        }
        doc.print(&writer);
    }
    if (QFileInfo(partial).size() == 0) {
        result.error = QStringLiteral("cannot write %1").arg(partial);
        return result;
    }
    QFile::remove(pdfPath);
    if (!QFile::rename(partial, pdfPath)) {
        result.error = QStringLiteral("cannot write %1").arg(pdfPath);
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace manual
