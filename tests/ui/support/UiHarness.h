#pragma once

#include "app/support/FakeCore.h"

#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>

#include <functional>
#include <memory>

namespace Varnoll {
class WindowContext;
}

namespace VarnollTest {

/// The real window on a model over the fake core, shown offscreen.
class UiHarness {
public:
    UiHarness();
    /// The window on other services (the real ones), with `home` as the user's home.
    UiHarness(std::shared_ptr<Varnoll::CoreServices> services, const QString &home);
    ~UiHarness();

    /// Loads Main.qml and waits until the window is exposed. False on QML errors.
    /// Loads the window; `version` is the application's short version.
    [[nodiscard]] bool load(const QString &version = QStringLiteral("0.1.0"));

    Fixture fixture;
    std::unique_ptr<Varnoll::CleanerModel> model;
    std::unique_ptr<Varnoll::WindowContext> context;
    std::unique_ptr<QQmlApplicationEngine> engine;
    QQuickWindow *window = nullptr;
    QStringList errors;
    /// Lets held work finish (set by a state that holds a scan or clean-up open).
    std::function<void()> release;

    /// The first object with this objectName anywhere in the window (items, popups,
    /// loaded pages, list delegates); only visible items when `visibleOnly`.
    [[nodiscard]] QObject *find(const QString &name, bool visibleOnly = false) const;
    [[nodiscard]] QList<QObject *> findAll(const QString &name, bool visibleOnly = false) const;
    [[nodiscard]] QString text(const QString &name) const;
    [[nodiscard]] bool isShown(const QString &name) const;
    /// The property `text` of the object `name` inside each row the result list has
    /// built now (pooled delegates left out).
    [[nodiscard]] QStringList rowTexts(const QString &name) const;
    /// The rows the result list has built now, in order.
    [[nodiscard]] QList<QQuickItem *> rows() const;
    /// The built row of the result list whose name reads `name`.
    [[nodiscard]] QQuickItem *rowNamed(const QString &name) const;
    /// A mouse click in the middle of the item; false when it is not shown.
    bool click(const QString &name);
    bool clickItem(QQuickItem *item);
    /// Moves the pointer to `scenePoint` (without a button), as hovering does.
    void hover(const QPoint &scenePoint);
    /// Opens the first `count` records of the history page (all when negative).
    void openHistoryRecords(int count = -1);
    /// Lets bindings, loaders and the scene graph settle.
    void settle(int ms = 30);

    /// An entry under the fixture's home folder.
    [[nodiscard]] FileEntry entry(
        const QString &relative, std::int64_t bytes, FileCategory category = FileCategory::largeFile) const;
    /// Publishes `result` as the outcome of a scan of the current page.
    bool publish(const ScanResult &result);
    /// Scans `page` with the model's core and waits until it is done. Stays on the page
    /// when it is shown already: navigating sets the page's filters back.
    bool scanPage(Varnoll::Page page, int timeoutMs = 60000);
};

/// True when `item` and all its ancestors are visible.
bool effectivelyVisible(const QQuickItem *item);
/// The object as an item (null when it is none).
inline QQuickItem *item(QObject *object)
{
    return qobject_cast<QQuickItem *>(object);
}
/// The first object named `name` inside `scope` (items and plain children).
QObject *inside(QObject *scope, const QString &name);
/// The property `text` of each object.
QStringList texts(const QList<QObject *> &objects);

} // namespace VarnollTest
