#include "gui/browser/RecordDragDrop.h"

#include "gui/browser/CommandSupport.h"
#include "gui/main/TfrmMain.h"
#include "gui/widgets/ListRowModel.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTableView>

namespace velmora {

RecordDragDrop::RecordDragDrop(TfrmMain& main) : m_main(main)
{
    main.RecordList()->viewport()->installEventFilter(this);
    main.FolderList()->viewport()->setAcceptDrops(true);
    main.FolderList()->viewport()->installEventFilter(this);
}

bool RecordDragDrop::lstFoldersDragOver(const QObject* source, QPoint at) const
{
    return qobject_cast<const QAbstractItemView*>(source) != nullptr &&
           source->objectName() == QLatin1String("lstRecords") && m_main.FolderList()->indexAt(at).isValid();
}

void RecordDragDrop::lstFoldersDragDrop(const QObject* source, QPoint at)
{
    if (!lstFoldersDragOver(source, at)) {
        return;
    }
    const int target = m_main.FolderList()->indexAt(at).row();
    const int folder = SelectedFolderIndex(m_main);
    const int record = m_main.SelectedRow(m_main.RecordList());
    if (folder < 0 || record < 0) {
        return;
    }
    TAccount& account = m_main.Account();
    try {
        account.Folder(static_cast<std::size_t>(folder))
            .MoveRecordToFolder(account, m_main.RecordRows().KeyAt(record), target);
    } catch (const VaultLimitError&) {
        // The full target took nothing, and the record is still where it was.
        m_main.ShowMessageBox(m_main.Message("const_full_folder"), MessageKind::Information);
    }
    m_main.FillFolderList(true);
    m_main.FillRecordList(false);
    m_main.SelectRow(m_main.FolderList(), folder);
}

bool RecordDragDrop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_main.RecordList()->viewport()) {
        return RecordListEvent(event);
    }
    if (watched == m_main.FolderList()->viewport()) {
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
            !m_main.RecordList()->indexAt(m_pressedAt).isValid()) {
            return false;
        }
        m_pressedAt = QPoint(-1, -1);
        // The drop reads the selected record; the drag itself carries nothing.
        auto* drag = new QDrag(m_main.RecordList());
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
