#include "prompts/PromptStrings.h"

#include "prompts/PromptEnvironment.h"

namespace ql {

QString PromptStrings::localizedString(const PromptEnvironment& env, bool useAllAvailableLanguages, const QString& key,
                                       const QString& defaultText)
{
    const QStringList languages = env.languages.value_or(QStringList());
    if (!m_application)
        m_application = StringBundle::open(env.resourcesFolder, languages);
    if (!m_bundle) {
        const StringBundle bundle =
            StringBundle::open(env.resourcesFolder + u'/' + m_bundleName + QStringLiteral(".bundle"), languages);
        QString chosen = bundle.folder();
        if (bundle.isValid() && useAllAvailableLanguages) {
            QString language = languages.isEmpty() ? QStringLiteral("en") : languages.first();
            if (!bundle.hasLocalization(language))
                language = language.section(u'-', 0, 0);
            if (bundle.hasLocalization(language))
                chosen = bundle.folder() + u'/' + language + QStringLiteral(".lproj");
        }
        m_bundle = StringBundle::open(chosen, languages);
        if (!m_bundle->isValid())
            m_bundle = *m_application;
    }
    return m_application->string(key, m_bundle->string(key, defaultText));
}

} // namespace ql
