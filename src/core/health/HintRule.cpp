#include "core/health/HintRule.h"

#include "core/vault/CodePage.h"

#include <algorithm>
#include <vector>

namespace velmora {
namespace {

// The longest run of characters both texts hold, letter case aside (dynamic programming over one
// row, so a long hint costs its length times the password's).
std::size_t LongestCommonRun(std::string_view a, std::string_view b)
{
    std::vector<std::size_t> previous(b.size() + 1, 0);
    std::vector<std::size_t> current(b.size() + 1, 0);
    std::size_t longest = 0;
    for (char left : a) {
        for (std::size_t j = 0; j < b.size(); ++j) {
            current[j + 1] = LowerCase(left) == LowerCase(b[j]) ? previous[j] + 1 : 0;
            longest = std::max(longest, current[j + 1]);
        }
        std::swap(previous, current);
    }
    return longest;
}

} // namespace

bool HintRevealsPassword(std::string_view hint, std::string_view password)
{
    if (password.empty()) {
        return false;
    }
    // 60 % rounded up, so a two-character password needs both.
    const std::size_t needed = (password.size() * 3 + 4) / 5;
    return LongestCommonRun(hint, password) >= needed;
}

} // namespace velmora
