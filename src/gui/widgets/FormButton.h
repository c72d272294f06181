#pragma once

class QPushButton;
class QString;
class QWidget;

namespace velmora {

// A push button of a form, named for the language files. Enter goes to the form's default
// button, never to whichever button happens to have the focus.
QPushButton* FormButton(QWidget* form, const char* name, const QString& caption);

} // namespace velmora
