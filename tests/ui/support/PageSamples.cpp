#include "PageSamples.h"

#include "SampleData.h"

#include "app/LocalPreferences.h"
#include "app/StoreFiles.h"
#include "core/RecordJson.h"
#include "core/Vocabulary.h"

#include <QJsonDocument>

namespace VarnollTest {

namespace {

FileEntry owned(const UiHarness &h, const QString &relative, std::int64_t bytes, const FileEntry &application)
{
    FileEntry e = h.entry(relative, bytes, FileCategory::applicationData);
    e.ownerID = application.id;
    e.bundleID = application.bundleID;
    return e;
}

CleanupItemResult item(const QString &path, std::int64_t bytes, bool moved, const QString &message)
{
    CleanupItemResult i;
    i.entryID = QUuid::createUuid();
    i.name = path.section(u'/', -1);
    i.path = path;
    i.bytes = bytes;
    i.moved = moved;
    i.message = message;
    if (moved) // where a moved item lies now, which the history page can bring back
        i.trashPath = QStringLiteral("/trash/files/") + i.name;
    return i;
}

} // namespace

ScanResult sampleApplications(const UiHarness &h)
{
    FileEntry editor = h.entry(
        QStringLiteral(".local/share/applications/org.example.Editor.desktop"), 184'000'000, FileCategory::application);
    editor.name = QStringLiteral("Example Editor");
    editor.bundleID = QStringLiteral("org.example.Editor");
    FileEntry player = h.entry(
        QStringLiteral(".local/share/applications/net.tunes.Player.desktop"), 92'500'000, FileCategory::application);
    player.name = QStringLiteral("Tunes Player");
    player.bundleID = QStringLiteral("net.tunes.Player");
    FileEntry viewer = h.entry(
        QStringLiteral(".local/share/applications/photo-viewer.desktop"), 31'000'000, FileCategory::application);
    viewer.name = QStringLiteral("照片查看器");
    viewer.bundleID = QStringLiteral("photo-viewer");
    QList<FileEntry> entries {
        editor,
        owned(h, QStringLiteral(".config/example-editor"), 1'200'000, editor),
        owned(h, QStringLiteral(".cache/example-editor"), 48'000'000, editor),
        owned(h, QStringLiteral(".local/state/example-editor/sessions.json"), 24'000, editor),
        player,
        owned(h, QStringLiteral(".config/tunes-player/settings.ini"), 8'000, player),
        viewer,
    };
    ScanResult result = makeResult(ScanKind::applications, entries, CoverageState::complete,
        { FileCategory::application, FileCategory::applicationData });
    result.date = sampleDate();
    result.diagnostics = {
        { QStringLiteral("d1"), QStringLiteral("/opt/tools/legacy-suite"),
            QStringLiteral("无法读取启动器，归属未核实") },
        { QStringLiteral("d2"), QStringLiteral("/usr/local/share/applications/old-suite.desktop"),
            QStringLiteral("两个应用声明了同一个标识") },
    };
    return result;
}

ScanResult sampleDuplicates(const UiHarness &h)
{
    const auto copies = [&h](const QStringList &paths, std::int64_t bytes) {
        QList<FileEntry> files;
        for (const QString &path : paths)
            files.append(h.entry(path, bytes, FileCategory::duplicate));
        return files;
    };
    const QList<FileEntry> photos
        = copies({ QStringLiteral("Downloads/IMG_2041.jpg"), QStringLiteral("Downloads/备份/IMG_2041.jpg"),
                     QStringLiteral("Downloads/old phone/IMG_2041 (1).jpg") },
            4'200'000);
    const QList<FileEntry> installers
        = copies({ QStringLiteral("Downloads/Qt-6.4-src.zip"), QStringLiteral("Downloads/archive/Qt-6.4-src.zip") },
            812'000'000);
    ScanResult result
        = makeResult(ScanKind::duplicates, photos + installers, CoverageState::complete, { FileCategory::duplicate });
    result.duplicateGroups = { makeGroup(photos), makeGroup(installers) };
    result.date = sampleDate();
    return result;
}

ScanResult sampleSpace(const UiHarness &h)
{
    const auto child = [&h](const QString &name, std::int64_t bytes, bool folder, bool complete = true) {
        FileEntry e = h.entry(QStringLiteral("Downloads/") + name, bytes, FileCategory::spaceItem);
        e.kind = folder ? EntryKind::folder() : EntryKind::file();
        e.sizeIsComplete = complete;
        return e;
    };
    ScanResult result = makeResult(ScanKind::space,
        { child(QStringLiteral("旅行视频"), 6'442'450'944, true),
            child(QStringLiteral("debian-12.5.0-amd64-DVD-1.iso"), 3'994'091'520, false),
            child(QStringLiteral("archive"), 2'100'000'000, true, false),
            child(QStringLiteral("dataset"), 512'000'000, true),
            child(QStringLiteral("会议录音 0312.m4a"), 402'653'184, false),
            child(QStringLiteral("empty folder"), 0, true) },
        CoverageState::partial, { FileCategory::spaceItem });
    result.date = sampleDate();
    return result;
}

ScanResult sampleSpaceTree(const UiHarness &h)
{
    QList<std::pair<QString, std::int64_t>> files {
        { "旅行视频/2023 冰岛/day1.mp4", 2'400'000'000 },
        { "旅行视频/2023 冰岛/day2.mp4", 1'900'000'000 },
        { "旅行视频/2023 冰岛/notes.txt", 4'000 },
        { "旅行视频/2024 京都/temple.mov", 1'300'000'000 },
        { "旅行视频/2024 京都/配乐.mp3", 9'000'000 },
        { "debian-12.5.0-amd64-DVD-1.iso", 3'994'091'520 },
        { "photos/2024/IMG_0001.jpg", 4'200'000 },
        { "photos/2024/IMG_0002.jpg", 3'900'000 },
        { "photos/2024/IMG_0003.heic", 2'800'000 },
        { "photos/raw/DSC_1001.nef", 31'000'000 },
        { "photos/raw/DSC_1002.nef", 30'500'000 },
        { "dataset/train.tar.zst", 820'000'000 },
        { "dataset/labels.csv", 48'000'000 },
        { "dataset/README.md", 6'000 },
        { "会议录音 0312.m4a", 402'653'184 },
        { "报告/年度报告.pdf", 12'000'000 },
        { "报告/附件.docx", 3'000'000 },
        { "node-v20.tar.gz", 45'000'000 },
        { "archive/2019/backup-a.tar", 600'000'000 },
        { "archive/2020/backup-b.tar", 420'000'000 },
    };
    for (int i = 0; i < 40; ++i)
        files.append({ QStringLiteral("photos/2023/IMG_%1.jpg").arg(2000 + i), 2'000'000 + 50'000 * i });
    // The walk stopped inside archive/2020: its folders read "≥" and are hatched.
    ScanResult result
        = makeSpaceResult(h.fixture.home + QStringLiteral("/Downloads"), files, { QStringLiteral("archive/2020") });
    result.date = sampleDate();
    return result;
}

QList<CleanupRecord> sampleRecords(const UiHarness &h)
{
    const QString home = h.fixture.home;
    CleanupRecord mixed;
    mixed.id = QUuid::createUuid();
    mixed.date = QDateTime(QDate(2026, 3, 14), QTime(15, 42));
    mixed.items = {
        item(home + QStringLiteral("/.cache/thumbnails"), 412'300'000, true,
            trashWorded(QStringLiteral("已移到废纸篓"))),
        item(
            home + QStringLiteral("/.gradle/caches"), 1'530'000'000, true, trashWorded(QStringLiteral("已移到废纸篓"))),
        item(home + QStringLiteral("/.cache/pip"), 268'450'000, false,
            QStringLiteral("扫描后内容已变化，已跳过；请重新扫描后再选择。")),
    };
    CleanupRecord failed;
    failed.id = QUuid::createUuid();
    failed.date = QDateTime(QDate(2026, 3, 2), QTime(9, 5));
    failed.items = { item(QStringLiteral("/media/backup/photos-2019.tar.gz"), 1'288'490'189, false,
        trashWorded(QStringLiteral("无法移到废纸篓：该卷没有可用的废纸篓。"))) };
    CleanupRecord partial;
    partial.id = QUuid::createUuid();
    partial.date = QDateTime(QDate(2026, 2, 20), QTime(21, 30));
    partial.items = { item(home + QStringLiteral("/Downloads/旅行视频"), 2'147'483'648, true,
        trashWorded(QStringLiteral("已移到废纸篓"))) };
    partial.items[0].sizeIsComplete = false;
    return { mixed, failed, partial };
}

QStringList sampleIgnoredPaths(const UiHarness &h)
{
    return {
        h.fixture.home + QStringLiteral("/Downloads/keep/重要合同扫描件.pdf"),
        QStringLiteral("/srv/shared/projects"),
        h.fixture.home
            + QStringLiteral("/Documents/projects/2024/client-archive/deliverables/final/renders/"
                             "very-long-folder-name-that-keeps-going/and-going/to-show-two-lines/"
                             "of-a-path-that-is-cut-after-the-second-line/because-ignored-paths-show-at-most-two/"
                             "lines-of-text-and-this-one-needs-three-or-more-of-them-at-the-window's-width/"
                             "so-it-keeps-going-with-more-folders/and-more-folders/until-the-end/file.blend"),
    };
}

void restartWithStore(UiHarness &h, const QList<CleanupRecord> &records, const QStringList &ignored)
{
    const QString store = h.fixture.store;
    (void)Varnoll::ensureFolder(store);
    (void)Varnoll::writeFileAtomically(
        store + QStringLiteral("/history.json"), Morvane::compactEscapedJson(QJsonDocument(Morvane::toJson(records))));
    Varnoll::LocalPreferences preferences;
    preferences.ignoredPaths = ignored;
    (void)Varnoll::writeFileAtomically(store + QStringLiteral("/preferences.json"), preferences.toJson());
    h.model = h.fixture.makeModel();
}

} // namespace VarnollTest
