#include "core/scan/KindScans.h"

#include "core/Identity.h"
#include "core/Paths.h"
#include "core/Plist.h"
#include "core/SmallFile.h"
#include "core/scan/ApplicationPlaces.h"
#include "core/scan/DesktopFiles.h"
#include "core/scan/ScanSupport.h"
#include "core/walk/Walker.h"

#include <QTimeZone>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <mutex>

namespace Morvane {

namespace {

QString fromStdName(std::string_view name)
{
    return pathFromBytes(QByteArrayView(name.data(), qsizetype(name.size())));
}

struct Listing {
    QStringList names;
    int error = 0; // errno when the folder could not be listed
};

Listing listFolder(const QString &folder)
{
    Listing out;
    DIR *dir = ::opendir(pathToBytes(folder).constData());
    if (!dir) {
        out.error = errno;
        return out;
    }
    while (const dirent *e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        out.names.append(pathFromBytes(e->d_name));
    }
    ::closedir(dir);
    out.names.sort();
    return out;
}

std::optional<struct stat> lstatPath(const QString &path)
{
    struct stat st { };
    if (::lstat(pathToBytes(path).constData(), &st) != 0)
        return std::nullopt;
    return st;
}

bool isAppImage(const QString &path, const QString &name)
{
    if (name.endsWith(QLatin1String(".AppImage"), Qt::CaseInsensitive))
        return true;
    // Type 1 and 2 AppImages are ELF files marked "AI" + version at offset 8.
    const QByteArray head = readFileHead(pathToBytes(path), 11);
    return head.size() == 11
        && std::memcmp(head.constData(),
               "\x7f"
               "ELF",
               4)
        == 0
        && head.at(8) == 'A' && head.at(9) == 'I' && (head.at(10) == 1 || head.at(10) == 2);
}

bool holdsProgram(const QString &folder)
{
    for (const QString &sub : { QString(), QStringLiteral("bin") }) {
        const QString dir = sub.isEmpty() ? folder : joinPath(folder, sub);
        for (const QString &name : listFolder(dir).names) {
            const QString path = joinPath(dir, name);
            const auto st = lstatPath(path);
            if (st && S_ISREG(st->st_mode) && (st->st_mode & 0111))
                return true;
        }
    }
    return false;
}

struct Candidate {
    QString path;
    QString id;
    QString name;
    QString version;
    QString detail;
    bool folder = false;
    bool leftover = false; // data of a removed Flatpak application: nothing else belongs to it
    QList<DesktopLauncher> launchers;
};

struct AppScan {
    const ScanConfiguration &configuration;
    ScanContext &context;
    ScanResult &result;
    QString home;
    LinuxApplicationPlaces places;
    QSet<QString> diagnosed;
    bool sizesCut = false;

    void diagnose(const QString &path, const QString &reason)
    {
        if (diagnosed.contains(path))
            return;
        diagnosed.insert(path);
        result.diagnostics.append({ path, path, reason });
    }

    QString shown(const QString &path) const { return homeShortened(path, home); }

    // The base directory an associated item was found in (it may lie outside the home
    // folder); empty leaves the scope to the scanner's default.
    QString scopeOf(const QString &path) const
    {
        QString scope;
        for (const QString &folder : places.associatedFolders) {
            if (path != folder && isSameOrInside(path, folder) && folder.size() > scope.size())
                scope = folder;
        }
        return scope;
    }

