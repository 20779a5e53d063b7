#include "support/FixtureTree.h"

#include "core/Paths.h"
#include "core/Plist.h"
#include "core/RunningApplications.h"
#include "core/Scanner.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Morvane;

namespace {

ScanConfiguration configFor(const QString &home, RulePlatform platform)
{
    ScanConfiguration c;
    c.home = home;
    c.platform = platform;
    c.now = QDateTime::currentDateTimeUtc();
    c.applicationDirectories = {joinPath(home, QStringLiteral("Applications"))};
    return c;
}

ScanResult runApps(const ScanConfiguration &c)
{
    return Scanner(c).scan(ScanKind::applications, {}, {}, {}, CancellationToken());
}

QMap<QString, FileEntry> byPath(const ScanResult &r)
{
    QMap<QString, FileEntry> map;
    for (const FileEntry &e : r.entries)
        map.insert(e.path, e);
    return map;
}

void makeExecutable(const QString &path, const QByteArray &contents = "#!/bin/sh\n")
{
    Fixture::makeTextFile(path, contents);
    QCOMPARE(::chmod(pathToBytes(path).constData(), 0755), 0);
}

QByteArray xmlInfo(const QString &id, const QString &name, const QString &version)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                          "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                          "<plist version=\"1.0\"><dict>"
                          "<key>CFBundleIdentifier</key><string>%1</string>"
                          "<key>CFBundleName</key><string>%2</string>"
                          "<key>CFBundleShortVersionString</key><string>%3</string>"
                          "<key>LSRequiresNativeExecution</key><true/>"
                          "<key>Numbers</key><array><integer>7</integer><real>1.5</real></array>"
                          "</dict></plist>\n")
        .arg(id, name, version)
        .toUtf8();
}

// A binary plist with one dictionary of ASCII strings (what bundles ship).
QByteArray binaryInfo(const QList<QPair<QByteArray, QByteArray>> &pairs)
{
    QByteArray out("bplist00");
    QList<quint64> offsets;
    const auto addString = [&](const QByteArray &s) {
        offsets.append(quint64(out.size()));
        if (s.size() < 15) {
            out.append(char(0x50 | s.size()));
        } else {
            out.append(char(0x5F));
            out.append(char(0x10));
            out.append(char(s.size()));
        }
        out.append(s);
    };
    const int n = int(pairs.size());
    // Objects: 0 the dict, then keys 1..n, then values n+1..2n.
    offsets.append(quint64(out.size()));
    out.append(char(0xD0 | n));
    for (int i = 0; i < n; ++i)
        out.append(char(1 + i));
    for (int i = 0; i < n; ++i)
        out.append(char(1 + n + i));
    for (const auto &p : pairs)
        addString(p.first);
    for (const auto &p : pairs)
        addString(p.second);
    const quint64 table = quint64(out.size());
    for (quint64 o : offsets)
        out.append(char(o));
    QByteArray trailer(32, 0);
    trailer[6] = 1;
    trailer[7] = 1;
    trailer[15] = char(offsets.size());
    trailer[23] = 0;
    trailer[31] = char(table);
    return out + trailer;
}

} // namespace

class ApplicationsScanTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Linux.
    void listsAppImagesFoldersAndLauncherTargetsWithExactAssociatedItems();
    void leavesSystemWideSoftwareOut();
    void keepsAssociatedDataWhenTwoCopiesShareAnIdentifier();
    void leavesIgnoredApplicationsAndItemsOut();
    void diagnosesAnUnreadableLauncherFolder();

    // macOS.
    void readsBundlesInBothPlistEncodingsAndMatchesLibraryItemsExactly();
    void diagnosesABundleWhoseInfoCannotBeRead();

    // Property lists.
    void parsesXmlAndBinaryPropertyLists();
    void refusesMalformedPropertyLists();

    // Running applications.
    void mapsProcessesToApplicationIdentifiers();
};

