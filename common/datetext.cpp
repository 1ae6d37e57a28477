#include "common/datetext.h"

#include <QLocale>
#include <QMutex>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <vector>

namespace datetext {
namespace {

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
};

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

QDate parseDate(const QString &text)
{
    const auto c = compiled();
    return c->locale.toDate(text.trimmed(), c->dateFmt);
}

QTime parseTime(const QString &text)
{
    const auto c = compiled();
    return c->locale.toTime(text.trimmed(), c->timeFmt);
}

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

} // namespace datetext