    // An entry for an item on disk, with the identity the clean-up checks again.
    std::optional<FileEntry> entryFor(const QString &path, FileCategory category, EntryKind::Type applicationType)
    {
        if (isIgnoredPath(path, configuration.ignoredPaths))
            return std::nullopt;
        const auto st = lstatPath(path);
        if (!st || S_ISLNK(st->st_mode))
            return std::nullopt;
        context.cancel.throwIfCancelled();
        FileEntry entry;
        entry.id = QUuid::createUuid();
        entry.path = path;
        entry.name = lastComponent(path);
        entry.category = category;
        entry.scope = scopeOf(path);
        entry.date = QDateTime::fromSecsSinceEpoch(st->st_mtime, QTimeZone::utc());
        const bool isFolder = S_ISDIR(st->st_mode);
        std::optional<Fingerprint> fingerprint;
        if (isFolder) {
            if (std::chrono::steady_clock::now() < context.deadline()) {
                std::int64_t bytes = 0;
                fingerprint = fingerprintPath(path, true, &context.cancel, &bytes);
                context.cancel.throwIfCancelled();
                if (fingerprint) {
                    entry.bytes = bytes;
                } else {
                    // Parts could not be read: show what can be counted, marked incomplete.
                    WalkOptions options;
                    options.cancel = &context.cancel;
                    options.deadline = context.deadline();
                    const SubtreeSize size = measureSubtree(path, options);
                    entry.bytes = size.bytes;
                    entry.sizeIsComplete = false;
                    fingerprint = fingerprintFromStat(*st);
                }
            } else {
                sizesCut = true;
                entry.sizeIsComplete = false;
                fingerprint = fingerprintFromStat(*st);
            }
        } else {
            entry.bytes = st->st_size;
            fingerprint = fingerprintFromStat(*st);
        }
        context.sampler.add(1, pathToBytes(parentPath(path)).toStdString());
        if (applicationType == EntryKind::Type::application)
            entry.kind = EntryKind { EntryKind::Type::application, fingerprint };
        else
            entry.kind = isFolder ? EntryKind::folder(fingerprint) : EntryKind::file(fingerprint);
        return entry;
    }

    // Lists the applications and, unless identifiers clash, their associated items.
    void emit(QList<Candidate> candidates, const std::function<QStringList(const Candidate &)> &associated)
    {
        QHash<QString, int> idCount;
        for (const Candidate &c : candidates)
            ++idCount[c.id];
        QStringList clashing;
        for (const Candidate &c : candidates) {
            context.cancel.throwIfCancelled();
            if (context.entriesLeft() <= 0) {
                result.scopeNotes.append(
                    QStringLiteral("应用：结果达到 %1 项上限，其余未列出。").arg(configuration.entryLimit));
                sizesCut = true;
                return;
            }
            auto app = entryFor(c.path, FileCategory::application, EntryKind::Type::application);
            if (!app)
                continue;
            app->name = c.name.isEmpty() ? app->name : c.name;
            app->bundleID = c.id;
            app->detail = c.detail;
            if (configuration.runningBundleIDs.contains(c.id))
                app->detail += QStringLiteral(" · 正在运行");
            context.takeEntry();
            result.entries.append(*app);
            if (idCount.value(c.id) > 1) {
                if (!clashing.contains(c.id))
                    clashing.append(c.id);
                continue;
            }
            bool owns = false;
            for (const QString &path : associated(c)) {
                if (context.entriesLeft() <= 0)
                    break;
                auto item = entryFor(path, FileCategory::applicationData, EntryKind::Type::file);
                if (!item)
                    continue;
                item->bundleID = c.id;
                item->ownerID = app->id;
                item->detail = QStringLiteral("与 %1 的标识 %2 精确匹配").arg(app->name, c.id);
                context.takeEntry();
                result.entries.append(*item);
                owns = true;
            }
            if (owns)
                result.ownerApplications.append(*app);
        }
        for (const QString &id : clashing)
            result.scopeNotes.append(
                QStringLiteral("应用：%1 有多个已安装副本，两者都已列出，但关联数据保留、未列出。").arg(id));
    }

