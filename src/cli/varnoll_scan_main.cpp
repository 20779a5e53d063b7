// varnoll-scan KIND [options]: one scan of any kind on the real core, with the
// configuration the application builds.
//
// Exit codes: 0 the scan finished (even with partial coverage), 1 it failed,
// 2 the command line was wrong, 130 it was cancelled (Ctrl-C).

#include "app/LocalPreferences.h"
#include "app/StoreFiles.h"
#include "core/Paths.h"
#include "core/Platform.h"
#include "core/ScanResultJson.h"
#include "core/Scanner.h"
#include "core/walk/Walker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace Morvane;

namespace {

constexpr int exitDone = 0;
constexpr int exitFailed = 1;
constexpr int exitUsage = 2;
constexpr int exitCancelled = 130;

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

const char usageText[]
    = "usage: varnoll-scan KIND [options]\n"
      "  KIND: junk applications largeFiles duplicates space installers browser systemJunk (or 0-7)\n"
      "  --dir PATH             folder for the file kinds (default ~/Downloads)\n"
      "  --home PATH            home folder (default the user's)\n"
      "  --platform linux|macos rule set (default the running platform)\n"
      "  --applications DIR[,DIR...]  application folders\n"
      "  --running ID[,ID...]   identifiers of running applications (replaces the live list)\n"
      "  --store PATH           folder holding preferences.json (ignore list)\n"
      "  --min-mb N             minimum size in MB for file kinds\n"
      "  --older-than DAYS      age filter for file kinds\n"
      "  --type all|documents|images|videos|audio|archives\n"
      "  --entry-limit N        most results (default 5000)\n"
      "  --visit-limit N        most items examined (default 200000)\n"
      "  --time-limit SECONDS   time budget (default 45)\n"
      "  --json                 print the result as one JSON object\n"
      "exit codes: 0 done, 1 failed, 2 usage, 130 cancelled\n";

int usage(const QString &problem)
{
    if (!problem.isEmpty())
        std::fprintf(stderr, "varnoll-scan: %s\n", qPrintable(problem));
    std::fputs(usageText, stderr);
    return exitUsage;
}

QStringList splitList(const QString &value)
{
    QStringList out;
    for (const QString &part : value.split(u',', Qt::SkipEmptyParts))
        out.append(part.trimmed());
    return out;
}

QString shownSize(const FileEntry &e)
{
    const QString size = QLocale::c().formattedDataSize(e.bytes, 1, QLocale::DataSizeSIFormat);
    if (e.sizeIsComplete)
        return size;
    return e.bytes > 0 ? QStringLiteral("≥ ") + size : QStringLiteral("待统计");
}

QString coverageWord(std::uint8_t state)
{
    switch (state) {
    case 0:
        return QStringLiteral("已完成");
    case 1:
        return QStringLiteral("部分扫描");
    case 2:
        return QStringLiteral("未扫描");
    case 3:
        return QStringLiteral("已跳过");
    case 4:
        return QStringLiteral("无法读取");
    default:
        return QStringLiteral("目录不存在");
    }
}

void printTable(const ScanResult &result, const QString &home)
{
    QTextStream out(stdout);
    for (const FileEntry &e : result.entries) {
        QString path = displayPath(e.path);
        if (path.startsWith(home + u'/'))
            path = u'~' + path.mid(home.size());
        out << shownSize(e).rightJustified(12) << "  " << qSetFieldWidth(16) << Qt::left << categoryTitle(e.category)
            << qSetFieldWidth(0) << path;
        if (e.bundleID)
            out << "  [" << *e.bundleID << "]";
        out << "\n";
    }
    out << "\n";
    for (const ScanCoverage &c : result.coverage)
        out << categoryTitle(c.category) << ": " << coverageWord(c.state) << " (" << c.examined << ")\n";
    for (const QString &note : result.scopeNotes)
        out << "· " << note << "\n";
    for (const ScanDiagnostic &d : result.diagnostics)
        out << "! " << d.reason << "  " << displayPath(d.path) << "\n";
    out << result.entries.size() << " 项，共 "
        << QLocale::c().formattedDataSize(result.bytes(), 1, QLocale::DataSizeSIFormat) << "，已检查 "
        << result.examined << " 项" << (result.hasIncompleteCoverage() ? "（部分范围）" : "") << "\n";
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
    // Arguments are raw bytes: keep undecodable ones exact (paths).
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(pathFromBytes(QByteArray(argv[i])));
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h"))
        return usage({});

    QString kindName = args.first();
    ScanConfiguration configuration;
    configuration.home = userHomeDirectory();
    std::optional<QString> dir;
    std::optional<QStringList> applications;
    std::optional<QStringList> running;
    std::optional<QString> store;
    FileQuery query;
    bool json = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--json")) {
            json = true;
            continue;
        }
        if (!arg.startsWith(QLatin1String("--")) || i + 1 >= args.size())
            return usage(QStringLiteral("unknown or incomplete option: ") + arg);
        const QString value = args[++i];
        bool ok = true;
        if (arg == QLatin1String("--dir"))
            dir = value;
        else if (arg == QLatin1String("--home"))
            configuration.home = value;
        else if (arg == QLatin1String("--platform")) {
            if (value == QLatin1String("linux"))
                configuration.platform = RulePlatform::Linux;
            else if (value == QLatin1String("macos"))
                configuration.platform = RulePlatform::MacOS;
            else
                return usage(QStringLiteral("--platform takes linux or macos"));
        } else if (arg == QLatin1String("--applications"))
            applications = splitList(value);
        else if (arg == QLatin1String("--running"))
            running = splitList(value);
        else if (arg == QLatin1String("--store"))
            store = value;
        else if (arg == QLatin1String("--min-mb")) {
            const qint64 mb = value.toLongLong(&ok);
            if (ok)
                query.minimumBytes = mb <= 0 ? 0 : std::min<qint64>(mb, INT64_MAX / 1048576) * 1048576;
        } else if (arg == QLatin1String("--older-than")) {
            const int days = value.toInt(&ok);
            if (ok && days >= 1)
                query.olderThanDays = days;
        } else if (arg == QLatin1String("--type")) {
            const auto type = fileTypeFilterFromName(value);
            if (!type)
                return usage(QStringLiteral("--type takes all, documents, images, videos, audio or archives"));
            query.fileType = *type;
        } else if (arg == QLatin1String("--entry-limit"))
            configuration.entryLimit = value.toInt(&ok);
        else if (arg == QLatin1String("--visit-limit"))
            configuration.visitLimit = value.toInt(&ok);
        else if (arg == QLatin1String("--time-limit"))
            configuration.timeLimit = value.toDouble(&ok);
        else
            return usage(QStringLiteral("unknown option: ") + arg);
        if (!ok)
            return usage(QStringLiteral("not a number: ") + value);
    }
    if (!configuration.home.startsWith(u'/'))
        return usage(QStringLiteral("--home takes an absolute path"));
    configuration.home = lexicallyNormal(configuration.home);
    const QString home = configuration.home;
    configuration.applicationDirectories = applications.value_or(
        QStringList { QStringLiteral("/Applications"), joinPath(home, QStringLiteral("Applications")) });
    configuration.runningBundleIDs
        = running ? QSet<QString>(running->cbegin(), running->cend()) : runningApplicationIDs();
    const QString storeFolder = store.value_or(Varnoll::defaultStoreFolder(home));
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
    const QString largeDirectory = dir.value_or(joinPath(home, QStringLiteral("Downloads")));

    CancellationToken cancel;
    g_cancel = &cancel;
    struct sigaction action { };
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);

    if (kindName == QLatin1String("walk"))
        return walkOnly(largeDirectory, cancel);

    std::optional<ScanKind> kind = scanKindFromName(kindName);
    if (!kind) {
        bool numeric = false;
        const int raw = kindName.toInt(&numeric);
        if (numeric)
            kind = scanKindFromRaw(raw);
    }
    if (!kind)
        return usage(QStringLiteral("unknown scan kind: ") + kindName);

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
        result = Scanner(configuration).scan(*kind, largeDirectory, query, progress, cancel);
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
