#include "app/PrivacySettings.h"

namespace Varnoll {

namespace {

struct DesktopSettings {
    const char *desktop; // as XDG_CURRENT_DESKTOP names it
    const char *program;
    const char *panel;
};

// Each desktop's own settings page for privacy and application permissions.
constexpr DesktopSettings kSettings[] = {
    { "GNOME", "gnome-control-center", "privacy" },
    { "Unity", "gnome-control-center", "privacy" },
    { "KDE", "systemsettings", "kcm_app-permissions" },
    { "X-Cinnamon", "cinnamon-settings", "privacy" },
    { "Budgie", "gnome-control-center", "privacy" },
};

} // namespace

std::optional<DesktopCommand> privacySettingsCommand(
    const QString &currentDesktop, const std::function<QString(const QString &)> &findExecutable)
{
    for (const QString &desktop : currentDesktop.split(u':', Qt::SkipEmptyParts)) {
        for (const DesktopSettings &settings : kSettings) {
            if (desktop.compare(QLatin1String(settings.desktop), Qt::CaseInsensitive) != 0)
                continue;
            const QString program = findExecutable(QLatin1String(settings.program));
            if (!program.isEmpty())
                return DesktopCommand { program, { QLatin1String(settings.panel) } };
        }
    }
    return std::nullopt;
}

} // namespace Varnoll