void ApplicationsScanTest::listsAppImagesFoldersAndLauncherTargetsWithExactAssociatedItems()
{
    QTemporaryDir dir;
    const QString home = dir.path();
    Fixture::makeFile(home + QStringLiteral("/Applications/Foo-1.0.AppImage"), 5000);
    makeExecutable(home + QStringLiteral("/.local/opt/bar/bar"));
    Fixture::makeFile(home + QStringLiteral("/.local/opt/bar/lib/data"), 700);
    Fixture::makeTextFile(home + QStringLiteral("/.local/share/applications/org.example.Bar.desktop"),
                          QStringLiteral("[Desktop Entry]\nType=Application\nName=Bar Studio\nExec=\"%1/.local/opt/bar/bar\" %U\n"
                                         "Icon=org.example.Bar\n")
                              .arg(home)
                              .toUtf8());
    makeExecutable(home + QStringLiteral("/tools/baz.sh"));
    Fixture::makeTextFile(home + QStringLiteral("/.local/share/applications/baz.desktop"),
                          QStringLiteral("[Desktop Entry]\nName=Baz\nExec=env A=1 %1/tools/baz.sh\n").arg(home).toUtf8());
    Fixture::makeFile(home + QStringLiteral("/.config/org.example.Bar/settings"), 10);
    Fixture::makeFile(home + QStringLiteral("/.config/org.example.Bar-old/settings"), 10); // not exact
    Fixture::makeFile(home + QStringLiteral("/.cache/Foo-1.0/c"), 20);
    Fixture::makeFile(home + QStringLiteral("/.local/state/baz/s"), 30);
    Fixture::makeFile(home + QStringLiteral("/.var/app/org.example.Bar/x"), 40);
    Fixture::makeFile(home + QStringLiteral("/.local/share/icons/hicolor/48x48/apps/org.example.Bar.png"), 50);
    Fixture::makeFile(home + QStringLiteral("/Applications/notes.txt"), 1);

    ScanConfiguration c = configFor(home, RulePlatform::Linux);
    c.runningBundleIDs = {QStringLiteral("baz")};
    const ScanResult result = runApps(c);
    const auto found = byPath(result);
    const QString appImage = home + QStringLiteral("/Applications/Foo-1.0.AppImage");
    const QString bar = home + QStringLiteral("/.local/opt/bar");
    const QString baz = home + QStringLiteral("/tools/baz.sh");
    QStringList expected{appImage,
                         bar,
                         baz,
                         home + QStringLiteral("/.local/share/applications/org.example.Bar.desktop"),
                         home + QStringLiteral("/.local/share/applications/baz.desktop"),
                         home + QStringLiteral("/.config/org.example.Bar"),
                         home + QStringLiteral("/.cache/Foo-1.0"),
                         home + QStringLiteral("/.local/state/baz"),
                         home + QStringLiteral("/.var/app/org.example.Bar"),
                         home + QStringLiteral("/.local/share/icons/hicolor/48x48/apps/org.example.Bar.png")};
    expected.sort();
    QCOMPARE(found.keys(), expected);

    QCOMPARE(found[appImage].category, FileCategory::application);
    QCOMPARE(found[appImage].bundleID, QStringLiteral("Foo-1.0"));
    QCOMPARE(found[appImage].bytes, std::int64_t(5000));
    QCOMPARE(found[bar].bundleID, QStringLiteral("org.example.Bar"));
    QCOMPARE(found[bar].name, QStringLiteral("Bar Studio"));
    QCOMPARE(found[bar].kind.type, EntryKind::Type::application);
    QVERIFY(found[bar].kind.fingerprint && found[bar].kind.fingerprint->hasTree);
    QCOMPARE(found[bar].bytes, std::int64_t(700 + 10));
    QVERIFY(found[baz].detail.contains(QStringLiteral("正在运行")));
    const FileEntry config = found[home + QStringLiteral("/.config/org.example.Bar")];
    QCOMPARE(config.category, FileCategory::applicationData);
    QCOMPARE(config.ownerID, found[bar].id);
    QCOMPARE(config.bundleID, QStringLiteral("org.example.Bar"));
    QVERIFY(config.kind.isFolder());
    QCOMPARE(found[home + QStringLiteral("/.cache/Foo-1.0")].ownerID, found[appImage].id);
    QCOMPARE(result.ownerApplications.size(), 3);
    QVERIFY(result.diagnostics.isEmpty());
    QCOMPARE(result.coverageFor(FileCategory::application)->coverageState(), CoverageState::complete);
}