    // The exact-identifier places below `folder`, noting a folder that blocks the check.
    QStringList existing(const QString &folder, const QStringList &names)
    {
        QStringList out;
        const auto st = lstatPath(folder);
        if (!st)
            return out;
        if (::access(pathToBytes(folder).constData(), R_OK | X_OK) != 0) {
            diagnose(folder, QStringLiteral("无法读取此位置，不能核实哪些关联文件属于哪个应用"));
            return out;
        }
        for (const QString &name : names) {
            const QString path = joinPath(folder, name);
            if (lstatPath(path))
                out.append(path);
        }
        return out;
    }
};

QList<Candidate> linuxCandidates(AppScan &scan)
{
    const QString home = scan.home;
    const QStringList &folders = scan.places.applicationFolders;
    // Launchers of every data folder; the first folder's launcher wins for one ID.
    QList<DesktopLauncher> launchers;
    QSet<QString> launcherIDs;
    for (const QString &launcherFolder : scan.places.launcherFolders) {
        bool launchersReadable = true;
        const QList<DesktopLauncher> found = readDesktopLaunchers(launcherFolder, searchPath(home), &launchersReadable);
        scan.context.sampler.add(found.size(), pathToBytes(launcherFolder).toStdString());
        if (!launchersReadable)
            scan.diagnose(launcherFolder, QStringLiteral("无法读取启动器文件夹，不能核实应用的标识"));
        for (const DesktopLauncher &l : found) {
            if (!launcherIDs.contains(l.id)) {
                launcherIDs.insert(l.id);
                launchers.append(l);
            }
        }
    }
    std::sort(launchers.begin(), launchers.end(),
        [](const DesktopLauncher &a, const DesktopLauncher &b) { return a.id < b.id; });

    QList<Candidate> candidates;
    for (const QString &folder : folders) {
        const Listing listing = listFolder(folder);
        if (listing.error != 0 && listing.error != ENOENT && listing.error != ENOTDIR) {
            scan.diagnose(folder, QStringLiteral("无法读取此应用文件夹，其中的应用未能检查"));
            continue;
        }
        scan.context.sampler.add(listing.names.size(), pathToBytes(folder).toStdString());
        const bool binFolder = folder == joinPath(home, QStringLiteral(".local/bin"));
        for (const QString &name : listing.names) {
            const QString path = joinPath(folder, name);
            const auto st = lstatPath(path);
            if (!st)
                continue;
            Candidate c;
            c.path = path;
            if (S_ISREG(st->st_mode) && isAppImage(path, name)) {
                c.id = name.endsWith(QLatin1String(".AppImage"), Qt::CaseInsensitive) ? name.chopped(9) : name;
                c.name = c.id;
                c.detail = QStringLiteral("AppImage · ") + scan.shown(folder);
            } else if (S_ISDIR(st->st_mode) && !binFolder) {
                bool launched = false;
                for (const DesktopLauncher &l : launchers)
                    launched = launched || (!l.target.isEmpty() && isSameOrInside(l.target, path));
                if (!launched && !holdsProgram(path))
                    continue;
                c.id = name;
                c.name = name;
                c.folder = true;
                c.detail = QStringLiteral("应用文件夹 · ") + scan.shown(folder);
            } else {
                continue;
            }
            candidates.append(c);
        }
    }
    // Launchers claim the candidate their target lies in; a launcher whose target lies
    // elsewhere in the home folder makes that program an application of its own.
    for (const DesktopLauncher &l : launchers) {
        if (l.target.isEmpty() || !isSameOrInside(l.target, home) || l.target == home)
            continue;
        bool claimed = false;
        for (Candidate &c : candidates) {
            if (isSameOrInside(l.target, c.path)) {
                if (c.launchers.isEmpty()) {
                    c.id = l.id;
                    if (!l.name.isEmpty())
                        c.name = l.name;
                }
                c.launchers.append(l);
                claimed = true;
                break;
            }
        }
        if (claimed)
            continue;
        const auto st = lstatPath(l.target);
        if (!st || !S_ISREG(st->st_mode))
            continue;
        Candidate c;
        c.path = l.target;
        c.id = l.id;
        c.name = l.name.isEmpty() ? l.id : l.name;
        c.detail = QStringLiteral("启动器 ") + l.id + QStringLiteral(".desktop 指向的程序");
        c.launchers.append(l);
        candidates.append(c);
    }
    for (Candidate &c : candidates) {
        if (!c.launchers.isEmpty())
            c.detail += QStringLiteral(" · 启动器 ") + c.launchers.first().id + QStringLiteral(".desktop");
    }
    return candidates;
}

QStringList linuxAssociated(AppScan &scan, const Candidate &c, const QMultiHash<QString, QString> &icons)
{
    QStringList out;
    if (c.leftover)
        return out;
    for (const DesktopLauncher &l : c.launchers)
        out.append(l.path);
    QStringList iconNames { c.id };
    for (const DesktopLauncher &l : c.launchers) {
        if (!l.icon.isEmpty() && !l.icon.contains(u'/') && !iconNames.contains(l.icon)) {
            iconNames.append(l.icon);
            continue;
        }
        for (const QString &iconFolder : scan.places.iconFolders) {
            if (l.icon.startsWith(iconFolder + u'/'))
                out.append(l.icon);
        }
    }
    for (const QString &name : iconNames)
        out += icons.values(name);
    for (const QString &base : scan.places.associatedFolders)
        out += scan.existing(base, { c.id });
    out.removeDuplicates();
    return out;
}

// Icon files below the icon folders by name without extension.
QMultiHash<QString, QString> userIcons(AppScan &scan)
{
    QMultiHash<QString, QString> icons;
    for (const QString &root : scan.places.iconFolders) {
        std::mutex mutex;
        WalkOptions options;
        options.cancel = &scan.context.cancel;
        options.deadline = scan.context.deadline();
        options.visitLimit = std::max(1, scan.configuration.visitLimit / 4);
        const WalkReport report = walk(
            root,
            [&](const WalkEntry &e) {
                if (e.type == WalkEntryType::file) {
                    QString name = fromStdName(e.name());
                    const qsizetype dot = name.lastIndexOf(u'.');
                    if (dot > 0)
                        name.truncate(dot);
                    std::lock_guard lock(mutex);
                    icons.insert(name, e.qpath());
                }
                return Visit::descend;
            },
            options);
        if (report.root == RootState::unreadable)
            scan.diagnose(root, QStringLiteral("无法读取图标文件夹，不能核实应用的图标"));
        else if (report.root == RootState::ok && !report.isComplete())
            scan.result.scopeNotes.append(QStringLiteral("应用：图标文件夹未能全部检查，部分图标可能未列出。"));
    }
    return icons;
}

// The data folders of Flatpak applications that are installed nowhere: ~/.var/app/<ID>
// whose ID has no "app/<ID>" in any installation. Only the exact ID counts; an
// installation that cannot be looked into leaves the folder unconfirmed, not offered.
QList<Candidate> flatpakLeftovers(AppScan &scan, const QList<Candidate> &candidates)
{
    QList<Candidate> leftovers;
    const QString folder = scan.places.flatpakDataFolder;
    const Listing listing = listFolder(folder);
    if (listing.error != 0) {
        if (listing.error != ENOENT && listing.error != ENOTDIR)
            scan.diagnose(folder, QStringLiteral("无法读取 Flatpak 应用数据文件夹，不能核实哪些应用已卸载"));
        return leftovers;
    }
    scan.context.sampler.add(listing.names.size(), pathToBytes(folder).toStdString());
    const QStringList installations = flatpakInstallations(scan.configuration);
    for (const QString &id : listing.names) {
        scan.context.cancel.throwIfCancelled();
        if (!isFlatpakApplicationID(id))
            continue;
        const QString path = joinPath(folder, id);
        const auto st = lstatPath(path);
        if (!st || !S_ISDIR(st->st_mode))
            continue;
        if (std::any_of(candidates.cbegin(), candidates.cend(), [&id](const Candidate &c) { return c.id == id; }))
            continue; // an application in the home folder with this ID owns it
        bool installed = false;
        QString unreadable;
        for (const QString &installation : installations) {
            struct stat appSt { };
            if (::lstat(pathToBytes(joinPath(installation, QStringLiteral("app/") + id)).constData(), &appSt) == 0) {
                installed = true;
                break;
            }
            if (errno != ENOENT && errno != ENOTDIR && unreadable.isEmpty())
                unreadable = installation;
        }
        if (installed)
            continue;
        if (!unreadable.isEmpty()) {
            scan.diagnose(path,
                QStringLiteral("无法读取 Flatpak 安装位置 %1，不能确认 %2 已卸载").arg(scan.shown(unreadable), id));
            continue;
        }
        Candidate c;
        c.path = path;
        c.id = id;
        c.name = id + QStringLiteral("（已卸载的 Flatpak 应用）");
        c.folder = true;
        c.leftover = true;
        c.detail = QStringLiteral("已卸载的 Flatpak 应用留下的数据 · ") + scan.shown(folder);
        leftovers.append(c);
    }
    return leftovers;
}

QList<Candidate> macCandidates(AppScan &scan, int &systemApps)
{
    QList<Candidate> candidates;
    QStringList bundles;
    for (const QString &folder : scan.configuration.applicationDirectories) {
        const Listing listing = listFolder(folder);
        if (listing.error != 0) {
            if (listing.error != ENOENT && listing.error != ENOTDIR)
                scan.diagnose(folder, QStringLiteral("无法读取此应用文件夹，其中的应用未能检查"));
            continue;
        }
        scan.context.sampler.add(listing.names.size(), pathToBytes(folder).toStdString());
        for (const QString &name : listing.names) {
            const QString path = joinPath(folder, name);
            const auto st = lstatPath(path);
            if (!st || !S_ISDIR(st->st_mode))
                continue;
            if (name.endsWith(QLatin1String(".app"))) {
                bundles.append(path);
                continue;
            }
            // Vendors often install "Vendor/App.app".
            for (const QString &inner : listFolder(path).names) {
                const QString innerPath = joinPath(path, inner);
                const auto innerSt = lstatPath(innerPath);
                if (inner.endsWith(QLatin1String(".app")) && innerSt && S_ISDIR(innerSt->st_mode))
                    bundles.append(innerPath);
            }
        }
    }
    for (const QString &bundle : bundles) {
        scan.context.cancel.throwIfCancelled();
        const QString plistPath = joinPath(bundle, QStringLiteral("Contents/Info.plist"));
        const auto plist = readPropertyListFile(plistPath);
        const QVariantMap info = plist ? plist->toMap() : QVariantMap();
        const QString id = info.value(QStringLiteral("CFBundleIdentifier")).toString();
        if (id.isEmpty()) {
            scan.diagnose(bundle,
                plist ? QStringLiteral("Info.plist 中没有应用标识，无法确认关联文件")
                      : QStringLiteral("无法读取 Info.plist，无法确认应用标识"));
            continue;
        }
        if (id.startsWith(QLatin1String("com.apple."))) {
            ++systemApps;
            continue;
        }
        Candidate c;
        c.path = bundle;
        c.id = id;
        c.folder = true;
        c.name = info.value(QStringLiteral("CFBundleDisplayName")).toString();
        if (c.name.isEmpty())
            c.name = info.value(QStringLiteral("CFBundleName")).toString();
        if (c.name.isEmpty())
            c.name = lastComponent(bundle).chopped(4);
        c.version = info.value(QStringLiteral("CFBundleShortVersionString")).toString();
        if (c.version.isEmpty())
            c.version = info.value(QStringLiteral("CFBundleVersion")).toString();
        c.detail = id + (c.version.isEmpty() ? QString() : QStringLiteral(" · 版本 ") + c.version);
        candidates.append(c);
    }
    return candidates;
}

QStringList macAssociated(AppScan &scan, const Candidate &c)
{
    const QString library = joinPath(scan.home, QStringLiteral("Library"));
    const QString &id = c.id;
    QStringList out;
    const auto in = [&](const QString &folder, const QStringList &names) {
        out += scan.existing(joinPath(library, folder), names);
    };
    in(QStringLiteral("Application Support"), { id });
    in(QStringLiteral("Caches"), { id });
    in(QStringLiteral("Preferences"), { id + QStringLiteral(".plist") });
    const QString byHost = joinPath(library, QStringLiteral("Preferences/ByHost"));
    const Listing hosts = listFolder(byHost);
    if (hosts.error == EACCES || hosts.error == EPERM)
        scan.diagnose(byHost, QStringLiteral("无法读取此位置，不能核实哪些关联文件属于哪个应用"));
    for (const QString &name : hosts.names) {
        // "ID.<host UUID>.plist", the host part without dots.
        if (name.startsWith(id + u'.') && name.endsWith(QLatin1String(".plist"))) {
            const QString host = name.mid(id.size() + 1).chopped(6);
            if (!host.isEmpty() && !host.contains(u'.'))
                out.append(joinPath(byHost, name));
        }
    }
    in(QStringLiteral("Saved Application State"), { id + QStringLiteral(".savedState") });
    in(QStringLiteral("WebKit"), { id });
    in(QStringLiteral("HTTPStorages"), { id, id + QStringLiteral(".binarycookies") });
    in(QStringLiteral("Containers"), { id });
    in(QStringLiteral("Logs"), { id });
    in(QStringLiteral("Cookies"), { id + QStringLiteral(".binarycookies") });
    in(QStringLiteral("LaunchAgents"), { id + QStringLiteral(".plist") });
    // Group Containers are shared between applications: never offered.
    return out;
}

} // namespace

ScanResult scanApplications(
    const ScanConfiguration &configuration, const ProgressFn &progress, const CancellationToken &cancel)
{
    cancel.throwIfCancelled();
    if (configuration.home.isEmpty() || !configuration.home.startsWith(u'/'))
        throw ScanError(QStringLiteral("无法确定主目录，扫描未开始。"));
    ScanContext context(configuration, progress, cancel);
    context.sampler.setPhase(QStringLiteral("正在检查应用"));
    ScanResult result;
    result.kind = ScanKind::applications;
    result.date = configuration.now;
    AppScan scan { configuration, context, result, configuration.home,
        configuration.platform == RulePlatform::Linux ? linuxApplicationPlaces(
            configuration.home, configuration.baseDirectories, configuration.applicationDirectories)
                                                      : LinuxApplicationPlaces {},
        {}, false };
    if (configuration.platform == RulePlatform::MacOS) {
        int systemApps = 0;
        const QList<Candidate> candidates = macCandidates(scan, systemApps);
        scan.emit(candidates, [&](const Candidate &c) { return macAssociated(scan, c); });
        result.scopeNotes.prepend(QStringLiteral("范围：")
            + QStringList(configuration.applicationDirectories).join(QStringLiteral("、"))
            + QStringLiteral(
                " 中的 .app 应用；关联文件按标识精确匹配 ~/Library 中的位置，不包含共享的 Group Containers。"));
        if (systemApps > 0)
            result.scopeNotes.append(QStringLiteral("应用：%1 个系统自带应用（com.apple.*）未列出。").arg(systemApps));
    } else {
        QList<Candidate> candidates = linuxCandidates(scan);
        candidates += flatpakLeftovers(scan, candidates);
        const QMultiHash<QString, QString> icons = userIcons(scan);
        scan.emit(candidates, [&](const Candidate &c) { return linuxAssociated(scan, c, icons); });
        result.scopeNotes.prepend(QStringLiteral("范围：") + describeLinuxApplicationScope(scan.places, scan.home));
    }
    context.sampler.flush();
    cancel.throwIfCancelled();
    if (!result.diagnostics.isEmpty())
        result.scopeNotes.append(
            QStringLiteral("应用：%1 个位置无法读取，相关归属未核实。").arg(result.diagnostics.size()));
    if (scan.sizesCut)
        result.scopeNotes.append(QStringLiteral("应用：扫描额度用完，部分大小未统计完整。"));
    const CoverageState state
        = (result.diagnostics.isEmpty() && !scan.sizesCut) ? CoverageState::complete : CoverageState::partial;
    result.coverage.append({ FileCategory::application, std::uint8_t(state), context.sampler.examined() });
    result.coverage.append({ FileCategory::applicationData, std::uint8_t(state), context.sampler.examined() });
    result.examined = context.sampler.examined();
    return result;
}

} // namespace Morvane
