// The CTest driver of a fuzz target: every seed as it is, then a fixed-seed series of mutated
// seeds. The same build and arguments give the same inputs, so a failure seen once is seen
// again; the failing input is also written to a file (see fuzz_support.cpp).
//
//   fuzz_brv2_file                  the seeds and 4000 mutations (the CTest run)
//   fuzz_brv2_file --runs 100000    more mutations
//   fuzz_brv2_file --seed 7         another series
//   fuzz_brv2_file --write-corpus D writes the seeds into folder D (a libFuzzer start corpus)
//   fuzz_brv2_file FILE...          checks these inputs only (replays a crash input)
#include "tests/fuzz/fuzz_target.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace {

// Values that sit on the edges of what the decoders count, compare and allocate.
const char *const kTokens[] = {
    "0", "-1", "1", "2", "255", "256", "-32768", "32767", "32768", "33001", "33002", "65535",
    "65536", "2147483647", "2147483648", "-2147483649", "99999999999999999999999", "1e308",
    "-1e308", "nan", "inf", "0.5", "1.5", "", " ", "\"", "\"\"", "#", "##", "#1899-12-30#",
    "#1899-12-29#", "#1900-09-11#", "#1900-09-12#", "#9999-12-31#", "#0000-00-00#",
    "#00:00:00#", "#12:00:00 PM#", "#1900-01-01 23:59:59#", "#1900-01-01 25:00:00#", "\"***\"",
    "***", "\"abc\"", "abc", "1,1,1", ",,,", "\r\n", "\n", "\r", "END", "\"31/12/2023\"",
    "\"2023-12-31\"", "\"13:45:00\"", "\"25:61:61\"", "\"12.5\"", "\"-0.0\"", "\"1e999\"",
};

// 16-bit values written low byte first into binary replies and images.
const quint16 kWords[] = {0, 1, 0x00FF, 0x0100, 0x7FFF, 0x8000, 0xFFFF, 918, 919, 10960,
                          10961, 1023, 1024, 16000, 16001, 32000, 32001, 33001};

const char kBytes[] = {0, 1, 2, 3, 0x7F, char(0x80), char(0xFE), char(0xFF), '#', ',', '"',
                       '\r', '\n', '-', '0', '9', ' ', 'E', 'N', 'D', 'S', 'M', 'H', ':', '.'};

constexpr qsizetype kMaxInput = 1 << 20;

class Mutator
{
public:
    explicit Mutator(quint32 seed) : m_rng(seed) {}

    // A number from 0 to n - 1 (n > 0). Plain modulo: the same on every standard library.
    quint32 below(quint32 n) { return n ? quint32(m_rng() % n) : 0; }

    QByteArray mutate(QByteArray in, const QList<QByteArray> &seeds)
    {
        const int steps = 1 + int(below(4));
        for (int i = 0; i < steps; ++i)
            in = once(std::move(in), seeds);
        if (in.size() > kMaxInput)
            in.truncate(kMaxInput);
        return in;
    }

private:
    qsizetype pos(const QByteArray &b) { return qsizetype(below(quint32(b.size()) + 1)); }

    // The positions right after a field separator: where a field of a text file starts.
    QList<qsizetype> fieldStarts(const QByteArray &b)
    {
        QList<qsizetype> starts{0};
        for (qsizetype i = 0; i < b.size(); ++i)
            if (b.at(i) == ',' || b.at(i) == '\n')
                starts.append(i + 1);
        return starts;
    }

