// The command-line habits scripts rely on, checked on the built tools: help and
// version on stdout with exit 0; every usage error exits 2 with one line on stderr
// before anything is scanned or moved; the table lines up Chinese columns; the
// file kinds use the window's default filters; the JSON names its enumerations.
#include "core/support/FixtureTree.h"

#include "cli/CommandLine.h"
#include "core/Paths.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace Fixture;
using Morvane::joinPath;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QString &program, const QStringList &arguments, const QString &home)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME" })
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError()) };
}

const QString scanTool = QStringLiteral(VARNOLL_SCAN_PATH);
const QString trashTool = QStringLiteral(VARNOLL_TRASH_PATH);

} // namespace

class ConventionsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_home;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        m_home = joinPath(m_root.path(), QStringLiteral("home"));
        const QDateTime now = QDateTime::currentDateTimeUtc();
        // Junk of two categories whose Chinese titles differ in width.
        makeFile(joinPath(m_home, QStringLiteral(".cache/旧缓存/data.bin")), 4096);
        setModifiedTree(joinPath(m_home, QStringLiteral(".cache/旧缓存")), now.addDays(-20));
        makeFile(joinPath(m_home, QStringLiteral(".config/app/logs/old.log")), 300);
        setModified(joinPath(m_home, QStringLiteral(".config/app/logs/old.log")), now.addDays(-40));
        // File kinds: sizes around the window's 100 MB minimum (sparse), installers by age.
        const QString downloads = joinPath(m_home, QStringLiteral("下载"));
        makeFile(joinPath(downloads, QStringLiteral("大视频.mkv")), std::int64_t(150) << 20);
        makeFile(joinPath(downloads, QStringLiteral("中等.mkv")), std::int64_t(50) << 20);
        makeFile(joinPath(downloads, QStringLiteral("旧安装包.deb")), 2048);
        setModified(joinPath(downloads, QStringLiteral("旧安装包.deb")), now.addDays(-40));
        makeFile(joinPath(downloads, QStringLiteral("新安装包.deb")), 2048);
        makeFile(joinPath(m_home, QStringLiteral("a-file")), 1);
        makeFolder(joinPath(m_home, QStringLiteral("locked")));
        QVERIFY(QFile::setPermissions(joinPath(m_home, QStringLiteral("locked")), QFileDevice::WriteOwner));
    }

    void helpAndVersionGoToStdoutWithExitZero_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        QTest::newRow("scan --help") << scanTool << QStringList { "--help" } << "用法：varnoll-scan";
        QTest::newRow("scan -h") << scanTool << QStringList { "-h" } << "用法：varnoll-scan";
        QTest::newRow("scan KIND --help")
            << scanTool << QStringList { "installers", "--help" } << "installers：--dir 中的旧安装包";
        QTest::newRow("help wins over a bad option") << scanTool << QStringList { "--bogus", "--help" } << "用法：";
        QTest::newRow("scan --version") << scanTool << QStringList { "junk", "--version" }
                                        << "varnoll-scan " VARNOLL_VERSION;
        QTest::newRow("trash --help") << trashTool << QStringList { "--help" } << "用法：varnoll-trash";
        QTest::newRow("trash --version") << trashTool << QStringList { "--version" }
                                         << "varnoll-trash " VARNOLL_VERSION;
    }
    void helpAndVersionGoToStdoutWithExitZero()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        const Run r = run(program, arguments, m_home);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith(expected), qPrintable(r.out));
        QCOMPARE(r.err, QString());
    }

    void usageErrorsExitTwoBeforeScanning_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("mentions");
        const QString dir = joinPath(m_home, QStringLiteral("下载"));
        QTest::newRow("no kind") << QStringList {} << "缺少扫描类型";
        QTest::newRow("unknown kind") << QStringList { "everything" } << "everything";
        QTest::newRow("raw kind out of range") << QStringList { "8" } << "8";
        QTest::newRow("second kind") << QStringList { "junk", "space" } << "space";
        QTest::newRow("unknown option") << QStringList { "junk", "--fast" } << "--fast";
        QTest::newRow("short option") << QStringList { "junk", "-j" } << "-j";
        QTest::newRow("value missing") << QStringList { "largeFiles", "--dir" } << "--dir";
        QTest::newRow("value on a flag") << QStringList { "junk", "--json=yes" } << "--json";
        QTest::newRow("negative age") << QStringList { "installers", "--older-than", "-3" } << "-3";
        QTest::newRow("age not a number") << QStringList { "installers", "--older-than=abc" } << "abc";
        QTest::newRow("negative size") << QStringList { "largeFiles", "--min-mb", "-1" } << "-1";
        QTest::newRow("size too large") << QStringList { "largeFiles", "--min-mb", "9999999999999999" } << "--min-mb";
        QTest::newRow("zero entry limit") << QStringList { "junk", "--entry-limit", "0" } << "--entry-limit";
        QTest::newRow("negative visit limit") << QStringList { "junk", "--visit-limit", "-5" } << "--visit-limit";
        QTest::newRow("zero time limit") << QStringList { "junk", "--time-limit", "0" } << "--time-limit";
        QTest::newRow("endless time limit") << QStringList { "junk", "--time-limit", "inf" } << "--time-limit";
        QTest::newRow("bad platform") << QStringList { "junk", "--platform", "windows" } << "windows";
        QTest::newRow("bad type") << QStringList { "largeFiles", "--type", "movies" } << "movies";
        QTest::newRow("relative home") << QStringList { "junk", "--home", "rel" } << "--home";
        QTest::newRow("missing dir") << QStringList { "largeFiles", "--dir", dir + "/无此文件夹" } << "不存在";
        QTest::newRow("dir is a file") << QStringList { "space", "--dir", joinPath(m_home, "a-file") } << "不是文件夹";
        QTest::newRow("dir under a file") << QStringList { "space", "--dir", joinPath(m_home, "a-file/x") } << "--dir";
        if (::geteuid() != 0) // every folder reads for root
            QTest::newRow("unreadable dir")
                << QStringList { "duplicates", "--dir", joinPath(m_home, "locked") } << "无法读取";
    }
    void usageErrorsExitTwoBeforeScanning()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, mentions);
        const Run r = run(scanTool, QStringList { "--home", m_home } + arguments, m_home);
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.out, QString());
        // One line and nothing else: a scan that had started would have reported progress.
        QVERIFY2(r.err.startsWith(QStringLiteral("varnoll-scan：")) && r.err.count(u'\n') == 1, qPrintable(r.err));
        QVERIFY2(r.err.contains(mentions), qPrintable(r.err));
    }

    void trashUsageErrorsMoveNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no path") << QStringList {};
        QTest::newRow("only the separator") << QStringList { "--" };
        QTest::newRow("unknown option before a path") << QStringList { "--force", "FILE" };
        QTest::newRow("unknown option after a path") << QStringList { "FILE", "-f" };
        QTest::newRow("empty path beside a path") << QStringList { "FILE", "" };
        QTest::newRow("restore without a path") << QStringList { "--restore" };
        QTest::newRow("restore and list") << QStringList { "--restore", "--list", "FILE" };
        QTest::newRow("list with a path") << QStringList { "--list", "FILE" };
        QTest::newRow("parents without restore") << QStringList { "--parents", "FILE" };
        QTest::newRow("restore an empty path") << QStringList { "--restore", "" };
    }
    void trashUsageErrorsMoveNothing()
    {
        QFETCH(QStringList, arguments);
        const QString file = joinPath(m_home, QStringLiteral("keep-me.txt"));
        makeFile(file, 10);
        arguments.replaceInStrings(QStringLiteral("FILE"), file);
        const Run r = run(trashTool, arguments, m_home);
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.out, QString());
        QVERIFY2(r.err.startsWith(QStringLiteral("varnoll-trash：")) && r.err.count(u'\n') == 1, qPrintable(r.err));
        QVERIFY(QFileInfo::exists(file));
        QVERIFY(!QFileInfo::exists(joinPath(m_home, QStringLiteral(".local/share/Trash"))));
    }

    void tableColumnsLineUpInTerminalCells()
    {
        const Run r = run(scanTool, { "junk", "--platform", "linux", "--home", m_home }, m_home);
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split(u'\n');
        QStringList rows;
        for (const QString &line : lines) {
            if (line.isEmpty())
                break;
            rows.append(line);
        }
        QCOMPARE(rows.size(), 2);
        QSet<int> pathColumns;
        for (const QString &row : rows)
            pathColumns.insert(Varnoll::Cli::displayWidth(row.left(row.indexOf(QStringLiteral("~/")))));
        QVERIFY2(pathColumns.size() == 1, qPrintable(rows.join(u'\n')));
        // Sizes are the window's words, not the C locale's.
        QVERIFY2(
            !r.out.contains(QStringLiteral("bytes")) && r.out.contains(QStringLiteral("4 KB  ")), qPrintable(r.out));
    }

    void fileKindsUseTheWindowDefaultsAndJsonNamesItsNumbers()
    {
        const QString dir = joinPath(m_home, QStringLiteral("下载"));
        const auto names = [&](const QStringList &arguments) {
            const Run r = run(scanTool, arguments + QStringList { "--dir", dir, "--json", "--home", m_home }, m_home);
            const QJsonObject result = QJsonDocument::fromJson(r.out.toUtf8()).object();
            QStringList out;
            for (const QJsonValue &e : result.value(QStringLiteral("entries")).toArray())
                out.append(e.toObject().value(QStringLiteral("name")).toString());
            out.sort();
            return std::pair(out, result);
        };
        const auto [large, result] = names({ "largeFiles" });
        QCOMPARE(large, QStringList { "大视频.mkv" });
        QCOMPARE(names({ "largeFiles", "--min-mb", "0" }).first.size(), 4);
        QCOMPARE(names({ "installers" }).first, QStringList { "旧安装包.deb" });
        QCOMPARE(names({ "installers", "--older-than", "0" }).first, (QStringList { "新安装包.deb", "旧安装包.deb" }));

        QCOMPARE(result.value(QStringLiteral("kind")).toInt(), 2);
        QCOMPARE(result.value(QStringLiteral("kindName")).toString(), QStringLiteral("largeFiles"));
        const QJsonObject entry = result.value(QStringLiteral("entries")).toArray().at(0).toObject();
        QCOMPARE(entry.value(QStringLiteral("categoryName")).toString(), QStringLiteral("largeFile"));
        const QJsonObject coverage = result.value(QStringLiteral("coverage")).toArray().at(0).toObject();
        QCOMPARE(coverage.value(QStringLiteral("categoryName")).toString(), QStringLiteral("largeFile"));
        QCOMPARE(coverage.value(QStringLiteral("coverageName")).toString(), QStringLiteral("complete"));
    }

    void trashListsAndRestoresForScripts()
    {
        const QString folder = joinPath(m_home, QStringLiteral("put back"));
        const QString plain = joinPath(folder, QStringLiteral("a 100%.txt"));
        const QString tabbed = joinPath(folder, QStringLiteral("tab\there"));
        makeFile(plain, 3);
        makeFile(tabbed, 5);
        QCOMPARE(run(trashTool, { plain, tabbed }, m_home).exitCode, 0);

        // One item per line: date, bytes, original path with control characters escaped.
        const Run listed = run(trashTool, { "--list" }, m_home);
        QCOMPARE(listed.exitCode, 0);
        QVERIFY2(listed.out.contains(QStringLiteral("\t3\t") + plain + u'\n'), qPrintable(listed.out));
        QVERIFY2(listed.out.contains(QStringLiteral("\t5\t") + folder + QStringLiteral("/tab\\there\n")),
            qPrintable(listed.out));
        const QStringList fields = listed.out.section(u'\n', 0, 0).split(u'\t');
        QCOMPARE(fields.size(), 3);
        QVERIFY(QDateTime::fromString(fields.at(0), Qt::ISODate).isValid());

        // Exit 1 when any stayed, each with its reason; the rest came back.
        const QString never = joinPath(folder, QStringLiteral("never trashed"));
        const Run restored = run(trashTool, { "--restore", plain, never, tabbed }, m_home);
        QCOMPARE(restored.exitCode, 1);
        QCOMPARE(restored.out.count(u'\n'), 2);
        QVERIFY(restored.out.startsWith(plain + QStringLiteral(" <- ")));
        QCOMPARE(restored.err.count(u'\n'), 1);
        QVERIFY2(restored.err.startsWith(never + QStringLiteral(": ")), qPrintable(restored.err));
        QVERIFY(QFileInfo::exists(plain) && QFileInfo::exists(tabbed));
        QCOMPARE(run(trashTool, { "--list" }, m_home).out, QString());
    }
};

QTEST_GUILESS_MAIN(ConventionsTest)
#include "conventions_test.moc"