void ApplicationsScanTest::leavesSystemWideSoftwareOut()
{
    QTemporaryDir dir;
    const QString home = dir.path();
    Fixture::makeTextFile(home + QStringLiteral("/.local/share/applications/sys.desktop"),
                          "[Desktop Entry]\nName=Sys\nExec=/bin/sh -c true\n");
    Fixture::makeTextFile(home + QStringLiteral("/.local/share/applications/fp.desktop"),
                          "[Desktop Entry]\nName=Fp\nExec=/usr/bin/flatpak run org.example.App\n");
    Fixture::makeFile(home + QStringLiteral("/.config/sys/x"));
    QVERIFY(runApps(configFor(home, RulePlatform::Linux)).entries.isEmpty());
}

void ApplicationsScanTest::keepsAssociatedDataWhenTwoCopiesShareAnIdentifier()
{
    QTemporaryDir dir;
    const QString home = dir.path();
    Fixture::makeFile(home + QStringLiteral("/Applications/Tool.AppImage"), 10);
    Fixture::makeFile(home + QStringLiteral("/opt/Tool.AppImage"), 20);
    Fixture::makeFile(home + QStringLiteral("/.config/Tool/x"), 1);
    const ScanResult result = runApps(configFor(home, RulePlatform::Linux));
    QCOMPARE(result.entries.size(), 2);
    for (const FileEntry &e : result.entries)
        QCOMPARE(e.category, FileCategory::application);
    QVERIFY(result.ownerApplications.isEmpty());
    QVERIFY(result.scopeNotes.join(u'\n').contains(QStringLiteral("Tool 有多个已安装副本")));
}

void ApplicationsScanTest::leavesIgnoredApplicationsAndItemsOut()
{
    QTemporaryDir dir;
    const QString home = dir.path();
    Fixture::makeFile(home + QStringLiteral("/Applications/Kept.AppImage"), 10);
    Fixture::makeFile(home + QStringLiteral("/.config/Kept/x"), 1);
    Fixture::makeFile(home + QStringLiteral("/Applications/Other.AppImage"), 10);
    Fixture::makeFile(home + QStringLiteral("/.config/Other/x"), 1);
    Fixture::makeFile(home + QStringLiteral("/.cache/Other/x"), 1);
    ScanConfiguration c = configFor(home, RulePlatform::Linux);
    c.ignoredPaths = {home + QStringLiteral("/Applications/Kept.AppImage"), home + QStringLiteral("/.cache")};
    const auto found = byPath(runApps(c));
    QCOMPARE(found.keys(), (QStringList{home + QStringLiteral("/.config/Other"),
                                        home + QStringLiteral("/Applications/Other.AppImage")}));
}

void ApplicationsScanTest::diagnosesAnUnreadableLauncherFolder()
{
    if (::geteuid() == 0)
        QSKIP("root reads every folder");
    QTemporaryDir dir;
    const QString launchers = dir.path() + QStringLiteral("/.local/share/applications");
    Fixture::makeFolder(launchers);
    QCOMPARE(::chmod(pathToBytes(launchers).constData(), 0), 0);
    const ScanResult result = runApps(configFor(dir.path(), RulePlatform::Linux));
    ::chmod(pathToBytes(launchers).constData(), 0755);
    QCOMPARE(result.diagnostics.size(), 1);
    QCOMPARE(result.diagnostics.first().path, launchers);
    QVERIFY(result.hasIncompleteCoverage());
}

