// varnoll-scan KIND [options]: one scan of any kind on the real core, with the
// configuration the application builds. Reads only; moves nothing.
//
// Exit codes: 0 the scan finished (even with partial coverage), 1 it failed,
// 2 the command line was wrong (nothing scanned), 130 it was cancelled (Ctrl-C).

#include "app/Format.h"
#include "app/LocalPreferences.h"
#include "app/Page.h"
#include "app/StoreFiles.h"
#include "cli/CommandLine.h"
#include "core/Paths.h"
#include "core/Platform.h"
#include "core/Posix.h"
#include "core/ScanResultJson.h"
#include "core/Scanner.h"
#include "core/UserFolders.h"
#include "core/walk/Walker.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Morvane;
using namespace Varnoll::Cli;

namespace {

const QString tool = QStringLiteral("varnoll-scan");

CancellationToken *g_cancel = nullptr;

extern "C" void onInterrupt(int signal)
{
    // The first interrupt cancels through the scan's own path (one relaxed atomic
    // store: safe here); a second one ends the process the default way.
    if (g_cancel && !g_cancel->isCancelled()) {
        g_cancel->cancel();
        return;
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

QString kindSummary(ScanKind kind)
{
    switch (kind) {
    case ScanKind::junk:
        return QStringLiteral("旧缓存、旧日志与开发缓存");
    case ScanKind::applications:
        return QStringLiteral("第三方应用及其关联文件");
    case ScanKind::largeFiles:
        return QStringLiteral("--dir 中的大文件（默认不小于 100 MB）");
    case ScanKind::duplicates:
        return QStringLiteral("--dir 中内容相同的文件");
    case ScanKind::space:
        return QStringLiteral("--dir 中各项占用的空间（只读分析）");
    case ScanKind::installers:
        return QStringLiteral("--dir 中的旧安装包（默认 30 天前修改，不限大小）");
    case ScanKind::browser:
    case ScanKind::systemJunk:
        return QStringLiteral("不提供：结果总是空的");
    }
    return {};
}

QString helpText(std::optional<ScanKind> kind)
{
    QString text;
    if (kind)
        text += scanKindName(*kind) + QStringLiteral("：") + kindSummary(*kind) + QStringLiteral("\n\n");
    text += QStringLiteral("用法：varnoll-scan 类型 [选项]\n"
                           "      varnoll-scan --help | --version\n"
                           "扫描一种类型并打印结果：默认是给人看的表格，--json 给脚本用。只读，不移动任何文件。\n"
                           "\n"
                           "类型（也可用原始值 0–7）：\n");
    for (ScanKind k : allScanKinds)
        text += QStringLiteral("  ") + padEnd(scanKindName(k), 14) + kindSummary(k) + u'\n';
    static const std::pair<const char *, const char *> options[] = {
        { "--dir 路径",
            "文件类扫描与空间分析的文件夹（默认下载文件夹：user-dirs.dirs 中的 XDG_DOWNLOAD_DIR，否则 "
            "~/Downloads），须是可读的文件夹" },
        { "--home 路径", "主文件夹，绝对路径（默认当前用户的）" },
        { "--platform linux|macos", "规则集（默认当前系统）" },
        { "--applications 文件夹[,文件夹…]", "应用文件夹" },
        { "--running 标识[,标识…]", "正在运行的应用标识（代替实际的列表）" },
        { "--store 路径", "存放 preferences.json（忽略列表）的文件夹" },
        { "--min-mb N", "最小文件大小，单位 MB（1 MB = 1048576 字节）；大文件默认 100，安装包默认 0" },
        { "--older-than 天数", "只要修改于此天数之前的文件，0 为不限；安装包默认 30，其余默认 0" },
        { "--type 类型", "大文件的类型：all（默认）、documents、images、videos、audio、archives" },
        { "--entry-limit N", "最多列出的项目数（默认 5000，至少 1）" },
        { "--visit-limit N", "最多检查的项目数（默认 200000，至少 1）" },
        { "--time-limit 秒", "时间预算（默认 45，须大于 0）" },
        { "--json", "把结果打印为一个 JSON 对象（键见 man varnoll-scan）" },
        { "-h, --help", "显示本帮助；放在类型之后时先说明该类型" },
        { "--version", "显示版本" },
    };
    text += QStringLiteral("\n选项：\n");
    for (const auto &[option, meaning] : options) {
        const QString left = QStringLiteral("  ") + QString::fromUtf8(option);
        text += displayWidth(left) < 26 ? padEnd(left, 26) : left + QStringLiteral("\n") + QString(26, u' ');
        text += QString::fromUtf8(meaning) + u'\n';
    }
    text += QStringLiteral(
        "\n退出码：0 完成（部分扫描也算完成），1 扫描失败，2 用法错误（未扫描），130 已取消（Ctrl-C）");
    return text;
}

std::optional<ScanKind> parseKind(const QString &name)
{
    if (const auto kind = scanKindFromName(name))
        return kind;
    bool numeric = false;
    const int raw = name.toInt(&numeric);
    return numeric ? scanKindFromRaw(raw) : std::nullopt;
}

QStringList splitList(const QString &value)
{
    QStringList out;
    for (const QString &part : value.split(u',', Qt::SkipEmptyParts))
        out.append(part.trimmed());
    return out;
}

/// The folder named by --dir with its links resolved, as the window's folder choice
/// does; none, with `problem` set, when it is missing, not a folder or unreadable.
std::optional<QString> checkedFolder(const QString &given, QString &problem)
{
    const QString shown = displayPath(given);
    char *resolved = ::realpath(pathToBytes(given).constData(), nullptr);
    if (!resolved) {
        problem = errno == ENOENT
            ? QStringLiteral("--dir 的文件夹不存在：") + shown
            : QStringLiteral("--dir 无法使用（") + systemErrorText(errno) + QStringLiteral("）：") + shown;
        return std::nullopt;
    }
    const QString path = pathFromBytes(QByteArray(resolved));
    std::free(resolved);
    const UniqueFd folder(::open(pathToBytes(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st { };
    if (folder && ::fstat(folder.get(), &st) == 0 && !S_ISDIR(st.st_mode)) {
        problem = QStringLiteral("--dir 不是文件夹：") + shown;
        return std::nullopt;
    }
    // Listing needs read and search permission on the folder itself.
    const int error = !folder ? errno : ::faccessat(folder.get(), ".", R_OK | X_OK, 0) != 0 ? errno : 0;
    if (error != 0) {
        problem = QStringLiteral("--dir 的文件夹无法读取（") + systemErrorText(error) + QStringLiteral("）：") + shown;
        return std::nullopt;
    }
    return path;
}

void printTable(const ScanResult &result, const QString &home)
{
    // Columns are measured in terminal cells: a Chinese title takes two per character.
    QStringList sizes;
    int sizeWidth = 0;
    int categoryWidth = 0;
    for (const FileEntry &e : result.entries) {
        sizes.append(Varnoll::sizeText(e.bytes, e.sizeIsComplete));
        sizeWidth = std::max(sizeWidth, displayWidth(sizes.last()));
        categoryWidth = std::max(categoryWidth, displayWidth(categoryTitle(e.category)));
    }
    for (qsizetype i = 0; i < result.entries.size(); ++i) {
        const FileEntry &e = result.entries.at(i);
        QString line = padStart(sizes.at(i), sizeWidth) + QStringLiteral("  ")
            + padEnd(categoryTitle(e.category), categoryWidth) + QStringLiteral("  ")
            + tableCell(Varnoll::abbreviateHome(e.path, home));
        if (e.bundleID)
            line += QStringLiteral("  [") + tableCell(*e.bundleID) + u']';
        writeLine(stdout, line);
    }
    if (!result.entries.isEmpty())
        writeLine(stdout, QString());
    int titleWidth = 0;
    for (const ScanCoverage &c : result.coverage)
        titleWidth = std::max(titleWidth, displayWidth(categoryTitle(c.category)));
    for (const ScanCoverage &c : result.coverage)
        writeLine(stdout,
            padEnd(categoryTitle(c.category) + QStringLiteral("："), titleWidth + 2) + Varnoll::coverageWord(c.state)
                + QStringLiteral("（已检查 %1 项）").arg(c.examined));
    for (const QString &note : result.scopeNotes)
        writeLine(stdout, QStringLiteral("· ") + tableCell(note));
    for (const ScanDiagnostic &d : result.diagnostics)
        writeLine(stdout,
            QStringLiteral("! ") + tableCell(d.reason) + QStringLiteral("：")
                + tableCell(Varnoll::abbreviateHome(d.path, home)));
    writeLine(stdout,
        QStringLiteral("%1 项，共 %2，已检查 %3 项")
                .arg(result.entries.size())
                .arg(Varnoll::formatBytes(result.bytes()))
                .arg(result.examined)
            + (result.hasIncompleteCoverage() ? QStringLiteral("（部分范围）") : QString()));
}

// A hidden benchmark mode: walks --dir with the shared walker and prints the totals.
int walkOnly(const QString &dir, const CancellationToken &cancel)
{
    WalkOptions options;
    options.cancel = &cancel;
    std::int64_t bytes[16] = {};
    QElapsedTimer timer;
    timer.start();
    const WalkReport report = walk(
        dir,
        [&](const WalkEntry &e) {
            if (e.type == WalkEntryType::file)
                bytes[e.worker] += e.st->st_size;
            return Visit::descend;
        },
        options);
    std::int64_t total = 0;
    for (std::int64_t b : bytes)
        total += b;
    std::printf("entries=%lld bytes=%lld ms=%lld complete=%d\n", static_cast<long long>(report.visited),
        static_cast<long long>(total), static_cast<long long>(timer.elapsed()), report.isComplete() ? 1 : 0);
    if (report.stop == WalkStop::cancelled)
        return exitCancelled;
    return report.root == RootState::ok ? exitDone : exitFailed;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Arguments args(argc, argv);
    // --help and --version win over the rest of the line, whatever else stands there.
    if (args.hasOption({ QStringLiteral("--help"), QStringLiteral("-h") })) {
        std::optional<ScanKind> kind;
        while (!kind && !args.atEnd()) {
            const Arguments::Item item = args.next();
            if (!item.isOption)
                kind = parseKind(item.text);
        }
        return printHelp(helpText(kind));
    }
    if (args.hasOption({ QStringLiteral("--version") }))
        return printVersion(tool);

    std::optional<QString> kindName;
    ScanConfiguration configuration;
    configuration.home = userHomeDirectory();
    std::optional<QString> dir;
    std::optional<QStringList> applications;
    std::optional<QStringList> running;
    std::optional<QString> store;
    std::optional<std::int64_t> minimumMB;
    std::optional<std::int64_t> olderThanDays;
    FileQuery query;
    bool json = false;
    while (!args.atEnd()) {
        const Arguments::Item item = args.next();
        if (!item.isOption) {
            if (kindName)
                return usageError(tool, QStringLiteral("多余的参数：") + item.text);
            kindName = item.text;
            continue;
        }
        const QString &name = item.name;
        if (name == QLatin1String("--json")) {
            if (item.inlineValue)
                return usageError(tool, QStringLiteral("--json 不带值"));
            json = true;
            continue;
        }
        static const QStringList valued
            = { QStringLiteral("--dir"), QStringLiteral("--home"), QStringLiteral("--platform"),
                  QStringLiteral("--applications"), QStringLiteral("--running"), QStringLiteral("--store"),
                  QStringLiteral("--min-mb"), QStringLiteral("--older-than"), QStringLiteral("--type"),
                  QStringLiteral("--entry-limit"), QStringLiteral("--visit-limit"), QStringLiteral("--time-limit") };
        if (!valued.contains(name))
            return usageError(tool, QStringLiteral("未知的选项：") + item.text);
        const std::optional<QString> given = args.takeValue(item);
        if (!given)
            return usageError(tool, name + QStringLiteral(" 缺少值"));
        const QString &value = *given;
        if (name == QLatin1String("--dir"))
            dir = value;
        else if (name == QLatin1String("--home"))
            configuration.home = value;
        else if (name == QLatin1String("--platform")) {
            if (value == QLatin1String("linux"))
                configuration.platform = RulePlatform::Linux;
            else if (value == QLatin1String("macos"))
                configuration.platform = RulePlatform::MacOS;
            else
                return usageError(tool, QStringLiteral("--platform 只接受 linux 或 macos：") + value);
        } else if (name == QLatin1String("--applications"))
            applications = splitList(value);
        else if (name == QLatin1String("--running"))
            running = splitList(value);
        else if (name == QLatin1String("--store"))
            store = value;
        else if (name == QLatin1String("--min-mb")) {
            constexpr std::int64_t most = INT64_MAX / 1048576;
            minimumMB = wholeNumber(value, 0, most);
            if (!minimumMB)
                return usageError(tool, QStringLiteral("--min-mb 须是 0 到 %1 的整数：").arg(most) + value);
        } else if (name == QLatin1String("--older-than")) {
            olderThanDays = wholeNumber(value, 0, INT_MAX);
            if (!olderThanDays)
                return usageError(tool, QStringLiteral("--older-than 须是 0 或更大的整数天数：") + value);
        } else if (name == QLatin1String("--type")) {
            const auto type = fileTypeFilterFromName(value);
            if (!type)
                return usageError(
                    tool, QStringLiteral("--type 只接受 all、documents、images、videos、audio 或 archives：") + value);
            query.fileType = *type;
        } else if (name == QLatin1String("--entry-limit") || name == QLatin1String("--visit-limit")) {
            const auto limit = wholeNumber(value, 1, INT_MAX);
            if (!limit)
                return usageError(tool, name + QStringLiteral(" 须是大于 0 的整数：") + value);
            (name == QLatin1String("--entry-limit") ? configuration.entryLimit : configuration.visitLimit)
                = int(*limit);
        } else if (name == QLatin1String("--time-limit")) {
            bool ok = false;
            const double seconds = value.toDouble(&ok);
            if (!ok || !std::isfinite(seconds) || seconds <= 0)
                return usageError(tool, QStringLiteral("--time-limit 须是大于 0 的秒数：") + value);
            configuration.timeLimit = seconds;
        }
    }
    if (!kindName)
        return usageError(tool,
            QStringLiteral("缺少扫描类型（junk、applications、largeFiles、duplicates、space 或 "
                           "installers）"));
    const bool walkMode = *kindName == QLatin1String("walk"); // hidden: the walker benchmark
    ScanKind kind = ScanKind::junk;
    if (!walkMode) {
        const std::optional<ScanKind> parsed = parseKind(*kindName);
        if (!parsed)
            return usageError(tool, QStringLiteral("未知的扫描类型：") + *kindName);
        kind = *parsed;
    }
    if (!configuration.home.startsWith(u'/'))
        return usageError(tool, QStringLiteral("--home 须是绝对路径：") + configuration.home);
    if (dir) {
        QString problem;
        dir = checkedFolder(*dir, problem);
        if (!dir)
            return usageError(tool, problem);
    }
    if (!walkMode) {
        // The window's filters for the page of this kind, unless given.
        const auto page = Varnoll::pageFromId(scanKindName(kind));
        const std::int64_t mb = minimumMB.value_or(page ? Varnoll::defaultMinimumSizeMB(*page) : 0);
        query.minimumBytes = mb * 1048576;
        const std::int64_t days = olderThanDays.value_or(page ? Varnoll::defaultOlderThanDays(*page) : 0);
        if (days >= 1)
            query.olderThanDays = int(days);
    }

    configuration.home = lexicallyNormal(configuration.home);
    const QString home = configuration.home;
    configuration.applicationDirectories = applications.value_or(
        QStringList { QStringLiteral("/Applications"), joinPath(home, QStringLiteral("Applications")) });
    configuration.runningBundleIDs
        = running ? QSet<QString>(running->cbegin(), running->cend()) : runningApplicationIDs();
    configuration.baseDirectories = environmentBaseDirectories();
    const QString storeFolder = store.value_or(Varnoll::defaultStoreFolder(home, configuration.baseDirectories));
    // The shared store reader: a FIFO or a link to a device there is unreadable, never a hang.
    const Varnoll::StoreFileRead stored = Varnoll::readStoreFile(
        joinPath(storeFolder, QStringLiteral("preferences.json")), Varnoll::preferencesFileLimit);
    if (stored.state == Varnoll::StoreFileRead::State::read) {
        if (const auto preferences = Varnoll::LocalPreferences::fromJson(stored.data))
            configuration.ignoredPaths
                = QSet<QString>(preferences->ignoredPaths.cbegin(), preferences->ignoredPaths.cend());
    }
    configuration.now = QDateTime::currentDateTimeUtc();
    configuration.systemLibrary = QStringLiteral("/Library");
    const QString largeDirectory = dir.value_or(userDownloadFolder(home, configuration.baseDirectories));

    CancellationToken cancel;
    g_cancel = &cancel;
    struct sigaction action { };
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);

    if (walkMode)
        return walkOnly(largeDirectory, cancel);

    const bool live = ::isatty(STDERR_FILENO);
    const ProgressFn progress = [live](const QString &line, std::int64_t examined) {
        const QByteArray text = (line + QStringLiteral(" · 已检查 %1 项").arg(examined)).toUtf8();
        if (live)
            std::fprintf(stderr, "\r\033[K%s", text.constData());
        else
            std::fprintf(stderr, "%s\n", text.constData());
    };
    ScanResult result;
    try {
        result = Scanner(configuration).scan(kind, largeDirectory, query, progress, cancel);
    } catch (const CancellationError &) {
        std::fprintf(stderr, "%s扫描已取消\n", live ? "\r\033[K" : "");
        return exitCancelled;
    } catch (const CoreError &error) {
        std::fprintf(stderr, "%s扫描未完成：%s\n", live ? "\r\033[K" : "", qPrintable(error.description()));
        return exitFailed;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s扫描未完成：%s\n", live ? "\r\033[K" : "", error.what());
        return exitFailed;
    }
    if (live)
        std::fprintf(stderr, "\r\033[K");
    if (json) {
        writeCompactJson(
            result, [](QByteArrayView piece) { std::fwrite(piece.data(), 1, size_t(piece.size()), stdout); });
        std::fputc('\n', stdout);
    } else {
        printTable(result, home);
    }
    return exitDone;
}
