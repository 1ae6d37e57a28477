#include "common/datetext.h"

#include <cstdlib>

#include <QLocale>
#include <QMutex>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace datetext {

// One element of a compiled date/time format.
struct Token
{
    enum Kind { Literal, Day, Month, MonthShort, MonthLong, Year2, Year4, Hour24, Hour12, Minute,
                Second, AmPmUpper, AmPmLower, DayShort, DayLong };
    Kind kind = Literal;
    int width = 1; // least digits for numbers
    QString text;  // for literals
};

struct Compiled
{
    QLocale locale;
    QString dateFmt;
    QString timeFmt;
    std::vector<Token> dateTokens;
    std::vector<Token> timeTokens;
    QString am, pm;
    QStringList monthShort, monthLong, dayShort, dayLong;
    QStringList markersUpper, markersLower; // AM and PM as the two marker tokens show them
    // Whether the table's own texts are read directly (readOwnDate, readOwnTime), not by QLocale.
    bool ownDates = false;
    bool ownTimes = false;
};

namespace {

std::vector<Token> compile(const QString &fmt)
{
    std::vector<Token> out;
    auto literal = [&](QChar c) {
        if (out.empty() || out.back().kind != Token::Literal)
            out.push_back(Token{Token::Literal, 1, QString()});
        out.back().text.append(c);
    };
    for (int i = 0; i < fmt.size();) {
        const QChar c = fmt.at(i);
        if (c == QLatin1Char('\'')) { // quoted literal
            int j = i + 1;
            while (j < fmt.size() && fmt.at(j) != QLatin1Char('\''))
                literal(fmt.at(j++));
            i = j + 1;
            continue;
        }
        int n = 1;
        while (i + n < fmt.size() && fmt.at(i + n) == c)
            ++n;
        Token t;
        switch (c.unicode()) {
        case 'd':
            t.kind = n <= 2 ? Token::Day : (n == 3 ? Token::DayShort : Token::DayLong);
            t.width = n;
            break;
        case 'M':
            t.kind = n <= 2 ? Token::Month : (n == 3 ? Token::MonthShort : Token::MonthLong);
            t.width = n;
            break;
        case 'y':
            t.kind = n >= 4 ? Token::Year4 : Token::Year2;
            break;
        case 'H':
            t.kind = Token::Hour24;
            t.width = n;
            break;
        case 'h':
            t.kind = Token::Hour12;
            t.width = n;
            break;
        case 'm':
            t.kind = Token::Minute;
            t.width = n;
            break;
        case 's':
            t.kind = Token::Second;
            t.width = n;
            break;
        case 'A':
            t.kind = Token::AmPmUpper;
            n = (i + 1 < fmt.size() && fmt.at(i + 1) == QLatin1Char('P')) ? 2 : 1;
            break;
        case 'a':
            t.kind = Token::AmPmLower;
            n = (i + 1 < fmt.size() && fmt.at(i + 1) == QLatin1Char('p')) ? 2 : 1;
            break;
        default:
            for (int k = 0; k < n; ++k)
                literal(c);
            i += n;
            continue;
        }
        out.push_back(t);
        i += n;
    }
    // Without an AM/PM marker "h" is the 24-hour clock, as in QLocale's own formats; a 12-hour
    // hour without its marker could not be read back.
    const bool hasAmPm = std::any_of(out.begin(), out.end(), [](const Token &t) {
        return t.kind == Token::AmPmUpper || t.kind == Token::AmPmLower;
    });
    if (!hasAmPm)
        for (Token &t : out)
            if (t.kind == Token::Hour12)
                t.kind = Token::Hour24;
    return out;
}

QString makeDateFormat(const QLocale &l)
{
    QString f = l.dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy")))
        f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return f;
}

// Removes the time-zone field ("t" outside quotes) together with the blank or comma that
// joins it to the rest, so neither a zone name nor a dangling separator ends up in the text.
QString withoutTimeZone(const QString &fmt)
{
    QString out;
    bool quoted = false;
    for (int i = 0; i < fmt.size(); ++i) {
        const QChar c = fmt.at(i);
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t')) {
            out.append(c);
            continue;
        }
        while (i + 1 < fmt.size() && fmt.at(i + 1) == QLatin1Char('t'))
            ++i;
        while (!out.isEmpty() && (out.back().isSpace() || out.back() == QLatin1Char(',')))
            out.chop(1);
        if (out.isEmpty())
            while (i + 1 < fmt.size() && fmt.at(i + 1).isSpace())
                ++i;
    }
    return out;
}

