// varnoll-trash PATH…: moves the named items to the Trash through the clean-up
// service (last guard, symbolic-link and permission checks; there is no scan to
// compare against), prints where each went, and exits 1 when any item stayed.
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
                           "把指定的项目移到废纸篓（不会删除），并显示每项的去处。"
                           "以 - 开头的路径写在 -- 之后。\n"
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
