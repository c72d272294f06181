#include "gui/widgets/DesktopLook.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <array>

namespace velmora {
namespace {

constexpr std::uint32_t kSystemColorByte = 0xFF;

// Indexed by the system colour index; a missing entry is an index without a colour.
const std::array<std::optional<PaletteEntry>, 31> kSystemColors = {{
    PaletteEntry{QPalette::Active, QPalette::Button},          // 0 scroll bar
    PaletteEntry{QPalette::Active, QPalette::Dark},            // 1 desktop
    PaletteEntry{QPalette::Active, QPalette::Highlight},       // 2 active caption
    PaletteEntry{QPalette::Inactive, QPalette::Highlight},     // 3 inactive caption
    PaletteEntry{QPalette::Active, QPalette::Window},          // 4 menu
    PaletteEntry{QPalette::Active, QPalette::Base},            // 5 window background
    PaletteEntry{QPalette::Active, QPalette::Shadow},          // 6 window frame
    PaletteEntry{QPalette::Active, QPalette::WindowText},      // 7 menu text
    PaletteEntry{QPalette::Active, QPalette::Text},            // 8 window text
    PaletteEntry{QPalette::Active, QPalette::HighlightedText}, // 9 caption text
    PaletteEntry{QPalette::Active, QPalette::Window},          // 10 active border
    PaletteEntry{QPalette::Inactive, QPalette::Window},        // 11 inactive border
    PaletteEntry{QPalette::Active, QPalette::Mid},             // 12 application workspace
    PaletteEntry{QPalette::Active, QPalette::Highlight},       // 13 highlight
    PaletteEntry{QPalette::Active, QPalette::HighlightedText}, // 14 highlighted text
    PaletteEntry{QPalette::Active, QPalette::Button},          // 15 button face
    PaletteEntry{QPalette::Active, QPalette::Dark},            // 16 button shadow
    PaletteEntry{QPalette::Disabled, QPalette::Text},          // 17 grey text
    PaletteEntry{QPalette::Active, QPalette::ButtonText},      // 18 button text
    PaletteEntry{QPalette::Inactive, QPalette::WindowText},    // 19 inactive caption text
    PaletteEntry{QPalette::Active, QPalette::Light},           // 20 button highlight
    PaletteEntry{QPalette::Active, QPalette::Shadow},          // 21 3-D dark shadow
    PaletteEntry{QPalette::Active, QPalette::Midlight},        // 22 3-D light
    PaletteEntry{QPalette::Active, QPalette::ToolTipText},     // 23 tooltip text
    PaletteEntry{QPalette::Active, QPalette::ToolTipBase},     // 24 tooltip background
    std::nullopt,                                              // 25 not a colour
    PaletteEntry{QPalette::Active, QPalette::Link},            // 26 hot-tracked item
    PaletteEntry{QPalette::Active, QPalette::Highlight},       // 27 active caption gradient
    PaletteEntry{QPalette::Inactive, QPalette::Highlight},     // 28 inactive caption gradient
    PaletteEntry{QPalette::Active, QPalette::Highlight},       // 29 menu highlight
    PaletteEntry{QPalette::Active, QPalette::Window},          // 30 menu bar
}};

} // namespace

std::optional<PaletteEntry> SystemColorEntry(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= kSystemColors.size()) {
        return std::nullopt;
    }
    return kSystemColors[static_cast<std::size_t>(index)];
}

QColor ColorFromNumber(std::int32_t number, const QPalette& palette, QPalette::ColorRole fallback)
{
    const auto bits = static_cast<std::uint32_t>(number);
    if ((bits >> 24) == kSystemColorByte) {
        const std::optional<PaletteEntry> entry = SystemColorEntry(static_cast<int>(bits & 0xFF));
        return entry ? palette.color(entry->group, entry->role) : palette.color(QPalette::Active, fallback);
    }
    // Any other high byte (the palette-relative forms) keeps the colour of the low three bytes.
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

std::int32_t NumberFromColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(rgb.red()) |
                                     (static_cast<std::uint32_t>(rgb.green()) << 8) |
                                     (static_cast<std::uint32_t>(rgb.blue()) << 16));
}

void SubstituteClassicFonts()
{
    const QString classic = QStringLiteral("MS Sans Serif");
    if (!QFontDatabase::hasFamily(classic) && QFont::substitutes(classic).isEmpty()) {
        QFont::insertSubstitution(classic, QGuiApplication::font().family());
    }
}

} // namespace velmora
