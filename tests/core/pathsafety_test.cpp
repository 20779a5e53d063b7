#include "support/TrashFixtures.h"

#include "core/Errors.h"
#include "core/PathSafety.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Morvane;
using namespace TrashFixtures;

namespace {

QString refusalOf(const QString &path, const QString &inside)
{
    try {
        PathSafety::validate(path, inside);
    } catch (const PathSafetyError &error) {
        return error.description();
    }
    return {};
}

} // namespace

class PathSafetyTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void acceptsWhatLiesInsideAfterResolving()
    {
        QTemporaryDir root;
        const QString base = joinPath(root.path(), QStringLiteral("base"));
        QVERIFY(makeFolder(base));
        QVERIFY(makeFolder(joinPath(base, QStringLiteral("a"))));
        QVERIFY(makeFolder(joinPath(base, QStringLiteral("b"))));
        // A link that stays inside is fine, and so is a detour through "..".
        QCOMPARE(::symlink("../b", pathToBytes(joinPath(base, QStringLiteral("a/to-b"))).constData()), 0);
        QCOMPARE(refusalOf(joinPath(base, QStringLiteral("a")), base), QString());
        QCOMPARE(refusalOf(joinPath(base, QStringLiteral("a/../b/.")), base), QString());
        QCOMPARE(refusalOf(joinPath(base, QStringLiteral("a/to-b")), base), QString());
        // The folder reached through a link of its own still contains its children.
        const QString alias = joinPath(root.path(), QStringLiteral("alias"));
        QCOMPARE(::symlink(pathToBytes(base).constData(), pathToBytes(alias).constData()), 0);
        QCOMPARE(refusalOf(joinPath(alias, QStringLiteral("a")), base), QString());
        QCOMPARE(refusalOf(joinPath(base, QStringLiteral("a")), alias), QString());
    }

    void refusesWhatDoesNotLieStrictlyInside()
    {
        QTemporaryDir root;
        const QString base = joinPath(root.path(), QStringLiteral("base"));
        const QString outside = joinPath(root.path(), QStringLiteral("outside"));
        QVERIFY(makeFolder(base));
        QVERIFY(makeFolder(outside));
        QVERIFY(makeFolder(joinPath(root.path(), QStringLiteral("base2"))));
        QCOMPARE(
            ::symlink(pathToBytes(outside).constData(), pathToBytes(joinPath(base, QStringLiteral("out"))).constData()),
            0);

        QCOMPARE(refusalOf(base, base), QStringLiteral("“%1”就是当前文件夹本身，不在其中。").arg(base));
        QVERIFY(refusalOf(joinPath(base, QStringLiteral(".")), base).contains(QStringLiteral("当前文件夹本身")));
        QCOMPARE(refusalOf(outside, base), QStringLiteral("“%1”不在“%2”之内，已拒绝。").arg(outside, base));
        QVERIFY(refusalOf(joinPath(base, QStringLiteral("../outside")), base).contains(QStringLiteral("不在")));
        // A sibling whose name merely starts the same is outside.
        QVERIFY(refusalOf(joinPath(root.path(), QStringLiteral("base2")), base).contains(QStringLiteral("不在")));
        QCOMPARE(refusalOf(joinPath(base, QStringLiteral("out")), base),
            QStringLiteral("“%1”经由符号链接指向“%2”，不在“%3”之内，已拒绝。")
                .arg(joinPath(base, QStringLiteral("out")), outside, base));
        QCOMPARE(refusalOf(joinPath(base, QStringLiteral("missing")), base),
            QStringLiteral("“%1”不存在。").arg(joinPath(base, QStringLiteral("missing"))));
        QVERIFY(refusalOf(QStringLiteral("relative/path"), base).startsWith(QStringLiteral("路径必须是绝对路径")));

        const QString loop = joinPath(base, QStringLiteral("loop"));
        QCOMPARE(::symlink("loop", pathToBytes(loop).constData()), 0);
        QVERIFY(refusalOf(loop, base).contains(QStringLiteral("符号链接层数过多")));
    }

    void lastGuardKnowsWhatMustNeverMove()
    {
        const QString home = QStringLiteral("/home/ada");
        const QStringList trashes = { QStringLiteral("/home/ada/.local/share/Trash") };
        auto refused = [&](const QString &path) { return PathSafety::removalRefusal(path, home, trashes).has_value(); };

        for (const char *path : { "/", "/home", "/home/ada", "/home/ada/.local", "/home/ada/.local/share/Trash",
                 "/home/ada/.local/share/Trash/files/x", "/usr", "/usr/lib/libc.so", "/etc/passwd", "/var/lib/dpkg",
                 "/tmp", "/mnt", "/media/usb/.Trash-1000", "/media/usb/.Trash/1000", "/run/user/1000/x",
                 "/System/Library", "/Library/Preferences", "/home/ada/./x", "/home/ada/a/../b", "relative" }) {
            QVERIFY2(refused(QString::fromUtf8(path)), path);
        }
        for (const char *path :
            { "/home/ada/Downloads/film.mkv", "/home/ada/.cache/thumbnails", "/tmp/x", "/var/tmp/build",
                "/media/usb/photos", "/mnt/data/old.iso", "/run/media/ada/usb/a", "/Applications/Editor.app",
                "/home/ada/Library/Caches/x", "/home/ada/.Trash-less-like-name", "/opt/tool" }) {
            QVERIFY2(!refused(QString::fromUtf8(path)), path);
        }
        // A home below a system folder (as on some immutable systems) is the user's own.
        QVERIFY(!PathSafety::removalRefusal(QStringLiteral("/var/home/ada/x"), QStringLiteral("/var/home/ada"), {}));
        QVERIFY(PathSafety::removalRefusal(QStringLiteral("/var/home"), QStringLiteral("/var/home/ada"), {}));
    }
};

QTEST_GUILESS_MAIN(PathSafetyTest)
#include "pathsafety_test.moc"
