#include "WindowContext.h"

#include "AccessibleStates.h"
#include "ApplicationIcons.h"
#include "Look.h"
#include "SpaceMap.h"
#include "SymbolImages.h"
#include "app/CleanerModel.h"
#include "app/Format.h"
#include "app/Page.h"
#include "app/presentation/ApplicationGroupsModel.h"
#include "app/presentation/DiagnosticsListModel.h"
#include "app/presentation/DuplicateGroupsModel.h"
#include "app/presentation/FileFilterOptions.h"
#include "app/presentation/HistoryListModel.h"
#include "app/presentation/IgnoreListModel.h"
#include "app/presentation/PlatformWords.h"
#include "app/presentation/ResultListModel.h"
#include "app/presentation/ReviewListModel.h"
#include "app/presentation/SettingsTexts.h"
#include "app/presentation/SpaceListModel.h"
#include "app/presentation/ViewState.h"

#include <QFont>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QTranslator>

namespace Varnoll {

namespace {

// The context whose objects the singletons hand out. Singletons are created per
// engine on first use, so a test can load several windows one after the other.
QPointer<WindowContext> g_current;

constexpr const char *kVersionProperty = "varnollVersion";

// The context's own objects: one per window, owned by the context.
template <typename T> void registerSingleton(const char *name, T *(*get)(WindowContext *))
{
    qmlRegisterSingletonType<T>("Varnoll.Model", 1, 0, name, [get](QQmlEngine *, QJSEngine *) -> QObject * {
        Q_ASSERT(g_current);
        QObject *object = get(g_current);
        QQmlEngine::setObjectOwnership(object, QQmlEngine::CppOwnership);
        return object;
    });
}

// A page's list or texts: made over the engine's Cleaner singleton on first use; the
// engine owns it and deletes it with itself.
template <typename T, typename Make> void registerPageSingleton(const char *name, Make make)
{
    qmlRegisterSingletonType<T>("Varnoll.Model", 1, 0, name, [make](QQmlEngine *engine, QJSEngine *) -> QObject * {
        auto *model = engine->singletonInstance<CleanerModel *>(qmlTypeId("Varnoll.Model", 1, 0, "Cleaner"));
        Q_ASSERT(model);
        return make(model, engine);
    });
}

// Every type QML sees, in one place.
void registerOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerSingleton<CleanerModel>("Cleaner", [](WindowContext *c) { return c->model(); });
    registerSingleton<ViewState>("View", [](WindowContext *c) { return c->view(); });
    registerSingleton<ResultListModel>("Results", [](WindowContext *c) { return c->results(); });
    registerSingleton<ReviewListModel>("Review", [](WindowContext *c) { return c->review(); });
    registerSingleton<Look>("Look", [](WindowContext *c) { return c->findChild<Look *>(); });
    qmlRegisterSingletonType<PlatformWords>(
        "Varnoll.Model", 1, 0, "Words", [](QQmlEngine *, QJSEngine *) -> QObject * { return new PlatformWords; });
    qmlRegisterUncreatableMetaObject(Varnoll::staticMetaObject, "Varnoll.Model", 1, 0, "Varnoll",
        QStringLiteral("Page and Activity are enumerations"));
    registerPageSingleton<FileFilterOptions>(
        "Filters", [](CleanerModel *m, QQmlEngine *) { return new FileFilterOptions(m); });
    registerPageSingleton<ApplicationGroupsModel>(
        "Applications", [](CleanerModel *m, QQmlEngine *) { return new ApplicationGroupsModel(m); });
    registerPageSingleton<DuplicateGroupsModel>(
        "Duplicates", [](CleanerModel *m, QQmlEngine *) { return new DuplicateGroupsModel(m); });
    registerPageSingleton<SpaceListModel>("Space", [](CleanerModel *m, QQmlEngine *) { return new SpaceListModel(m); });
    registerPageSingleton<DiagnosticsListModel>(
        "Diagnostics", [](CleanerModel *m, QQmlEngine *) { return new DiagnosticsListModel(m); });
    registerPageSingleton<HistoryListModel>(
        "History", [](CleanerModel *m, QQmlEngine *) { return new HistoryListModel(m); });
    registerPageSingleton<IgnoreListModel>(
        "Ignored", [](CleanerModel *m, QQmlEngine *) { return new IgnoreListModel(m); });
    registerPageSingleton<SettingsTexts>("SettingsInfo", [](CleanerModel *m, QQmlEngine *engine) {
        return new SettingsTexts(m, engine->property(kVersionProperty).toString());
    });
    qmlRegisterType<SpaceMap>("Varnoll.Model", 1, 0, "SpaceMap");
}

} // namespace

WindowContext::WindowContext(CleanerModel *model, const QString &version, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_view(new ViewState(model, version, this))
    , m_results(new ResultListModel(model, this))
    , m_review(new ReviewListModel(model, this))
    , m_look(new Look(this))
    , m_version(version)
{
}

WindowContext::~WindowContext() = default;

void WindowContext::install(QQmlEngine &engine)
{
    registerOnce();
    g_current = this;
    engine.setProperty(kVersionProperty, m_version);
    engine.addImageProvider(QStringLiteral("symbol"), new SymbolImages);
    engine.addImageProvider(QStringLiteral("appicon"), new ApplicationIcons);
}

QString WindowContext::mainUrl()
{
    return QStringLiteral("qrc:/Varnoll/Main.qml");
}

void prepareApplicationLook()
{
    // Chinese throughout: Qt's own dialogs and controls, and every date and number
    // format, whatever the system's locale.
    const QLocale chinese = interfaceLocale();
    QLocale::setDefault(chinese);
    auto *translator = new QTranslator(qApp);
    if (translator->load(
            chinese, QStringLiteral("qt"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;

    installAccessibleStates();

    // The views draw their own controls; Basic is the style that lets them.
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    const Look look;
    QFont font(look.sans());
    font.setPixelSize(13);
    QGuiApplication::setFont(font);
}

} // namespace Varnoll
