#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>

namespace Varnoll {

/// The fixed parts of the settings page that depend on nothing the user changes:
/// the four rules (maps with title and description) and the About text.
class SettingsTexts : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariantList rules READ rules CONSTANT)
    Q_PROPERTY(QString aboutText READ aboutText CONSTANT)

public:
    /// `version` is the application's short version; empty when it has none.
    explicit SettingsTexts(QString version, QObject *parent = nullptr);

    [[nodiscard]] QVariantList rules() const;
    [[nodiscard]] QString aboutText() const;

private:
    QString m_version;
};

} // namespace Varnoll
