#include "gui/widgets/QtTranslation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTranslator>

namespace velmora {
namespace {

// The language the document names, when it is a language name as Qt's files use them ("ru",
// "pt_BR"); anything else, a path above all, names none.
QString NamedLanguage(const IniLang& lang)
{
    if (!lang.HasDocument()) {
        return {};
    }
    static const QRegularExpression name(QStringLiteral("^[a-z]{2,3}(_[A-Z]{2})?$"));
    const QString language =
        QString::fromStdString(lang.LangIni()->ReadString(kLanguageSection, kQtTranslationEntry)); // ASCII
    return name.match(language).hasMatch() ? language : QString();
}

} // namespace

QtTranslation::QtTranslation(QString directory) : m_directory(std::move(directory)) {}

QtTranslation::~QtTranslation()
{
    Remove();
}

QString QtTranslation::InstalledDirectory()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool QtTranslation::Apply(const IniLang& lang)
{
    const QString language = NamedLanguage(lang);
    if (m_translator && language == m_language) {
        return true; // installing it again would retranslate every window for nothing
    }
    Remove();
    if (language.isEmpty()) {
        return false;
    }
    // The file by its exact name: QTranslator::load would fall back to shorter names.
    const QFileInfo file(QDir(m_directory), QStringLiteral("qtbase_%1.qm").arg(language));
    auto translator = std::make_unique<QTranslator>();
    if (!file.isFile() || !translator->load(file.filePath()) ||
        !QCoreApplication::installTranslator(translator.get())) {
        return false;
    }
    m_translator = std::move(translator);
    m_language = language;
    return true;
}

void QtTranslation::Remove()
{
    if (m_translator) {
        QCoreApplication::removeTranslator(m_translator.get());
        m_translator.reset();
    }
    m_language.clear();
}

} // namespace velmora
