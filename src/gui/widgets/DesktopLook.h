#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <cstdint>
#include <optional>

namespace velmora {

// Colour numbers as the settings file stores them: a plain colour is 0x00BBGGRR; a number whose
// high byte is 0xFF names a system colour by its index in the low byte (5 the window
// background, 8 the window text, and the rest of the classic system colour indices).

// The desktop palette's entry for a system colour index; nothing for an index without one.
struct PaletteEntry
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};
std::optional<PaletteEntry> SystemColorEntry(int index);

// The colour a number shows on this desktop; an unknown system colour shows as `fallback`.
QColor ColorFromNumber(std::int32_t number, const QPalette& palette, QPalette::ColorRole fallback);

// A chosen colour as a plain colour number.
std::int32_t NumberFromColor(const QColor& color);

// Point sizes that a font of the lists may have; others in a settings file leave the size as it is.
inline constexpr int kMinFontPoints = 1;
inline constexpr int kMaxFontPoints = 400;

// How the settings show the two main lists.
struct ListLook
{
    bool headers = true;
    bool gridLines = true;
    bool folderIcons = true;
    bool recordIcons = true;
    bool brief = false;
    bool findPanel = true;
    QColor background;
    QColor text;
    QFont font;
};

// Makes the classic face of the design defaults show as the desktop's own font when it is not
// installed, so the default lists look native.
void SubstituteClassicFonts();

} // namespace velmora
