#include "core/Errors.h"

#include <cerrno>

namespace Morvane {

QString systemErrorText(int code)
{
    switch (code) {
    case ENOENT:
        return QStringLiteral("不存在");
    case ENOTDIR:
        return QStringLiteral("不是文件夹");
    case EISDIR:
        return QStringLiteral("是一个文件夹");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有权限");
    case ELOOP:
        return QStringLiteral("符号链接层数过多");
    case ENAMETOOLONG:
        return QStringLiteral("名称过长");
    case EEXIST:
        return QStringLiteral("已存在");
    case ENOTEMPTY:
        return QStringLiteral("文件夹不是空的");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("正在使用中");
    case EROFS:
        return QStringLiteral("只读文件系统");
    case EXDEV:
        return QStringLiteral("位于另一个文件系统");
    case ENOSPC:
        return QStringLiteral("磁盘已满");
    case EDQUOT:
        return QStringLiteral("超出磁盘配额");
    case EIO:
        return QStringLiteral("读写错误");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("打开的文件过多");
    case ENOMEM:
        return QStringLiteral("内存不足");
    case EINVAL:
        return QStringLiteral("无效的参数");
    case EFBIG:
        return QStringLiteral("文件过大");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("设备不可用");
    case EINTR:
        return QStringLiteral("操作被中断");
    case EAGAIN:
        return QStringLiteral("暂时无法完成");
    default:
        return QStringLiteral("系统错误 %1").arg(code);
    }
}

} // namespace Morvane
