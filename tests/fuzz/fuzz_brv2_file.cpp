// The ".brv2" reader fed arbitrary files. A file is either read (and then it says exactly what
// it said before: writing it again and reading that gives the same content) or refused with
// "File Error" / "File Corrupted", and a refused file leaves the set in the window as it was.
// Opening never writes to the file.
#include "tests/fuzz/fuzz_seeds.h"
#include "tests/fuzz/fuzz_target.h"
#include "tests/fuzz/set_checks.h"

#include "acquisition/image_loader.h"
#include "datafile/brv2_file.h"
#include "datafile/set_io.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

using Status = brv2::Content::Status;

namespace {

// The row file's text fields as the writer puts them: a double quote cannot stand inside a
// quoted field and is written as a single one.
QString written(QString s) { return s.replace(QLatin1Char('"'), QLatin1Char('\'')); }

void checkDecoded(const QByteArray &file, const brv2::Content &c)
{
    if (c.status != Status::Ok)
        return;
    FUZZ_CHECK(c.model >= 0 && c.model <= 255, "model code out of range");
    if (c.isImage()) {
        FUZZ_CHECK(c.imageLen >= 0 && c.imageLen <= brv2::kMaxImageLen, "image length");
        FUZZ_CHECK(c.image.size() == c.imageLen, "image size differs from record 1");
        const brv2::Content again = brv2::decode(brv2::encodeImage(c.model, c.image));
        FUZZ_CHECK(again.status == Status::Ok && again.image == c.image && again.model == c.model,
                   "an image read from a file does not survive being saved and read again");
        return;
    }
    const int fields = brv2::rowFieldCount(c.model);
    QList<QStringList> rows;
    for (const QStringList &row : c.rows) {
        FUZZ_CHECK(row.size() == fields, "row with the wrong field count");
        QStringList w;
        for (const QString &f : row)
            w << written(f);
        rows << w;
    }
    const brv2::Content again = brv2::decode(brv2::encodeRows(
        c.model, c.imageLen, c.dataKind, c.locationCaption, c.serialCaption, c.rows));
    FUZZ_CHECK(again.status == Status::Ok, "a row file read does not read again once saved");
    FUZZ_CHECK(again.rows == rows && again.locationCaption == written(c.locationCaption) &&
                   again.serialCaption == written(c.serialCaption) &&
                   again.model == c.model && again.dataKind == c.dataKind,
               "a row file read does not say the same once saved and read again");
    Q_UNUSED(file);
}

struct Workspace
{
    QTemporaryDir dir;
    QString path;
    ReadingSet set;

    Workspace()
    {
        path = dir.filePath(QStringLiteral("input.brv2"));
        // The window shows a downloaded set when the file is opened.
        const fuzz::Logger l{6, 'M', 10, 30};
        imageload::showImage(set, fuzz::memoryImage(l), l.model);
    }
};

Workspace &workspace()
{
    static Workspace *w = new Workspace; // kept to the end of the process
    return *w;
}

} // namespace

namespace fuzz {
QList<QByteArray> seeds()
{
    QList<QByteArray> out;
    for (const Logger &l : loggers()) {
        if (!l.enabled)
            continue;
        out << imageFile(l) << rowFile(l, false) << rowFile(l, true);
    }
    return out;
}
} // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    fuzz::setCurrentInput(data, size);
    const bool seed = fuzz::isSeed(file);

    const brv2::Content c = brv2::decode(file);
    if (seed)
        FUZZ_CHECK(c.status == Status::Ok, "a file the program saved is refused");
    checkDecoded(file, c);

    // The same bytes opened from disk into the set the window shows.
    Workspace &w = workspace();
    {
        QFile f(w.path);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(file) == file.size(),
                   "cannot write the input file");
    }
    // Row files are shown in the unit the window shows; try both.
    w.set.Cels_Faren = size % 2 ? -1 : 0;
    const fuzz::SetSnapshot before = fuzz::SetSnapshot::of(w.set);
    const setio::Opened opened = setio::open(w.set, w.path);
    {
        QFile f(w.path);
        FUZZ_CHECK(f.open(QIODevice::ReadOnly) && f.readAll() == file, "opening changed the file");
    }
    if (seed)
        FUZZ_CHECK(opened.status == setio::Status::Ok, "a file the program saved does not open");
    if (opened.status != setio::Status::Ok) {
        FUZZ_CHECK(fuzz::SetSnapshot::of(w.set) == before, "a refused file changed the set shown");
        if (c.status == Status::FileCorrupted)
            FUZZ_CHECK(opened.status == setio::Status::FileCorrupted, "a CRC mismatch not reported");
        return 0;
    }
    FUZZ_CHECK(c.status == Status::Ok, "a file the decoder refuses was opened");
    FUZZ_CHECK(opened.dataKind == c.dataKind, "data kind differs from the file's");
    const int rows = w.set.table().rows();
    if (c.isImage()) {
        const int words = std::max(0, (c.imageLen - 46) / 2);
        FUZZ_CHECK(w.set.NoOfReadings == words && w.set.ImageLen == c.imageLen, "image kept wrongly");
        FUZZ_CHECK(rows == words / model::wordsPerReading(c.model) + 1,
                   "table rows differ from the readings of the image");
    } else {
        FUZZ_CHECK(rows == c.rows.size() + 1, "table rows differ from the rows of the file");
    }
    fuzz::checkRows(w.set);
    return 0;
}
