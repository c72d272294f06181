#pragma once

#include "core/os/AtomicFile.h"
#include "core/vault/SealedText.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace velmora {

// How sealing or unsealing an account's files went.
struct SealChange
{
    enum class Result
    {
        Done,
        WrongPassword, // the account file is not under this password: nothing was written
        Changed        // a sealed file changed outside the program: nothing was written
    };
    Result result = Result::Done;
    // The account file as written, when done.
    std::optional<FileIdentity> accountFile;
};

// Rewrites the account file and its settings file (when there is one) sealed under `key`, which
// was derived from `password`. A file already sealed is opened and sealed again under `key`.
// Runs under the account's lock, each file replaced atomically, the account file first: a kill
// at any point leaves each file sealed or plain, and both open. Throws FileError (and
// FileBusyError when another program keeps the account's lock).
SealChange SealAccountFiles(const std::filesystem::path& programDir, std::string_view name, std::string_view password,
                            const SealKey& key);

// Writes both files back in the plain format, byte for byte the text they were sealed with.
// `known` (the open account's key) spares a derivation when the files are sealed under it.
// Atomic and throwing as SealAccountFiles.
SealChange UnsealAccountFiles(const std::filesystem::path& programDir, std::string_view name, std::string_view password,
                              const std::optional<SealKey>& known);

// Whether the account's file is sealed, for the lists that show it; false when it cannot be read.
bool AccountIsSealed(const std::filesystem::path& programDir, std::string_view name);

} // namespace velmora
