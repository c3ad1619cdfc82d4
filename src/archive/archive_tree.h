#pragma once

#include <QTreeWidget>
#include <functional>

// The archive's tree of groups and recordings. A recording dragged out of
// it is offered to other programs as a file, for copying only.
class ArchiveTree : public QTreeWidget {
    Q_OBJECT
  public:
    explicit ArchiveTree(QWidget* parent = nullptr);

    // The full path of an item's recording, empty for a group or a
    // recording that is gone.
    void SetPathOf(std::function<QString(QTreeWidgetItem*)> pathOf) { pathOf_ = std::move(pathOf); }

    QStringList mimeTypes() const override;

  protected:
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    void startDrag(Qt::DropActions supportedActions) override;

  private:
    std::function<QString(QTreeWidgetItem*)> pathOf_;
};
