#pragma once

class QQmlEngine;
class QString;

namespace Varnoll {

/// Registers the list models of the filter bar, the application, duplicate, space
/// and diagnostics lists, the history and the settings pages as singletons of
/// "Varnoll.Model" (ItemList, Filters, Applications, Duplicates, Space, Diagnostics, History,
/// Ignored, SettingsInfo), and the space page's map item SpaceMap. Each engine gets its own objects, made over that
/// engine's Cleaner singleton on first use and deleted with the engine. Call before loading any QML. Also gives
/// `engine` the application icons ("image://appicon/…") and the application's short `version` (empty when unknown) for
/// the About text.
void installPageModels(QQmlEngine &engine, const QString &version);

} // namespace Varnoll
