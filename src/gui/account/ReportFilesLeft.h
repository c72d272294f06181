#pragma once

#include <filesystem>
#include <vector>

namespace velmora {

class AccountSession;

// Shows which files of an account could not be deleted.
void ReportFilesLeft(AccountSession& session, const std::vector<std::filesystem::path>& files);

} // namespace velmora
