#pragma once

class QTableView;
class QString;

namespace velmora {

class ListRowModel;
class AccountLists;
class AccountSession;

// The quick-jump boxes under the main window's lists: on each key release the first row whose
// caption matches the box text becomes selected and focused; an empty box leaves the list alone.
class QuickJump final
{
public:
    QuickJump(AccountSession& session, AccountLists& lists) : m_session(session), m_lists(lists) {}

    void edFolderFindKeyUp(const QString& text);
    void edRecFindKeyUp(const QString& text);

private:
    void Jump(QTableView* list, const ListRowModel& rows, const QString& text, bool selectFirst);

    AccountSession& m_session;
    AccountLists& m_lists;
};

} // namespace velmora
