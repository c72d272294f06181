#pragma once

#include "cli/Clipboard.h"

namespace velmora::cli {

// The clipboard of the desktop the tool runs on, through Qt; a display is needed to reach it.
class QtClipboard final : public Clipboard
{
public:
    bool Hold(std::string_view utf8, std::chrono::seconds duration) override;
};

// The media type clipboard managers read to keep a copied password out of their history.
inline constexpr char kPasswordManagerHint[] = "x-kde-passwordManagerHint";

} // namespace velmora::cli
