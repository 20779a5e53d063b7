#include "app/CoreServices.h"

#include "app/PrivacySettings.h"
#include "core/PathSafety.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/trash/Trash.h"

#include <QProcess>
#include <QStandardPaths>

#include <climits>
#include <cstdlib>
#include <thread>

#include <sys/stat.h>

namespace Varnoll {

using namespace Morvane;

namespace {

class CoreScanRunner : public ScanRunner {
public:
    explicit CoreScanRunner(ScanConfiguration configuration)
        : m_scanner(std::move(configuration))
    {
    }
    ScanResult scan(ScanKind kind, const QString &largeDirectory, const FileQuery &query, const ProgressFn &progress,
        const CancellationToken &cancel) override
    {
        return m_scanner.scan(kind, largeDirectory, query, progress, cancel);
    }

private:
    Scanner m_scanner;
};

void startDetached(const QString &program, const QStringList &arguments)
{
    QProcess::startDetached(program, arguments);
}

} // namespace

std::unique_ptr<ScanRunner> DesktopCoreServices::makeScanner(const ScanConfiguration &configuration)
{
    return std::make_unique<CoreScanRunner>(configuration);
}

CleanupRecord DesktopCoreServices::clean(const QSet<QUuid> &ids, const QList<FileEntry> &snapshot,
    const QSet<QString> &runningBundleIDs, const QList<DuplicateGroup> &duplicateGroups,
    const QList<FileEntry> &ownerApplications)
{
    return CleanupService().clean(ids, snapshot, runningBundleIDs, duplicateGroups, ownerApplications);
}

QList<RestoreOutcome> DesktopCoreServices::restore(const QList<CleanupItemResult> &items)
{
    const RestoreService service;
    QList<RestoreOutcome> outcomes;
    for (const CleanupItemResult &item : items)
        outcomes.append(service.restore(item));
    return outcomes;
}

QHash<QUuid, QList<int>> DesktopCoreServices::goneFromTrash(const QList<CleanupRecord> &records)
{
    const RestoreService service;
    QHash<QUuid, QList<int>> gone;
    for (const CleanupRecord &record : records) {
        const QList<bool> present = service.stillInTrash(record.items);
        for (qsizetype i = 0; i < record.items.size(); ++i) {
            const CleanupItemResult &item = record.items.at(i);
            if (item.moved && !item.restoredDate && !present.at(i))
                gone[record.id].append(int(i));
        }
    }
    return gone;
}

TrashUsage DesktopCoreServices::measureTrash()
{
    return measureTrashes(RestoreService().trashes());
}

void DesktopCoreServices::validatePath(const QString &path, const QString &inside)
{
    PathSafety::validate(path, inside);
}

QSet<QString> DesktopCoreServices::runningApplicationIDs()
{
    return Morvane::runningApplicationIDs();
}

std::optional<VolumeCapacity> DesktopCoreServices::homeVolumeCapacity()
{
    return volumeCapacity(userHomeDirectory());
}

QString DesktopCoreServices::resolveSymlinks(const QString &path)
{
    char resolved[PATH_MAX];
    if (::realpath(pathToBytes(path).constData(), resolved) == nullptr)
        return path;
    return pathFromBytes(resolved);
}

void DesktopCoreServices::revealFile(const QString &path)
{
#ifdef Q_OS_MACOS
    startDetached(QStringLiteral("open"), { QStringLiteral("-R"), path });
#else
    startDetached(QStringLiteral("xdg-open"), { parentPath(path) });
#endif
}

void DesktopCoreServices::openTrash()
{
#ifdef Q_OS_MACOS
    startDetached(QStringLiteral("open"), { homeTrashFilesFolder() });
#else
    // Asking which program handles trash:/// may take a moment; the UI thread does
    // not wait for it.
    std::thread([] {
        auto succeeds = [](const QString &program, const QStringList &arguments, QByteArray *output) {
            QProcess process;
            process.start(program, arguments);
            if (!process.waitForFinished(3000) || process.exitStatus() != QProcess::NormalExit
                || process.exitCode() != 0)
                return false;
            if (output)
                *output = process.readAllStandardOutput().trimmed();
            return true;
        };
        // trash:/// only where the file manager understands it: a registered handler
        // for the scheme, or GIO's trash backend (GNOME and its relatives).
        QByteArray handler;
        const bool schemeHandled
            = (succeeds(QStringLiteral("xdg-mime"),
                   { QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/trash") },
                   &handler)
                  && !handler.isEmpty())
            || succeeds(QStringLiteral("gio"), { QStringLiteral("info"), QStringLiteral("trash:///") }, nullptr);
        if (schemeHandled) {
            startDetached(QStringLiteral("xdg-open"), { QStringLiteral("trash:///") });
            return;
        }
        const QString files = homeTrashFilesFolder();
        ::mkdir(pathToBytes(parentPath(files)).constData(), 0700);
        ::mkdir(pathToBytes(files).constData(), 0700);
        startDetached(QStringLiteral("xdg-open"), { files });
    }).detach();
#endif
}

void DesktopCoreServices::openPrivacySettings()
{
#ifdef Q_OS_MACOS
    startDetached(QStringLiteral("open"),
        { QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles") });
#else
    // Where the desktop has no privacy settings the button does nothing; the
    // settings page still explains where access is managed.
    if (const auto command = privacySettingsCommand(qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
            [](const QString &name) { return QStandardPaths::findExecutable(name); }))
        startDetached(command->program, command->arguments);
#endif
}

} // namespace Varnoll
