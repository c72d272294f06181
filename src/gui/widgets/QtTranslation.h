#pragma once

#include "core/settings/IniLang.h"

#include <QString>
#include <QtGlobal>
#include <memory>

class QTranslator;

namespace velmora {

// Qt's own texts (the standard buttons of message boxes, the file, colour and font dialogs) in
// the interface language: the language file names the language (kQtTranslationEntry), and Qt's
// translation of it, qtbase_<name>.qm, is installed on the application. One translator at a
// time; a language file that names none, or a language Qt's translations lack, leaves Qt's
// English.
class QtTranslation final
{
    Q_DISABLE_COPY_MOVE(QtTranslation)

public:
    // `directory`: where Qt's translations lie.
    explicit QtTranslation(QString directory = InstalledDirectory());
    ~QtTranslation();

    // Where this Qt's translations are installed.
    static QString InstalledDirectory();

    // Replaces the translation in use with the one `lang`'s document names. True when a
    // translation is installed now.
    bool Apply(const IniLang& lang);

    // The language whose translation is installed; empty when none is.
    const QString& Language() const { return m_language; }

private:
    void Remove();

    QString m_directory;
    std::unique_ptr<QTranslator> m_translator; // installed while it is set
    QString m_language;
};

} // namespace velmora
