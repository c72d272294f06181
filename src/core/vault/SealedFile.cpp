#include "core/vault/SealedFile.h"

#include "core/vault/Secret.h"

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

OutputProducer SealedOutput(const SealKey& key, OutputProducer plain)
{
    return [&key, plain = std::move(plain)](const PieceWriter& write) {
        std::string text;
        WipeOnExit wipe(text);
        plain([&text](std::string_view piece) { text += piece; });
        write(SealText(key, text));
    };
}

} // namespace velmora