QString makeTimeFormat(const QLocale &l)
{
    // Drop the time zone: a time of day in the table carries none.
    QString f = withoutTimeZone(l.timeFormat(QLocale::LongFormat)).trimmed();
    if (!f.contains(QLatin1Char('s'))) {
        const int m = f.indexOf(QLatin1String("mm"));
        if (m >= 0)
            f.insert(m + 2, QLatin1String(":ss"));
    }
    return f;
}

void appendNumber(QString &s, int n, int width)
{
    if (n < 0) {
        s.append(QLatin1Char('-'));
        n = -n;
    }
    char buf[12];
    int len = 0;
    do {
        buf[len++] = char('0' + n % 10);
        n /= 10;
    } while (n > 0);
    for (int i = len; i < width; ++i)
        s.append(QLatin1Char('0'));
    while (len > 0)
        s.append(QLatin1Char(buf[--len]));
}

QString render(const Compiled &c, const std::vector<Token> &tokens, const QDate &d, const QTime &t)
{
    QString s;
    s.reserve(24);
    for (const Token &tok : tokens) {
        switch (tok.kind) {
        case Token::Literal: s.append(tok.text); break;
        case Token::Day: appendNumber(s, d.day(), tok.width); break;
        case Token::Month: appendNumber(s, d.month(), tok.width); break;
        case Token::MonthShort: s.append(c.monthShort.at(d.month() - 1)); break;
        case Token::MonthLong: s.append(c.monthLong.at(d.month() - 1)); break;
        case Token::DayShort: s.append(c.dayShort.at(d.dayOfWeek() - 1)); break;
        case Token::DayLong: s.append(c.dayLong.at(d.dayOfWeek() - 1)); break;
        case Token::Year2: appendNumber(s, d.year() % 100, 2); break;
        case Token::Year4: appendNumber(s, d.year(), 4); break;
        case Token::Hour24: appendNumber(s, t.hour(), tok.width); break;
        case Token::Hour12: {
            const int h = t.hour() % 12;
            appendNumber(s, h == 0 ? 12 : h, tok.width);
            break;
        }
        case Token::Minute: appendNumber(s, t.minute(), tok.width); break;
        case Token::Second: appendNumber(s, t.second(), tok.width); break;
        case Token::AmPmUpper: s.append((t.hour() < 12 ? c.am : c.pm).toUpper()); break;
        case Token::AmPmLower: s.append((t.hour() < 12 ? c.am : c.pm).toLower()); break;
        }
    }
    return s;
}

bool isNumber(Token::Kind k)
{
    switch (k) {
    case Token::Day:
    case Token::Month:
    case Token::Year2:
    case Token::Year4:
    case Token::Hour24:
    case Token::Hour12:
    case Token::Minute:
    case Token::Second:
        return true;
    default:
        return false;
    }
}

// Whether the texts of a format can be taken apart token by token: no two numbers side by
// side (where one ends would be a guess), no two-digit year (its century would be), and no
// field twice.
bool readable(const std::vector<Token> &tokens)
{
    std::vector<Token::Kind> seen;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token::Kind k = tokens[i].kind;
        if (k == Token::Year2)
            return false;
        if (i > 0 && isNumber(k) && isNumber(tokens[i - 1].kind))
            return false;
        if (k != Token::Literal && std::find(seen.begin(), seen.end(), k) != seen.end())
            return false;
        seen.push_back(k);
    }
    return true;
}

