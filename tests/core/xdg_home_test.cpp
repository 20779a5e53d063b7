// A Linux home as its user has it: xdg-user-dirs folders, XDG base directories set
// elsewhere, and Flatpak applications installed, removed and running.
#include "support/FixtureTree.h"

#include "core/CleanupService.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/UserFolders.h"
#include "core/scan/ApplicationPlaces.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

using namespace Morvane;

namespace {

const QDateTime kOld = QDateTime::currentDateTimeUtc().addDays(-60);

struct XdgHome {
    QTemporaryDir root;
    QString home = joinPath(root.path(), QStringLiteral("home"));
    QString elsewhere = joinPath(root.path(), QStringLiteral("xdg"));
    BaseDirectories bases { joinPath(elsewhere, QStringLiteral("cache")), joinPath(elsewhere, QStringLiteral("config")),
        joinPath(elsewhere, QStringLiteral("data")), joinPath(elsewhere, QStringLiteral("state")) };

    XdgHome() { Fixture::makeFolder(home); }

    [[nodiscard]] ScanConfiguration configuration() const
    {
        ScanConfiguration c;
        c.home = home;
        c.platform = RulePlatform::Linux;
        c.now = QDateTime::currentDateTimeUtc();
        c.applicationDirectories = { joinPath(home, QStringLiteral("Applications")) };
        c.baseDirectories = bases;
        return c;
    }

    // An old file, so that the junk rules take it.
    void old(const QString &path) const
    {
        Fixture::makeFile(path, 4096);
        Fixture::setModified(path, kOld);
        Fixture::setModified(parentPath(path), kOld);
    }
};

QMap<QString, FileEntry> byPath(const ScanResult &result)
{
    QMap<QString, FileEntry> map;
    for (const FileEntry &e : result.entries)
        map.insert(e.path, e);
    return map;
}

} // namespace

class XdgHomeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void userFoldersFollowTheConventions()
    {
        const QString home = QStringLiteral("/home/李");
        const QByteArray dirs = "# xdg-user-dirs\n"
                                "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n"
                                "XDG_DOWNLOAD_DIR=\"$HOME/下载\"\n";
        QCOMPARE(userDirFromFile(dirs, "DOWNLOAD", home), std::optional<QString>(QStringLiteral("/home/李/下载")));
        QCOMPARE(userDirFromFile("XDG_DOWNLOAD_DIR=\"/data/dl\\\"s\"", "DOWNLOAD", home),
            std::optional<QString>(QStringLiteral("/data/dl\"s")));
        // "$HOME" alone turns the folder off; relative and missing values name none.
        QCOMPARE(userDirFromFile("XDG_DOWNLOAD_DIR=\"$HOME/\"", "DOWNLOAD", home), std::nullopt);
        QCOMPARE(userDirFromFile("XDG_DOWNLOAD_DIR=\"dl\"", "DOWNLOAD", home), std::nullopt);
        QCOMPARE(userDirFromFile("XDG_DOWNLOADS_DIR=\"$HOME/x\"", "DOWNLOAD", home), std::nullopt);

        // The file is found in the configuration folder the variables name.
        XdgHome h;
        QCOMPARE(userDownloadFolder(h.home, h.bases), joinPath(h.home, QStringLiteral("Downloads")));
        Fixture::makeTextFile(joinPath(h.bases.configHome, QStringLiteral("user-dirs.dirs")), dirs);
        QCOMPARE(userDownloadFolder(h.home, h.bases), joinPath(h.home, QStringLiteral("下载")));
        QCOMPARE(userDownloadFolder(h.home, {}), joinPath(h.home, QStringLiteral("Downloads")));

        // Set folders come first, the default place stays; relative values are ignored.
        QCOMPARE(baseFolders(h.bases, BaseDirectory::state, h.home),
            (QStringList { h.bases.stateHome, joinPath(h.home, QStringLiteral(".local/state")) }));
        QCOMPARE(baseFolders({}, BaseDirectory::data, h.home), QStringList { joinPath(h.home, ".local/share") });
        const BaseDirectories same { joinPath(h.home, QStringLiteral(".cache/")), {}, {}, {} };
        QCOMPARE(baseFolders(same, BaseDirectory::cache, h.home), QStringList { joinPath(h.home, ".cache") });
        qputenv("XDG_STATE_HOME", "state");
        qputenv("XDG_CACHE_HOME", "/x//cache/");
        const BaseDirectories environment = environmentBaseDirectories();
        qunsetenv("XDG_STATE_HOME");
        qunsetenv("XDG_CACHE_HOME");
        QVERIFY(environment.stateHome.isEmpty());
        QCOMPARE(environment.cacheHome, QStringLiteral("/x/cache"));
    }

    void junkIsFoundInTheSetFoldersAndTheDefaultOnes()
    {
        XdgHome h;
        const QString thumbnails = joinPath(h.bases.cacheHome, QStringLiteral("thumbnails/a.png"));
        const QString pip = joinPath(h.bases.cacheHome, QStringLiteral("pip/http/b"));
        const QString defaultCache = joinPath(h.home, QStringLiteral(".cache/old-tool/c"));
        const QString stateLog = joinPath(h.bases.stateHome, QStringLiteral("app/log/old.log"));
        const QString configLogs = joinPath(h.bases.configHome, QStringLiteral("editor/logs/d.log"));
        const QString xorg = joinPath(h.bases.dataHome, QStringLiteral("xorg/Xorg.0.log"));
        for (const QString &path : { thumbnails, pip, defaultCache, stateLog, configLogs, xorg })
            h.old(path);

        const ScanResult result = Scanner(h.configuration()).scan(ScanKind::junk, {}, {}, {}, CancellationToken());
        const auto found = byPath(result);
        const auto category = [&found](const QString &path) {
            return found.contains(path) ? std::optional<FileCategory>(found.value(path).category) : std::nullopt;
        };
        QCOMPARE(category(parentPath(thumbnails)), FileCategory::userCache);
        QCOMPARE(category(parentPath(defaultCache)), FileCategory::userCache);
        QCOMPARE(category(joinPath(h.bases.cacheHome, QStringLiteral("pip/http"))), FileCategory::developerCache);
        QCOMPARE(category(stateLog), FileCategory::logs);
        QCOMPARE(category(configLogs), FileCategory::logs);
        QCOMPARE(category(xorg), FileCategory::logs);
        QVERIFY(!found.contains(joinPath(h.bases.cacheHome, QStringLiteral("pip")))); // pip's own rule only
        // Outside the home folder the clean-up finds an item below the folder it was found in.
        QCOMPARE(found.value(parentPath(thumbnails)).scope, h.bases.cacheHome);
        // The scope note names both places, as the user reads them.
        QVERIFY(result.scopeNotes.first().contains(h.bases.cacheHome + QStringLiteral(" 与 ~/.cache")));
        QVERIFY(result.scopeNotes.first().contains(QStringLiteral("pip 缓存 ") + h.bases.cacheHome));
    }

    void launchersAndSettingsInTheSetFoldersBelongToTheirApplication()
    {
        XdgHome h;
        const QString tool = joinPath(h.home, QStringLiteral("opt/tool"));
        Fixture::makeTextFile(joinPath(tool, QStringLiteral("tool")), "#!/bin/sh\n");
        QCOMPARE(::chmod(pathToBytes(joinPath(tool, QStringLiteral("tool"))).constData(), 0755), 0);
        const QString launcher = joinPath(h.bases.dataHome, QStringLiteral("applications/tool.desktop"));
        Fixture::makeTextFile(launcher,
            QStringLiteral("[Desktop Entry]\nType=Application\nName=Tool\nExec=%1/tool %U\n").arg(tool).toUtf8());
        const QString settings = joinPath(h.bases.configHome, QStringLiteral("tool/settings.ini"));
        const QString defaultSettings = joinPath(h.home, QStringLiteral(".config/tool/old.ini"));
        Fixture::makeFile(settings);
        Fixture::makeFile(defaultSettings);

        ScanConfiguration configuration = h.configuration();
        configuration.flatpakInstallations = QStringList {};
        const ScanResult result = Scanner(configuration).scan(ScanKind::applications, {}, {}, {}, CancellationToken());
        const auto found = byPath(result);
        QVERIFY(found.contains(tool));
        QCOMPARE(found.value(tool).name, QStringLiteral("Tool"));
        const QUuid owner = found.value(tool).id;
        for (const QString &item : { launcher, parentPath(settings), parentPath(defaultSettings) }) {
            QVERIFY2(found.contains(item), qPrintable(item));
            QCOMPARE(found.value(item).ownerID, std::optional<QUuid>(owner));
        }
        QCOMPARE(found.value(parentPath(settings)).scope, h.bases.configHome);
    }

    void onlyDataOfFlatpaksInstalledNowhereIsOffered()
    {
        XdgHome h;
        const QString apps = joinPath(h.home, QStringLiteral(".var/app"));
        const QString system = joinPath(h.root.path(), QStringLiteral("var/lib/flatpak"));
        const QString userInstallation = joinPath(h.bases.dataHome, QStringLiteral("flatpak"));
        for (const QString &id : { QStringLiteral("org.example.User"), QStringLiteral("org.example.System"),
                 QStringLiteral("org.example.Removed"), QStringLiteral("org.example.Running"),
                 QStringLiteral("not-an-id"), QStringLiteral("org.example.Reused") })
            Fixture::makeFile(joinPath(apps, id + QStringLiteral("/config/settings")), 100);
        Fixture::makeFolder(joinPath(userInstallation, QStringLiteral("app/org.example.User/current")));
        Fixture::makeFolder(joinPath(system, QStringLiteral("app/org.example.System")));
        // An AppImage whose launcher reuses an ID keeps ~/.var/app/<ID> as its own data.
        Fixture::makeTextFile(joinPath(h.home, QStringLiteral("Applications/org.example.Reused.AppImage")), "x");

        ScanConfiguration configuration = h.configuration();
        configuration.flatpakInstallations = QStringList { userInstallation, system };
        configuration.runningBundleIDs = { QStringLiteral("org.example.Running") };
        const ScanResult result = Scanner(configuration).scan(ScanKind::applications, {}, {}, {}, CancellationToken());
        QMap<QString, FileEntry> applications;
        for (const FileEntry &e : result.entries) {
            if (e.category == FileCategory::application)
                applications.insert(lastComponent(e.path), e);
        }
        QCOMPARE(applications.keys(),
            (QStringList { QStringLiteral("org.example.Removed"), QStringLiteral("org.example.Reused.AppImage"),
                QStringLiteral("org.example.Running") }));
        const FileEntry removed = applications.value(QStringLiteral("org.example.Removed"));
        QCOMPARE(removed.path, joinPath(apps, QStringLiteral("org.example.Removed")));
        QCOMPARE(removed.bundleID, std::optional<QString>(QStringLiteral("org.example.Removed")));
        QVERIFY(removed.detail.contains(QStringLiteral("已卸载的 Flatpak 应用")));
        const FileEntry running = applications.value(QStringLiteral("org.example.Running"));
        QVERIFY(running.detail.endsWith(QStringLiteral("正在运行")));
        QVERIFY(result.scopeNotes.first().contains(QStringLiteral("请用软件包管理器卸载")));

        // The running one stays where it is; the removed one may go.
        CleanupEnvironment environment;
        environment.home = h.home;
        QStringList handed;
        environment.trash = [&handed](const TrashItem &item) {
            handed.append(QString::fromUtf8(item.path));
            TrashOutcome outcome;
            outcome.moved = true;
            return outcome;
        };
        const CleanupRecord record
            = CleanupService(environment)
                  .clean({ removed.id, running.id }, result.entries, configuration.runningBundleIDs, {}, {});
        QCOMPARE(handed, QStringList { removed.path });
        QCOMPARE(record.count(), 1);
        for (const CleanupItemResult &item : record.items)
            QCOMPARE(item.moved, item.path == removed.path);

        // An installation that cannot be looked into confirms nothing.
        if (::geteuid() != 0) {
            const QString locked = joinPath(h.root.path(), QStringLiteral("locked"));
            Fixture::makeFolder(joinPath(locked, QStringLiteral("app")));
            QCOMPARE(::chmod(pathToBytes(joinPath(locked, QStringLiteral("app"))).constData(), 0), 0);
            configuration.flatpakInstallations = QStringList { locked };
            const ScanResult unsure
                = Scanner(configuration).scan(ScanKind::applications, {}, {}, {}, CancellationToken());
            QVERIFY(std::none_of(unsure.entries.cbegin(), unsure.entries.cend(), [&apps](const FileEntry &e) {
                return e.category == FileCategory::application && e.path.startsWith(apps);
            }));
            QVERIFY(!unsure.diagnostics.isEmpty());
            QCOMPARE(::chmod(pathToBytes(joinPath(locked, QStringLiteral("app"))).constData(), 0700), 0);
        }
        QVERIFY(isFlatpakApplicationID(QStringLiteral("org.gnome.Calculator")));
        QVERIFY(!isFlatpakApplicationID(QStringLiteral("org.example")));
        QVERIFY(!isFlatpakApplicationID(QStringLiteral("org.1example.App")));
    }
};

QTEST_GUILESS_MAIN(XdgHomeTest)
#include "xdg_home_test.moc"
