#include "output/pdf_attachment.h"

#include "common/output_file.h"

#include <QFile>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFEFStreamObjectHelper.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFFileSpecObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>

#include <exception>
#include <string>

namespace pdfattach {

namespace {

using Status = Extracted::Status;

std::string stdString(const QByteArray &bytes)
{
    return std::string(bytes.constData(), size_t(bytes.size()));
}

std::string utf8(const QString &text)
{
    return stdString(text.toUtf8());
}

QByteArray byteArray(const std::string &bytes)
{
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

QString qString(const std::string &text)
{
    return QString::fromUtf8(byteArray(text));
}

QString what(const std::exception &e)
{
    return QString::fromLocal8Bit(e.what());
}

// qpdf reads the bytes where they lie: they must outlive `qpdf`. Warnings (a repaired cross-
// reference table and the like) are kept for anyWarnings(), not printed.
void open(QPDF &qpdf, const QByteArray &pdf)
{
    qpdf.setSuppressWarnings(true);
    qpdf.processMemoryFile("PDF", pdf.constData(), size_t(pdf.size()));
}

// A PDF starts with "%PDF-" within its first 1024 bytes.
bool hasPdfHeader(const QByteArray &bytes)
{
    return bytes.left(1024).contains("%PDF-");
}

QPDFObjectHandle infoDictionary(QPDF &qpdf)
{
    QPDFObjectHandle trailer = qpdf.getTrailer();
    QPDFObjectHandle info = trailer.getKey("/Info");
    if (!info.isDictionary()) {
        info = qpdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        trailer.replaceKey("/Info", info);
    }
    return info;
}

void embed(QPDF &qpdf, const Attachment &file)
{
    QPDFEFStreamObjectHelper stream =
        QPDFEFStreamObjectHelper::createEFStream(qpdf, stdString(file.bytes));
    stream.setSubtype(utf8(file.mimeType))
        .setModDate(QUtil::qpdf_time_to_pdf_time(QUtil::get_current_qpdf_time()));
    auto entry = QPDFFileSpecObjectHelper::createFileSpec(qpdf, utf8(file.fileName), stream);
    entry.getObjectHandle().replaceKey("/AFRelationship", QPDFObjectHandle::newName("/Data"));
    QPDFEmbeddedFileDocumentHelper files(qpdf);
    files.replaceEmbeddedFile(utf8(file.fileName), entry);

    // The document's associated files are the files it carries.
    QPDFObjectHandle associated = QPDFObjectHandle::newArray();
    for (const auto &entry : files.getEmbeddedFiles())
        associated.appendItem(entry.second->getObjectHandle());
    qpdf.getRoot().replaceKey("/AF", associated);

    infoDictionary(qpdf).replaceKey(
        kFiguresKey, QPDFObjectHandle::newUnicodeString(stdString(file.metadataJson)));
}

QByteArray written(QPDF &qpdf)
{
    QPDFWriter writer(qpdf);
    writer.setOutputMemory();
    // Unicode file names (/UF) came with PDF 1.7.
    writer.setMinimumPDFVersion("1.7");
    writer.write();
    const std::shared_ptr<Buffer> out = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char *>(out->getBuffer()), qsizetype(out->getSize()));
}

Extracted refused(Status status, const QString &reason)
{
    Extracted out;
    out.status = status;
    out.reason = reason;
    return out;
}

QString firstWarning(QPDF &qpdf)
{
    const std::vector<QPDFExc> warnings = qpdf.getWarnings();
    return warnings.empty() ? QString() : what(warnings.front());
}

Extracted extractFrom(QPDF &qpdf)
{
    QPDFEmbeddedFileDocumentHelper files(qpdf);
    const auto embedded = files.getEmbeddedFiles();
    if (embedded.empty()) {
        // A file qpdf had to repair may have lost its attachment with the damage.
        if (qpdf.anyWarnings())
            return refused(Status::Damaged, kDamaged.arg(firstWarning(qpdf)));
        return refused(Status::NoAttachment, kNoAttachment);
    }
    if (embedded.size() > 1)
        return refused(Status::SeveralAttachments, kSeveralAttachments.arg(embedded.size()));

    auto &entry = *embedded.begin()->second;
    Extracted out;
    out.fileName = qString(entry.getFilename());
    QPDFObjectHandle stream = entry.getEmbeddedFileStream();
    if (!stream.isStream())
        return refused(Status::Damaged, kAttachmentDamaged.arg(out.fileName, kNoAttachment));
    try {
        const std::shared_ptr<Buffer> data = stream.getStreamData(qpdf_dl_generalized);
        out.bytes = QByteArray(reinterpret_cast<const char *>(data->getBuffer()),
                               qsizetype(data->getSize()));
    } catch (const std::exception &e) {
        return refused(Status::Damaged, kAttachmentDamaged.arg(out.fileName, what(e)));
    }
    out.mimeType = qString(QPDFEFStreamObjectHelper(stream).getSubtype());
    QPDFObjectHandle figures = qpdf.getTrailer().getKey("/Info").getKeyIfDict(kFiguresKey);
    if (figures.isString())
        out.metadataJson = byteArray(figures.getUTF8Value());
    out.status = Status::Ok;
    return out;
}

} // namespace

Attached attach(const QByteArray &pdf, const Attachment &file)
{
    try {
        QPDF qpdf;
        open(qpdf, pdf);
        embed(qpdf, file);
        return {written(qpdf), {}};
    } catch (const std::exception &e) {
        return {{}, kCannotAttach.arg(what(e))};
    }
}

bool writeWithAttachment(const QByteArray &pdf, const Attachment &file, const QString &path,
                         QString *why)
{
    const Attached attached = attach(pdf, file);
    if (!attached.ok()) {
        if (why)
            *why = attached.why;
        return false;
    }
    return outputfile::write(path, attached.pdf, why);
}

Extracted extract(const QByteArray &pdf)
{
    if (!hasPdfHeader(pdf))
        return refused(Status::NotPdf, kNotPdf);
    try {
        QPDF qpdf;
        open(qpdf, pdf);
        return extractFrom(qpdf);
    } catch (const std::exception &e) {
        return refused(Status::Damaged, kDamaged.arg(what(e)));
    }
}

Extracted extractFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(Status::Unreadable, kUnreadable.arg(file.errorString()));
    return extract(file.readAll());
}

} // namespace pdfattach
