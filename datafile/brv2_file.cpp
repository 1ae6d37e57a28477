#include "datafile/brv2_file.h"

#include "common/numfmt.h"
#include "datafile/crc16.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>

namespace brv2 {
namespace {

const QDate kDayZero(1899, 12, 30);
// Large enough for a live run of many days saved as rows; anything larger is not ours.
constexpr qint64 kMaxFileSize = 512LL * 1024 * 1024;

// The 256 date texts of image bytes, made once.
const QList<QString> &byteTexts()
{
    static const QList<QString> texts = [] {
        QList<QString> t;
        t.reserve(256);
        for (int b = 0; b < 256; ++b)
            t.append(kDayZero.addDays(b).toString(QStringLiteral("yyyy-MM-dd")));
        return t;
    }();
    return texts;
}

const QHash<QString, int> &byteLookup()
{
    static const QHash<QString, int> lookup = [] {
        QHash<QString, int> h;
        const auto &t = byteTexts();
        for (int b = 0; b < 256; ++b)
            h.insert(t[b], b);
        return h;
    }();
    return lookup;
}

QString quoted(QString s)
{
    // A double quote cannot stand inside a quoted field of this format; a single quote keeps
    // the text readable and the file readable.
    s.replace(QLatin1Char('"'), QLatin1Char('\''));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// Reads the fields of a sequential comma-separated file: commas and line breaks both separate
// fields; quoted strings and #date# literals are taken whole.
//
// It reads the file's bytes as they are: separators, quotes and blanks are ASCII in UTF-8 and
// in Latin-1 alike, so fields are found in the bytes, and only a field's own bytes are turned
// into text, as the whole file decoded at once would show them. A row file of weeks is then
// read without a copy of it as text, and a field goes into a buffer the caller keeps.
class FieldReader
{
public:
    FieldReader(const QByteArray &file, bool utf8)
        : m_t(file.constData()), m_size(file.size()), m_utf8(utf8)
    {}

    bool atEnd()
    {
        skipBlanksAndBreaks();
        return m_pos >= m_size;
    }
    qsizetype position() const { return m_pos; }

    // The next field into `field`; false at the end of the file or in an unterminated quote.
    bool next(QString &field, char *kind = nullptr)
    {
        skipBlanksAndBreaks();
        if (m_pos >= m_size)
            return false;
        const char c = m_t[m_pos];
        if (c == '"' || c == '#') {
            const void *close = std::memchr(m_t + m_pos + 1, c, size_t(m_size - m_pos - 1));
            if (!close)
                return false; // unterminated
            const qsizetype end = static_cast<const char *>(close) - m_t;
            decodeInto(field, m_pos + 1, end, false);
            m_pos = end + 1;
            // Anything up to the separator after a closing quote is ignored.
            while (m_pos < m_size && !isSeparator(m_t[m_pos]))
                ++m_pos;
        } else {
            const qsizetype start = m_pos;
            while (m_pos < m_size && !isSeparator(m_t[m_pos]))
                ++m_pos;
            decodeInto(field, start, m_pos, true);
        }
        if (kind)
            *kind = c;
        if (m_pos < m_size && m_t[m_pos] == ',')
            ++m_pos;
        return true;
    }

    std::optional<QString> next(QChar *kind = nullptr)
    {
        QString field;
        char k = 0;
        if (!next(field, &k))
            return std::nullopt;
        if (kind)
            *kind = QLatin1Char(k);
        return field;
    }

private:
    static bool isSeparator(char c) { return c == ',' || c == '\r' || c == '\n'; }
    static bool isAsciiSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

    void skipBlanksAndBreaks()
    {
        while (m_pos < m_size &&
               (m_t[m_pos] == ' ' || m_t[m_pos] == '\t' || m_t[m_pos] == '\r' || m_t[m_pos] == '\n'))
            ++m_pos;
    }

    void decodeInto(QString &field, qsizetype from, qsizetype to, bool trim)
    {
        const char *bytes = m_t + from;
        const qsizetype n = to - from;
        if (std::all_of(bytes, bytes + n, [](char b) { return (b & 0x80) == 0; })) {
            // Plain ASCII, the same in both encodings: copied into the buffer as it is.
            qsizetype first = 0, last = n;
            if (trim) {
                while (first < last && isAsciiSpace(char16_t(bytes[first])))
                    ++first;
                while (last > first && isAsciiSpace(char16_t(bytes[last - 1])))
                    --last;
            }
            field.resize(last - first);
            QChar *out = field.data();
            for (qsizetype i = first; i < last; ++i)
                out[i - first] = QLatin1Char(bytes[i]);
            return;
        }
        if (!m_utf8) {
            field = QString::fromLatin1(bytes, n);
        } else if (from == 0) {
            // The file decoded as a whole drops a byte order mark at its very start only.
            field = QString::fromUtf8(bytes, n);
        } else {
            QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                            QStringConverter::Flag::ConvertInitialBom);
            field = utf8(QByteArrayView(bytes, n));
        }
        if (trim)
            field = field.trimmed();
    }

    const char *m_t;
    qsizetype m_size;
    bool m_utf8;
    qsizetype m_pos = 0;
};

// Captions are written as UTF-8; an old file in Latin-1 still reads as text: a file is read as
// UTF-8 when all of it decodes without a replacement character. Bytes from 0x80 up stand in
// runs between ASCII bytes, and each run decodes the same on its own as within the file.
bool readsAsUtf8(const QByteArray &file)
{
    const char *b = file.constData();
    const char *end = b + file.size();
    while (b < end) {
        const char *run = std::find_if(b, end, [](char c) { return (c & 0x80) != 0; });
        if (run == end)
            break;
        const char *after = std::find_if(run, end, [](char c) { return (c & 0x80) == 0; });
        if (QString::fromUtf8(run, after - run).contains(QChar::ReplacementCharacter))
            return false;
        b = after;
    }
    return true;
}

// Rows a row file can hold: each ends a line.
qsizetype linesIn(const QByteArray &file)
{
    qsizetype n = 0;
    const char *b = file.constData();
    const char *end = b + file.size();
    while (const void *nl = std::memchr(b, '\n', size_t(end - b))) {
        ++n;
        b = static_cast<const char *>(nl) + 1;
    }
    return n + 1;
}

// Keeps every row of the file, for decode() without a sink of its own.
class KeepRows : public RowSink
{
public:
    explicit KeepRows(QList<QStringList> &rows) : m_rows(rows) {}
    QString row(const QString *fields, int count, qsizetype) override
    {
        m_rows.append(QStringList(fields, fields + count));
        return QString();
    }

private:
    QList<QStringList> &m_rows;
};

std::optional<long long> wholeNumber(const QString &field)
{
    double v = 0;
    if (!numfmt::parse(field, &v) || std::fabs(v) > 1e12)
        return std::nullopt;
    return static_cast<long long>(numfmt::roundHalfEven(v, 0));
}

// Days (with fraction) of a date literal relative to day 0, or nullopt.
std::optional<double> dayNumber(QStringView field)
{
    field = field.trimmed();
    double days = 0;
    QStringView timePart;
    const qsizetype dash = field.indexOf(QLatin1Char('-'));
    if (dash > 0) {
        const qsizetype blank = field.indexOf(QLatin1Char(' '));
        const QStringView datePart = blank > 0 ? field.left(blank) : field;
        const QDate d = QDate::fromString(datePart.toString(), QStringLiteral("yyyy-M-d"));
        if (!d.isValid())
            return std::nullopt;
        days = double(kDayZero.daysTo(d));
        if (blank > 0)
            timePart = field.mid(blank + 1).trimmed();
    } else {
        timePart = field;
    }
    if (!timePart.isEmpty()) {
        QTime t = QTime::fromString(timePart.toString(), QStringLiteral("H:mm:ss"));
        if (!t.isValid())
            t = QTime::fromString(timePart.toString(), QStringLiteral("h:mm:ss AP"));
        if (!t.isValid())
            return std::nullopt;
        days += t.msecsSinceStartOfDay() / 86400000.0;
    }
    return days;
}

Content failed(const QString &reason, Content::Status status = Content::Status::FileError)
{
    Content c;
    c.status = status;
    c.reason = reason;
    return c;
}

QString tooLarge()
{
    return QStringLiteral("it is larger than %1 MB").arg(kMaxFileSize >> 20);
}

} // namespace

QString withSuffix(const QString &path)
{
    return QFileInfo(path).suffix().isEmpty() ? path + QLatin1Char('.') + kSuffix : path;
}

int rowFieldCount(int model)
{
    switch (model) {
    case 2:
    case 6:
        return 4;
    case 1:
    case 3:
    case 4:
    case 5:
    case 7:
    case 8:
    case 32:
        return 3;
    default:
        return 0;
    }
}

QString byteRecord(int byte) { return QLatin1Char('#') + byteTexts().at(byte & 0xFF) + QLatin1Char('#'); }

int parseByteRecord(QStringView field)
{
    const auto &lookup = byteLookup();
    const auto it = lookup.constFind(field.toString());
    if (it != lookup.constEnd())
        return it.value();
    const auto days = dayNumber(field);
    if (!days)
        return -1;
    const double r = numfmt::roundHalfEven(*days, 0);
    return r >= 0 && r <= 255 ? int(r) : -1;
}

QByteArray encodeImage(int model, const QByteArray &image)
{
    QByteArray out;
    out.reserve(image.size() * 14 + 64);
    out += QByteArray::number(model) + ',' + QByteArray::number(image.size()) + ",1\r\n";
    const auto &texts = byteTexts();
    auto put = [&](std::uint8_t b) {
        out += '#';
        out += texts[b].toLatin1();
        out += "#\r\n";
    };
    for (char c : image)
        put(std::uint8_t(c));
    Crc16 crc;
    crc.Calc_CRC(image);
    put(crc.CrcA);
    put(crc.CrcB);
    return out;
}

QByteArray rowsHeader(int model, int imageLen, int dataKind, const QString &locationCaption,
                      const QString &serialCaption)
{
    QString out;
    out += QStringLiteral("%1,%2,%3\r\n").arg(model).arg(imageLen).arg(dataKind);
    out += quoted(locationCaption) + QLatin1Char(',') + quoted(serialCaption) +
           QStringLiteral("\r\n");
    return out.toUtf8();
}

namespace {

// A row's fields, each quoted as quoted() quotes it, and the row's line break.
template <class Fields>
void appendFields(QByteArray &file, const Fields &fields)
{
    bool first = true;
    for (QStringView f : fields) {
        if (!first)
            file += ',';
        first = false;
        file += '"';
        const qsizetype at = file.size();
        file += f.toUtf8();
        std::replace(file.begin() + at, file.end(), '"', '\'');
        file += '"';
    }
    file += "\r\n";
}

} // namespace

void appendRow(QByteArray &file, std::initializer_list<QStringView> fields)
{
    appendFields(file, fields);
}

QByteArray encodeRows(int model, int imageLen, int dataKind, const QString &locationCaption,
                      const QString &serialCaption, const QList<QStringList> &rows)
{
    QByteArray out = rowsHeader(model, imageLen, dataKind, locationCaption, serialCaption);
    for (const QStringList &row : rows)
        appendFields(out, row);
    return out;
}

Content decode(const QByteArray &file)
{
    Content c;
    KeepRows keep(c.rows);
    Content out = decode(file, keep);
    if (out.status == Content::Status::Ok)
        out.rows = std::move(c.rows);
    return out;
}

Content decode(const QByteArray &file, RowSink &sink)
{
    Content c;
    FieldReader in(file, readsAsUtf8(file));

    static const char *const kHeaderFields[] = {"model code", "image length", "data kind"};
    std::optional<long long> rec1[3];
    for (int i = 0; i < 3; ++i) {
        const auto f = in.next();
        if (!f)
            return failed(QStringLiteral("the file ends before the header's %1")
                              .arg(QLatin1String(kHeaderFields[i])));
        rec1[i] = wholeNumber(*f);
        if (!rec1[i])
            return failed(QStringLiteral("the header's %1 is not a whole number")
                              .arg(QLatin1String(kHeaderFields[i])));
    }
    if (*rec1[0] < 0 || *rec1[0] > 255)
        return failed(QStringLiteral("the model code %1 is not 0 to 255").arg(*rec1[0]));
    c.model = int(*rec1[0]);
    c.dataKind = int(qBound(-32768LL, *rec1[2], 32767LL));
    c.imageLen = int(qBound(-1LL, *rec1[1], 1LL << 30));

    if (c.isImage()) {
        if (c.imageLen < 0 || c.imageLen > kMaxImageLen)
            return failed(QStringLiteral("the image length %1 is not 0 to %2")
                              .arg(*rec1[1])
                              .arg(kMaxImageLen));
        c.image.resize(c.imageLen);
        Crc16 crc;
        for (int k = 0; k < c.imageLen + 2; ++k) {
            QChar kind;
            const auto f = in.next(&kind);
            if (!f)
                return failed(QStringLiteral("the file ends after %1 of %2 image records")
                                  .arg(k)
                                  .arg(c.imageLen + 2));
            if (kind != QLatin1Char('#'))
                return failed(QStringLiteral("image record %1 is not a #date#").arg(k + 1));
            const int b = parseByteRecord(*f);
            if (b < 0)
                return failed(
                    QStringLiteral("image record %1 is not a date of day 0 to 255").arg(k + 1));
            if (k < c.imageLen) {
                c.image[k] = char(b);
            } else {
                // The trailer's two records follow the image: its CRC is worked out once.
                if (k == c.imageLen)
                    crc.Calc_CRC(c.image);
                const int expected = k == c.imageLen ? crc.CrcA : crc.CrcB;
                if (b != expected) {
                    return failed(
                        QStringLiteral("the CRC does not match: its %1 byte is %2 in "
                                       "the file, %3 for the image")
                            .arg(k == c.imageLen ? QStringLiteral("low") : QStringLiteral("high"))
                            .arg(b)
                            .arg(expected),
                        Content::Status::FileCorrupted);
                }
            }
        }
        c.status = Content::Status::Ok;
        return c;
    }

    const auto loc = in.next();
    const auto ser = in.next();
    if (!loc || !ser)
        return failed(QStringLiteral("the location and serial-number captions are missing"));
    c.locationCaption = *loc;
    c.serialCaption = *ser;
    const int fields = rowFieldCount(c.model);
    if (fields > 0) {
        sink.begin(c, linesIn(file));
        std::array<QString, 4> row;
        for (qsizetype n = 1; !in.atEnd(); ++n) {
            for (int i = 0; i < fields; ++i) {
                if (!in.next(row[size_t(i)]))
                    return failed(QStringLiteral("row %1: the file ends inside the row").arg(n));
            }
            const QString refused = sink.row(row.data(), fields, in.position());
            if (!refused.isEmpty())
                return failed(refused);
        }
    }
    c.status = Content::Status::Ok;
    return c;
}

std::optional<QByteArray> readBytes(const QString &path, QString *reason)
{
    // Only a regular file: a device or a pipe under a ".brv2" name (a link to /dev/zero in an
    // unpacked archive) would be read for ever.
    const QFileInfo info(path);
    if (!info.exists()) {
        *reason = QStringLiteral("there is no such file");
        return std::nullopt;
    }
    if (!info.isFile()) {
        *reason = QStringLiteral("it is not a regular file");
        return std::nullopt;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *reason = QStringLiteral("it cannot be read: %1").arg(f.errorString());
        return std::nullopt;
    }
    if (f.size() > kMaxFileSize) {
        *reason = tooLarge();
        return std::nullopt;
    }
    return f.readAll();
}

Content readFile(const QString &path)
{
    QString reason;
    const std::optional<QByteArray> bytes = readBytes(path, &reason);
    return bytes ? decode(*bytes) : failed(reason);
}

std::optional<QByteArray> readStream(QIODevice &in, QString *why)
{
    // In pieces: a stream tells no size, and the whole limit is not set aside for a small file.
    QByteArray bytes;
    char piece[64 * 1024];
    for (qint64 n; (n = in.read(piece, sizeof piece)) != 0;) {
        if (n < 0) {
            *why = QStringLiteral("it cannot be read: %1").arg(in.errorString());
            return std::nullopt;
        }
        bytes.append(piece, n);
        if (bytes.size() > kMaxFileSize) {
            *why = tooLarge();
            return std::nullopt;
        }
    }
    return bytes;
}

} // namespace brv2
