#include "common/numfmt.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace numfmt {
namespace {

constexpr std::array<double, 16> kPow10{1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

enum class Half { AwayFromZero, ToEven };

// Decimal digits of |v| rounded to `decimals` places, as an integer count of 10^-decimals,
// using the 15-significant-digit decimal form when the binary value sits near a half.
// Returns false when the value is too large for the fast integer form.
bool scaledRound(double v, int decimals, Half mode, long long *out)
{
    const double a = std::fabs(v);
    const double x = a * kPow10[decimals];
    if (!(x < 4e15))
        return false;
    const double fl = std::floor(x);
    const double frac = x - fl;
    // Far from a half: the binary value decides exactly as its decimal form would.
    if (std::fabs(frac - 0.5) > std::max(1e-6, x * 1e-14)) {
        *out = static_cast<long long>(frac > 0.5 ? fl + 1 : fl);
        return true;
    }
    // Near a half: decide on the decimal text with 15 significant digits.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", a);
    // buf: d.dddddddddddddde[+-]XX
    char digits[16];
    digits[0] = buf[0];
    std::memcpy(digits + 1, buf + 2, 14);
    const int exp10 = std::atoi(std::strchr(buf, 'e') + 1);
    // value = 0.d0d1...d14 * 10^(exp10+1); keep (exp10 + 1 + decimals) digits
    const int keep = exp10 + 1 + decimals;
    long long kept = 0;
    for (int i = 0; i < keep && i < 15; ++i)
        kept = kept * 10 + (digits[i] - '0');
    for (int i = 15; i < keep; ++i)
        kept *= 10;
    if (keep < 0) {
        *out = 0;
        return true;
    }
    if (keep >= 15) {
        *out = kept;
        return true;
    }
    // Compare the dropped tail with a half.
    int cmp = 0; // -1 below half, 0 exactly half, 1 above
    if (digits[keep] > '5')
        cmp = 1;
    else if (digits[keep] < '5')
        cmp = -1;
    else {
        for (int i = keep + 1; i < 15; ++i)
            if (digits[i] != '0') {
                cmp = 1;
                break;
            }
    }
    if (cmp > 0 || (cmp == 0 && (mode == Half::AwayFromZero || (kept % 2) == 1)))
        ++kept;
    *out = kept;
    return true;
}

void appendDigits(QString &s, long long n, int minDigits)
{
    char buf[32];
    int len = 0;
    do {
        buf[len++] = char('0' + n % 10);
        n /= 10;
    } while (n > 0);
    for (int i = len; i < minDigits; ++i)
        s.append(QLatin1Char('0'));
    while (len > 0)
        s.append(QLatin1Char(buf[--len]));
}

} // namespace

QString picture(double v, const char *pattern)
{
    int intZeros = 0;
    int decimals = 0;
    bool afterPoint = false;
    for (const char *p = pattern; *p; ++p) {
        if (*p == '.')
            afterPoint = true;
        else if (*p == '0')
            (afterPoint ? decimals : intZeros)++;
    }
    if (!std::isfinite(v))
        return QString::number(v);
    long long scaled = 0;
    if (decimals >= int(kPow10.size()) || !scaledRound(v, decimals, Half::AwayFromZero, &scaled))
        return QString::number(v, 'f', decimals);
    QString s;
    s.reserve(12);
    // Every negative value keeps its sign, also one that rounds to nothing but zeros: -0.04
    // reads "-00.0", a reading just below zero. (A negative zero is no negative value.)
    if (v < 0)
        s.append(QLatin1Char('-'));
    const long long unit = static_cast<long long>(kPow10[decimals]);
    appendDigits(s, scaled / unit, intZeros);
    if (decimals > 0) {
        s.append(QLatin1Char('.'));
        appendDigits(s, scaled % unit, decimals);
    }
    return s;
}

double roundHalfEven(double v, int decimals)
{
    if (!std::isfinite(v) || decimals < 0 || decimals > 9)
        return v;
    long long scaled = 0;
    if (!scaledRound(v, decimals, Half::ToEven, &scaled))
        return v;
    const double r = static_cast<double>(scaled) / kPow10[decimals];
    return v < 0 ? -r : r;
}

qint16 toInt16HalfEven(double v)
{
    const double r = roundHalfEven(v, 0);
    if (std::isnan(r))
        return 0;
    if (r >= std::numeric_limits<qint16>::max())
        return std::numeric_limits<qint16>::max();
    if (r <= std::numeric_limits<qint16>::min())
        return std::numeric_limits<qint16>::min();
    return static_cast<qint16>(r);
}

QString plain(double v)
{
    if (v == 0)
        return QStringLiteral("0");
    // Whole numbers (CO2 readings, counts) are common and need no shortest-form search.
    if (std::fabs(v) < 1e15 && v == std::floor(v))
        return QString::number(static_cast<long long>(v));
    return QString::number(v, 'g', 15);
}

namespace {

// A plain decimal ("-12.5", "034.0"), the texts of every table and file, read directly:
// QString::toDouble costs far more, and a table of 16,000 readings reads each cell once.
// False when the text is anything else (blanks, an exponent, more than 15 digits).
bool plainDecimal(const QString &text, double *out)
{
    const QChar *p = text.constData();
    const QChar *const end = p + text.size();
    bool negative = false;
    if (p < end && (*p == QLatin1Char('-') || *p == QLatin1Char('+'))) {
        negative = *p == QLatin1Char('-');
        ++p;
    }
    unsigned long long mantissa = 0;
    int digits = 0;
    int decimals = 0;
    bool point = false;
    for (; p < end; ++p) {
        const char16_t ch = p->unicode();
        if (ch >= u'0' && ch <= u'9') {
            mantissa = mantissa * 10 + (ch - u'0');
            ++digits;
            decimals += point;
        } else if (ch == u'.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (digits == 0 || digits > 15)
        return false;
    // Both operands are exact, so the quotient is the correctly rounded value of the decimal
    // text: the same double a full conversion gives.
    const double v = double(mantissa) / kPow10[decimals];
    *out = negative ? -v : v;
    return true;
}

} // namespace

bool parse(const QString &text, double *out)
{
    if (plainDecimal(text, out))
        return true;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    bool ok = false;
    const double d = t.toDouble(&ok); // QString::toDouble is locale-independent (C locale)
    if (!ok || !std::isfinite(d))
        return false;
    *out = d;
    return true;
}

double parseOr(const QString &text, double fallback)
{
    double d = 0;
    return parse(text, &d) ? d : fallback;
}

} // namespace numfmt
