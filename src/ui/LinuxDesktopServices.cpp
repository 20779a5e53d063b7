#include "LinuxDesktopServices.h"

#include "core/Paths.h"

#include <QObject>
#include <QUrl>

#if defined(VARNOLL_HAVE_DBUS)
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#endif

namespace Varnoll {

#if defined(VARNOLL_HAVE_DBUS) && !defined(Q_OS_MACOS)
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
#endif

void GuiDesktopServices::revealFile(const QString &path, Opened done)
{
#if defined(VARNOLL_HAVE_DBUS) && !defined(Q_OS_MACOS)
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
            // A file manager that fails to start answers with an error: then the folder.
            auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 10000));
            QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                [this, path, done = std::move(done)](QDBusPendingCallWatcher *finished) mutable {
                    finished->deleteLater();
                    if (finished->isError())
                        DesktopCoreServices::revealFile(path, std::move(done));
                    else if (done)
                        done(true);
                });
            return;
        }
    }
#endif
    DesktopCoreServices::revealFile(path, std::move(done));
}

} // namespace Varnoll
