#include "ApplicationIcons.h"

#include "app/ApplicationIcon.h"
#include "core/BundleIcon.h"
#include "core/Paths.h"
#include "core/SmallFile.h"
#include "core/scan/DesktopFiles.h"

#include <QBuffer>
#include <QIcon>
#include <QImageReader>
#include <QStandardPaths>
#include <QUrl>

namespace Varnoll {

namespace {

// Icons larger than this are not pictures a launcher means.
constexpr qint64 iconFileLimit = qint64(16) * 1024 * 1024;

QStringList applicationFolders()
{
    return QStandardPaths::locateAll(
        QStandardPaths::GenericDataLocation, QStringLiteral("applications"), QStandardPaths::LocateDirectory);
}

// An icon file named by a launcher: read through the shared bounded reader (a FIFO or a
// device under that name must not hold the window), then decoded from memory.
QPixmap iconFilePixmap(const QString &file, int extent)
{
    const auto bytes = Morvane::readSmallRegularFile(file, iconFileLimit, Morvane::FinalLink::follow);
    if (!bytes)
        return {};
    QBuffer buffer;
    buffer.setData(*bytes);
    QImageReader reader(&buffer);
    reader.setScaledSize(QSize(extent, extent));
    return QPixmap::fromImage(reader.read());
}

QPixmap iconPixmap(const QString &icon, int extent)
{
    if (icon.isEmpty())
        return {};
    if (icon.startsWith(u'/'))
        return iconFilePixmap(icon, extent);
    const QIcon themed = QIcon::fromTheme(icon);
    if (!themed.isNull())
        return themed.pixmap(extent, extent);
    // Older launchers name a file in the shared pixmaps folder.
    for (const char *suffix : { ".png", ".svg", ".xpm" }) {
        const QPixmap pixmap
            = iconFilePixmap(QStringLiteral("/usr/share/pixmaps/") + icon + QLatin1String(suffix), extent);
        if (!pixmap.isNull())
            return pixmap;
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
        if (const auto entry = Morvane::readDesktopEntry(*launcher))
            pixmap = iconPixmap(entry->icon, extent);
    }
    if (size)
        *size = pixmap.size();
    return pixmap;
}

} // namespace Varnoll
