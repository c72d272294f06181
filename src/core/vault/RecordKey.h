#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace velmora {

// Record keys tell records apart during one run and are never stored, so a running number
// serves: every record made in this process gets the next one.
using RecordId = std::uint64_t;

RecordId NewRecordId();
// The first of `count` consecutive new ids: a reader of many records takes them at once, as each
// locked step of the shared counter waits for the writes before it.
RecordId NewRecordIds(std::size_t count);

// A record's key: 20 letters from "A" to "Y" that spell its id (so far only "A" to "P" are used),
// held in place, without a buffer of its own, and read as a text.
class RecordKey
{
public:
    static constexpr std::size_t kLength = 20;

    RecordKey() : RecordKey(0) {}
    explicit RecordKey(RecordId id);

    // The id a key text names, letters of either case; nothing for a text no key has.
    static std::optional<RecordId> IdOf(std::string_view text);

    std::string_view View() const { return {m_letters.data(), m_letters.size()}; }
    operator std::string_view() const { return View(); }
    operator std::string() const { return std::string(View()); }
    std::size_t size() const { return kLength; }

    friend bool operator==(const RecordKey& key, std::string_view text) { return key.View() == text; }
    friend std::ostream& operator<<(std::ostream& out, const RecordKey& key) { return out << key.View(); }

private:
    std::array<char, kLength> m_letters;
};

} // namespace velmora
