#include "core/PathSafety.h"

#include "core/Errors.h"
#include "core/Paths.h"

#include <QStringList>

#include <sys/stat.h>

namespace Morvane {

void PathSafety::validate(const QString &path, const QString &inside)
{
    if (!path.startsWith(u'/') || !inside.startsWith(u'/'))
        throw PathSafetyError(QStringLiteral("路径必须是绝对路径：%1").arg(displayPath(path)));
    const QString target = lexicallyNormal(path);
    const QString folder = lexicallyNormal(inside);
    if (target == folder)
        throw PathSafetyError(QStringLiteral("“%1”就是当前文件夹本身，不在其中。").arg(displayPath(target)));
    if (!isSameOrInside(target, folder))
        throw PathSafetyError(
            QStringLiteral("“%1”不在“%2”之内，已拒绝。").arg(displayPath(target), displayPath(folder)));

    // Every component from the folder down to the target must be a real folder or,
    // for the last one, a real item: a symbolic link could lead anywhere.
    const QString rest = target.mid(folder == QLatin1String("/") ? 1 : folder.size() + 1);
    QString current = folder;
    const QStringList parts = rest.split(u'/', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        current = joinPath(current, parts.at(i));
        struct stat st {};
        if (::lstat(pathToBytes(current).constData(), &st) != 0) {
            if (errno == ENOENT)
                throw PathSafetyError(QStringLiteral("“%1”不存在。").arg(displayPath(current)));
            throw PathSafetyError(QStringLiteral("无法检查“%1”：%2")
                                      .arg(displayPath(current), QString::fromLocal8Bit(strerror(errno))));
        }
        if (S_ISLNK(st.st_mode))
            throw PathSafetyError(QStringLiteral("“%1”是符号链接，已拒绝。").arg(displayPath(current)));
        if (i + 1 < parts.size() && !S_ISDIR(st.st_mode))
            throw PathSafetyError(QStringLiteral("“%1”不是文件夹。").arg(displayPath(current)));
    }
}

} // namespace Morvane
