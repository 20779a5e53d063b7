#include "UiHarness.h"

#include "WindowContext.h"
#include "app/presentation/HistoryListModel.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QQuickItem>
#include <QSet>
#include <QTest>

namespace VarnollTest {

namespace {

void collect(QObject *object, const QString &name, bool visibleOnly, QList<QObject *> &found, QSet<QObject *> &seen)
{
    if (!object || seen.contains(object))
        return;
    seen.insert(object);
    if (object->objectName() == name) {
        auto *item = qobject_cast<QQuickItem *>(object);
        if (!visibleOnly || !item || effectivelyVisible(item))
            found.append(object);
    }
    for (QObject *child : object->children())
        collect(child, name, visibleOnly, found, seen);
    if (auto *item = qobject_cast<QQuickItem *>(object)) {
        for (QQuickItem *child : item->childItems())
            collect(child, name, visibleOnly, found, seen);
    }
}

} // namespace

bool effectivelyVisible(const QQuickItem *item)
{
    for (const QQuickItem *it = item; it; it = it->parentItem()) {
        if (!it->isVisible() || it->opacity() <= 0.0)
            return false;
    }
    return true;
}

QObject *inside(QObject *scope, const QString &name)
{
    QList<QObject *> found;
    QSet<QObject *> seen;
    collect(scope, name, false, found, seen);
    found.removeOne(scope); // inside, not the scope itself
    return found.isEmpty() ? nullptr : found.constFirst();
}

QStringList texts(const QList<QObject *> &objects)
{
    QStringList list;
    for (QObject *object : objects)
        list.append(object->property("text").toString());
    return list;
}

UiHarness::UiHarness()
{
    fixture.core->volume = VolumeCapacity { 500'000'000'000, 180'000'000'000 };
    model = fixture.makeModel();
}

UiHarness::UiHarness(std::shared_ptr<Varnoll::CoreServices> services, const QString &home)
{
    Varnoll::ModelOptions options;
    options.home = home;
    options.store = fixture.store;
    options.systemLibrary = QStringLiteral("/Library");
    model = std::make_unique<Varnoll::CleanerModel>(std::move(services), options);
    if (!QTest::qWaitFor([this] { return model->historyLoaded(); }, 10000))
        qWarning("the history was not loaded in time");
}

void UiHarness::openHistoryRecords(int count)
{
    auto *history = engine->singletonInstance<Varnoll::HistoryListModel *>(qmlTypeId("Varnoll.Model", 1, 0, "History"));
    if (!history)
        return;
    const int records = count < 0 ? history->count() : std::min(count, history->count());
    for (int r = 0; r < records; ++r)
        history->setExpanded(r, true);
    settle();
}

UiHarness::~UiHarness()
{
    engine.reset();
    context.reset();
}

bool UiHarness::load(const QString &version)
{
    context = std::make_unique<Varnoll::WindowContext>(model.get(), version);
    engine = std::make_unique<QQmlApplicationEngine>();
    QObject::connect(
        engine.get(), &QQmlApplicationEngine::warnings, engine.get(), [this](const QList<QQmlError> &list) {
            for (const QQmlError &error : list)
                errors.append(error.toString());
        });
    context->install(*engine);
    engine->load(QUrl(Varnoll::WindowContext::mainUrl()));
    if (engine->rootObjects().isEmpty())
        return false;
    window = qobject_cast<QQuickWindow *>(engine->rootObjects().constFirst());
    if (!window)
        return false;
    window->show();
    window->requestActivate();
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    settle();
    return true;
}

QList<QObject *> UiHarness::findAll(const QString &name, bool visibleOnly) const
{
    QList<QObject *> found;
    QSet<QObject *> seen;
    collect(window, name, visibleOnly, found, seen);
    collect(window->contentItem(), name, visibleOnly, found, seen);
    return found;
}

QObject *UiHarness::find(const QString &name, bool visibleOnly) const
{
    const QList<QObject *> found = findAll(name, visibleOnly);
    return found.isEmpty() ? nullptr : found.constFirst();
}

QString UiHarness::text(const QString &name) const
{
    QObject *object = find(name, true);
    return object ? object->property("text").toString() : QStringLiteral("<%1 not shown>").arg(name);
}

bool UiHarness::isShown(const QString &name) const
{
    return find(name, true) != nullptr;
}

QList<QQuickItem *> UiHarness::rows() const
{
    QList<QQuickItem *> built;
    auto *list = qobject_cast<QQuickItem *>(find(QStringLiteral("resultRows"), true));
    if (!list)
        return built;
    const int count = list->property("count").toInt();
    for (int i = 0; i < count; ++i) {
        QQuickItem *row = nullptr;
        QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, row), Q_ARG(int, i));
        if (row)
            built.append(row);
    }
    return built;
}

QStringList UiHarness::rowTexts(const QString &name) const
{
    QStringList texts;
    for (QQuickItem *row : rows()) {
        if (QObject *found = inside(row, name))
            texts.append(found->property("text").toString());
    }
    return texts;
}

QQuickItem *UiHarness::rowNamed(const QString &name) const
{
    for (QQuickItem *row : rows()) {
        QObject *label = inside(row, QStringLiteral("rowName"));
        if (label && label->property("text").toString() == name)
            return row;
    }
    return nullptr;
}

bool UiHarness::clickItem(QQuickItem *item)
{
    if (!item || !effectivelyVisible(item))
        return false;
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, {}, centre.toPoint());
    settle();
    return true;
}

void UiHarness::hover(const QPoint &scenePoint)
{
    // QTest::mouseMove reaches no item's hover handling offscreen in Qt 6.4: the pointer
    // enters the window, then moves.
    const QPointF at(scenePoint);
    QEnterEvent enter(at, at, window->mapToGlobal(at));
    QGuiApplication::sendEvent(window, &enter);
    QMouseEvent move(QEvent::MouseMove, at, window->mapToGlobal(at), Qt::NoButton, Qt::NoButton, {});
    QGuiApplication::sendEvent(window, &move);
    settle();
}

bool UiHarness::click(const QString &name)
{
    return clickItem(qobject_cast<QQuickItem *>(find(name, true)));
}

void UiHarness::settle(int ms)
{
    QTest::qWait(ms);
}

FileEntry UiHarness::entry(const QString &relative, std::int64_t bytes, FileCategory category) const
{
    return makeEntry(fixture.home + u'/' + relative, bytes, category);
}

bool UiHarness::scanPage(Varnoll::Page page, int timeoutMs)
{
    if (model->page() != page)
        model->navigate(page);
    model->scan();
    const bool idle = waitIdle(*model, timeoutMs);
    settle(60);
    return idle;
}

bool UiHarness::publish(const ScanResult &result)
{
    const bool done = scanWith(*model, *fixture.core, std::nullopt, result);
    settle();
    return done;
}

} // namespace VarnollTest