void ApplicationsScanTest::readsBundlesInBothPlistEncodingsAndMatchesLibraryItemsExactly()
{
    QTemporaryDir dir;
    const QString home = dir.path();
    const QString apps = home + QStringLiteral("/Applications");
    Fixture::makeTextFile(apps + QStringLiteral("/Thing.app/Contents/Info.plist"),
                          xmlInfo(QStringLiteral("com.example.Thing"), QStringLiteral("Thing"), QStringLiteral("2.1")));
    Fixture::makeFile(apps + QStringLiteral("/Thing.app/Contents/MacOS/Thing"), 900);
    Fixture::makeTextFile(apps + QStringLiteral("/Vendor/Other.app/Contents/Info.plist"),
                          binaryInfo({{"CFBundleIdentifier", "org.example.Other"}, {"CFBundleName", "Other"}}));
    Fixture::makeTextFile(apps + QStringLiteral("/Safari.app/Contents/Info.plist"),
                          xmlInfo(QStringLiteral("com.apple.Safari"), QStringLiteral("Safari"), QStringLiteral("17")));
    const QString lib = home + QStringLiteral("/Library");
    const QStringList associated{
        lib + QStringLiteral("/Application Support/com.example.Thing"),
        lib + QStringLiteral("/Caches/com.example.Thing"),
        lib + QStringLiteral("/Preferences/com.example.Thing.plist"),
        lib + QStringLiteral("/Preferences/ByHost/com.example.Thing.0A1B2C3D-0000-1111-2222-333344445555.plist"),
        lib + QStringLiteral("/Saved Application State/com.example.Thing.savedState"),
        lib + QStringLiteral("/WebKit/com.example.Thing"),
        lib + QStringLiteral("/HTTPStorages/com.example.Thing"),
        lib + QStringLiteral("/HTTPStorages/com.example.Thing.binarycookies"),
        lib + QStringLiteral("/Containers/com.example.Thing"),
        lib + QStringLiteral("/Logs/com.example.Thing"),
        lib + QStringLiteral("/Cookies/com.example.Thing.binarycookies"),
        lib + QStringLiteral("/LaunchAgents/com.example.Thing.plist"),
    };
    for (const QString &p : associated)
        Fixture::makeFile(p.endsWith(QLatin1String("plist")) || p.endsWith(QLatin1String("cookies"))
                              ? p
                              : p + QStringLiteral("/data"),
                          3);
    // Near misses and shared places that must stay.
    Fixture::makeFile(lib + QStringLiteral("/Group Containers/group.com.example.Thing/x"));
    Fixture::makeFile(lib + QStringLiteral("/Application Support/com.example.Thing.helper/x"));
    Fixture::makeFile(lib + QStringLiteral("/Preferences/com.example.Thingy.plist"));
    Fixture::makeFile(lib + QStringLiteral("/Preferences/ByHost/com.example.Thing.extra.UUID.plist"));
    Fixture::makeFile(lib + QStringLiteral("/Caches/com.apple.Safari/x"));

    const ScanResult result = runApps(configFor(home, RulePlatform::MacOS));
    const auto found = byPath(result);
    QStringList expected = associated;
    expected << apps + QStringLiteral("/Thing.app") << apps + QStringLiteral("/Vendor/Other.app");
    expected.sort();
    QCOMPARE(found.keys(), expected);
    const FileEntry thing = found[apps + QStringLiteral("/Thing.app")];
    QCOMPARE(thing.name, QStringLiteral("Thing"));
    QVERIFY(thing.detail.contains(QStringLiteral("2.1")));
    QCOMPARE(found[apps + QStringLiteral("/Vendor/Other.app")].bundleID, QStringLiteral("org.example.Other"));
    for (const QString &p : associated) {
        QCOMPARE(found[p].ownerID, thing.id);
        QCOMPARE(found[p].bundleID, QStringLiteral("com.example.Thing"));
    }
    QCOMPARE(result.ownerApplications.size(), 1);
    QVERIFY(result.scopeNotes.join(u'\n').contains(QStringLiteral("com.apple")));
}

