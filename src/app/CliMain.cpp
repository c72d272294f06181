#include "cli/CliApp.h"
#include "cli/Commands.h"
#include "core/export/TextExport.h"
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
    const velmora::cli::CliEnvironment environment{velmora::ExecutableDirectory(argv[0]), std::cout, std::cerr,
                                                   passwords, velmora::CurrentExportMoment};
    return velmora::cli::RunCli(argc, argv, environment);
}
