// The folder-chain walk by handle: it stops at anything that is not a real folder and
// keeps acting on the folders it opened, whatever is swapped in behind it.
#include "support/TrashFixtures.h"

#include "core/Posix.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Morvane;
using namespace TrashFixtures;

class PosixTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void chainStopsAtWhatIsNotARealFolder()
    {
        QTemporaryDir root;
        const QString base = root.path();
        QVERIFY(makeFolder(joinPath(base, QStringLiteral("a"))));
        QVERIFY(makeFolder(joinPath(base, QStringLiteral("a/b"))));
        QVERIFY(writeFile(joinPath(base, QStringLiteral("a/file")), "x"));
        QCOMPARE(::symlink("b", pathToBytes(joinPath(base, QStringLiteral("a/link"))).constData()), 0);
        const UniqueFd start(::open(pathToBytes(base).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        QVERIFY(start);

        FolderChain chain = openFolderChain(start.get(), { "a", "b" });
        QCOMPARE(chain.stop, ChainStop::complete);
        struct stat viaChain {
        }, direct {};
        QCOMPARE(::fstat(chain.folder.get(), &viaChain), 0);
        QCOMPARE(::stat(pathToBytes(joinPath(base, QStringLiteral("a/b"))).constData(), &direct), 0);
        QCOMPARE(viaChain.st_ino, direct.st_ino);

        const struct {
            QList<QByteArray> components;
            ChainStop stop;
            qsizetype at;
        } stops[] = {
            { { "a", "link" }, ChainStop::link, 1 },
            { { "a", "file", "c" }, ChainStop::notFolder, 1 },
            { { "a", "gone" }, ChainStop::missing, 1 },
            { { "a", ".." }, ChainStop::failed, 1 },
            { { "a/b" }, ChainStop::failed, 0 },
            { { "" }, ChainStop::failed, 0 },
        };
        for (const auto &expected : stops) {
            chain = openFolderChain(start.get(), expected.components);
            QCOMPARE(chain.stop, expected.stop);
            QCOMPARE(chain.failedAt, expected.at);
            QVERIFY(!chain.folder);
        }
        // No components: the start itself.
        chain = openFolderChain(start.get(), {});
        QCOMPARE(chain.stop, ChainStop::complete);
        QCOMPARE(::fstat(chain.folder.get(), &viaChain), 0);
        QCOMPARE(::fstat(start.get(), &direct), 0);
        QCOMPARE(viaChain.st_ino, direct.st_ino);
    }

    void anOpenedChainIgnoresASwapBehindIt()
    {
        QTemporaryDir root;
        const QString base = root.path();
        QVERIFY(makeFolder(joinPath(base, QStringLiteral("scope"))));
        QVERIFY(makeFolder(joinPath(base, QStringLiteral("scope/sub"))));
        QVERIFY(writeFile(joinPath(base, QStringLiteral("scope/sub/file")), "scanned"));
        QVERIFY(makeFolder(joinPath(base, QStringLiteral("outside"))));
        QVERIFY(writeFile(joinPath(base, QStringLiteral("outside/file")), "precious"));
        const UniqueFd scope(::open(
            pathToBytes(joinPath(base, QStringLiteral("scope"))).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        const FolderChain chain = openFolderChain(scope.get(), { "sub" });
        QCOMPARE(chain.stop, ChainStop::complete);

        // The folder is moved away and a link to another one takes its place.
        QCOMPARE(::rename(pathToBytes(joinPath(base, QStringLiteral("scope/sub"))).constData(),
                     pathToBytes(joinPath(base, QStringLiteral("scope/old"))).constData()),
            0);
        QCOMPARE(::symlink(pathToBytes(joinPath(base, QStringLiteral("outside"))).constData(),
                     pathToBytes(joinPath(base, QStringLiteral("scope/sub"))).constData()),
            0);
        QCOMPARE(::renameat(chain.folder.get(), "file", scope.get(), "moved"), 0);
        QCOMPARE(readFile(joinPath(base, QStringLiteral("scope/moved"))), "scanned");
        QCOMPARE(readFile(joinPath(base, QStringLiteral("outside/file"))), "precious");
        QCOMPARE(openFolderChain(scope.get(), { "sub" }).stop, ChainStop::link);

        // The handle still knows where its folder is now.
        const auto now = folderPathOf(chain.folder.get());
        QVERIFY(now.has_value());
        QCOMPARE(*now, pathToBytes(joinPath(QDir(base).canonicalPath(), QStringLiteral("scope/old"))));
    }
};

QTEST_GUILESS_MAIN(PosixTest)
#include "posix_test.moc"