// The one of `names` that the text continues with at `pos` (the longest); -1 for none.
int matchName(QStringView text, qsizetype &pos, const QStringList &names)
{
    int found = -1;
    qsizetype length = 0;
    const QStringView rest = text.mid(pos);
    for (int i = 0; i < names.size(); ++i) {
        const QString &n = names.at(i);
        if (n.size() > length && rest.startsWith(n)) {
            found = i;
            length = n.size();
        }
    }
    pos += length;
    return found;
}

struct Fields
{
    int day = 1, month = 1, year = 2000, hour = 0, minute = 0, second = 0;
    int weekday = 0; // 1 to 7 when the text names one
    int pm = -1;     // -1: no marker, 0: AM, 1: PM
};

// Takes apart a text that is exactly what render() makes for some value: each number with the
// digits appendNumber() gives it (padded to its width, no further leading zero), each name and
// literal as the format has it, nothing before or after. Anything else is refused.
bool split(const Compiled &c, const std::vector<Token> &tokens, QStringView text, Fields &f)
{
    qsizetype pos = 0;
    for (const Token &tok : tokens) {
        if (tok.kind == Token::Literal) {
            if (!text.mid(pos).startsWith(tok.text))
                return false;
            pos += tok.text.size();
            continue;
        }
        if (isNumber(tok.kind)) {
            const qsizetype start = pos;
            int n = 0;
            while (pos < text.size() && pos - start < 6 && text[pos] >= u'0' && text[pos] <= u'9')
                n = n * 10 + (text[pos++].unicode() - u'0');
            const qsizetype digits = pos - start;
            if (digits < std::max(tok.width, 1) || (digits > tok.width && text[start] == u'0'))
                return false;
            switch (tok.kind) {
            case Token::Day: f.day = n; break;
            case Token::Month: f.month = n; break;
            case Token::Year4: f.year = n; break;
            case Token::Hour24:
            case Token::Hour12: f.hour = n; break;
            case Token::Minute: f.minute = n; break;
            case Token::Second: f.second = n; break;
            default: break;
            }
            continue;
        }
        switch (tok.kind) {
        case Token::MonthShort:
        case Token::MonthLong:
            f.month = 1 + matchName(text, pos,
                                    tok.kind == Token::MonthShort ? c.monthShort : c.monthLong);
            if (f.month == 0)
                return false;
            break;
        case Token::DayShort:
        case Token::DayLong:
            f.weekday = 1 + matchName(text, pos,
                                      tok.kind == Token::DayShort ? c.dayShort : c.dayLong);
            if (f.weekday == 0)
                return false;
            break;
        case Token::AmPmUpper:
        case Token::AmPmLower:
            f.pm = matchName(text, pos,
                             tok.kind == Token::AmPmUpper ? c.markersUpper : c.markersLower);
            if (f.pm < 0)
                return false;
            break;
        default:
            return false;
        }
    }
    return pos == text.size();
}

bool has(const std::vector<Token> &tokens, Token::Kind kind)
{
    return std::any_of(tokens.begin(), tokens.end(), [kind](const Token &t) { return t.kind == kind; });
}

// The table's own texts are read without QLocale: a text that is exactly what this program
// writes for a value is that value. Anything else (another form, a typing error, a value out
// of range) is left to QLocale as before.
std::optional<QDate> readOwnDate(const Compiled &c, QStringView text)
{
    Fields f;
    if (!split(c, c.dateTokens, text, f))
        return std::nullopt;
    const QDate d(f.year, f.month, f.day);
    if (!d.isValid() || (f.weekday != 0 && f.weekday != d.dayOfWeek()))
        return std::nullopt;
    return d;
}

std::optional<QTime> readOwnTime(const Compiled &c, QStringView text)
{
    Fields f;
    if (!split(c, c.timeTokens, text, f))
        return std::nullopt;
    int hour = f.hour;
    if (f.pm >= 0) {
        if (has(c.timeTokens, Token::Hour12)) {
            if (hour < 1 || hour > 12)
                return std::nullopt;
            hour = hour % 12 + 12 * f.pm;
        } else if ((hour >= 12) != (f.pm == 1)) {
            return std::nullopt;
        }
    }
    const QTime t(hour, f.minute, f.second);
    if (!t.isValid())
        return std::nullopt;
    return t;
}

