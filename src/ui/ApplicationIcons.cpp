#include "ApplicationIcons.h"

#include "app/ApplicationIcon.h"
#include "core/BundleIcon.h"
#include "core/Paths.h"
#include "core/SmallFile.h"

#include <QIcon>
#include <QImageReader>
#include <QStandardPaths>
#include <QUrl>

namespace Varnoll {

namespace {

QStringList applicationFolders()
{
    return QStandardPaths::locateAll(
        QStandardPaths::GenericDataLocation, QStringLiteral("applications"), QStandardPaths::LocateDirectory);
}

QPixmap iconPixmap(const QString &icon, int extent)
{
    if (icon.isEmpty())
        return {};
    if (icon.startsWith(u'/')) {
        QImageReader reader(icon);
        reader.setScaledSize(QSize(extent, extent));
        return QPixmap::fromImage(reader.read());
    }
    const QIcon themed = QIcon::fromTheme(icon);
    if (!themed.isNull())
        return themed.pixmap(extent, extent);
    // Older launchers name a file in the shared pixmaps folder.
    for (const char *suffix : { ".png", ".svg", ".xpm" }) {
        const QString file = QStringLiteral("/usr/share/pixmaps/") + icon + QLatin1String(suffix);
        QImageReader reader(file);
        reader.setScaledSize(QSize(extent, extent));
        const QImage image = reader.read();
        if (!image.isNull())
            return QPixmap::fromImage(image);
    }
    return {};
}

} // namespace

ApplicationIcons::ApplicationIcons()
    : QQuickImageProvider(QQuickImageProvider::Pixmap)
{
}

QPixmap ApplicationIcons::requestPixmap(const QString &id, QSize *size, const QSize &requestedSize)
{
    const int extent = requestedSize.isValid() ? qMax(requestedSize.width(), requestedSize.height()) : 64;
    const qsizetype slash = id.indexOf(u'/');
    const QString path = Morvane::pathFromBytes(QByteArray::fromPercentEncoding(id.left(slash).toLatin1()));
    const QString identifier = slash < 0 ? QString() : QUrl::fromPercentEncoding(id.mid(slash + 1).toLatin1());
    QPixmap pixmap;
    if (isApplicationBundle(path)) {
        // Twice the extent, for sharp icons on high-density screens.
        if (const auto png = Morvane::bundleIconPng(path, 2 * extent)) {
            const QImage image = QImage::fromData(*png, "PNG");
            if (!image.isNull())
                pixmap
                    = QPixmap::fromImage(image.scaled(extent, extent, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        }
    } else if (const auto launcher = launcherFileFor(path, identifier, applicationFolders())) {
        if (const auto contents
            = Morvane::readSmallRegularFile(*launcher, launcherFileLimit, Morvane::FinalLink::follow))
            pixmap = iconPixmap(desktopEntryIcon(*contents), extent);
    }
    if (size)
        *size = pixmap.size();
    return pixmap;
}

} // namespace Varnoll
