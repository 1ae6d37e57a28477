// The memory image checks and the trailer decoder fed arbitrary replies to "R","R", through the
// download that judges them. Input: the model code and the stored byte count the parameter
// reply announced (three bytes), then the image. An image that passes the checks is shown, one
// that fails them is asked for again; nothing else may happen.
#include "tests/fuzz/fuzz_seeds.h"
#include "tests/fuzz/fuzz_target.h"
#include "tests/fuzz/set_checks.h"

#include "acquisition/download.h"
#include "acquisition/image_loader.h"
#include "acquisition/memory_image.h"
#include "tests/support/fake_serial_link.h"

#include <algorithm>
#include <optional>

namespace {

QByteArray header(int model, int expected)
{
    QByteArray h(3, '\0');
    h[0] = char(model);
    h[1] = char(expected & 0xFF);
    h[2] = char(expected >> 8);
    return h;
}

QByteArray parameterReply(int model, int expected)
{
    QByteArray p(40, '\0');
    p[6] = 2; // started, memory not full
    p[16] = char(expected & 0xFF);
    p[17] = char(expected >> 8);
    p[18] = char(model);
    return p;
}

// What the shape and checksum verdict implies about the image.
void checkVerdict(const QByteArray &image, int expected, memimage::Check verdict)
{
    const qsizetype n = image.size();
    FUZZ_CHECK((verdict == memimage::Check::TooLong) == (n > memimage::kMaxImage), "TooLong");
    if (verdict == memimage::Check::NoEnd)
        FUZZ_CHECK(!image.endsWith("END"), "NoEnd on an image that ends in END");
    if (verdict != memimage::Check::Ok)
        return;
    FUZZ_CHECK(image.endsWith("END"), "accepted without END");
    FUZZ_CHECK(n >= qsizetype(expected) + memimage::kOverhead, "accepted although short");
    FUZZ_CHECK((n - memimage::kOverhead) % 2 == 0, "accepted with an odd data part");
    FUZZ_CHECK(memimage::checksum(image) == memimage::storedChecksum(image),
               "accepted with a wrong checksum");
}

void checkTrailer(const QByteArray &image)
{
    const memimage::Trailer t = memimage::readTrailer(image);
    if (image.size() < memimage::kTrailer)
        return;
    FUZZ_CHECK(t.location.size() == 16, "location is not 16 characters");
    FUZZ_CHECK(t.serial >= 0 && t.serial <= 0xFFFF, "serial out of range");
    FUZZ_CHECK(t.serialText.section(QLatin1Char(' '), 0, 0).toInt() == t.serial,
               "serial text does not show the serial");
    FUZZ_CHECK(t.enabled == (t.serial != 0xFFFF), "enabled flag and serial disagree");
    const std::vector<std::int32_t> w = memimage::words(image);
    FUZZ_CHECK(qsizetype(w.size()) == std::max<qsizetype>(0, (image.size() - memimage::kOverhead) / 2),
               "word count");
}

ReadingSet &shownSet()
{
    static ReadingSet *set = new ReadingSet; // kept to the end of the process
    return *set;
}

} // namespace

namespace fuzz {
QList<QByteArray> seeds()
{
    QList<QByteArray> out;
    QList<Logger> all = loggers();
    all.append(Logger{1, 'M', 1, 16000}); // a full memory
    all.append(Logger{2, 'S', 10, 8000});
    for (const Logger &l : all) {
        const QByteArray params = parameterReply(l);
        const int expected = quint8(params.at(16)) + 256 * quint8(params.at(17));
        out << header(l.model, expected) + memoryImage(l);
    }
    return out;
}
} // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::setCurrentInput(data, size);
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    if (input.size() < 3)
        return 0;
    const bool seed = fuzz::isSeed(input);
    const int model = quint8(input.at(0));
    const int expected = quint8(input.at(1)) + 256 * quint8(input.at(2));
    const QByteArray image = input.mid(3);

    const memimage::Check verdict = memimage::check(image, expected);
    if (seed)
        FUZZ_CHECK(verdict == memimage::Check::Ok, "a logger's own image is refused");
    checkVerdict(image, expected, verdict);
    checkTrailer(image);

    // The download: parameter stage, then the image, then a quiet wait ends the transfer.
    FakeSerialLink link;
    link.open(QStringLiteral("/dev/fake1"), 1200);
    Downloader d(link);
    std::optional<Downloader::Outcome> outcome;
    QObject::connect(&d, &Downloader::finished, [&](Downloader::Outcome o) { outcome = o; });
    d.start();
    link.feed(parameterReply(model, expected));
    d.onWaitTimer();
    FUZZ_CHECK(link.written.size() == 2 && link.written.last().left(2) == "RR", "no memory request");
    link.feed(image);
    for (int wait = 0; wait < 3 && !outcome && link.written.size() == 2; ++wait)
        d.onWaitTimer();
    if (!outcome) {
        FUZZ_CHECK(verdict != memimage::Check::Ok, "a good image was not taken");
        FUZZ_CHECK(link.written.size() == 3 && link.written.last().left(2) == "RR",
                   "a refused image was not asked for again");
        return 0;
    }
    FUZZ_CHECK(verdict == memimage::Check::Ok, "a refused image ended the download");
    FUZZ_CHECK(d.image() == image, "the image kept is not the one received");
    FUZZ_CHECK((*outcome == Downloader::Outcome::NotEnabled) == !memimage::readTrailer(image).enabled,
               "outcome and serial disagree");

    // Shown as the window shows a download.
    ReadingSet &set = shownSet();
    set.Cels_Faren = image.size() % 2 ? -1 : 0;
    imageload::showImage(set, image, model);
    const int words = std::min(ReadingSet::kRawDataSize, (int(image.size()) - memimage::kOverhead) / 2);
    FUZZ_CHECK(set.NoOfReadings == words, "reading words");
    FUZZ_CHECK(set.table().rows() == words / model::wordsPerReading(model) + 1, "table rows");
    fuzz::checkRows(set);
    return 0;
}
