#pragma once

class QTableView;
class QString;

namespace velmora {

class ListRowModel;
class TfrmMain;

// The quick-jump boxes under the main window's lists: on each key release the first row whose
// caption matches the box text becomes selected and focused; an empty box leaves the list alone.
class QuickJump final
{
public:
    explicit QuickJump(TfrmMain& main) : m_main(main) {}

    void edFolderFindKeyUp(const QString& text);
    void edRecFindKeyUp(const QString& text);

private:
    void Jump(QTableView* list, const ListRowModel& rows, const QString& text, bool selectFirst);

    TfrmMain& m_main;
};

} // namespace velmora
