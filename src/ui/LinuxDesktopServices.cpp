#include "LinuxDesktopServices.h"

#include "core/Paths.h"

#include <QDesktopServices>
#include <QUrl>

#if defined(VARNOLL_HAVE_DBUS)
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#endif

namespace Varnoll {

namespace {

QUrl fileUrl(const QString &path)
{
    // The bytes of the name, percent-encoded, so that a name that is not UTF-8 survives.
    QUrl url;
    url.setScheme(QStringLiteral("file"));
    url.setPath(QString::fromLatin1(Morvane::pathToBytes(path).toPercentEncoding("/")), QUrl::TolerantMode);
    return url;
}

} // namespace

void GuiDesktopServices::revealFile(const QString &path)
{
#if defined(Q_OS_MACOS)
    DesktopCoreServices::revealFile(path);
#else
#if defined(VARNOLL_HAVE_DBUS)
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface()) {
        const auto registered = bus.interface()->isServiceRegistered(service);
        const auto activatable = bus.interface()->activatableServiceNames();
        if ((registered.isValid() && registered.value())
            || (activatable.isValid() && activatable.value().contains(service))) {
            QDBusMessage call = QDBusMessage::createMethodCall(
                service, QStringLiteral("/org/freedesktop/FileManager1"), service, QStringLiteral("ShowItems"));
            call << QStringList { fileUrl(path).toString(QUrl::FullyEncoded) } << QString();
            if (bus.send(call))
                return;
        }
    }
#endif
    QDesktopServices::openUrl(fileUrl(Morvane::parentPath(path)));
#endif
}

void GuiDesktopServices::openTrash()
{
#if defined(Q_OS_MACOS)
    DesktopCoreServices::openTrash();
#else
    QDesktopServices::openUrl(QUrl(QStringLiteral("trash:///")));
#endif
}

} // namespace Varnoll
