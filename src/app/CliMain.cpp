#include "cli/CliApp.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "cli/QtClipboard.h"
#include "core/export/TextExport.h"
#include "core/os/AtomicFile.h"
#include "core/os/ExecutableDirectory.h"
#include "core/os/ProcessHardening.h"

#include <clocale>
#include <iostream>

int main(int argc, char** argv)
{
    velmora::HardenProcess();
    // Exports hold passwords in the clear, and account files are nobody else's business.
    velmora::KeepNewFilesPrivate();
    // The text export's heading writes the date the way the user's locale does.
    std::setlocale(LC_TIME, "");
    velmora::cli::StandardInputPasswords passwords;
    velmora::cli::QtClipboard clipboard;
    velmora::ProgramFolders folders;
    try {
        folders = velmora::ChooseProgramFolders(velmora::ExecutableDirectory(argv[0]));
    } catch (const velmora::FileError& error) {
        std::cerr << error.what() << '\n';
        return static_cast<int>(velmora::cli::ExitCode::ReadWriteFailure);
    }
    const velmora::cli::CliEnvironment environment{
        folders, std::cout, std::cerr, passwords, velmora::CurrentExportMoment, &clipboard};
    return velmora::cli::RunCli(argc, argv, environment);
}
