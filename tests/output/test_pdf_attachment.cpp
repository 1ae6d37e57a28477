// A run's file attached to a PDF Qt wrote, read back by us and by poppler's tools.

#include "common/model_codes.h"
#include "common/sha256.h"
#include "datafile/brv2_file.h"
#include "output/pdf_attachment.h"
#include "print_test_support.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTest>

using namespace printtest;
using Status = pdfattach::Extracted::Status;

namespace {

const QString kLine = QStringLiteral("Cold store 3 stayed between 2.0 and 8.0");
// Figures as the report would give them, with a character outside Latin-1's ASCII half.
const QByteArray kFigures =
    QByteArrayLiteral("{\"readings\":2000,\"status\":\"ALARM\",\"unit\":\"\xc2\xb0"
                      "C\"}");

QByteArray qtPdf()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        QPainter painter(&writer);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
        painter.drawText(QPointF(600, 600), kLine);
    }
    return buffer.data();
}

// The image file of a memory that is not all one value.
QByteArray runFile()
{
    QByteArray image(2000, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i * 37 + i / 11) & 0xff);
    return brv2::encodeImage(model::kRV110, image);
}

pdfattach::Attachment attachment(const QString &name, const QByteArray &bytes)
{
    return {name, bytes, brv2::kMimeType, kFigures};
}

QByteArray attached(const QByteArray &pdf, const QString &name, const QByteArray &bytes)
{
    const pdfattach::Attached out = pdfattach::attach(pdf, attachment(name, bytes));
    if (!out.ok())
        qWarning("%s", qPrintable(out.why));
    return out.pdf;
}

// The PDF with one byte of the attached file's (compressed) data changed, `at` bytes into it
// (-1: in the middle).
QByteArray withAttachmentDataChanged(QByteArray pdf, qsizetype offset)
{
    const qsizetype type = pdf.indexOf("/Type /EmbeddedFile");
    const qsizetype start = pdf.indexOf("stream\n", type) + 7;
    const qsizetype end = pdf.indexOf("endstream", start);
    if (type < 0 || start < 7 || end < 0)
        return {};
    const qsizetype at = offset < 0 ? (start + end) / 2 : start + offset;
    pdf[at] = char(pdf[at] ^ 0x55);
    return pdf;
}

} // namespace

class TestPdfAttachment : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Attached and written, then read back: by extract(), and by poppler as any reader would.
    void attachedFileReadsBack()
    {
        OutputDir dir;
        const QString path = dir.filePath(QStringLiteral("report.pdf"));
        const QByteArray run = runFile();
        QString why;
        QVERIFY2(pdfattach::writeWithAttachment(
                     qtPdf(), attachment(QStringLiteral("run.brv2"), run), path, &why),
                 qPrintable(why));

        const pdfattach::Extracted back = pdfattach::extractFile(path);
        QVERIFY2(back.ok(), qPrintable(back.reason));
        QCOMPARE(back.fileName, QStringLiteral("run.brv2"));
        QCOMPARE(back.bytes, run);
        QCOMPARE(back.mimeType, brv2::kMimeType);
        QCOMPARE(back.metadataJson, kFigures);

        // The page's text is still there, the attachment is listed and saves the same bytes.
        QVERIFY2(pdfLines(path).contains(kLine), qPrintable(pdfLines(path).join(u'|')));
        const QStringList listed =
            printtest::run(QStringLiteral("pdfdetach"), {QStringLiteral("-list"), path})
                .split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(listed,
                 (QStringList{QStringLiteral("1 embedded files"), QStringLiteral("1: run.brv2")}));
        const QString saved = dir.filePath(QStringLiteral("saved.brv2"));
        printtest::run(QStringLiteral("pdfdetach"), {QStringLiteral("-save"), QStringLiteral("1"),
                                                     QStringLiteral("-o"), saved, path});
        const QString sum =
            printtest::run(QStringLiteral("sha256sum"), {saved}).section(u' ', 0, 0);
        QCOMPARE(sum, sha256Hex(run));
        // The figures, as a reader's document properties show them.
        const QString info = printtest::run(
            QStringLiteral("pdfinfo"),
            {QStringLiteral("-custom"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path});
        const QStringList infoLines = info.split(u'\n').filter(QStringLiteral("KestrunFigures:"));
        QCOMPARE(infoLines.size(), 1);
        QCOMPARE(infoLines[0].section(u':', 1).trimmed(), QString::fromUtf8(kFigures));

        // What cannot be attached is not written: the report already there stays whole.
        QVERIFY(!pdfattach::writeWithAttachment(run, attachment(QStringLiteral("x.brv2"), run),
                                                path, &why));
        QVERIFY2(why.startsWith(pdfattach::kCannotAttach.arg(QString())), qPrintable(why));
        QCOMPARE(pdfattach::extractFile(path).bytes, run);
    }

    void extract_data()
    {
        QTest::addColumn<QByteArray>("pdf");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason"); // the start of it: qpdf's own words follow
        QTest::addColumn<bool>("sameBytes");

        const QByteArray run = runFile();
        const QByteArray one = attached(qtPdf(), QStringLiteral("run.brv2"), run);
        QByteArray forged = run;
        forged.replace("#1899-12-30#", "#1899-12-31#");

        QTest::newRow("a file that is not a PDF")
            << run << int(Status::NotPdf) << pdfattach::kNotPdf << false;
        QTest::newRow("a PDF without an attachment")
            << qtPdf() << int(Status::NoAttachment) << pdfattach::kNoAttachment << false;
        QTest::newRow("two attachments")
            << attached(one, QStringLiteral("other.brv2"), run) << int(Status::SeveralAttachments)
            << pdfattach::kSeveralAttachments.arg(2) << false;
        QTest::newRow("the attached data's header damaged in place")
            << withAttachmentDataChanged(one, 0) << int(Status::Damaged)
            << pdfattach::kAttachmentDamaged.arg(QStringLiteral("run.brv2"), QString()) << false;
        // Compressed data changed inside may still decode, to other bytes.
        QTest::newRow("the attached data changed in place")
            << withAttachmentDataChanged(one, -1) << int(Status::Ok) << QString() << false;
        QTest::newRow("cut short before its attachment")
            << one.left(one.size() / 4) << int(Status::Damaged)
            << pdfattach::kDamaged.arg(QString()) << false;
        // Attached again under the same name, as a PDF tool would: it reads as well as the
        // original; only its hash tells them apart.
        QTest::newRow("the attachment replaced by other bytes")
            << attached(one, QStringLiteral("run.brv2"), forged) << int(Status::Ok) << QString()
            << false;
        QTest::newRow("the attachment as written") << one << int(Status::Ok) << QString() << true;
    }

    void extract()
    {
        QFETCH(QByteArray, pdf);
        QFETCH(int, status);
        QFETCH(QString, reason);
        QFETCH(bool, sameBytes);
        QVERIFY(!pdf.isEmpty());

        const pdfattach::Extracted out = pdfattach::extract(pdf);
        QCOMPARE(int(out.status), status);
        QVERIFY2(out.reason.startsWith(reason) && out.reason.isEmpty() == reason.isEmpty(),
                 qPrintable(out.reason));
        if (out.ok())
            QCOMPARE(sha256Hex(out.bytes) == sha256Hex(runFile()), sameBytes);
    }
};

QTEST_MAIN(TestPdfAttachment)
#include "test_pdf_attachment.moc"
