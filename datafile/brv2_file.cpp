#include "datafile/brv2_file.h"

#include "common/numfmt.h"
#include "datafile/crc16.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cmath>
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
class FieldReader
{
public:
    explicit FieldReader(const QString &text) : m_t(text) {}

    bool atEnd()
    {
        skipBlanksAndBreaks();
        return m_pos >= m_t.size();
    }

    std::optional<QString> next(QChar *kind = nullptr)
    {
        skipBlanksAndBreaks();
        if (m_pos >= m_t.size())
            return std::nullopt;
        const QChar c = m_t.at(m_pos);
        QString field;
        if (c == QLatin1Char('"') || c == QLatin1Char('#')) {
            const qsizetype end = m_t.indexOf(c, m_pos + 1);
            if (end < 0)
                return std::nullopt; // unterminated
            field = m_t.mid(m_pos + 1, end - m_pos - 1);
            m_pos = end + 1;
            // Anything up to the separator after a closing quote is ignored.
            while (m_pos < m_t.size() && !isSeparator(m_t.at(m_pos)))
                ++m_pos;
        } else {
            const qsizetype start = m_pos;
            while (m_pos < m_t.size() && !isSeparator(m_t.at(m_pos)))
                ++m_pos;
            field = m_t.mid(start, m_pos - start).trimmed();
        }
        if (kind)
            *kind = c;
        if (m_pos < m_t.size() && m_t.at(m_pos) == QLatin1Char(','))
            ++m_pos;
        return field;
    }

private:
    static bool isSeparator(QChar c)
    {
        return c == QLatin1Char(',') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
    }
    void skipBlanksAndBreaks()
    {
        while (m_pos < m_t.size() &&
               (m_t.at(m_pos) == QLatin1Char(' ') || m_t.at(m_pos) == QLatin1Char('\t') ||
                m_t.at(m_pos) == QLatin1Char('\r') || m_t.at(m_pos) == QLatin1Char('\n')))
            ++m_pos;
    }

    const QString &m_t;
    qsizetype m_pos = 0;
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

QByteArray encodeRows(int model, int imageLen, int dataKind, const QString &locationCaption,
                      const QString &serialCaption, const QList<QStringList> &rows)
{
    QString out;
    out += QStringLiteral("%1,%2,%3\r\n").arg(model).arg(imageLen).arg(dataKind);
    out += quoted(locationCaption) + QLatin1Char(',') + quoted(serialCaption) +
           QStringLiteral("\r\n");
    for (const QStringList &row : rows) {
        for (int i = 0; i < row.size(); ++i) {
            if (i > 0)
                out += QLatin1Char(',');
            out += quoted(row.at(i));
        }
        out += QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

Content decode(const QByteArray &file)
{
    Content c;
    // Captions are written as UTF-8; an old file in Latin-1 still reads as text.
    QString text = QString::fromUtf8(file);
    if (text.contains(QChar::ReplacementCharacter))
        text = QString::fromLatin1(file);
    FieldReader in(text);

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
        while (!in.atEnd()) {
            QStringList row;
            row.reserve(fields);
            for (int i = 0; i < fields; ++i) {
                const auto f = in.next();
                if (!f)
                    return failed(QStringLiteral("row %1: the file ends inside the row")
                                      .arg(c.rows.size() + 1));
                row << *f;
            }
            c.rows.append(row);
        }
    }
    c.status = Content::Status::Ok;
    return c;
}

Content readFile(const QString &path)
{
    // Only a regular file: a device or a pipe under a ".brv2" name (a link to /dev/zero in an
    // unpacked archive) would be read for ever.
    const QFileInfo info(path);
    if (!info.exists())
        return failed(QStringLiteral("there is no such file"));
    if (!info.isFile())
        return failed(QStringLiteral("it is not a regular file"));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("it cannot be read: %1").arg(f.errorString()));
    if (f.size() > kMaxFileSize)
        return failed(tooLarge());
    return decode(f.readAll());
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
