#include "cli/CliApp.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "core/export/TextExport.h"
#include "core/os/AtomicFile.h"
#include "core/os/ProcessHardening.h"

#include <clocale>
#include <iostream>
#include <sys/stat.h>

namespace {

std::filesystem::path ExecutableDirectory(const char* argv0)
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::absolute(argv0) : executable).parent_path();
}

} // namespace

int main(int argc, char** argv)
{
    velmora::HardenProcess();
    // Exports hold passwords in the clear, and account files are nobody else's business.
    umask(077);
    // The text export's heading writes the date the way the user's locale does.
    std::setlocale(LC_TIME, "");
    velmora::cli::StandardInputPasswords passwords;
    velmora::ProgramFolders folders;
    try {
        folders = velmora::ChooseProgramFolders(ExecutableDirectory(argv[0]));
    } catch (const velmora::FileError& error) {
        std::cerr << error.what() << '\n';
        return static_cast<int>(velmora::cli::ExitCode::ReadWriteFailure);
    }
    const velmora::cli::CliEnvironment environment{folders, std::cout, std::cerr, passwords,
                                                   velmora::CurrentExportMoment};
    return velmora::cli::RunCli(argc, argv, environment);
}
