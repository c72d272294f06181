#pragma once

#include <chrono>
#include <string_view>

namespace velmora::cli {

// The desktop's clipboard, for clip.
class Clipboard
{
public:
    virtual ~Clipboard() = default;
    // Puts the UTF-8 text on the clipboard, marked as a password manager's secret so that
    // clipboard histories leave it out, keeps it there for `duration` and then clears it, unless
    // something else was copied meanwhile. Returns whether it cleared it. Throws CommandError
    // (read or write failure) when there is no display whose clipboard could hold it.
    virtual bool Hold(std::string_view utf8, std::chrono::seconds duration) = 0;
};

} // namespace velmora::cli
