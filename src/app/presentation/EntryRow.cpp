#include "app/presentation/EntryRow.h"

#include "app/ApplicationIcon.h"
#include "app/Format.h"
#include "app/presentation/Texts.h"
#include "core/BundleIcon.h"
#include "core/Paths.h"
#include "core/scan/DesktopFiles.h"

#include <QHash>
#include <QStandardPaths>
#include <QUrl>

namespace Varnoll {

using namespace Morvane;

namespace {

bool namesAnIcon(const FileEntry &entry)
{
    if (isApplicationBundle(entry.path))
        return bundleIconFile(entry.path).has_value();
    const QStringList folders = QStandardPaths::locateAll(
        QStandardPaths::GenericDataLocation, QStringLiteral("applications"), QStandardPaths::LocateDirectory);
    if (const auto launcher = launcherFileFor(entry.path, entry.bundleID.value_or(QString()), folders)) {
        if (const auto desktopEntry = Morvane::readDesktopEntry(*launcher))
            return !desktopEntry->icon.isEmpty();
    }
    return false;
}

// An application's own icon comes from the window's "appicon" images: the path's
// bytes and the identifier, percent-encoded. Only a bundle whose Info.plist names an
// icon file, or an application whose launcher names an icon, has one; the others, and
// all other entries, show their symbol.
QString iconSource(const FileEntry &entry)
{
    if (entry.category != FileCategory::application)
        return {};
    static QHash<QString, bool> named; // rows ask often; bundles and launchers rarely change
    const QString key = entry.path + u'\n' + entry.bundleID.value_or(QString());
    auto known = named.constFind(key);
    if (known == named.constEnd())
        known = named.insert(key, namesAnIcon(entry));
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
