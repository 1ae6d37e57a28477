#include "tools/bench/figures.h"
#include "tools/bench/inputs.h"

#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "common/output_file.h"
#include "datafile/brv2_file.h"

#include <QTemporaryDir>

#include <memory>

namespace bench {

namespace {

void openFile(Stopwatch &sw, int model)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(brv2::withSuffix(QStringLiteral("full")));
    QString error;
    if (!outputfile::write(path, brv2::encodeImage(model, fullMemoryImage(model)), &error)) {
        sw.fail(error);
        return;
    }
    auto set = std::make_unique<ReadingSet>();

    sw.start();
    const brv2::Content file = brv2::readFile(path);
    if (file.status == brv2::Content::Status::Ok && file.isImage()) {
        setFromImage(*set, file.model, file.image);
        set->Fill_Grid();
        set->Put_Unit();
    }
    sw.stop();

    if (file.status != brv2::Content::Status::Ok || !file.isImage())
        sw.fail(QStringLiteral("the file did not open as an image file"));
    else if (set->table().rows() < 2)
        sw.fail(QStringLiteral("the table stayed empty"));
}

void saveFile(Stopwatch &sw, int model)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(brv2::withSuffix(QStringLiteral("full")));
    auto set = std::make_unique<ReadingSet>();
    setFromImage(*set, model, fullMemoryImage(model));
    set->Fill_Grid();

    sw.start();
    const QByteArray image(reinterpret_cast<const char *>(set->MemImage.data()), set->ImageLen);
    QString error;
    const bool saved = outputfile::write(path, brv2::encodeImage(set->MODEL, image), &error);
    sw.stop();

    if (!saved)
        sw.fail(error);
}

} // namespace

void openTemperatureFile(Stopwatch &sw) { openFile(sw, kTemperatureModel); }
void openHumidityFile(Stopwatch &sw) { openFile(sw, kHumidityModel); }
void saveTemperatureFile(Stopwatch &sw) { saveFile(sw, kTemperatureModel); }
void saveHumidityFile(Stopwatch &sw) { saveFile(sw, kHumidityModel); }

} // namespace bench
