#include "core/support/FileToolsTree.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

namespace TestTree {

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY2(fd >= 0, native.constData());
    qsizetype done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.constData() + done, size_t(content.size() - done));
        QVERIFY(n > 0);
        done += n;
    }
    ::close(fd);
}

QByteArray pattern(std::int64_t size, std::uint32_t seed)
{
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    std::uint32_t x = seed * 2654435761u + 1;
    for (qsizetype i = 0; i < out.size(); ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = char(x & 0xff);
    }
    return out;
}

void setAge(const QString &path, std::int64_t secondsAgo)
{
    const QByteArray native = QFile::encodeName(path);
    timespec times[2];
    times[0].tv_sec = std::time(nullptr) - secondsAgo;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    QVERIFY(::utimensat(AT_FDCWD, native.constData(), times, AT_SYMLINK_NOFOLLOW) == 0);
}

} // namespace TestTree
