#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace Varnoll {

struct DesktopCommand {
    QString program;
    QStringList arguments;
    friend bool operator==(const DesktopCommand &, const DesktopCommand &) = default;
};

/// The command that opens the privacy or application-permission settings of the
/// running Linux desktop. `currentDesktop` is the colon-separated desktop list of the
/// session (XDG_CURRENT_DESKTOP); `findExecutable` returns the program's path, empty
/// when it is not installed. None when the desktop has no such settings or they are
/// not installed: opening another desktop's settings fails or confuses.
[[nodiscard]] std::optional<DesktopCommand> privacySettingsCommand(
    const QString &currentDesktop, const std::function<QString(const QString &)> &findExecutable);

} // namespace Varnoll
