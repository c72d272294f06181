#pragma once

class QLineEdit;

namespace velmora {

// Makes `edit` a password field that shows a "*" for every character.
void MakePasswordField(QLineEdit* edit);

} // namespace velmora
