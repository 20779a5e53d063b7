#include "app/presentation/SettingsTexts.h"

#include "app/presentation/PageTexts.h"

namespace Varnoll {

SettingsTexts::SettingsTexts(QString version, QObject *parent)
    : QObject(parent)
    , m_version(std::move(version))
{
}

QVariantList SettingsTexts::rules() const
{
    QVariantList list;
    for (const PageTexts::Rule &rule : PageTexts::rules())
        list.append(QVariantMap {
            { QStringLiteral("title"), rule.title }, { QStringLiteral("description"), rule.description } });
    return list;
}

QString SettingsTexts::aboutText() const
{
    return PageTexts::aboutText(m_version);
}

} // namespace Varnoll
