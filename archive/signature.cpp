#include "archive/signature.h"

#include "archive/archive_texts.h"

namespace archive {

QString meaningName(Meaning m)
{
    return m == Meaning::Approved ? QStringLiteral("approved") : QStringLiteral("reviewed");
}

QString meaningCaption(Meaning m)
{
    return m == Meaning::Approved ? archivetext::kApproved : archivetext::kReviewed;
}

std::optional<Meaning> meaningFromName(const QString &name)
{
    for (const Meaning m : {Meaning::Reviewed, Meaning::Approved})
        if (name == meaningName(m))
            return m;
    return std::nullopt;
}

} // namespace archive
