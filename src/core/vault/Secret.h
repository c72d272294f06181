#pragma once

#include <openssl/crypto.h>
#include <string>

namespace velmora {

// Overwrites a text that held a secret before its memory is given back. The whole buffer goes,
// not only the current text: a secret that was longer before may still sit behind its end.
inline void Wipe(std::string& text)
{
    text.resize(text.capacity()); // within the capacity: no new buffer, the tail becomes readable
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

} // namespace velmora
