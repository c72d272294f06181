#pragma once

#include "core/search/Search.h"
#include "core/vault/Account.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace velmora {

class BreachList;

// What is wrong with one record's password.
struct HealthFinding
{
    SearchHit record;                           // where it is, as the search window lists records
    double log10Guesses = 0;                    // the estimate, with the record's name, login and URL as known words
    bool empty = false;                         // no password at all
    bool weak = false;                          // estimate below kWeakBelowLog10Guesses
    std::size_t reusedBy = 0;                   // how many other records hold the same password
    bool equalsLogin = false;                   // the password is the login, letter case aside
    bool equalsName = false;                    // the password is the record's name, letter case aside
    std::optional<std::uint64_t> timesBreached; // with a breach list: how often it was seen there
};

// Every record with an empty, weak, reused, breached password, or one equal to its login or name;
// worst first: empty ones, then those with most troubles, then the weakest. With `breaches`
// each password is looked up there (throws FileError when the list cannot be read).
std::vector<HealthFinding> CheckPasswordHealth(const TAccount& account, BreachList* breaches = nullptr);

} // namespace velmora