void ApplicationsScanTest::diagnosesABundleWhoseInfoCannotBeRead()
{
    QTemporaryDir dir;
    const QString apps = dir.path() + QStringLiteral("/Applications");
    Fixture::makeTextFile(apps + QStringLiteral("/Broken.app/Contents/Info.plist"), "<plist><dict><key>x</key>");
    const ScanResult result = runApps(configFor(dir.path(), RulePlatform::MacOS));
    QVERIFY(result.entries.isEmpty());
    QCOMPARE(result.diagnostics.size(), 1);
    QCOMPARE(result.diagnostics.first().path, apps + QStringLiteral("/Broken.app"));
    QVERIFY(!result.diagnostics.first().reason.isEmpty());
}

void ApplicationsScanTest::parsesXmlAndBinaryPropertyLists()
{
    const auto xml = parsePropertyList(xmlInfo(QStringLiteral("a.b.c"), QStringLiteral("名字"), QStringLiteral("1.0")));
    QVERIFY(xml);
    const QVariantMap map = xml->toMap();
    QCOMPARE(map.value(QStringLiteral("CFBundleIdentifier")).toString(), QStringLiteral("a.b.c"));
    QCOMPARE(map.value(QStringLiteral("CFBundleName")).toString(), QStringLiteral("名字"));
    QCOMPARE(map.value(QStringLiteral("LSRequiresNativeExecution")).toBool(), true);
    QCOMPARE(map.value(QStringLiteral("Numbers")).toList().size(), 2);
    QCOMPARE(map.value(QStringLiteral("Numbers")).toList().at(0).toLongLong(), 7);

    const auto binary = parsePropertyList(binaryInfo({{"CFBundleIdentifier", "org.example.LongIdentifierName"}}));
    QVERIFY(binary);
    QCOMPARE(binary->toMap().value(QStringLiteral("CFBundleIdentifier")).toString(),
             QStringLiteral("org.example.LongIdentifierName"));

    // Written by another encoder (Python's plistlib): UTF-16 text, data, 8-byte and
    // negative integers, a real and a boolean.
    const auto foreign = parsePropertyList(QByteArray::fromHex(
        "62706c6973743030d50102030405060708090e5f1012434642756e646c654964656e7469666965725c434642756e646c654e"
        "616d6553626967516e536e65675e6f72672e6578616d706c652e507962540d5b57130000010000000000a40a0b0c0d100123"
        "40040000000000000942616213fffffffffffffffd08132835393b3f4e535c61636c6d700000000000000101000000000000"
        "000f00000000000000000000000000000079"));
    QVERIFY(foreign);
    const QVariantMap f = foreign->toMap();
    QCOMPARE(f.value(QStringLiteral("CFBundleIdentifier")).toString(), QStringLiteral("org.example.Py"));
    QCOMPARE(f.value(QStringLiteral("CFBundleName")).toString(), QStringLiteral("名字"));
    QCOMPARE(f.value(QStringLiteral("big")).toLongLong(), Q_INT64_C(1) << 40);
    QCOMPARE(f.value(QStringLiteral("neg")).toLongLong(), -3);
    const QVariantList n = f.value(QStringLiteral("n")).toList();
    QCOMPARE(n.size(), 4);
    QCOMPARE(n.at(1).toDouble(), 2.5);
    QCOMPARE(n.at(2).toBool(), true);
    QCOMPARE(n.at(3).toByteArray(), QByteArray("ab"));
}

