#include "app/presentation/SettingsTexts.h"

#include "app/CleanerModel.h"
#include "app/presentation/PageTexts.h"
#include "app/presentation/RuleTexts.h"
#include "core/Vocabulary.h"

namespace Varnoll {

using namespace Morvane;

SettingsTexts::SettingsTexts(const CleanerModel *model, QString version, QObject *parent)
    : QObject(parent)
    , m_showsPrivacyButton(model->hasPrivacySettings())
    , m_version(std::move(version))
{
    const RuleTexts::Places places { model->home(), model->baseDirectories(), model->applicationDirectories(),
        model->downloadFolder() };
    for (const RuleTexts::Rule &rule : RuleTexts::settingsRules(hostRulePlatform(), places))
        m_rules.append(QVariantMap {
            { QStringLiteral("title"), rule.title }, { QStringLiteral("description"), rule.description } });
    m_policyParagraphs = RuleTexts::policyParagraphs(hostRulePlatform(), places);
}

QVariantList SettingsTexts::rules() const
{
    return m_rules;
}

QString SettingsTexts::privacyText() const
{
    return m_showsPrivacyButton ? vocabulary().privacyHelp : vocabulary().privacyHelpWithoutSettings;
}

QString SettingsTexts::aboutText() const
{
    return PageTexts::aboutText(m_version);
}

} // namespace Varnoll
