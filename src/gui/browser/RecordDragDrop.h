#pragma once

#include <QObject>
#include <QPoint>

namespace velmora {

class AccountLists;
class AccountSession;

// Dragging a record from the record list onto a folder row moves it into that folder.
class RecordDragDrop final : public QObject
{
    Q_DISABLE_COPY_MOVE(RecordDragDrop)

public:
    RecordDragDrop(AccountSession& session, AccountLists& lists);

    // `at` is in the folder list's viewport. Only rows of the record list are taken, and only
    // onto a folder row.
    bool lstFoldersDragOver(const QObject* source, QPoint at) const;
    void lstFoldersDragDrop(const QObject* source, QPoint at);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool RecordListEvent(QEvent* event);
    bool FolderListEvent(QEvent* event);

    AccountSession& m_session;
    AccountLists& m_lists;
    QPoint m_pressedAt{-1, -1};
};

} // namespace velmora
