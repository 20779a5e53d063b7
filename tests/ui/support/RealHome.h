#pragma once

#include "app/CoreServices.h"
#include "app/support/FakeCore.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>

namespace VarnollTest {

/// The real core, with the hand-offs to the desktop (file manager, Trash window,
/// system settings) recorded instead of carried out.
class RecordingServices : public Varnoll::DesktopCoreServices {
public:
    std::unique_ptr<Varnoll::ScanRunner> makeScanner(const Morvane::ScanConfiguration &configuration) override;
    void revealFile(const QString &path, Opened done) override
    {
        revealed.append(path);
        done(true);
    }
    void openTrash(Opened done) override
    {
        ++trashOpened;
        done(true);
    }
    void openPrivacySettings(Opened done) override
    {
        ++privacyOpened;
        done(true);
    }
    bool hasPrivacySettings() override { return true; }

    /// When set, each real scan waits at its first progress report until the gate
    /// opens, so that a test can press buttons while the scan is running.
    std::shared_ptr<Gate> holdScans;
    QStringList revealed;
    int trashOpened = 0;
    int privacyOpened = 0;
};

/// A home folder of real files in a temporary folder, with something for every scan
/// page on this machine's rules: stale caches and logs, applications with launchers,
/// an icon and leftovers, and in Downloads large files, installers, sets of identical
/// files and sub-folders to measure. Same names, sizes and ages every run; large files
/// are sparse, so the tree costs little disk.
class RealHome {
public:
    RealHome();
    ~RealHome();
    RealHome(const RealHome &) = delete;
    RealHome &operator=(const RealHome &) = delete;

    [[nodiscard]] bool isValid() const { return m_ok; }
    [[nodiscard]] QString home() const { return m_home; }
    [[nodiscard]] QString downloads() const { return m_home + QStringLiteral("/Downloads"); }
    [[nodiscard]] QString path(const QString &relative) const { return m_home + u'/' + relative; }
    /// What went wrong while building the tree.
    [[nodiscard]] QString error() const { return m_error; }

    /// Points HOME and the XDG folders at this home, so the Trash, the launchers and
    /// the stored files are the temporary folder's. Restored by the destructor.
    void activate();

    /// Makes a folder the applications scan must report as unreadable. False when this
    /// process reads every folder anyway (root), where no such folder can be made.
    bool lockFolder(const QString &relative);

    // Sizes the pages show, for the tests' expectations.
    static constexpr std::int64_t movieBytes = 180'000'000;
    static constexpr std::int64_t backupBytes = 120'000'000;
    static constexpr std::int64_t diskImageBytes = 70'000'000;
    static constexpr std::int64_t reportBytes = 300'000;
    static constexpr std::int64_t photoBytes = 2'000'000;

private:
    void file(const QString &relative, std::int64_t bytes, int daysOld, std::uint32_t seed = 0);
    void sparse(const QString &relative, std::int64_t bytes, int daysOld);
    void text(const QString &relative, const QByteArray &contents, int daysOld = 0, bool executable = false);
    void age(const QString &relative, int daysOld);
    void build();

    QTemporaryDir m_root;
    QString m_home;
    QString m_error;
    bool m_ok = false;
    QStringList m_locked;
    QList<QPair<QByteArray, QByteArray>> m_savedEnvironment;
};

} // namespace VarnollTest
