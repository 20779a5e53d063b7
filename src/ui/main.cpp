#include "LinuxDesktopServices.h"
#include "Renderer.h"
#include "WindowContext.h"
#include "app/CleanerModel.h"
#include "core/Platform.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QTimer>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("VarnollMac清理"));
    QGuiApplication::setApplicationVersion(QStringLiteral(VARNOLL_VERSION));
    // The desktop matches the window to varnoll.desktop and takes its icon from there;
    // the icon inside covers running from the build folder.
    QGuiApplication::setDesktopFileName(QStringLiteral("varnoll"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/varnoll/varnoll.svg")));
    Varnoll::prepareApplicationLook();
    Varnoll::chooseSceneGraph();

    Varnoll::ModelOptions options;
    options.home = Morvane::userHomeDirectory();
    options.startupSystemDirectories = {
        QStringLiteral("/Library/LaunchAgents"),
        QStringLiteral("/Library/LaunchDaemons"),
        QStringLiteral("/System/Library/LaunchAgents"),
        QStringLiteral("/System/Library/LaunchDaemons"),
    };
    options.systemLibrary = QStringLiteral("/Library");
    options.backgroundInspector = Morvane::BackgroundItemsInspector { getuid() };
    Varnoll::CleanerModel model(std::make_shared<Varnoll::GuiDesktopServices>(), std::move(options));

    Varnoll::WindowContext context(&model, QStringLiteral(VARNOLL_VERSION));
    QQmlApplicationEngine engine;
    context.install(engine);
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app, [] { QCoreApplication::exit(1); },
        Qt::QueuedConnection);
    engine.load(QUrl(Varnoll::WindowContext::mainUrl()));
    const int status = QGuiApplication::exec();
    // The store files are written on a worker: let a save that is under way (an ignore
    // just before quitting) finish rather than lose it.
    if (model.storeBusy()) {
        QEventLoop wait;
        QObject::connect(&model, &Varnoll::CleanerModel::storeIdle, &wait, &QEventLoop::quit);
        QTimer::singleShot(10000, &wait, &QEventLoop::quit);
        wait.exec();
    }
    return status;
}
