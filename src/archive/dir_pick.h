#pragma once

#include <QDialog>
#include <optional>

class QFileSystemModel;
class QLineEdit;
class QTreeView;

inline constexpr const char* kDirPickCaption = "Select directory";

// A folder as typed, made absolute: "~" and "~/..." stand for the home
// folder. A relative path is refused, since where recordings land would then
// depend on where the program was started; error then says so.
struct TypedFolder {
    QString path;   // absolute, or empty when refused
    QString error;  // the message when refused
};
TypedFolder AbsoluteFolder(const QString& text);

// What "&Select" makes of the path field and the browsed folder: the chosen
// folder with a trailing separator, or nothing when the chooser stays open.
// Tells the user why, offers to create a missing folder (with its missing
// parents) and creates it when the user agrees.
std::optional<QString> ConfirmFolderChoice(const QString& fieldText, const QString& browsedFolder);

// The folder chooser: a folder tree, the "Current path:" field and "&Select".
class TDirPick : public QDialog {
    Q_OBJECT
  public:
    TDirPick(const QString& startFolder, QWidget* parent = nullptr);

    // The chosen folder after the dialog was accepted.
    const QString& chosenFolder() const { return chosen_; }
    QLineEdit* pathField() const { return path_; }
    void BrowseTo(const QString& folder);

  private:
    void Select();

    QFileSystemModel* model_;
    QTreeView* tree_;
    QLineEdit* path_;
    QString browsed_;
    QString chosen_;
};
