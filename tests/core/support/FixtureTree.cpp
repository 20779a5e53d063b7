#include "FixtureTree.h"

#include "core/Paths.h"

#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Fixture {

using Morvane::pathToBytes;

void makeFolder(const QString &path)
{
    const QByteArray bytes = pathToBytes(path);
    for (qsizetype i = 1; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes.at(i) == '/') {
            const QByteArray prefix = bytes.left(i);
            if (::mkdir(prefix.constData(), 0755) != 0 && errno != EEXIST)
                QFAIL(qPrintable(QStringLiteral("mkdir failed: ") + path));
        }
    }
}

void makeFile(const QString &path, std::int64_t bytes)
{
    makeFolder(Morvane::parentPath(path));
    const int fd = ::open(pathToBytes(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY2(fd >= 0, qPrintable(path));
    QVERIFY(::ftruncate(fd, bytes) == 0);
    ::close(fd);
}

void makeTextFile(const QString &path, const QByteArray &contents)
{
    makeFolder(Morvane::parentPath(path));
    const int fd = ::open(pathToBytes(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY2(fd >= 0, qPrintable(path));
    QCOMPARE(::write(fd, contents.constData(), size_t(contents.size())), ssize_t(contents.size()));
    ::close(fd);
}

void makeSymlink(const QString &target, const QString &linkPath)
{
    makeFolder(Morvane::parentPath(linkPath));
    QVERIFY2(::symlink(pathToBytes(target).constData(), pathToBytes(linkPath).constData()) == 0,
             qPrintable(linkPath));
}

void setModified(const QString &path, const QDateTime &when)
{
    const std::int64_t ms = when.toMSecsSinceEpoch();
    struct timespec times[2];
    times[0].tv_sec = time_t(ms / 1000);
    times[0].tv_nsec = long((ms % 1000) * 1000000);
    times[1] = times[0];
    QVERIFY2(::utimensat(AT_FDCWD, pathToBytes(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0,
             qPrintable(path));
}

void setModifiedTree(const QString &path, const QDateTime &when)
{
    struct stat st {};
    if (::lstat(pathToBytes(path).constData(), &st) != 0)
        return;
    if (S_ISDIR(st.st_mode)) {
        DIR *dir = ::opendir(pathToBytes(path).constData());
        QVERIFY(dir);
        while (const dirent *e = ::readdir(dir)) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
                continue;
            setModifiedTree(Morvane::joinPath(path, Morvane::pathFromBytes(e->d_name)), when);
        }
        ::closedir(dir);
    }
    setModified(path, when);
}

} // namespace Fixture
