#include "PageModels.h"

#include "ApplicationIcons.h"
#include "SpaceMap.h"

#include "app/CleanerModel.h"
#include "app/presentation/ApplicationGroupsModel.h"
#include "app/presentation/DiagnosticsListModel.h"
#include "app/presentation/DuplicateGroupsModel.h"
#include "app/presentation/FileFilterOptions.h"
#include "app/presentation/HistoryListModel.h"
#include "app/presentation/IgnoreListModel.h"
#include "app/presentation/ItemListKind.h"
#include "app/presentation/SettingsTexts.h"
#include "app/presentation/SpaceListModel.h"

#include <QQmlEngine>

namespace Varnoll {

namespace {

constexpr const char *kVersionProperty = "varnollVersion";

template <typename T, typename Make> void registerPageSingleton(const char *name, Make make)
{
    qmlRegisterSingletonType<T>("Varnoll.Model", 1, 0, name, [make](QQmlEngine *engine, QJSEngine *) -> QObject * {
        auto *model = engine->singletonInstance<CleanerModel *>(qmlTypeId("Varnoll.Model", 1, 0, "Cleaner"));
        Q_ASSERT(model);
        // Made by the factory, so the engine owns it and deletes it with itself.
        return make(model);
    });
}

} // namespace

void installPageModels(QQmlEngine &engine, const QString &version)
{
    engine.addImageProvider(QStringLiteral("appicon"), new ApplicationIcons);
    engine.setProperty(kVersionProperty, version);
    static bool done = false;
    if (done)
        return;
    done = true;
    registerPageSingleton<ItemListKind>("ItemList", [](CleanerModel *m) { return new ItemListKind(m); });
    registerPageSingleton<FileFilterOptions>("Filters", [](CleanerModel *m) { return new FileFilterOptions(m); });
    registerPageSingleton<ApplicationGroupsModel>(
        "Applications", [](CleanerModel *m) { return new ApplicationGroupsModel(m); });
    registerPageSingleton<DuplicateGroupsModel>(
        "Duplicates", [](CleanerModel *m) { return new DuplicateGroupsModel(m); });
    registerPageSingleton<SpaceListModel>("Space", [](CleanerModel *m) { return new SpaceListModel(m); });
    qmlRegisterType<SpaceMap>("Varnoll.Model", 1, 0, "SpaceMap");
    registerPageSingleton<DiagnosticsListModel>(
        "Diagnostics", [](CleanerModel *m) { return new DiagnosticsListModel(m); });
    registerPageSingleton<HistoryListModel>("History", [](CleanerModel *m) { return new HistoryListModel(m); });
    registerPageSingleton<IgnoreListModel>("Ignored", [](CleanerModel *m) { return new IgnoreListModel(m); });
    qmlRegisterSingletonType<SettingsTexts>(
        "Varnoll.Model", 1, 0, "SettingsInfo", [](QQmlEngine *engine, QJSEngine *) -> QObject * {
            auto *model = engine->singletonInstance<CleanerModel *>(qmlTypeId("Varnoll.Model", 1, 0, "Cleaner"));
            Q_ASSERT(model);
            return new SettingsTexts(model, engine->property(kVersionProperty).toString());
        });
}

} // namespace Varnoll
