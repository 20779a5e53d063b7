#include "app/presentation/EntryRow.h"

#include "app/Format.h"
#include "core/Paths.h"

namespace Varnoll {

using namespace Morvane;

QVariantMap entryRow(const FileEntry &entry, const QString &home, bool checked)
{
    return {
        { QStringLiteral("entryId"), entry.id.toString(QUuid::WithoutBraces) },
        { QStringLiteral("name"), displayPath(entry.name) },
        { QStringLiteral("folder"), abbreviateHome(parentPath(entry.path), home) },
        { QStringLiteral("path"), displayPath(entry.path) },
        { QStringLiteral("sizeText"), sizeText(entry.bytes, entry.sizeIsComplete) },
        { QStringLiteral("symbol"), categorySymbol(entry.category) },
        { QStringLiteral("isApplicationData"), entry.category == FileCategory::applicationData },
        { QStringLiteral("checked"), checked },
        { QStringLiteral("tooltip"), displayPath(entry.path) },
    };
}

} // namespace Varnoll
