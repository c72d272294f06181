#include "core/health/PasswordHealth.h"

#include "core/generator/PasswordStrength.h"
#include "core/health/BreachList.h"

#include <algorithm>
#include <string_view>
#include <tuple>
#include <unordered_map>

namespace velmora {
namespace {

int TroubleCount(const HealthFinding& finding)
{
    return int{finding.empty} + int{finding.weak} + int{finding.reusedBy > 0} + int{finding.equalsLogin} +
           int{finding.equalsName} + int{finding.timesBreached.has_value()};
}

bool SameText(std::string_view a, std::string_view b)
{
    return TextMatches(a, b, TextMatch{.exact = true, .caseSensitive = false});
}

} // namespace

std::vector<HealthFinding> CheckPasswordHealth(const TAccount& account, BreachList* breaches)
{
    // The views point into the account's records, so no password is copied.
    std::unordered_map<std::string_view, std::size_t> holders;
    for (std::size_t f = 0; f < account.FolderCount(); ++f) {
        const TFolderType& folder = account.Folder(f);
        for (std::size_t r = 0; r < folder.Count(); ++r) {
            const std::string_view password = folder.RecordAt(r).Password();
            if (!password.empty()) {
                ++holders[password];
            }
        }
    }

    std::vector<HealthFinding> findings;
    for (std::size_t f = 0; f < account.FolderCount(); ++f) {
        const TFolderType& folder = account.Folder(f);
        for (std::size_t r = 0; r < folder.Count(); ++r) {
            const TRecType& record = folder.RecordAt(r);
            const std::string_view password = record.Password();
            HealthFinding finding;
            finding.empty = password.empty();
            if (!finding.empty) {
                finding.log10Guesses =
                    EstimatePasswordStrength(password, {record.Name(), record.Login(), record.URL()}).log10Guesses;
                finding.weak = finding.log10Guesses < kWeakBelowLog10Guesses;
                finding.reusedBy = holders[password] - 1;
                finding.equalsLogin = SameText(password, record.Login());
                finding.equalsName = SameText(password, record.Name());
                if (breaches) {
                    finding.timesBreached = breaches->TimesSeen(BreachDigest(password));
                }
            }
            if (TroubleCount(finding) == 0) {
                continue;
            }
            finding.record = SearchHit{folder.Name, std::string(record.Name()), record.Key, f, r + 1};
            findings.push_back(std::move(finding));
        }
    }
    std::stable_sort(findings.begin(), findings.end(), [](const HealthFinding& a, const HealthFinding& b) {
        return std::make_tuple(!a.empty, -TroubleCount(a), a.log10Guesses) <
               std::make_tuple(!b.empty, -TroubleCount(b), b.log10Guesses);
    });
    return findings;
}

} // namespace velmora
