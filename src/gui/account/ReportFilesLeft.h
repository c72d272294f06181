#pragma once

#include <filesystem>
#include <vector>

namespace velmora {

class TfrmMain;

// Shows which files of an account could not be deleted.
void ReportFilesLeft(TfrmMain& main, const std::vector<std::filesystem::path>& files);

} // namespace velmora
