#pragma once

#include <openssl/crypto.h>
#include <string>

namespace velmora::cli {

// Overwrites a text that held a password before its memory is given back.
inline void Wipe(std::string& text)
{
    OPENSSL_cleanse(text.data(), text.size());
    text.clear();
}

// Wipes the text when the scope ends, on every path out of it.
class WipeOnExit
{
public:
    explicit WipeOnExit(std::string& text) : m_text(text) {}
    ~WipeOnExit() { Wipe(m_text); }
    WipeOnExit(const WipeOnExit&) = delete;
    WipeOnExit& operator=(const WipeOnExit&) = delete;

private:
    std::string& m_text;
};

} // namespace velmora::cli
