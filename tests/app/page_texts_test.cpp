// Texts of the filter bar, the application, duplicate, space and diagnostics lists,
// the history and the settings pages.
#include "app/ApplicationIcon.h"
#include "app/Format.h"
#include "app/PrivacySettings.h"
#include "app/StoreFiles.h"
#include "app/presentation/EntryRow.h"
#include "app/presentation/PageTexts.h"
#include "core/Vocabulary.h"
#include "core/scan/DesktopFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Morvane;
using namespace Varnoll;
namespace T = Varnoll::PageTexts;

namespace {

FileEntry entry(const QString &name, FileCategory category, std::optional<QUuid> owner = std::nullopt)
{
    FileEntry e;
    e.id = QUuid::createUuid();
    e.name = name;
    e.path = QStringLiteral("/Applications/") + name;
    e.category = category;
    e.ownerID = owner;
    return e;
}

QStringList names(const QList<FileEntry> &entries)
{
    QStringList list;
    for (const FileEntry &e : entries)
        list.append(e.name);
    return list;
}

} // namespace

class PageTextsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void filterPickersOfferTheirFixedOptions()
    {
        QCOMPARE(T::sizeOptions().size(), 4);
        QCOMPARE(T::sizeOptions().at(3).text, QStringLiteral("至少 1 GB"));
        QCOMPARE(T::sizeOptions().at(3).value, 1024); // mebibytes, not 1000
        QCOMPARE(T::ageOptions().at(3).text, QStringLiteral("一年前"));
        QCOMPARE(T::ageOptions().at(3).value, 365);
        // One type option per filter case, in order; the labels of the filter summary.
        QCOMPARE(T::typeOptions().size(), qsizetype(allFileTypeFilters.size()));
        QCOMPARE(T::typeOptions().first().text, QStringLiteral("全部类型"));
        QCOMPARE(T::typeOptions().last().text, QStringLiteral("压缩与安装文件"));
        QCOMPARE(T::typeOptions().last().value, int(FileTypeFilter::archives));
        // A value no option offers selects nothing.
        QCOMPARE(T::optionIndex(T::sizeOptions(), 500), -1);
        QCOMPARE(T::optionIndex(T::sizeOptions(), 100), 2);
        QCOMPARE(T::optionIndex(T::ageOptions(), 0), 0);
    }

    void anApplicationShowsWhenOnlyItsAssociatedFileMatches()
    {
        ScanResult result;
        FileEntry alpha = entry(QStringLiteral("Alpha.app"), FileCategory::application);
        FileEntry beta = entry(QStringLiteral("Beta.app"), FileCategory::application);
        FileEntry prefs = entry(QStringLiteral("alpha.plist"), FileCategory::applicationData, alpha.id);
        FileEntry cache = entry(QStringLiteral("AlphaCache"), FileCategory::applicationData, alpha.id);
        FileEntry orphan = entry(QStringLiteral("gamma.plist"), FileCategory::applicationData, QUuid::createUuid());
        result.entries = { prefs, alpha, orphan, beta, cache };

        // Empty search: every application, in result order, whatever is visible.
        QCOMPARE(names(T::listedApplications(result, {}, true)), (QStringList { "Alpha.app", "Beta.app" }));
        // A search that matched only Alpha's settings file still lists Alpha.
        QCOMPARE(names(T::listedApplications(result, { prefs }, false)), QStringList { "Alpha.app" });
        QCOMPARE(names(T::listedApplications(result, { beta }, false)), QStringList { "Beta.app" });
        // A matching file of an application that is not in the result lists nothing.
        QVERIFY(T::listedApplications(result, { orphan }, false).isEmpty());
        // The associated files are all of them, not only the matching one.
        QCOMPARE(names(T::associatedEntries(result, alpha.id)), (QStringList { "alpha.plist", "AlphaCache" }));
        QVERIFY(T::associatedEntries(result, beta.id).isEmpty());

        QCOMPARE(T::applicationCount(2), QStringLiteral("2 个应用"));
        QCOMPARE(T::associatedTitle(2), QStringLiteral("设置和关联文件 · 2 项"));
        QCOMPARE(T::applicationsEmpty(false), QStringLiteral("没有匹配的第三方应用。"));
        QCOMPARE(T::applicationsEmpty(true), QStringLiteral("已检查范围内暂无匹配应用，请查看扫描提示。"));
    }

    void duplicateHeaderTexts()
    {
        QCOMPARE(T::duplicateSummary({}), QStringLiteral("0 组 · 多余副本逻辑大小 ") + formatBytes(0));
        FileEntry a = entry(QStringLiteral("a"), FileCategory::duplicate);
        a.bytes = 1'500'000;
        FileEntry b = a;
        b.id = QUuid::createUuid();
        FileEntry c = b;
        c.id = QUuid::createUuid();
        const DuplicateGroup three { QUuid::createUuid(), { a, b, c } };
        const DuplicateGroup two { QUuid::createUuid(), { a, b } };
        // Redundant: two extra copies plus one: 4.5 MB.
        QCOMPARE(T::duplicateSummary({ three, two }), QStringLiteral("2 组 · 多余副本逻辑大小 4.5 MB"));
        QCOMPARE(T::groupTitle(1, 3), QStringLiteral("第 1 组 · 3 份相同内容"));
        QCOMPARE(T::groupEachSize(three), QStringLiteral("每份 1.5 MB"));
        QCOMPARE(T::groupEachSize(DuplicateGroup {}), QStringLiteral("每份 ") + formatBytes(0));
        QCOMPARE(T::quickActionTitle(true), QStringLiteral("每组保留一份，选择其余"));
        QCOMPARE(T::quickActionTitle(false), QStringLiteral("取消所有选择"));
        QCOMPARE(T::duplicatesEmpty(true), QStringLiteral("已校验范围内未确认重复文件，请查看扫描范围提示。"));
        QCOMPARE(T::duplicatesEmpty(false), QStringLiteral("本次范围内未发现完全相同的非空文件。"));
    }

    void spaceSharesAndSizes()
    {
        QCOMPARE(T::spaceShare(5, 0), 0.0);
        QCOMPARE(T::spaceShare(50, 200), 0.25);
        QCOMPARE(T::spaceShare(300, 200), 1.5); // not clamped
        // Any incomplete size carries the prefix, zero included; rows' "待统计" is not used here.
        QCOMPARE(T::prefixedSize(2'000'000, false), QStringLiteral("≥ 2 MB"));
        QCOMPARE(T::prefixedSize(0, false), QStringLiteral("≥ ") + formatBytes(0));
        QCOMPARE(T::prefixedSize(0, true), formatBytes(0));

        ScanResult empty;
        empty.kind = ScanKind::space;
        QCOMPARE(
            T::spaceSummary(empty), QStringLiteral("已统计 ") + formatBytes(0) + QStringLiteral(" · 0 个直接子项"));
        QCOMPARE(T::spaceCoverageTag(empty), QStringLiteral("未扫描"));
        empty.coverage = { { FileCategory::spaceItem, CoverageState::unreadable, 0 },
            { FileCategory::spaceItem, CoverageState::complete, 0 } };
        QCOMPARE(T::spaceCoverageTag(empty), QStringLiteral("无法读取")); // the first record counts
        empty.coverage = { { FileCategory::spaceItem, CoverageState(9), 0 } };
        QCOMPARE(T::spaceCoverageTag(empty), QStringLiteral("目录不存在"));
        QCOMPARE(T::spaceEmpty(empty), QStringLiteral("文件夹不存在，没有可统计的项目。"));
        empty.coverage = { { FileCategory::spaceItem, CoverageState::complete, 0 } };
        QCOMPARE(T::spaceEmpty(empty), QStringLiteral("本次范围内没有可统计项目。"));
        empty.coverage = { { FileCategory::spaceItem, CoverageState::partial, 0 } };
        QCOMPARE(T::spaceEmpty(empty), QStringLiteral("尚未确认可统计项目，请查看范围提示。"));
        QCOMPARE(T::diagnosticsTitle(1), QStringLiteral("1 个位置阻止归属核实 · 查看原因"));
    }

    void historyCountsAndDates()
    {
        QCOMPARE(T::historyHeadline(0), trashWorded(QStringLiteral("0 项已移到废纸篓")));
        QCOMPARE(T::historyHeadline(12345), trashWorded(QStringLiteral("12345 项已移到废纸篓"))); // no grouping
        QCOMPARE(T::historyDetails(0), QStringLiteral("查看 0 项处理详情"));

        const QDateTime moment(QDate(2026, 12, 7), QTime(22, 3));
        const QString english = T::historyDate(moment, QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY2(english.startsWith(QStringLiteral("Dec 7, 2026 10:03")), qPrintable(english));
        QVERIFY2(english.endsWith(QStringLiteral("PM")), qPrintable(english));
        QCOMPARE(
            T::historyDate(moment, QLocale(QLocale::Chinese, QLocale::China)), QStringLiteral("2026年12月7日 22:03"));
        // The window's dates are Chinese, whatever the system's locale.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(T::historyDate(moment), QStringLiteral("2026年12月7日 22:03"));
        QLocale::setDefault(QLocale::c());
        const QString german = T::historyDate(moment, QLocale(QLocale::German, QLocale::Germany));
        QVERIFY2(german.contains(QStringLiteral("Dez")) && !german.contains(QStringLiteral("Dezember"))
                && !german.contains(QStringLiteral("Montag")) && german.contains(QStringLiteral("22:03")),
            qPrintable(german));
        // Every locale keeps the year, the day and the minute, and names no weekday.
        for (const QLocale &locale : { QLocale::c(), QLocale(QLocale::French, QLocale::France),
                 QLocale(QLocale::Japanese, QLocale::Japan), QLocale(QLocale::Korean, QLocale::SouthKorea) }) {
            const QString pattern = T::historyDatePattern(locale);
            QVERIFY2(pattern.contains(QStringLiteral("yy")) && pattern.contains(u'd')
                    && pattern.contains(QStringLiteral("mm")) && !pattern.contains(QStringLiteral("ddd"))
                    && !pattern.contains(QStringLiteral("MMMM")),
                qPrintable(pattern));
        }
    }

    void restoreAndTrashTexts()
    {
        const QDateTime moment(QDate(2026, 12, 7), QTime(22, 3));
        QCOMPARE(T::restoredNote(moment, QLocale(QLocale::Chinese, QLocale::China)),
            QStringLiteral("已于 2026年12月7日 22:03 放回原处"));
        QCOMPARE(T::restoredSummary(0), QString());
        QCOMPARE(T::restoredSummary(3), QStringLiteral("其中 3 项已放回原处"));
        QCOMPARE(T::trashUsageText(std::nullopt, true), QStringLiteral("正在统计…"));
        QCOMPARE(T::trashUsageText(std::nullopt, false), QStringLiteral("暂时无法统计"));
        QCOMPARE(T::trashUsageText(TrashUsage { 0, 0, true, 2, 0 }, false), QStringLiteral("没有项目"));
        QCOMPARE(T::trashUsageText(TrashUsage { 0, 0, false, 1, 1 }, false), QStringLiteral("无法读取"));
        // A later measurement keeps the last figures on screen; a cut walk says "≥".
        QCOMPARE(T::trashUsageText(TrashUsage { 1500000, 12, true, 1, 0 }, true), QStringLiteral("12 项 · 1.5 MB"));
        QCOMPARE(T::trashUsageText(TrashUsage { 1500000, 12, false, 1, 0 }, false), QStringLiteral("12 项 · ≥ 1.5 MB"));
        QCOMPARE(T::trashLineName(QStringLiteral("没有项目")),
            trashWorded(QStringLiteral("废纸篓：没有项目。清空废纸篓后才会释放这些空间；本应用不会清空它。")));
    }

    void settingsTexts()
    {
        QCOMPARE(T::ignoreCount(0), QStringLiteral("0 项"));
        QCOMPARE(T::ignoreCount(3), QStringLiteral("3 项"));
        QCOMPARE(T::aboutText(QStringLiteral("0.1.0")), QStringLiteral("VarnollMac清理  0.1.0"));
        QCOMPARE(T::aboutText(QString()), QStringLiteral("VarnollMac清理  —"));
    }

    void applicationIconsComeFromTheLauncher()
    {
        const auto iconOf
            = [](const QByteArray &contents) { return Morvane::parseDesktopEntry(contents).value().icon; };
        QCOMPARE(iconOf("[Desktop Action New]\nIcon=wrong\n[Desktop Entry]\nName=Editor\n"
                        "Icon[de]=localised\nIcon = org.example.Editor \n"),
            QStringLiteral("org.example.Editor"));
        QCOMPARE(iconOf("[Desktop Entry]\nName=No icon\n"), QString());

        QTemporaryDir root;
        const QString local = root.path() + QStringLiteral("/local");
        const QString shared = root.path() + QStringLiteral("/shared");
        QVERIFY(!ensureFolder(local) && !ensureFolder(shared));
        QVERIFY(!writeFileAtomically(shared + QStringLiteral("/org.example.Editor.desktop"), "[Desktop Entry]\n"));
        QVERIFY(!writeFileAtomically(root.path() + QStringLiteral("/Tool.desktop"), "[Desktop Entry]\n"));
        const QStringList folders { local, shared };
        // The entry itself is a launcher.
        QCOMPARE(launcherFileFor(root.path() + QStringLiteral("/Tool.desktop"), QString(), folders),
            std::optional<QString>(root.path() + QStringLiteral("/Tool.desktop")));
        // Else the identifier's launcher in the first folder that holds one.
        QCOMPARE(launcherFileFor(QStringLiteral("/opt/editor"), QStringLiteral("org.example.Editor"), folders),
            std::optional<QString>(shared + QStringLiteral("/org.example.Editor.desktop")));
        QCOMPARE(
            launcherFileFor(QStringLiteral("/opt/editor"), QStringLiteral("org.example.Other"), folders), std::nullopt);
        // An identifier is a name, never a way out of the folder.
        QCOMPARE(launcherFileFor(QStringLiteral("/opt/editor"), QStringLiteral("../Tool"), { shared }), std::nullopt);
    }

    void bundleRowsShowAnIconOnlyWhenTheBundleNamesOne()
    {
        QTemporaryDir root;
        const auto bundle = [&root](const QString &name, const QByteArray &info, bool withIcon) {
            const QString path = root.path() + u'/' + name;
            const QByteArray plist = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" + info + "</dict></plist>";
            if (ensureFolder(path + QStringLiteral("/Contents/Resources"))
                || writeFileAtomically(path + QStringLiteral("/Contents/Info.plist"), plist)
                || (withIcon && writeFileAtomically(path + QStringLiteral("/Contents/Resources/AppIcon.icns"), "icns")))
                qFatal("could not build the bundle");
            FileEntry entry;
            entry.path = path;
            entry.name = name;
            entry.category = FileCategory::application;
            entry.bundleID = QStringLiteral("org.example.tool");
            return entryRow(entry, root.path(), false).value(QStringLiteral("iconSource")).toString();
        };
        const QString named
            = bundle(QStringLiteral("Named.app"), "<key>CFBundleIconFile</key><string>AppIcon</string>", true);
        QVERIFY2(named.startsWith(QStringLiteral("image://appicon/")), qPrintable(named));
        QVERIFY(named.endsWith(QStringLiteral("/org.example.tool")));
        QCOMPARE(
            bundle(QStringLiteral("Unnamed.app"), "<key>CFBundleName</key><string>Tool</string>", true), QString());
        QCOMPARE(bundle(QStringLiteral("NoFile.app"), "<key>CFBundleIconFile</key><string>AppIcon</string>", false),
            QString());
    }

    void privacySettingsFollowTheRunningDesktop()
    {
        const auto installed = [](QStringList programs) {
            return [programs](const QString &name) {
                return programs.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
            };
        };
        const auto all = installed({ "gnome-control-center", "systemsettings", "cinnamon-settings" });
        QCOMPARE(privacySettingsCommand(QStringLiteral("ubuntu:GNOME"), all),
            (std::optional<DesktopCommand> { { "/usr/bin/gnome-control-center", { "privacy" } } }));
        QCOMPARE(privacySettingsCommand(QStringLiteral("KDE"), all),
            (std::optional<DesktopCommand> { { "/usr/bin/systemsettings", { "kcm_app-permissions" } } }));
        // No settings of its own, or not installed: nothing is started.
        QCOMPARE(privacySettingsCommand(QStringLiteral("XFCE"), all), std::nullopt);
        QCOMPARE(privacySettingsCommand(QString(), all), std::nullopt);
        QCOMPARE(privacySettingsCommand(QStringLiteral("GNOME"), installed({ "systemsettings" })), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(PageTextsTest)
#include "page_texts_test.moc"
