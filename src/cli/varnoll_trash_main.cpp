// varnoll-trash PATH…: moves the named items to the Trash through the clean-up
// service (each judged where it really is: last guard, working folder, symbolic-link
// and permission checks; there is no scan to compare against), prints where each went,
// and exits 1 when any item stayed, 2 on a usage error (nothing moved).
#include "cli/CommandLine.h"
#include "core/CleanupService.h"
#include "core/Paths.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = Morvane::pathToBytes(text); // paths go out byte for byte
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fputc('\n', stream);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QString tool = QStringLiteral("varnoll-trash");
    const Varnoll::Cli::Arguments arguments(argc, argv);
    if (arguments.hasOption({ QStringLiteral("--help"), QStringLiteral("-h") }))
        return Varnoll::Cli::printHelp(
            QStringLiteral("用法：varnoll-trash [--] 路径…\n"
                           "      varnoll-trash --help | --version\n"
                           "把指定的项目移到废纸篓（不会删除），并显示每项的去处。以 - 开头的路径写在 -- 之后。\n"
                           "每个路径按它实际所在的位置判断：上层文件夹中的符号链接和“..”按系统打开时的方式解析，"
                           "项目本身若是符号链接则不移动。\n"
                           "以下项目会被拒绝，原处不动：\n"
                           "  空路径（用法错误，什么都不移动）\n"
                           "  当前工作文件夹本身及包含它的文件夹（如“.”）\n"
                           "  当前工作文件夹已被删除时的相对路径\n"
                           "  根目录、个人文件夹及包含它的文件夹、系统文件夹及其中的项目\n"
                           "  废纸篓、废纸篓中的项目和包含废纸篓的文件夹\n"
                           "  符号链接、不存在的项目和没有权限移动的项目\n"
                           "  个人文件夹所在磁盘上的项目在个人废纸篓不可用时保留原处，不会移到磁盘顶层的废纸篓\n"
                           "退出码：0 全部已移动，1 有项目未移动，2 用法错误（未移动任何项目）"));
    if (arguments.hasOption({ QStringLiteral("--version") }))
        return Varnoll::Cli::printVersion(tool);
    QStringList paths;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (options && argument == "--") {
            options = false;
            continue;
        }
        if (options && argument.startsWith('-') && argument != "-")
            return Varnoll::Cli::usageError(tool, QStringLiteral("未知的选项：") + Morvane::pathFromBytes(argument));
        if (argument.isEmpty()) {
            // An unset variable in a script ("$FILE") must never mean the working folder.
            return Varnoll::Cli::usageError(
                tool, QStringLiteral("路径不能为空（第 %1 个参数），什么都没有移动").arg(i));
        }
        paths.append(Morvane::pathFromBytes(argument)); // exact bytes, whatever the encoding
    }
    if (paths.isEmpty())
        return Varnoll::Cli::usageError(tool, QStringLiteral("缺少要移到废纸篓的路径"));
    const Morvane::CleanupRecord record = Morvane::CleanupService().cleanPaths(paths);
    bool allMoved = true;
    for (const Morvane::CleanupItemResult &item : record.items) {
        if (item.moved) {
            print(stdout, item.path + QStringLiteral(" -> ") + item.trashPath);
        } else {
            allMoved = false;
            print(stderr, item.path + QStringLiteral(": ") + item.message);
        }
    }
    return allMoved ? 0 : 1;
}
