// varnoll-trash PATH…: moves the named items to the Trash through the clean-up
// service (each judged where it really is: last guard, working folder, symbolic-link
// and permission checks; there is no scan to compare against), prints where each went,
// and exits 1 when any item stayed, 2 on a usage error (nothing moved).
// varnoll-trash --restore ORIGINAL…: puts back the most recently trashed item of each
// original path through the restore service; --list prints what the trashes hold.
#include "cli/CommandLine.h"
#include "core/CleanupService.h"
#include "core/Paths.h"
#include "core/RestoreService.h"
#include "core/Vocabulary.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>

#include <unistd.h>

namespace {

using Varnoll::Cli::writeLine;

const QString kTool = QStringLiteral("varnoll-trash");

const QString kHelp
    = QStringLiteral("用法：varnoll-trash [--] 路径…\n"
                     "      varnoll-trash --restore [--parents] [--] 原位置…\n"
                     "      varnoll-trash --list\n"
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
                     "--restore：把原位置为所给路径的项目从废纸篓放回原处（个人废纸篓或该路径所在磁盘的废纸篓，"
                     "同一路径有多项时放回最近移入的一项；其他程序移入的项目也可以）。原处已有同名项目时不放回，"
                     "不会覆盖或合并；原来的文件夹已不存在时不放回，加 --parents 则在个人文件夹内重建缺少的文件夹。\n"
                     "--list：列出废纸篓中的项目，每行一项：移入时间、大小（字节，只统计到一部分时后跟 +）、原位置，"
                     "以制表符分隔；原位置中的反斜杠和控制字符写成 \\\\、\\n、\\t、\\xHH。\n"
                     "退出码：0 全部完成，1 有项目未移动或未放回，2 用法错误（什么都没有做）");

// One item per line for scripts: the path's bytes as they are, except the backslash
// and control characters, which are escaped so that a line is always one item.
QByteArray escapedPath(const QString &path)
{
    QByteArray out;
    for (const char c : Morvane::pathToBytes(path)) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (u < 0x20 || u == 0x7F)
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out;
}

std::optional<QByteArray> workingFolder()
{
    QByteArray buffer(4096, '\0');
    while (::getcwd(buffer.data(), size_t(buffer.size())) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1 << 20))
            return std::nullopt;
        buffer.resize(buffer.size() * 2);
    }
    return QByteArray(buffer.constData());
}

