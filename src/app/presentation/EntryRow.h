#pragma once

#include "core/Records.h"

#include <QString>
#include <QVariantMap>

namespace Varnoll {

/// The values one file row shows for `entry`, keyed by the names the row view binds
/// (entryId, name, folder, path, sizeText, symbol, isApplicationData, checked,
/// tooltip as the plain list shows them, and iconSource: an application's own icon, empty for other entries). Used by
/// the lists that build their rows inside cards.
[[nodiscard]] QVariantMap entryRow(const Morvane::FileEntry &entry, const QString &home, bool checked);

} // namespace Varnoll
