#include "app/presentation/EntryRow.h"

#include "app/Format.h"
#include "core/Paths.h"

#include <QUrl>

namespace Varnoll {

using namespace Morvane;

namespace {

// An application's own icon comes from the window's "appicon" images: the path's
// bytes and the identifier, percent-encoded. Other entries show their symbol.
QString iconSource(const FileEntry &entry)
{
    if (entry.category != FileCategory::application)
        return {};
    return QStringLiteral("image://appicon/") + QString::fromLatin1(pathToBytes(entry.path).toPercentEncoding()) + u'/'
           + QString::fromLatin1(QUrl::toPercentEncoding(entry.bundleID.value_or(QString())));
}

} // namespace

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
        { QStringLiteral("iconSource"), iconSource(entry) },
    };
}

} // namespace Varnoll
