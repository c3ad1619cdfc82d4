#include "archive/archive_tree.h"

#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QSet>

#include "archive/archive_listing.h"
#include "archive/recording_drag.h"

namespace {

constexpr int kFileNameRole = Qt::UserRole;
constexpr int kItemDataRole = Qt::UserRole + 1;
constexpr int kGroupNameRole = Qt::UserRole + 2;

bool SameGroup(QTreeWidgetItem* group, const QString& name) {
    return group->data(0, kGroupNameRole).toString().compare(name, Qt::CaseInsensitive) == 0;
}

}  // namespace

ArchiveTree::ArchiveTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
}

QStringList ArchiveTree::OpenGroups() const {
    QStringList open;
    for (int g = 0; g < topLevelItemCount(); ++g) {
        if (topLevelItem(g)->isExpanded()) {
            open << topLevelItem(g)->data(0, kGroupNameRole).toString();
        }
    }
    return open;
}

void ArchiveTree::Fill(const std::vector<ArchiveGroup>& groups) {
    QSet<QString> open;
    for (const QString& name : OpenGroups()) {
        open.insert(name.toLower());
    }
    clear();
    QList<QTreeWidgetItem*> top;
    top.reserve(static_cast<qsizetype>(groups.size()));
    for (const ArchiveGroup& group : groups) {
        auto* groupItem = new QTreeWidgetItem(QStringList{group.label});
        groupItem->setData(0, kGroupNameRole, group.name);
        QList<QTreeWidgetItem*> children;
        children.reserve(static_cast<qsizetype>(group.recordings.size()));
        for (const ArchiveRecording& recording : group.recordings) {
            auto* item = new QTreeWidgetItem(QStringList{recording.label});
            item->setData(0, kFileNameRole, recording.fileName);
            item->setData(0, kItemDataRole, recording.itemData);
            children.push_back(item);
        }
        groupItem->addChildren(children);
        top.push_back(groupItem);
    }
    addTopLevelItems(top);
    for (QTreeWidgetItem* group : top) {
        group->setExpanded(open.contains(group->data(0, kGroupNameRole).toString().toLower()));
    }
}

QTreeWidgetItem* ArchiveTree::ItemOfPath(const QString& path) const {
    const QString fileName = path.isEmpty() ? QString() : QFileInfo(path).fileName();
    if (fileName.isEmpty()) {
        return nullptr;
    }
    const QString groupName = GroupNameOf(fileName);
    for (int g = 0; g < topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = topLevelItem(g);
        if (!SameGroup(group, groupName)) {
            continue;
        }
        QTreeWidgetItem* caseless = nullptr;
        for (int r = 0; r < group->childCount(); ++r) {
            const QString name = group->child(r)->data(0, kFileNameRole).toString();
            if (name == fileName) {
                return group->child(r);
            }
            if (caseless == nullptr && name.compare(fileName, Qt::CaseInsensitive) == 0) {
                caseless = group->child(r);
            }
        }
        if (caseless != nullptr) {
            return caseless;
        }
    }
    return nullptr;
}

bool ArchiveTree::SelectPath(const QString& path) {
    QTreeWidgetItem* found = ItemOfPath(path);
    if (found == nullptr) {
        return false;
    }
    found->parent()->setExpanded(true);
    setCurrentItem(found);
    found->setSelected(true);
    scrollToItem(found);
    return true;
}

void ArchiveTree::BlankPath(const QString& path) {
    if (QTreeWidgetItem* item = ItemOfPath(path)) {
        item->setText(0, QString());
        item->setData(0, kFileNameRole, QString());
    }
}

QString ArchiveTree::PathOfItem(QTreeWidgetItem* item) const {
    if (item == nullptr || item->parent() == nullptr || !directory_) {
        return {};
    }
    const QString name = item->data(0, kFileNameRole).toString();
    if (name.isEmpty()) {
        return {};
    }
    const QString path = RecordingPathIn(directory_(), name);
    return QFileInfo::exists(path) ? path : QString();
}

QString ArchiveTree::SelectedPath() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : PathOfItem(selected.front());
}

QStringList ArchiveTree::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

QMimeData* ArchiveTree::mimeData(const QList<QTreeWidgetItem*>& items) const {
    if (items.size() != 1) {
        return nullptr;
    }
    const QString path = PathOfItem(items.front());
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
