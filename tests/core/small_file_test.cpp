// Readers that meet a FIFO, a socket or a device where a small file should be: every one
// must come back at once with nothing, never wait for a writer (the ctest timeout fails
// a hang) and never read an endless device into memory.

#include "support/FixtureTree.h"

#include "core/BundleIcon.h"
#include "core/Paths.h"
#include "core/Plist.h"
#include "core/RunningApplications.h"
#include "core/SmallFile.h"
#include "core/scan/DesktopFiles.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Morvane;

namespace {

void makeFifo(const QString &path)
{
    QVERIFY(::mkfifo(pathToBytes(path).constData(), 0600) == 0);
}

} // namespace

class SmallFileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void specialFilesAreRefusedWithoutWaiting()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("fifo"));
        makeFifo(fifo);
        const QString toFifo = dir.filePath(QStringLiteral("to-fifo"));
        Fixture::makeSymlink(fifo, toFifo);
        const QString toZero = dir.filePath(QStringLiteral("to-zero"));
        Fixture::makeSymlink(QStringLiteral("/dev/zero"), toZero);
        const QString socketPath = dir.filePath(QStringLiteral("socket"));
        const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, pathToBytes(socketPath).constData(), sizeof address.sun_path - 1);
        QVERIFY(::bind(s, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);

        for (const QString &path : { fifo, toFifo, toZero, socketPath }) {
            for (FinalLink link : { FinalLink::follow, FinalLink::refuse }) {
                const BoundedRead read = readBounded(pathToBytes(path), { 1024, link, false });
                QVERIFY2(!read.ok() && read.data.isEmpty(), qPrintable(path));
                QVERIFY(read.failure == ReadFailure::notRegular);
            }
        }
        ::close(s);
        QCOMPARE(readFileHead(pathToBytes(fifo), 16), QByteArray());
        QVERIFY(!readSmallRegularFile(toZero, 1 << 20, FinalLink::follow));

        // The callers that read such files by name.
        QVERIFY(!readPropertyListFile(fifo));
        QVERIFY(!readDesktopLauncher(toFifo, QStringLiteral("evil"), {}));
        const QString bundle = dir.filePath(QStringLiteral("Tool.app"));
        Fixture::makeTextFile(bundle + QStringLiteral("/Contents/Info.plist"),
            "<plist><dict><key>CFBundleIconFile</key><string>AppIcon</string></dict></plist>");
        Fixture::makeFolder(bundle + QStringLiteral("/Contents/Resources"));
        makeFifo(bundle + QStringLiteral("/Contents/Resources/AppIcon.icns"));
        QVERIFY(!bundleIconPng(bundle, 64));

        // The running-application lookup reads every launcher: a link to a FIFO among
        // them and a /proc entry that is one are skipped.
        const QString home = dir.filePath(QStringLiteral("home"));
        Fixture::makeSymlink(fifo, home + QStringLiteral("/.local/share/applications/evil.desktop"));
        const QString proc = dir.filePath(QStringLiteral("proc"));
        Fixture::makeSymlink(QStringLiteral("/usr/bin/true"), proc + QStringLiteral("/4242/exe"));
        makeFifo(proc + QStringLiteral("/4242/cmdline"));
        Fixture::makeSymlink(QStringLiteral("/dev/zero"), proc + QStringLiteral("/4242/environ"));
        ProcessSources sources;
        sources.procRoot = proc;
        sources.home = home;
        sources.launcherFolders = { home + QStringLiteral("/.local/share/applications") };
        sources.onlyOwnProcesses = false;
        QVERIFY(runningApplicationIDsFrom(sources).contains(QStringLiteral("true")));
    }

    void readsStopAtTheirBound()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("file"));
        Fixture::makeTextFile(file, QByteArray(5000, 'x'));
        QCOMPARE(readBounded(pathToBytes(file), { 4999, FinalLink::refuse, false }).failure, ReadFailure::tooLarge);
        QCOMPARE(readBounded(pathToBytes(file), { 5000, FinalLink::refuse, false }).data.size(), 5000);
        QCOMPARE(readBounded(pathToBytes(file), { 100, FinalLink::refuse, true }).data, QByteArray(100, 'x'));
        const QString link = dir.filePath(QStringLiteral("link"));
        Fixture::makeSymlink(file, link);
        QCOMPARE(readBounded(pathToBytes(link), { 5000, FinalLink::refuse, false }).failure, ReadFailure::notRegular);
        QCOMPARE(readBounded(pathToBytes(link), { 5000, FinalLink::follow, false }).data.size(), 5000);
        QCOMPARE(
            readBounded(pathToBytes(dir.filePath(QStringLiteral("none"))), { 10, FinalLink::refuse, false }).failure,
            ReadFailure::missing);
        // A /proc entry states size 0 and holds more: its first bytes, never more.
        const BoundedRead status = readBounded("/proc/self/status", { 64, FinalLink::refuse, true });
        QVERIFY(status.ok());
        QCOMPARE(status.data.size(), 64);
    }
};

QTEST_GUILESS_MAIN(SmallFileTest)
#include "small_file_test.moc"
