#include "core/ErrorText.h"

#include <cerrno>

namespace Morvane {

QString systemErrorText(int code)
{
    switch (code) {
    case EACCES:
    case EPERM:
        return QStringLiteral("没有权限");
    case ENOSPC:
        return QStringLiteral("磁盘空间已满");
    case EDQUOT:
        return QStringLiteral("超出磁盘配额");
    case EROFS:
        return QStringLiteral("只读文件系统");
    case ENOENT:
        return QStringLiteral("不存在");
    case ENOTDIR:
        return QStringLiteral("路径中有一项不是文件夹");
    case EISDIR:
        return QStringLiteral("同名的文件夹已存在");
    case EEXIST:
        return QStringLiteral("同名项目已存在");
    case EXDEV:
        return QStringLiteral("位于另一个文件系统");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("正在使用中");
    case ENAMETOOLONG:
        return QStringLiteral("名称或路径过长");
    case ELOOP:
        return QStringLiteral("是符号链接或链接层数过多");
    case EIO:
        return QStringLiteral("读写设备时出错");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("打开的文件过多");
    case ENOMEM:
        return QStringLiteral("内存不足");
    case EFBIG:
        return QStringLiteral("文件过大");
    case EINTR:
        return QStringLiteral("操作被中断");
    case EAGAIN:
        return QStringLiteral("暂时无法完成");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("设备不可用");
    case EINVAL:
        return QStringLiteral("参数无效");
    default:
        return QStringLiteral("系统错误 %1").arg(code);
    }
}

} // namespace Morvane
