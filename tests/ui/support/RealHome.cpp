#include "RealHome.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <ctime>

namespace VarnollTest {

namespace {

// A launcher's own icon that the window can draw: a small green square.
QByteArray greenSquarePng()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(QColor(0x1f, 0x4a, 0x38));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

QByteArray pattern(std::int64_t size, std::uint32_t seed)
{
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    std::uint32_t x = seed * 2654435761u + 1;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = char(x);
    }
    return bytes;
}

} // namespace

namespace {

class HeldScan : public Varnoll::ScanRunner {
public:
    HeldScan(std::unique_ptr<Varnoll::ScanRunner> real, std::shared_ptr<Gate> gate)
        : m_real(std::move(real))
        , m_gate(std::move(gate))
    {
    }

    Morvane::ScanResult scan(Morvane::ScanKind kind, const QString &largeDirectory, const Morvane::FileQuery &query,
        const Morvane::ProgressFn &progress, const Morvane::CancellationToken &cancel) override
    {
        bool held = false;
        return m_real->scan(
            kind, largeDirectory, query,
            [&](const QString &message, std::int64_t examined) {
                if (!held) {
                    held = true;
                    progress(message, examined);
                    m_gate->wait();
                    return;
                }
                progress(message, examined);
            },
            cancel);
    }

private:
    std::unique_ptr<Varnoll::ScanRunner> m_real;
    std::shared_ptr<Gate> m_gate;
};

} // namespace

std::unique_ptr<Varnoll::ScanRunner> RecordingServices::makeScanner(const Morvane::ScanConfiguration &configuration)
{
    auto real = DesktopCoreServices::makeScanner(configuration);
    if (!holdScans)
        return real;
    return std::make_unique<HeldScan>(std::move(real), holdScans);
}

RealHome::RealHome()
{
    m_ok = m_root.isValid();
    if (!m_ok) {
        m_error = QStringLiteral("no temporary folder");
        return;
    }
    m_home = m_root.filePath(QStringLiteral("home"));
    build();
}

RealHome::~RealHome()
{
    // Give back what lockFolder took, so the temporary folder can be removed.
    for (const QString &folder : std::as_const(m_locked))
        ::chmod(QFile::encodeName(folder).constData(), 0755);
    for (const auto &[name, value] : std::as_const(m_savedEnvironment)) {
        if (value.isNull())
            qunsetenv(name.constData());
        else
            qputenv(name.constData(), value);
    }
}

void RealHome::activate()
{
    const QList<QPair<QByteArray, QString>> values {
        { "HOME", m_home },
        { "XDG_DATA_HOME", path(QStringLiteral(".local/share")) },
        { "XDG_CONFIG_HOME", path(QStringLiteral(".config")) },
        { "XDG_CACHE_HOME", m_root.filePath(QStringLiteral("xdg-cache")) }, // fontconfig's, kept out of the scans
        { "XDG_STATE_HOME", path(QStringLiteral(".local/state")) },
    };
    const bool first = m_savedEnvironment.isEmpty(); // what was there before any activate()
    for (const auto &[name, value] : values) {
        if (first)
            m_savedEnvironment.append(
                { name, qEnvironmentVariableIsSet(name.constData()) ? qgetenv(name.constData()) : QByteArray() });
        qputenv(name.constData(), QFile::encodeName(value));
    }
}

bool RealHome::lockFolder(const QString &relative)
{
    const QString folder = path(relative);
    QDir().mkpath(folder);
    if (::chmod(QFile::encodeName(folder).constData(), 0) != 0)
        return false;
    m_locked.append(folder);
    return ::access(QFile::encodeName(folder).constData(), R_OK | X_OK) != 0;
}

void RealHome::file(const QString &relative, std::int64_t bytes, int daysOld, std::uint32_t seed)
{
    text(relative, pattern(bytes, seed ? seed : std::uint32_t(qHash(relative))), daysOld);
}

void RealHome::sparse(const QString &relative, std::int64_t bytes, int daysOld)
{
    const QString target = path(relative);
    QDir().mkpath(QFileInfo(target).path());
    const int fd = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    // One real byte at the start, so the content differs from any other sparse file.
    const char head = char(bytes % 251);
    if (fd < 0 || ::write(fd, &head, 1) != 1 || ::ftruncate(fd, off_t(bytes)) != 0) {
        m_ok = false;
        m_error = QStringLiteral("cannot write %1").arg(target);
    }
    if (fd >= 0)
        ::close(fd);
    age(relative, daysOld);
}

void RealHome::text(const QString &relative, const QByteArray &contents, int daysOld, bool executable)
{
    const QString target = path(relative);
    QDir().mkpath(QFileInfo(target).path());
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(contents) != contents.size()) {
        m_ok = false;
        m_error = QStringLiteral("cannot write %1").arg(target);
        return;
    }
    out.close();
    if (executable)
        out.setPermissions(out.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    age(relative, daysOld);
}

