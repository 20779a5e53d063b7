#pragma once

#include <QObject>
#include <QSize>
#include <QString>
#include <QUrl>
#include <QVariant>

namespace Varnoll {

/// Font families and small platform conversions for the views.
class Look : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString sans READ sans CONSTANT)
    Q_PROPERTY(QString serif READ serif CONSTANT)
    Q_PROPERTY(QString mono READ mono CONSTANT)
    Q_PROPERTY(QSize minimumWindowSize READ minimumWindowSize CONSTANT)

public:
    explicit Look(QObject *parent = nullptr);

    [[nodiscard]] QString sans() const { return m_sans; }
    /// "Songti SC" where installed, else a bold CJK serif.
    [[nodiscard]] QString serif() const { return m_serif; }
    [[nodiscard]] QString mono() const { return m_mono; }

    /// The smallest window, menu bar included. On Linux it fits a 1366 × 768 screen
    /// under a desktop panel with the title bar the window manager adds.
    [[nodiscard]] static QSize minimumWindowSize();
    /// The window's first size on a screen whose free area is `available`: the
    /// designed size where it fits, else as much of it as the screen allows with the
    /// title bar. A screen too small for the minimum gets the designed size.
    Q_INVOKABLE static QSize windowSize(const QSize &available);
    /// A menu command's shortcut as the platform writes it ("Ctrl+R"); `shortcut` is
    /// what an Action holds: a key sequence text or a standard key.
    Q_INVOKABLE static QString shortcutText(const QVariant &shortcut);

    /// The folder dialog speaks URLs, the model paths.
    Q_INVOKABLE QString localPath(const QUrl &url) const;
    Q_INVOKABLE QUrl folderUrl(const QString &path) const;

private:
    QString m_sans;
    QString m_serif;
    QString m_mono;
};

} // namespace Varnoll
