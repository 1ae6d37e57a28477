#include "common/text_from_file.h"

#include <algorithm>

namespace textfromfile {

QString shown(const QString &text)
{
    const auto control = [](QChar c) { return isControl(c.unicode()); };
    if (std::none_of(text.cbegin(), text.cend(), control))
        return text;
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!isControl(u))
            out += c;
        else if (u == '\t')
            out += QLatin1String("\\t");
        else if (u == '\n')
            out += QLatin1String("\\n");
        else if (u == '\r')
            out += QLatin1String("\\r");
        else if (u <= 0xff)
            out += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
    }
    return out;
}

} // namespace textfromfile