void RealHome::age(const QString &relative, int daysOld)
{
    if (daysOld <= 0)
        return;
    const time_t when = time(nullptr) - time_t(daysOld) * 86400 - 3600;
    const utimbuf times { when, when };
    if (::utime(QFile::encodeName(path(relative)).constData(), &times) != 0) {
        m_ok = false;
        m_error = QStringLiteral("cannot age %1").arg(relative);
    }
}

void RealHome::build()
{
    // Junk on both rule sets: caches and logs untouched for weeks.
    for (const QString &cache :
        { QStringLiteral(".cache/thumbnails-2025"), QStringLiteral("Library/Caches/org.example.Viewer") }) {
        file(cache + QStringLiteral("/a.png"), 40'000, 40);
        file(cache + QStringLiteral("/b.png"), 60'000, 40);
        age(cache, 40);
    }
    file(QStringLiteral(".cache/fontconfig-2024/x.cache-9"), 30'000, 20);
    age(QStringLiteral(".cache/fontconfig-2024"), 20);
    file(QStringLiteral(".cache/pip/http/1/blob"), 1'500'000, 12);
    age(QStringLiteral(".cache/pip/http/1"), 12);
    age(QStringLiteral(".cache/pip/http"), 12);
    file(QStringLiteral(".npm/_cacache/content-v2/blob"), 2'000'000, 10);
    age(QStringLiteral(".npm/_cacache/content-v2"), 10);
    file(QStringLiteral(".local/state/editor/log/session.log"), 120'000, 45);
    age(QStringLiteral(".local/state/editor/log"), 45);
    file(QStringLiteral("Library/Logs/Viewer/viewer.log"), 120'000, 45);
    age(QStringLiteral("Library/Logs/Viewer"), 45);
    file(QStringLiteral(".cache/fresh/today"), 10'000, 0); // too new to list

    // Applications the user installed, with their leftovers.
    text(QStringLiteral("Applications/Sketchpad-2.1.AppImage"), pattern(3'000'000, 7), 60, true);
    text(QStringLiteral(".local/opt/notebook/notebook"), "#!/bin/sh\n", 30, true);
    file(QStringLiteral(".local/opt/notebook/lib/core.bin"), 800'000, 30);
    text(QStringLiteral(".local/opt/notebook/notebook.png"), greenSquarePng(), 30);
    text(QStringLiteral(".local/share/applications/org.example.Notebook.desktop"),
        QStringLiteral("[Desktop Entry]\nType=Application\nName=Notebook\nExec=\"%1/.local/opt/notebook/notebook\" %U\n"
                       "Icon=%1/.local/opt/notebook/notebook.png\n")
            .arg(m_home)
            .toUtf8());
    file(QStringLiteral(".config/org.example.Notebook/settings.json"), 4'000, 30);
    file(QStringLiteral(".var/app/org.example.Notebook/data/notes.db"), 250'000, 30);
    file(QStringLiteral(".config/Sketchpad-2.1/brushes"), 12'000, 30);
    text(QStringLiteral("Applications/Sketch.app/Contents/Info.plist"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
        "<key>CFBundleIdentifier</key><string>org.example.Sketch</string>"
        "<key>CFBundleName</key><string>Sketch</string>"
        "<key>CFBundleExecutable</key><string>Sketch</string></dict></plist>\n",
        30);
    text(QStringLiteral("Applications/Sketch.app/Contents/MacOS/Sketch"), "#!/bin/sh\n", 30, true);
    file(QStringLiteral("Library/Application Support/org.example.Sketch/state"), 9'000, 30);

    // Downloads: what the file pages and the space page look at.
    sparse(QStringLiteral("Downloads/movies/holiday.mkv"), movieBytes, 100);
    sparse(QStringLiteral("Downloads/backup-2024.tar.gz"), backupBytes, 200);
    sparse(QStringLiteral("Downloads/debian-netinst.iso"), diskImageBytes, 90);
    file(QStringLiteral("Downloads/tool_1.4_amd64.deb"), 4'000'000, 60);
    file(QStringLiteral("Downloads/Editor-Setup.exe"), 6'000'000, 45);
    file(QStringLiteral("Downloads/Viewer.dmg"), 5'000'000, 40);
    file(QStringLiteral("Downloads/new-tool.AppImage"), 2'000'000, 0); // younger than the page's 30 days
    // Two sets of identical files, the first copy of each where the keep rule puts it.
    for (const QString &copy : { QStringLiteral("Downloads/report.pdf"),
             QStringLiteral("Downloads/mail/report (1).pdf"), QStringLiteral("Downloads/old/report-copy.pdf") })
        file(copy, reportBytes, 20, 11);
    for (const QString &copy :
        { QStringLiteral("Downloads/photos/IMG_0001.jpg"), QStringLiteral("Downloads/photos/copy/IMG_0001.jpg") })
        file(copy, photoBytes, 15, 12);
    file(QStringLiteral("Downloads/photos/IMG_0002.jpg"), photoBytes, 15, 13); // same size, other content
    text(QStringLiteral("Downloads/empty.txt"), QByteArray(), 5);
    text(QStringLiteral("Downloads/notes.md"), "# notes\n", 5);
}

} // namespace VarnollTest
