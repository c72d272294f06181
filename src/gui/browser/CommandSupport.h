#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <string_view>

namespace velmora {

class TfrmMain;

// The Yes/No question of a deletion: the message `key` with the row caption put in for its
// "%s" as plain text. True only for Yes.
bool ConfirmWithCaption(TfrmMain& main, std::string_view key, const std::string& caption);

// The selected row of the folder list as a folder index, or -1.
int SelectedFolderIndex(TfrmMain& main);

} // namespace velmora