    QByteArray once(QByteArray b, const QList<QByteArray> &seeds)
    {
        switch (below(11)) {
        case 0: // flip one bit
            if (!b.isEmpty()) {
                const qsizetype at = qsizetype(below(quint32(b.size())));
                b[at] = char(b.at(at) ^ (1 << below(8)));
            }
            break;
        case 1: // one byte to a telling value
            if (!b.isEmpty())
                b[qsizetype(below(quint32(b.size())))] = kBytes[below(sizeof kBytes)];
            break;
        case 2: { // insert noise
            QByteArray noise;
            for (int n = 1 + int(below(8)); n > 0; --n)
                noise.append(char(below(256)));
            b.insert(pos(b), noise);
            break;
        }
        case 3: // drop a stretch
            if (!b.isEmpty()) {
                const qsizetype at = qsizetype(below(quint32(b.size())));
                b.remove(at, 1 + qsizetype(below(quint32(std::max<qsizetype>(1, b.size() / 4)))));
            }
            break;
        case 4: // cut short
            b.truncate(pos(b));
            break;
        case 5: // repeat a stretch
            if (!b.isEmpty()) {
                const qsizetype at = qsizetype(below(quint32(b.size())));
                const qsizetype len = 1 + qsizetype(below(quint32(b.size() - at)));
                b.insert(pos(b), b.mid(at, len));
            }
            break;
        case 6: // the start of this one, the end of another
            if (!seeds.isEmpty()) {
                const QByteArray &other = seeds.at(qsizetype(below(quint32(seeds.size()))));
                b = b.left(pos(b)) + other.mid(pos(other));
            }
            break;
        case 7: { // a field of a text file replaced by an edge value
            const QList<qsizetype> starts = fieldStarts(b);
            const qsizetype at = starts.at(qsizetype(below(quint32(starts.size()))));
            qsizetype end = at;
            while (end < b.size() && b.at(end) != ',' && b.at(end) != '\r' && b.at(end) != '\n')
                ++end;
            b.replace(at, end - at, kTokens[below(sizeof kTokens / sizeof *kTokens)]);
            break;
        }
        case 8: { // a record (line) doubled or dropped
            const QList<qsizetype> starts = fieldStarts(b);
            const qsizetype at = starts.at(qsizetype(below(quint32(starts.size()))));
            const qsizetype nl = b.indexOf('\n', at);
            const qsizetype end = nl < 0 ? b.size() : nl + 1;
            if (below(2))
                b.insert(at, b.mid(at, end - at));
            else
                b.remove(at, end - at);
            break;
        }
        case 9: // a 16-bit count of a binary reply set to an edge value, low byte first
            if (b.size() >= 2) {
                const qsizetype at = qsizetype(below(quint32(b.size() - 1)));
                const quint16 w = kWords[below(sizeof kWords / sizeof *kWords)];
                b[at] = char(w & 0xFF);
                b[at + 1] = char(w >> 8);
            }
            break;
        default: // a stretch of one byte value (long runs of 0xFF, of zeros, ...)
            if (!b.isEmpty()) {
                const qsizetype at = qsizetype(below(quint32(b.size())));
                const qsizetype len = 1 + qsizetype(below(64));
                const char c = kBytes[below(sizeof kBytes)];
                for (qsizetype i = at; i < b.size() && i < at + len; ++i)
                    b[i] = c;
            }
            break;
        }
        return b;
    }

    std::mt19937 m_rng;
};

void runOne(const QByteArray &input)
{
    fuzz::setCurrentInput(reinterpret_cast<const std::uint8_t *>(input.constData()),
                          std::size_t(input.size()));
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(input.constData()),
                           std::size_t(input.size()));
}

int usage()
{
    std::fprintf(stderr, "usage: fuzz_<target> [--runs N] [--seed S] [--write-corpus DIR] "
                         "[FILE...]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    long runs = 4000;
    quint32 seed = 20240601;
    QString corpus;
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (std::strcmp(a, "--runs") == 0 && i + 1 < argc)
            runs = std::strtol(argv[++i], nullptr, 10);
        else if (std::strcmp(a, "--seed") == 0 && i + 1 < argc)
            seed = quint32(std::strtoul(argv[++i], nullptr, 10));
        else if (std::strcmp(a, "--write-corpus") == 0 && i + 1 < argc)
            corpus = QString::fromLocal8Bit(argv[++i]);
        else if (a[0] == '-')
            return usage();
        else
            files << QString::fromLocal8Bit(a);
    }

    const QList<QByteArray> seeds = fuzz::seeds();
    fuzz::setSeeds(seeds);

    if (!corpus.isEmpty()) {
        QDir().mkpath(corpus);
        for (qsizetype i = 0; i < seeds.size(); ++i) {
            QFile f(QDir(corpus).filePath(QStringLiteral("seed-%1").arg(i)));
            if (!f.open(QIODevice::WriteOnly) || f.write(seeds.at(i)) != seeds.at(i).size()) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
                return 1;
            }
        }
        std::printf("%lld seeds written to %s\n", static_cast<long long>(seeds.size()),
                    qPrintable(corpus));
        return 0;
    }

    if (!files.isEmpty()) {
        for (const QString &name : files) {
            QFile f(name);
            if (!f.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(name));
                return 1;
            }
            runOne(f.readAll());
            std::printf("%s: checked\n", qPrintable(name));
        }
        return 0;
    }

    if (seeds.isEmpty()) {
        std::fprintf(stderr, "no seeds\n");
        return 1;
    }
    for (const QByteArray &s : seeds)
        runOne(s);
    Mutator m(seed);
    qint64 bytes = 0;
    for (long i = 0; i < runs; ++i) {
        const QByteArray &base = seeds.at(qsizetype(m.below(quint32(seeds.size()))));
        const QByteArray input = m.mutate(base, seeds);
        bytes += input.size();
        runOne(input);
    }
    std::printf("%lld seeds and %ld mutated inputs (%lld bytes) checked, seed %u\n",
                static_cast<long long>(seeds.size()), runs, static_cast<long long>(bytes), seed);
    return 0;
}
