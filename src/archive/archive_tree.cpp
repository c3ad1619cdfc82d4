#include "archive/archive_tree.h"

#include <QDrag>
#include <QMimeData>

#include "archive/recording_drag.h"

ArchiveTree::ArchiveTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
}

QStringList ArchiveTree::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

QMimeData* ArchiveTree::mimeData(const QList<QTreeWidgetItem*>& items) const {
    if (items.size() != 1 || !pathOf_) {
        return nullptr;
    }
    const QString path = pathOf_(items.front());
    return path.isEmpty() ? nullptr : RecordingMimeData(path);
}

void ArchiveTree::startDrag(Qt::DropActions supportedActions) {
    (void)supportedActions;
    QMimeData* data = mimeData(selectedItems());
    if (data == nullptr) {
        return;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}
