#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

namespace Varnoll {

/// Font families and small platform conversions for the views.
class Look : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString sans READ sans CONSTANT)
    Q_PROPERTY(QString serif READ serif CONSTANT)
    Q_PROPERTY(QString mono READ mono CONSTANT)

public:
    explicit Look(QObject *parent = nullptr);

    [[nodiscard]] QString sans() const { return m_sans; }
    /// "Songti SC" where installed, else a bold CJK serif.
    [[nodiscard]] QString serif() const { return m_serif; }
    [[nodiscard]] QString mono() const { return m_mono; }

    /// The folder dialog speaks URLs, the model paths.
    Q_INVOKABLE QString localPath(const QUrl &url) const;
    Q_INVOKABLE QUrl folderUrl(const QString &path) const;

private:
    QString m_sans;
    QString m_serif;
    QString m_mono;
};

} // namespace Varnoll
