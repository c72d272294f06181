#pragma once

#include <QIcon>
#include <QList>

namespace velmora {

// Our own pictures, drawn in code so they stay sharp at every size.

inline constexpr int kFolderIconCount = 20;

// The folder icons of the image list: 10 colours, plain and with an emblem.
QList<QIcon> FolderIcons();
QIcon RecordIcon();
QIcon ApplicationIcon();

enum class Glyph
{
    FolderNew,
    FolderEdit,
    FolderDelete,
    FolderUp,
    FolderDown,
    RecordNew,
    RecordEdit,
    RecordDelete,
    RecordUp,
    RecordDown,
    Copy,
    Generator,
    Save,
    ChooseUser,
    Tray,
    Exit,
    Hint,
    Search,
    ViewRecord,
    GoToRecord
};
QIcon ToolbarGlyph(Glyph glyph);

} // namespace velmora