// Some regional formats cannot be read back by QLocale (day-period words, zone names, AM/PM
// texts its parser does not recognise). Every format in use is therefore tried on sample
// values first; one that loses anything is replaced by an unambiguous numeric form.
const QString kFallbackDate = QStringLiteral("yyyy-MM-dd");
const QString kFallbackTime = QStringLiteral("HH:mm:ss");

bool datesRoundTrip(const Compiled &c)
{
    for (const QDate &d : {QDate(1930, 1, 1), QDate(1999, 12, 31), QDate(2024, 2, 29),
                           QDate(2029, 11, 9)}) {
        if (c.locale.toDate(render(c, c.dateTokens, d, QTime()), c.dateFmt) != d)
            return false;
    }
    return true;
}

bool timesRoundTrip(const Compiled &c)
{
    for (const QTime &t : {QTime(0, 0, 0), QTime(1, 2, 3), QTime(11, 59, 59), QTime(12, 0, 0),
                           QTime(13, 7, 1), QTime(23, 59, 59)}) {
        if (c.locale.toTime(render(c, c.timeTokens, QDate(), t), c.timeFmt) != t)
            return false;
    }
    return true;
}

// Reading the table's own texts directly is taken up only for a format whose texts QLocale
// reads back, the same way, over every month and every hour: the two readers then agree on
// every text this program writes.
bool ownDatesAgree(const Compiled &c)
{
    if (!readable(c.dateTokens))
        return false;
    // Each text is checked against QLocale and against this reader.
    for (int year : {1930, 1999, 2000, 2024, 2099})
        for (int month = 1; month <= 12; ++month)
            for (int day : {1, 9, 10, 28}) {
                const QDate d(year, month, day);
                const QString text = render(c, c.dateTokens, d, QTime());
                if (c.locale.toDate(text, c.dateFmt) != d || readOwnDate(c, text) != d)
                    return false;
            }
    return true;
}

bool ownTimesAgree(const Compiled &c)
{
    if (!readable(c.timeTokens))
        return false;
    for (int hour = 0; hour < 24; ++hour)
        for (const QTime &t : {QTime(hour, 0, 0), QTime(hour, 7, 9), QTime(hour, 59, 59)}) {
            const QString text = render(c, c.timeTokens, QDate(), t);
            if (c.locale.toTime(text, c.timeFmt) != t || readOwnTime(c, text) != t)
                return false;
        }
    return true;
}

QMutex g_mutex;
std::shared_ptr<const Compiled> g_compiled;

std::shared_ptr<const Compiled> compiled()
{
    QMutexLocker lock(&g_mutex);
    const QLocale now;
    if (!g_compiled || g_compiled->locale != now) {
        auto c = std::make_shared<Compiled>();
        c->locale = now;
        c->am = now.amText();
        c->pm = now.pmText();
        for (int m = 1; m <= 12; ++m) {
            c->monthShort << now.monthName(m, QLocale::ShortFormat);
            c->monthLong << now.monthName(m, QLocale::LongFormat);
        }
        for (int d = 1; d <= 7; ++d) {
            c->dayShort << now.dayName(d, QLocale::ShortFormat);
            c->dayLong << now.dayName(d, QLocale::LongFormat);
        }
        c->dateFmt = makeDateFormat(now);
        c->dateTokens = compile(c->dateFmt);
        if (!datesRoundTrip(*c)) {
            c->dateFmt = kFallbackDate;
            c->dateTokens = compile(c->dateFmt);
        }
        c->timeFmt = makeTimeFormat(now);
        c->timeTokens = compile(c->timeFmt);
        if (!timesRoundTrip(*c)) {
            c->timeFmt = kFallbackTime;
            c->timeTokens = compile(c->timeFmt);
        }
        c->markersUpper = QStringList{c->am.toUpper(), c->pm.toUpper()};
        c->markersLower = QStringList{c->am.toLower(), c->pm.toLower()};
        c->ownDates = ownDatesAgree(*c);
        c->ownTimes = ownTimesAgree(*c);
        g_compiled = c;
    }
    return g_compiled;
}

} // namespace

