#include "gui/browser/RecordDragDrop.h"

#include "gui/browser/AccountLists.h"
#include "gui/browser/CommandSupport.h"
#include "gui/session/AccountSession.h"
#include "gui/widgets/ListRowModel.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTableView>

namespace velmora {

RecordDragDrop::RecordDragDrop(AccountSession& session, AccountLists& lists) : m_session(session), m_lists(lists)
{
    lists.RecordList()->viewport()->installEventFilter(this);
    lists.FolderList()->viewport()->setAcceptDrops(true);
    lists.FolderList()->viewport()->installEventFilter(this);
}

bool RecordDragDrop::lstFoldersDragOver(const QObject* source, QPoint at) const
{
    return qobject_cast<const QAbstractItemView*>(source) != nullptr &&
           source->objectName() == QLatin1String("lstRecords") && m_lists.FolderList()->indexAt(at).isValid();
}

void RecordDragDrop::lstFoldersDragDrop(const QObject* source, QPoint at)
{
    if (!lstFoldersDragOver(source, at)) {
        return;
    }
    const int target = m_lists.FolderList()->indexAt(at).row();
    const int folder = m_lists.SelectedFolderIndex();
    const int record = m_lists.SelectedRow(m_lists.RecordList());
    if (folder < 0 || record < 0) {
        return;
    }
    TAccount& account = m_session.Account();
    try {
        account.Folder(static_cast<std::size_t>(folder))
            .MoveRecordToFolder(account, m_lists.RecordRows().KeyAt(record), target);
    } catch (const VaultLimitError&) {
        // The full target took nothing, and the record is still where it was.
        m_session.ShowMessageBox(m_session.Message("const_full_folder"), MessageKind::Information);
    }
    m_lists.FillFolderList(true);
    m_lists.FillRecordList(false);
    m_lists.SelectRow(m_lists.FolderList(), folder);
}

bool RecordDragDrop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_lists.RecordList()->viewport()) {
        return RecordListEvent(event);
    }
    if (watched == m_lists.FolderList()->viewport()) {
        return FolderListEvent(event);
    }
    return false;
}

bool RecordDragDrop::RecordListEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* press = static_cast<QMouseEvent*>(event);
        m_pressedAt = press->button() == Qt::LeftButton ? press->position().toPoint() : QPoint(-1, -1);
        return false;
    }
    case QEvent::MouseMove: {
        const auto* move = static_cast<QMouseEvent*>(event);
        if (!(move->buttons() & Qt::LeftButton) || m_pressedAt.x() < 0 ||
            (move->position().toPoint() - m_pressedAt).manhattanLength() < QApplication::startDragDistance() ||
            !m_lists.RecordList()->indexAt(m_pressedAt).isValid()) {
            return false;
        }
        m_pressedAt = QPoint(-1, -1);
        // The drop reads the selected record; the drag itself carries nothing.
        auto* drag = new QDrag(m_lists.RecordList());
        drag->setMimeData(new QMimeData);
        drag->exec(Qt::MoveAction);
        return true;
    }
    default:
        return false;
    }
}

bool RecordDragDrop::FolderListEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* over = static_cast<QDragMoveEvent*>(event);
        const bool accepted = lstFoldersDragOver(over->source(), over->position().toPoint());
        over->setDropAction(Qt::MoveAction);
        over->setAccepted(accepted);
        if (event->type() == QEvent::DragEnter) {
            // Entering is always taken, so the moves over the rows are seen.
            over->setAccepted(qobject_cast<QAbstractItemView*>(over->source()) != nullptr);
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        lstFoldersDragDrop(drop->source(), drop->position().toPoint());
        drop->setDropAction(Qt::MoveAction);
        drop->accept();
        return true;
    }
    default:
        return false;
    }
}

} // namespace velmora
