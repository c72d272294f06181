#include "core/migrate/LineBreaks.h"

namespace velmora {

std::string WithCrLf(std::string_view text)
{
    std::string converted;
    converted.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            converted += '\r';
        }
        converted += text[i];
    }
    return converted;
}

std::string WithLf(std::string_view text)
{
    std::string converted;
    converted.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            converted += text[i];
        }
    }
    return converted;
}

} // namespace velmora
