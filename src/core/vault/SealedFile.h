#pragma once

#include "core/os/AtomicFile.h"
#include "core/vault/SealedText.h"

#include <filesystem>

namespace velmora {

// Whether the file starts as a sealed file does. Throws FileError when it cannot be read.
bool IsSealedFile(const std::filesystem::path& file);

// What `plain` produces, sealed under the key with a fresh nonce. The envelope authenticates the
// whole text at once, so it is gathered first (and wiped once sealed). The key must outlive the
// producer.
OutputProducer SealedOutput(const SealKey& key, OutputProducer plain);

} // namespace velmora
