// The store files are the user's: whatever lies there is read without hanging, kept
// when it cannot be read, written privately and byte-exactly, and a failure says why in
// Chinese.
#include "support/FakeCore.h"

#include "app/StoreFiles.h"
#include "core/Paths.h"
#include "core/RecordJson.h"

#include <QDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace VarnollTest;
using Morvane::pathToBytes;
using Varnoll::Page;

namespace {

void writeRaw(const QString &path, const QByteArray &bytes)
{
    const int fd = ::open(pathToBytes(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    ::close(fd);
}

QByteArray readRaw(const QString &path)
{
    const int fd = ::open(pathToBytes(path).constData(), O_RDONLY);
    if (fd < 0)
        return {};
    QByteArray out;
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        out.append(buffer, n);
    ::close(fd);
    return out;
}

mode_t modeOf(const QString &path)
{
    struct stat st { };
    return ::lstat(pathToBytes(path).constData(), &st) == 0 ? st.st_mode : 0;
}

/// The names in the store that start with `prefix`.
QStringList named(const QString &store, const QString &prefix)
{
    return QDir(store).entryList({ prefix + u'*' }, QDir::AllEntries | QDir::System | QDir::Hidden);
}

QByteArray record(const QString &id, const QByteArray &date, const QByteArray &bytes)
{
    return R"({"id":")" + id.toLatin1() + R"(","date":)" + date
        + R"(,"items":[{"name":"a","path":"\/d\/a","moved":true,"message":"ok","bytes":)" + bytes + "}]}";
}

} // namespace

class StoreFilesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void specialFilesNeverHangAndAreSetAsideBeforeTheFirstWrite()
    {
        Fixture f;
        QDir().mkpath(f.store);
        QVERIFY(::mkfifo(pathToBytes(f.store + "/preferences.json").constData(), 0600) == 0);
        QVERIFY(::symlink("/dev/zero", pathToBytes(f.store + "/history.json").constData()) == 0);
        auto model = f.makeModel(); // returns: the reader neither waits for a writer nor reads forever
        QVERIFY(model->ignoredPaths().isEmpty());
        QVERIFY(model->records().isEmpty());
        QVERIFY(!model->notice());

        model->ignore(makeEntry(QStringLiteral("/d/x"), 1));
        QVERIFY(waitStored(*model));
        QCOMPARE(named(f.store, "preferences.json.unreadable-").size(), 1);
        QCOMPARE(named(f.store, "history.json.unreadable-").size(), 1);
        QVERIFY(S_ISFIFO(modeOf(f.store + u'/' + named(f.store, "preferences.json.unreadable-").first())));
        QVERIFY(S_ISLNK(modeOf(f.store + u'/' + named(f.store, "history.json.unreadable-").first())));
        QCOMPARE(readRaw(f.store + "/preferences.json"), QByteArray(R"({"ignoredPaths":["\/d\/x"]})"));
        // The notice says where each went.
        const QStringList lines = model->notice().value_or(QString()).split(u'\n');
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].startsWith(
                     QStringLiteral("无法完整读取的 preferences.json 已改名为 ~/store/preferences.json.unreadable-")),
            qPrintable(lines[0]));
        QVERIFY(lines[1].startsWith(QStringLiteral("无法完整读取的 history.json 已改名为 ")));