void ApplicationsScanTest::refusesMalformedPropertyLists()
{
    const QByteArray good = binaryInfo({{"CFBundleIdentifier", "org.example.X"}});
    // Every truncation, and every single-byte corruption of the trailer and table.
    for (qsizetype n = 0; n < good.size(); ++n)
        QVERIFY(!parsePropertyList(good.left(n)) || n == good.size());
    for (qsizetype i = 8; i < good.size(); ++i) {
        QByteArray bad = good;
        bad[i] = char(0xFF);
        (void)parsePropertyList(bad); // must not crash or hang
    }
    // A dictionary that refers to itself.
    QByteArray cycle = binaryInfo({{"k", "v"}});
    cycle[10] = 0; // the dictionary's value reference points back at the dictionary
    QVERIFY(!parsePropertyList(cycle));
    QVERIFY(!parsePropertyList("not a plist"));
    QVERIFY(!parsePropertyList("<plist><dict><key>a</key></dict></plist>"));
    QVERIFY(!parsePropertyList("<plist><integer>12x</integer></plist>"));
    QVERIFY(!parsePropertyList("bplist01garbage"));
}

void ApplicationsScanTest::mapsProcessesToApplicationIdentifiers()
{
    QTemporaryDir dir;
    const QString home = dir.path() + QStringLiteral("/home");
    const QString proc = dir.path() + QStringLiteral("/proc");
    makeExecutable(home + QStringLiteral("/.local/opt/editor/editor"));
    makeExecutable(home + QStringLiteral("/.local/opt/editor/lib/helper"));
    Fixture::makeTextFile(home + QStringLiteral("/.local/share/applications/org.example.Editor.desktop"),
                          QStringLiteral("[Desktop Entry]\nName=Editor\nExec=%1/.local/opt/editor/editor\n").arg(home).toUtf8());
    Fixture::makeTextFile(dir.path() + QStringLiteral("/Mail.app/Contents/Info.plist"),
                          xmlInfo(QStringLiteral("com.example.Mail"), QStringLiteral("Mail"), QStringLiteral("1")));
    makeExecutable(dir.path() + QStringLiteral("/Mail.app/Contents/MacOS/Mail"));

    const auto process = [&](int pid, const QString &exe, const QByteArray &cmdline, const QByteArray &cgroup,
                             const QByteArray &environ = {}) {
        const QString base = proc + u'/' + QString::number(pid);
        Fixture::makeSymlink(exe, base + QStringLiteral("/exe"));
        Fixture::makeTextFile(base + QStringLiteral("/cmdline"), cmdline);
        Fixture::makeTextFile(base + QStringLiteral("/cgroup"), cgroup);
        Fixture::makeTextFile(base + QStringLiteral("/environ"), environ);
    };
    process(101, home + QStringLiteral("/.local/opt/editor/lib/helper"), "helper", "0::/user.slice\n");
    process(102, QStringLiteral("/usr/bin/python3"), QByteArray("python3\0/usr/bin/pip\0install\0", 27), "0::/\n");
    process(103, QStringLiteral("/app/bin/viewer"), "viewer",
            "0::/user.slice/app.slice/app-flatpak-org.example.Viewer-4242.scope\n");
    process(104, dir.path() + QStringLiteral("/Mail.app/Contents/MacOS/Mail"), "Mail", "0::/\n");
    process(105, QStringLiteral("/tmp/.mount_abc/AppRun"), "AppRun", "0::/\n",
            QByteArray("HOME=/x\0APPIMAGE=/home/u/Applications/Tool-2.AppImage\0", 55));

    ProcessSources sources;
    sources.procRoot = proc;
    sources.home = home;
    sources.launcherFolders = {home + QStringLiteral("/.local/share/applications")};
    sources.onlyOwnProcesses = false;
    const QSet<QString> ids = runningApplicationIDsFrom(sources);
    for (const QString &id : {QStringLiteral("org.example.Editor"), QStringLiteral("helper"), QStringLiteral("pip"),
                              QStringLiteral("python3"), QStringLiteral("org.example.Viewer"),
                              QStringLiteral("com.example.Mail"), QStringLiteral("Tool-2")})
        QVERIFY2(ids.contains(id), qPrintable(id));
}

QTEST_GUILESS_MAIN(ApplicationsScanTest)
#include "applications_scan_test.moc"
