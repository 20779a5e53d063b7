#include "app/presentation/EntryRow.h"

#include "app/ApplicationIcon.h"
#include "app/Format.h"
#include "app/StoreFiles.h"
#include "app/presentation/Texts.h"
#include "core/Paths.h"

#include <QHash>
#include <QStandardPaths>
#include <QUrl>

namespace Varnoll {

using namespace Morvane;

namespace {

// An application's own icon comes from the window's "appicon" images: the path's
// bytes and the identifier, percent-encoded. Only an application whose launcher
// names an icon has one; the others, and all other entries, show their symbol.
QString iconSource(const FileEntry &entry)
{
    if (entry.category != FileCategory::application)
        return {};
    static QHash<QString, bool> named; // rows ask often; launchers rarely change
    const QString identifier = entry.bundleID.value_or(QString());
    const QString key = entry.path + u'\n' + identifier;
    auto known = named.constFind(key);
    if (known == named.constEnd()) {
        bool hasIcon = false;
        const QStringList folders = QStandardPaths::locateAll(
            QStandardPaths::GenericDataLocation, QStringLiteral("applications"), QStandardPaths::LocateDirectory);
        if (const auto launcher = launcherFileFor(entry.path, identifier, folders)) {
            if (const auto contents = readWholeFile(*launcher))
                hasIcon = !desktopEntryIcon(*contents).isEmpty();
        }
        known = named.insert(key, hasIcon);
    }
    if (!*known)
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
        { QStringLiteral("folder"), Texts::entryFolder(entry, home) },
        { QStringLiteral("path"), displayPath(entry.path) },
        { QStringLiteral("sizeText"), sizeText(entry.bytes, entry.sizeIsComplete) },
        { QStringLiteral("symbol"), categorySymbol(entry.category) },
        { QStringLiteral("isApplicationData"), entry.category == FileCategory::applicationData },
        { QStringLiteral("checked"), checked },
        { QStringLiteral("tooltip"), Texts::entryTooltip(entry) },
        { QStringLiteral("iconSource"), iconSource(entry) },
    };
}

} // namespace Varnoll