QString dateText(const QDate &d)
{
    if (!d.isValid())
        return QString();
    const auto c = compiled();
    return render(*c, c->dateTokens, d, QTime());
}

QString timeText(const QTime &t)
{
    if (!t.isValid())
        return QString();
    const auto c = compiled();
    return render(*c, c->timeTokens, QDate(), t);
}

Reader::Reader() : m_compiled(compiled()) {}
Reader::~Reader() = default;

namespace {

// The text without blanks around it, as QLocale is given it; most texts have none.
QStringView trimmedView(const QString &text)
{
    const bool blanks = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
    return blanks ? QStringView(text).trimmed() : QStringView(text);
}

} // namespace

QDate Reader::date(const QString &text) const
{
    const Compiled &c = *m_compiled;
    const QStringView trimmed = trimmedView(text);
    if (c.ownDates)
        if (const std::optional<QDate> own = readOwnDate(c, trimmed))
            return *own;
    return c.locale.toDate(trimmed.toString(), c.dateFmt);
}

QTime Reader::time(const QString &text) const
{
    const Compiled &c = *m_compiled;
    const QStringView trimmed = trimmedView(text);
    if (c.ownTimes)
        if (const std::optional<QTime> own = readOwnTime(c, trimmed))
            return *own;
    return c.locale.toTime(trimmed.toString(), c.timeFmt);
}

QDate parseDate(const QString &text) { return Reader().date(text); }

QTime parseTime(const QString &text) { return Reader().time(text); }

QTime parseTypedTime(const QString &text)
{
    const QTime t = parseTime(text);
    if (t.isValid())
        return t;
    const auto c = compiled();
    // The seconds and the separator before them: "HH:mm:ss" -> "HH:mm", "h:mm:ss AP" -> "h:mm AP".
    static const QRegularExpression seconds(QStringLiteral("[^A-Za-z' ]?s{1,2}"));
    QString shortFmt = c->timeFmt;
    shortFmt.remove(seconds);
    if (shortFmt == c->timeFmt)
        return QTime();
    return c->locale.toTime(text.trimmed(), shortFmt);
}

QDateTime combine(const QString &date, const QString &time)
{
    const QDate d = parseDate(date);
    const QTime t = parseTime(time);
    if (!d.isValid() || !t.isValid())
        return QDateTime();
    // UTC: a time axis is plain arithmetic on wall-clock readings, with no daylight-saving gaps.
    return QDateTime(d, QTime(t.hour(), t.minute(), t.second()), Qt::UTC);
}

QString dateFormat() { return compiled()->dateFmt; }
QString timeFormat() { return compiled()->timeFmt; }

void localeChanged()
{
    QMutexLocker lock(&g_mutex);
    g_compiled.reset();
}

const QString &SharedTexts::date(const QDate &d)
{
    if (d != m_date || m_dateText.isNull()) {
        m_date = d;
        m_dateText = dateText(d);
    }
    return m_dateText;
}

const QString &SharedTexts::time(const QTime &t)
{
    static const QString none;
    if (!t.isValid())
        return none;
    // The texts show whole seconds.
    const int second = t.msecsSinceStartOfDay() / 1000;
    if (m_times.empty())
        m_times.resize(86400);
    QString &text = m_times[size_t(second)];
    if (text.isNull())
        text = timeText(QTime::fromMSecsSinceStartOfDay(second * 1000));
    return text;
}

QString utcOffsetText(int offsetSeconds)
{
    const int minutes = std::abs(offsetSeconds) / 60;
    return QStringLiteral("%1%2:%3")
        .arg(offsetSeconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace datetext