        // Set aside once: the next save writes without a word.
        model->clearNotice();
        model->removeIgnore(QStringLiteral("/d/x"));
        QVERIFY(waitStored(*model));
        QVERIFY(!model->notice());
        QCOMPARE(named(f.store, "preferences.json.unreadable-").size(), 1);
    }

    void damagedFilesAreKeptAndOnlyBadRecordsAreDropped()
    {
        Fixture f;
        QDir().mkpath(f.store);
        const QByteArray preferences = R"({"ignoredPaths":["\/keep\/me",]})"; // a trailing comma
        const QByteArray history = '['
            + record(QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC96401"), "700000000", "10") + ','
            + record(QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC96402"), "700000000", "1e30") + ','
            + record(QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC96403"), "700000000", "9223372036854775808") + ','
            + record(QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC96404"), "1e300", "10") + ','
            + record(QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC96405"), "700000001", "-5") + ",{\"id\":7}]";
        writeRaw(f.store + "/preferences.json", preferences);
        writeRaw(f.store + "/history.json", history);
        auto model = f.makeModel();
        QVERIFY(model->ignoredPaths().isEmpty());
        QCOMPARE(model->records().size(), 1);
        QCOMPARE(model->records().first().bytes(), 10);

        // The first write keeps both files as they were, under another name.
        model->ignore(makeEntry(QStringLiteral("/d/x"), 1));
        QVERIFY(waitStored(*model));
        QCOMPARE(readRaw(f.store + u'/' + named(f.store, "preferences.json.unreadable-").value(0)), preferences);
        QCOMPARE(readRaw(f.store + u'/' + named(f.store, "history.json.unreadable-").value(0)), history);
        const auto stored = Morvane::recordsFromJson(readRaw(f.store + "/history.json"));
        QVERIFY(stored && stored->size() == 1);
    }

    void theHistoryKeepsAtMostAHundredRecords()
    {
        Fixture f;
        QDir().mkpath(f.store);
        QByteArray history = "[";
        for (int i = 0; i < 150; ++i) {
            if (i > 0)
                history += ',';
            history += record(
                QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(), QByteArray::number(700000000 - i), "1");
        }
        writeRaw(f.store + "/history.json", history + ']');
        auto model = f.makeModel();
        QCOMPARE(model->records().size(), 100);
        QCOMPARE(model->records().last().date, Morvane::dateFromReferenceSeconds(700000000 - 99));
        model->removeIgnore(QStringLiteral("/nothing"));
        QVERIFY(waitStored(*model));
        QCOMPARE(named(f.store, "history.json.unreadable-").size(), 1); // the 50 older ones are kept there
    }

    void anEmptyIgnoredPathIsDroppedAndNeverAdded()
    {
        Fixture f;
        QDir().mkpath(f.store);
        writeRaw(f.store + "/preferences.json", R"({"ignoredPaths":["","\/a"]})");
        auto model = f.makeModel();
        QCOMPARE(model->ignoredPaths(), QStringList { QStringLiteral("/a") });
        model->ignore(makeEntry(QString(), 1));
        QCOMPARE(model->ignoredPaths(), QStringList { QStringLiteral("/a") });
        // Keeps results that an empty path would have covered.
        model->navigate(Page::largeFiles);
        QVERIFY(scanWith(*model, *f.core, std::nullopt,
            makeResult(ScanKind::largeFiles, { makeEntry(QStringLiteral("/b/file"), 1) })));
        QCOMPARE(model->currentResult()->entries.size(), 1);
        QVERIFY(waitStored(*model));
    }

    void storeIsPrivateExactAndSpeaksChinese()
    {
        // A home folder whose name is not UTF-8, and no .local yet: everything the
        // application creates is private, and the files land at the exact bytes.
        Fixture f;
        const QString home = Morvane::pathFromBytes(pathToBytes(f.root.path()) + "/h\xff\xfe");
        QVERIFY(::mkdir(pathToBytes(home).constData(), 0755) == 0);
        Varnoll::ModelOptions options;
        options.home = home;
        options.runningBundleIDs = QSet<QString>();
        {
            Varnoll::CleanerModel model(f.core, options);
            QVERIFY(QTest::qWaitFor([&] { return model.historyLoaded(); }));
            model.ignore(makeEntry(home + QStringLiteral("/x"), 1));
            QVERIFY(waitStored(model));
            QVERIFY(!model.notice());
            const QString store = model.store();
            QCOMPARE(modeOf(home + QStringLiteral("/.local")) & 0777, mode_t(0700));
            QCOMPARE(modeOf(home + QStringLiteral("/.local/share")) & 0777, mode_t(0700));
            QCOMPARE(modeOf(store) & 0777, mode_t(0700));
            QCOMPARE(modeOf(store + QStringLiteral("/preferences.json")) & 0777, mode_t(0600));
            QCOMPARE(modeOf(store + QStringLiteral("/history.json")) & 0777, mode_t(0600));
        }
        Varnoll::CleanerModel again(f.core, options);
        QVERIFY(QTest::qWaitFor([&] { return again.historyLoaded(); }));
        QCOMPARE(again.ignoredPaths(), QStringList { home + QStringLiteral("/x") });

        // A folder where history.json should be: the reason is Chinese, the
        // preferences are still written (they come first).
        QVERIFY(::mkdir(pathToBytes(again.store() + QStringLiteral("/history.json.d")).constData(), 0700) == 0);
        QVERIFY(::unlink(pathToBytes(again.store() + QStringLiteral("/history.json")).constData()) == 0);
        QVERIFY(::rename(pathToBytes(again.store() + QStringLiteral("/history.json.d")).constData(),
                    pathToBytes(again.store() + QStringLiteral("/history.json")).constData())
            == 0);
        again.removeIgnore(home + QStringLiteral("/x"));
        QVERIFY(waitStored(again));
        QCOMPARE(again.notice(), std::optional<QString>(QStringLiteral("本地记录未能保存：是一个文件夹")));
        QCOMPARE(readRaw(again.store() + QStringLiteral("/preferences.json")), QByteArray(R"({"ignoredPaths":[]})"));
    }
};

QTEST_GUILESS_MAIN(StoreFilesTest)
#include "store_files_test.moc"
