#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace Varnoll {

class CleanerModel;

/// The fixed texts of the settings page and the rules sheet, made once from the
/// model's folders: the rules (maps with title and description), the sheet's
/// paragraphs, the file-access help with whether its settings button shows, and the
/// About text.
class SettingsTexts : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariantList rules READ rules CONSTANT)
    Q_PROPERTY(QStringList policyParagraphs READ policyParagraphs CONSTANT)
    Q_PROPERTY(QString privacyText READ privacyText CONSTANT)
    Q_PROPERTY(bool showsPrivacyButton READ showsPrivacyButton CONSTANT)
    Q_PROPERTY(QString aboutText READ aboutText CONSTANT)

public:
    /// `version` is the application's short version; empty when it has none.
    SettingsTexts(const CleanerModel *model, QString version, QObject *parent = nullptr);

    [[nodiscard]] QVariantList rules() const;
    [[nodiscard]] QStringList policyParagraphs() const { return m_policyParagraphs; }
    [[nodiscard]] QString privacyText() const;
    [[nodiscard]] bool showsPrivacyButton() const { return m_showsPrivacyButton; }
    [[nodiscard]] QString aboutText() const;

private:
    QVariantList m_rules;
    QStringList m_policyParagraphs;
    bool m_showsPrivacyButton = false;
    QString m_version;
};

} // namespace Varnoll