int listTrash()
{
    const Morvane::RestoreService service;
    QList<Morvane::TrashEntry> entries;
    for (const Morvane::TrashLocation &trash : service.trashes())
        entries += Morvane::listTrash(trash, true);
    std::sort(entries.begin(), entries.end(), [](const Morvane::TrashEntry &a, const Morvane::TrashEntry &b) {
        if (a.deletionDate != b.deletionDate)
            return a.deletionDate < b.deletionDate;
        return a.originalPath < b.originalPath;
    });
    for (const Morvane::TrashEntry &entry : entries) {
        QByteArray line = entry.deletionDate.isValid()
            ? entry.deletionDate.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1()
            : QByteArrayLiteral("-");
        line += '\t' + QByteArray::number(qint64(entry.bytes)) + (entry.sizeIsComplete ? "" : "+") + '\t';
        line += escapedPath(entry.originalPath) + '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    }
    return Varnoll::Cli::exitDone;
}

int restore(const QStringList &given, bool parents)
{
    Morvane::RestoreOptions options;
    options.recreateFolders = parents;
    const std::optional<QByteArray> cwd = workingFolder();
    // Absolute paths first, then one call for all of them (each trash is listed once);
    // the lines keep the order of the arguments.
    QStringList originals;
    for (const QString &path : given) {
        if (path.startsWith(u'/'))
            originals.append(Morvane::lexicallyNormal(path));
        else if (cwd)
            originals.append(Morvane::lexicallyNormal(Morvane::joinPath(Morvane::pathFromBytes(*cwd), path)));
    }
    const QList<Morvane::RestoreOutcome> outcomes = Morvane::RestoreService().restoreOriginals(originals, options);
    bool allBack = true;
    qsizetype next = 0;
    for (const QString &path : given) {
        if (!path.startsWith(u'/') && !cwd) {
            allBack = false;
            writeLine(stderr, path + QStringLiteral(": 当前工作文件夹已不存在，无法确定相对路径所指的位置，未放回。"));
            continue;
        }
        const Morvane::RestoreOutcome &outcome = outcomes.at(next);
        const QString &original = originals.at(next++);
        if (outcome.restored) {
            writeLine(stdout, outcome.originalPath + QStringLiteral(" <- ") + outcome.trashedPath);
        } else {
            allBack = false;
            writeLine(stderr, original + QStringLiteral(": ") + outcome.message);
        }
    }
    return allBack ? Varnoll::Cli::exitDone : Varnoll::Cli::exitFailed;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    Varnoll::Cli::Arguments arguments(argc, argv);
    if (arguments.hasOption({ QStringLiteral("--help"), QStringLiteral("-h") }))
        return Varnoll::Cli::printHelp(Morvane::trashWorded(kHelp));
    if (arguments.hasOption({ QStringLiteral("--version") }))
        return Varnoll::Cli::printVersion(kTool);
    enum class Mode { trash, restore, list };
    Mode mode = Mode::trash;
    bool parents = false;
    QStringList paths;
    int position = 0;
    while (!arguments.atEnd()) {
        const Varnoll::Cli::Arguments::Item item = arguments.next();
        ++position;
        if (item.isOption) {
            const bool restoreOption = item.text == QLatin1String("--restore");
            const bool listOption = item.text == QLatin1String("--list");
            if (item.text == QLatin1String("--parents")) {
                parents = true;
            } else if (restoreOption || listOption) {
                const Mode wanted = restoreOption ? Mode::restore : Mode::list;
                if (mode != Mode::trash && mode != wanted)
                    return Varnoll::Cli::usageError(kTool, QStringLiteral("--restore 和 --list 不能同时使用"));
                mode = wanted;
            } else {
                return Varnoll::Cli::usageError(kTool, QStringLiteral("未知的选项：") + item.text);
            }
            continue;
        }
        if (item.text.isEmpty()) {
            // An unset variable in a script ("$FILE") must never mean the working folder.
            return Varnoll::Cli::usageError(kTool,
                QStringLiteral("路径不能为空（第 %1 个参数），什么都没有%2")
                    .arg(position)
                    .arg(mode == Mode::restore ? QStringLiteral("放回") : QStringLiteral("移动")));
        }
        paths.append(item.text); // exact bytes, whatever the encoding
    }
    if (parents && mode != Mode::restore)
        return Varnoll::Cli::usageError(kTool, QStringLiteral("--parents 只能与 --restore 一起使用"));
    switch (mode) {
    case Mode::list:
        if (!paths.isEmpty())
            return Varnoll::Cli::usageError(kTool, QStringLiteral("--list 不接受路径"));
        return listTrash();
    case Mode::restore:
        if (paths.isEmpty())
            return Varnoll::Cli::usageError(kTool, QStringLiteral("缺少要放回的原位置"));
        return restore(paths, parents);
    case Mode::trash:
        break;
    }
    if (paths.isEmpty())
        return Varnoll::Cli::usageError(kTool, Morvane::trashWorded(QStringLiteral("缺少要移到废纸篓的路径")));
    const Morvane::CleanupRecord record = Morvane::CleanupService().cleanPaths(paths);
    bool allMoved = true;
    for (const Morvane::CleanupItemResult &item : record.items) {
        if (item.moved) {
            writeLine(stdout, item.path + QStringLiteral(" -> ") + item.trashPath);
        } else {
            allMoved = false;
            writeLine(stderr, item.path + QStringLiteral(": ") + item.message);
        }
    }
    return allMoved ? Varnoll::Cli::exitDone : Varnoll::Cli::exitFailed;
}
