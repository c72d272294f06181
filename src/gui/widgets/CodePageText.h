#pragma once

#include <QString>
#include <QValidator>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QComboBox;
class QLineEdit;

namespace velmora {

// Vault and language texts are code-page bytes; widgets hold Unicode. These are the only
// crossings between the two.
QString FromCodePage(std::string_view bytes);

struct CodePageBytes
{
    std::string bytes;
    std::optional<char32_t> refused; // the first character the code page cannot hold
};
CodePageBytes ToCodePage(const QString& text);

// Refuses any edit that would put a character without a code-page byte into the field, and
// reports that character (once per refused edit, after the key or paste has been handled).
class CodePageValidator final : public QValidator
{
    Q_OBJECT

public:
    explicit CodePageValidator(QObject* parent);
    State validate(QString& input, int& position) const override;

signals:
    void Refused(char32_t character) const;
};

// Puts the validator on a field and calls `report` with each refused character.
void GuardCodePageInput(QLineEdit* edit, const std::function<void(char32_t)>& report);
void GuardCodePageInput(QComboBox* combo, const std::function<void(char32_t)>& report);

// The character as the refusal message shows it.
QString CharacterText(char32_t character);

} // namespace velmora
