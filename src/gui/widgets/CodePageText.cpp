#include "gui/widgets/CodePageText.h"

#include "core/vault/CodePage.h"

#include <QComboBox>
#include <QLineEdit>

namespace velmora {

QString FromCodePage(std::string_view bytes)
{
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        // Every Windows-1251 character lies in the Basic Multilingual Plane.
        *out++ = QChar(static_cast<char16_t>(CodePageToUnicode(static_cast<unsigned char>(byte))));
    }
    return text;
}

CodePageBytes ToCodePage(const QString& text)
{
    CodePageBytes result;
    result.bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const char32_t character : text.toUcs4()) {
        const auto byte = UnicodeToCodePage(character);
        if (!byte) {
            result.refused = character;
            break;
        }
        result.bytes.push_back(static_cast<char>(*byte));
    }
    return result;
}

QString CharacterText(char32_t character)
{
    return QString::fromUcs4(&character, 1);
}

CodePageValidator::CodePageValidator(QObject* parent) : QValidator(parent) {}

QValidator::State CodePageValidator::validate(QString& input, int&) const
{
    const CodePageBytes bytes = ToCodePage(input);
    if (!bytes.refused) {
        return Acceptable;
    }
    emit Refused(*bytes.refused);
    return Invalid;
}

namespace {

CodePageValidator* MakeValidator(QObject* owner, const std::function<void(char32_t)>& report)
{
    auto* validator = new CodePageValidator(owner);
    // Queued: the message box must not open inside the edit's own key handling.
    QObject::connect(validator, &CodePageValidator::Refused, owner, report, Qt::QueuedConnection);
    return validator;
}

} // namespace

void GuardCodePageInput(QLineEdit* edit, const std::function<void(char32_t)>& report)
{
    edit->setValidator(MakeValidator(edit, report));
}

void GuardCodePageInput(QComboBox* combo, const std::function<void(char32_t)>& report)
{
    combo->setValidator(MakeValidator(combo, report));
}

} // namespace velmora
