// Checks our Trash against an independent client, Debian's trash-cli: it must list
// every item we trashed under its exact original path and restore it there. Skipped
// where trash-cli is not installed (it is not needed to build or run the product).
#include "support/TrashFixtures.h"

#include "core/CleanupService.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Morvane;
using namespace TrashFixtures;

class TrashCliTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void trashCliListsAndRestoresWhatWeTrashed()
    {
        const QString list = QStandardPaths::findExecutable(QStringLiteral("trash-list"));
        const QString restore = QStandardPaths::findExecutable(QStringLiteral("trash-restore"));
        if (list.isEmpty() || restore.isEmpty())
            QSKIP("trash-cli is not installed");
        QTemporaryDir root;
        const QString data = joinPath(root.path(), QStringLiteral("data"));
        ScopedDataHome dataHome(data);
        // trash-cli decodes Path= as text, so names that are not valid UTF-8 come back
        // altered by it; our own reader covers those byte for byte (trash_test).
        const QStringList names
            = { QStringLiteral("with space.txt"), QStringLiteral("100% sure"), QStringLiteral("#tag#"),
                  QStringLiteral("two\nlines"), QStringLiteral("中文文件名.txt"), QStringLiteral("folder item") };
        QStringList paths;
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString folder = joinPath(root.path(), QStringLiteral("work/%1").arg(i));
            QVERIFY(QDir().mkpath(folder));
            const QString path = joinPath(folder, names.at(i));
            if (names.at(i) == QLatin1String("folder item")) {
                QVERIFY(makeFolder(path));
                QVERIFY(writeFile(joinPath(path, QStringLiteral("inside")), "in"));
            } else {
                QVERIFY(writeFile(path, names.at(i).toUtf8()));
            }
            paths.append(path);
        }
        CleanupEnvironment environment;
        environment.home = root.path();
        const CleanupRecord record = CleanupService(environment).cleanPaths(paths);
        QCOMPARE(record.count(), names.size());

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), data);
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        QProcess lister;
        lister.setProcessEnvironment(env);
        lister.start(list, {});
        QVERIFY(lister.waitForFinished(30000));
        const QString listed = QString::fromUtf8(lister.readAllStandardOutput());
        for (const QString &path : paths)
            QVERIFY2(listed.contains(u' ' + path + u'\n'), qPrintable(listed));

        for (qsizetype i = 0; i < paths.size(); ++i) {
            QProcess restorer;
            restorer.setProcessEnvironment(env);
            restorer.start(restore, { joinPath(root.path(), QStringLiteral("work/%1").arg(i)) });
            QVERIFY(restorer.waitForStarted());
            restorer.write("0\n");
            restorer.closeWriteChannel();
            QVERIFY(restorer.waitForFinished(30000));
            QVERIFY2(exists(paths.at(i)), qPrintable(QString::fromUtf8(restorer.readAll())));
        }
        QCOMPARE(readFile(paths.at(4)), names.at(4).toUtf8());
        QCOMPARE(readFile(joinPath(paths.at(5), QStringLiteral("inside"))), "in");
        QCOMPARE(entriesOf(joinPath(data, QStringLiteral("Trash/files"))), QStringList());
    }
};

QTEST_GUILESS_MAIN(TrashCliTest)
#include "trashcli_test.moc"
