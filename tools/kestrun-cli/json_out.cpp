#include "tools/kestrun-cli/json_out.h"

#include "common/text_from_file.h"

#include <algorithm>

namespace jsonout {

QByteArray text(const QJsonDocument &doc)
{
    const QByteArray json = doc.toJson(QJsonDocument::Indented);
    const QString decoded = QString::fromUtf8(json);
    // Those below DEL are escaped already; the line ends left are the document's own.
    const auto control = [](QChar c) {
        return c.unicode() >= 0x7f && textfromfile::isControl(c.unicode());
    };
    if (std::none_of(decoded.cbegin(), decoded.cend(), control))
        return json;
    QString out;
    out.reserve(decoded.size() + 16);
    for (const QChar c : decoded) {
        if (control(c))
            out += QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out.toUtf8();
}

} // namespace jsonout
