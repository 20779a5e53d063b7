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

#ifndef Q_OS_MACOS
// Starts a program that opens something on the desktop, on this helper thread. A
// program that ends at once with an error showed nothing; one that succeeded, or is
// still running after a moment (a file manager that stays in the foreground), did.
// A program still running is handed to `running`, so that nobody kills it.
bool launch(const QString &program, const QStringList &arguments, std::unique_ptr<QProcess> &running)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return false;
    auto process = std::make_unique<QProcess>();
    process->setProgram(path);
    process->setArguments(arguments);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted(5000))
        return false;
    if (process->waitForFinished(4000))
        return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    running = std::move(process);
    return true;
}

// Runs `work` on a helper thread, reports its verdict, then waits for a program it left
// running so that it ends on its own.
void onHelperThread(std::function<bool(std::unique_ptr<QProcess> &)> work, CoreServices::Opened done)
{
    std::thread([work = std::move(work), done = std::move(done)] {
        std::unique_ptr<QProcess> running;
        const bool opened = work(running);
        if (done)
            done(opened);
        if (running)
            running->waitForFinished(-1);
    }).detach();
}

// True when `program` ends successfully within a moment; its output, trimmed, in `output`.
bool answers(const QString &program, const QStringList &arguments, QByteArray *output)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return false;
    QProcess process;
    process.start(path, arguments);
    if (!process.waitForFinished(3000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return false;
    if (output)
        *output = process.readAllStandardOutput().trimmed();
    return true;
}

std::optional<DesktopCommand> privacyCommand()
{
    return privacySettingsCommand(qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
        [](const QString &name) { return QStandardPaths::findExecutable(name); });
}
#endif

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

void DesktopCoreServices::revealFile(const QString &path, Opened done)
{
#ifdef Q_OS_MACOS
    // The system's own hand-off; whether it showed the item is not looked at.
    QProcess::startDetached(QStringLiteral("open"), { QStringLiteral("-R"), path });
    if (done)
        done(true);
#else
    const QString folder = parentPath(path);
    onHelperThread(
        [folder](
            std::unique_ptr<QProcess> &running) { return launch(QStringLiteral("xdg-open"), { folder }, running); },
        std::move(done));
#endif
}

void DesktopCoreServices::openTrash(Opened done)
{
#ifdef Q_OS_MACOS
    QProcess::startDetached(QStringLiteral("open"), { homeTrashFilesFolder() });
    if (done)
        done(true);
#else
    // Asking which program handles trash:/// takes a moment: never on the UI thread.
    onHelperThread(
        [](std::unique_ptr<QProcess> &running) {
            // trash:/// only where the file manager understands it: a registered handler
            // for the scheme, or GIO's trash backend (GNOME and its relatives).
            QByteArray handler;
            const bool schemeHandled
                = (answers(QStringLiteral("xdg-mime"),
                       { QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/trash") },
                       &handler)
                      && !handler.isEmpty())
                || answers(QStringLiteral("gio"), { QStringLiteral("info"), QStringLiteral("trash:///") }, nullptr);
            if (schemeHandled && launch(QStringLiteral("xdg-open"), { QStringLiteral("trash:///") }, running))
                return true;
            // Else the folder of the Trash's files, made if the Trash was never used.
            const QString files = homeTrashFilesFolder();
            ::mkdir(pathToBytes(parentPath(files)).constData(), 0700);
            ::mkdir(pathToBytes(files).constData(), 0700);
            return launch(QStringLiteral("xdg-open"), { files }, running);
        },
        std::move(done));
#endif
}

void DesktopCoreServices::openPrivacySettings(Opened done)
{
#ifdef Q_OS_MACOS
    QProcess::startDetached(QStringLiteral("open"),
        { QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles") });
    if (done)
        done(true);
#else
    onHelperThread(
        [](std::unique_ptr<QProcess> &running) {
            const auto command = privacyCommand();
            return command && launch(command->program, command->arguments, running);
        },
        std::move(done));
#endif
}

bool DesktopCoreServices::hasPrivacySettings()
{
#ifdef Q_OS_MACOS
    return true;
#else
    return privacyCommand().has_value();
#endif
}

} // namespace Varnoll
