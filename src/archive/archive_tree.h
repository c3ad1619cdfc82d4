#pragma once

#include <QTreeWidget>
#include <functional>
#include <vector>

struct ArchiveGroup;

// The archive's tree of groups and recordings. It is filled from the
// listing, keeps the groups the user opened and the selection across a
// refill, finds recordings by path, and offers a recording dragged out of it
// to other programs as a file, for copying only.
class ArchiveTree : public QTreeWidget {
    Q_OBJECT
  public:
    explicit ArchiveTree(QWidget* parent = nullptr);

    // The recording directory the file names are in.
    void SetDirectory(std::function<QString()> directory) { directory_ = std::move(directory); }

    // Replaces the items by the groups. Groups that were open stay open.
    void Fill(const std::vector<ArchiveGroup>& groups);
    // Selects the recording (name compared exactly first, then without
    // regard to case), opens its group and scrolls to it; false when it is
    // not in the tree.
    bool SelectPath(const QString& path);
    // The item of the recording; null when it is not in the tree.
    QTreeWidgetItem* ItemOfPath(const QString& path) const;
    // Blanks the row of a deleted recording (it stays until the next fill).
    void BlankPath(const QString& path);

    // The full path of an item's recording, empty for a group or a
    // recording that is gone.
    QString PathOfItem(QTreeWidgetItem* item) const;
    QString SelectedPath() const;
    // Names of the groups that are open.
    QStringList OpenGroups() const;

    QStringList mimeTypes() const override;

  protected:
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    void startDrag(Qt::DropActions supportedActions) override;

  private:
    std::function<QString()> directory_;
};
