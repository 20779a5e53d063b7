#include "SampleData.h"

namespace VarnollTest {

QDateTime sampleDate()
{
    return QDateTime(QDate(2026, 3, 14), QTime(15, 42));
}

ScanResult sampleJunk(const UiHarness &h)
{
    QList<FileEntry> entries {
        h.entry(QStringLiteral(".cache/thumbnails"), 412'300'000, FileCategory::userCache),
        h.entry(QStringLiteral(".cache/pip"), 268'450'000, FileCategory::userCache),
        h.entry(QStringLiteral(".cache/mozilla/firefox/x1y2.default/cache2"), 96'200'000, FileCategory::userCache),
        h.entry(QStringLiteral(".cache/fontconfig"), 2'400'000, FileCategory::userCache),
        h.entry(QStringLiteral(".local/share/xorg/Xorg.0.log.old"), 1'800'000, FileCategory::logs),
        h.entry(QStringLiteral(".npm/_logs"), 640'000, FileCategory::logs),
        h.entry(QStringLiteral(".gradle/caches"), 1'530'000'000, FileCategory::developerCache),
        h.entry(QStringLiteral(".cargo/registry/cache"), 0, FileCategory::developerCache),
    };
    entries[6].sizeIsComplete = false; // counting stopped at the visit limit
    entries[7].sizeIsComplete = false;
    for (FileEntry &entry : entries)
        entry.detail = QStringLiteral("30 天内未使用");
    ScanResult result = makeResult(ScanKind::junk, entries, CoverageState::complete,
        { FileCategory::userCache, FileCategory::logs, FileCategory::developerCache });
    result.coverage[1].state = CoverageState::partial; // logs
    result.date = sampleDate();
    result.scopeNotes = {
        QStringLiteral("已检查 ~/.cache 中 30 天以上未使用的缓存。"),
        QStringLiteral("聊天软件、浏览器和钱包的缓存按排除规则跳过。"),
        QStringLiteral("~/.local/share/Trash 不在扫描范围内。"),
    };
    return result;
}

ScanResult sampleLargeFiles(const UiHarness &h)
{
    QList<FileEntry> entries {
        h.entry(QStringLiteral("Downloads/debian-12.5.0-amd64-DVD-1.iso"), 3'994'091'520),
        h.entry(QStringLiteral("Downloads/旅行视频/2025 冰岛.mov"), 2'147'483'648),
        h.entry(QStringLiteral("Downloads/archive/photos-2019.tar.gz"), 1'288'490'189),
        h.entry(QStringLiteral("Downloads/Qt-6.4-src.zip"), 812'000'000),
        h.entry(QStringLiteral("Downloads/会议录音 0312.m4a"), 402'653'184),
        h.entry(QStringLiteral("Downloads/dataset/train-images.bin"), 250'000'000),
        h.entry(QStringLiteral("Downloads/Blender-4.0.tar.xz"), 318'767'104),
        h.entry(QStringLiteral("Downloads/手册/设计规范 v3.pdf"), 128'000'000),
    };
    for (FileEntry &entry : entries)
        entry.detail = QStringLiteral("上次打开：2024 年");
    ScanResult result = makeResult(ScanKind::largeFiles, entries);
    result.date = sampleDate();
    return result;
}

ScanResult manyLargeFiles(const UiHarness &h, int count)
{
    QList<FileEntry> entries;
    entries.reserve(count);
    static const char *const words[] = { "report", "video", "backup", "photo", "archive", "disk", "movie", "dump" };
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("%1-%2.bin").arg(QLatin1String(words[i % 8])).arg(i);
        entries.append(h.entry(QStringLiteral("Downloads/set%1/%2").arg(i % 37).arg(name),
            std::int64_t(100'000'000) + std::int64_t(i) * 7919, FileCategory::largeFile));
    }
    ScanResult result = makeResult(ScanKind::largeFiles, entries);
    result.date = sampleDate();
    return result;
}

} // namespace VarnollTest
