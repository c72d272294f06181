#include "core/vault/SealedFile.h"

#include "core/os/AtomicFile.h"

#include <array>

namespace velmora {

bool IsSealedFile(const std::filesystem::path& file)
{
    // Enough bytes to tell the format by; a shorter file cannot be a sealed one.
    std::array<char, 16> start{};
    FileChunkReader reader(file);
    std::size_t read = 0;
    while (read < start.size()) {
        const std::size_t piece = reader.Read(start.data() + read, start.size() - read);
        if (piece == 0) {
            break;
        }
        read += piece;
    }
    return IsSealedText(std::string_view(start.data(), read));
}

} // namespace velmora
