#include "archive/dir_pick.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "platform/message_box.h"

namespace {

QString WithSeparator(const QString& path) {
    return path.endsWith('/') ? path : path + '/';
}

}  // namespace

TypedFolder AbsoluteFolder(const QString& text) {
    QString path = text.trimmed();
    if (path == "~" || path.startsWith("~/")) {
        path = QDir::homePath() + path.mid(1);
    }
    if (path.isEmpty() || QDir::isRelativePath(path)) {
        return {QString(),
                "The folder for recordings must be a full path starting with \"/\" "
                "(or \"~/\" for your home folder), such as ~/Music.\n\n\t" +
                    text};
    }
    return {path, QString()};
}

std::optional<QString> ConfirmFolderChoice(const QString& fieldText, const QString& browsedFolder) {
    QString path = fieldText.isEmpty() ? browsedFolder : fieldText;
    if (path.isEmpty()) {
        MessageBox("Invalid folder selected", kDirPickCaption, MessageIcon::Error);
        return std::nullopt;
    }
    const TypedFolder folder = AbsoluteFolder(path);
    if (!folder.error.isEmpty()) {
        MessageBox(folder.error, kDirPickCaption, MessageIcon::Error);
        return std::nullopt;
    }
    path = folder.path;
    if (path.size() > 1 && path.indexOf("//", 1) >= 0) {
        MessageBox("Invalid folder specified:\n\n\t" + path, kDirPickCaption, MessageIcon::Error);
        return std::nullopt;
    }
    if (QFileInfo(path).isDir()) {
        return WithSeparator(path);
    }
    const int answer =
        MessageBox(path + "\n\nThis path does not exist. Do you wish to create this folder?",
                   kDirPickCaption, MessageIcon::Question, MessageButtons::YesNo);
    if (answer != IDYES) {
        return std::nullopt;
    }
    path = WithSeparator(path);
    if (QDir().mkpath(path) && QFileInfo(path).isDir()) {
        return path;
    }
    MessageBox("Cannot create folder:\n\n\t" + path, kDirPickCaption, MessageIcon::Error);
    return std::nullopt;
}

TDirPick::TDirPick(const QString& startFolder, QWidget* parent) : QDialog(parent) {
    setObjectName("Select directory");
    setWindowTitle(kDirPickCaption);
    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath("/");
    tree_ = new QTreeView(this);
    tree_->setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column) {
        tree_->hideColumn(column);
    }
    tree_->header()->hide();
    tree_->setMinimumSize(320, 260);
    path_ = new QLineEdit(this);
    path_->setObjectName("path");
    auto* label = new QLabel("Current path:", this);
    label->setBuddy(path_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* select = buttons->addButton("&Select", QDialogButtonBox::AcceptRole);
    select->setObjectName("select");
    select->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree_);
    layout->addWidget(label);
    layout->addWidget(path_);
    layout->addWidget(buttons);

    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) {
                    browsed_ = WithSeparator(model_->filePath(current));
                    path_->setText(browsed_);
                }
            });
    // Typing is allowed, with the system's warning sound for each character.
    connect(path_, &QLineEdit::textEdited, this, [] { QApplication::beep(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &TDirPick::Select);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    BrowseTo(startFolder);
}

void TDirPick::BrowseTo(const QString& folder) {
    const QModelIndex index = model_->index(folder);
    if (index.isValid()) {
        tree_->setCurrentIndex(index);
        tree_->scrollTo(index);
    } else {
        path_->setText(folder);
    }
}

void TDirPick::Select() {
    if (const auto folder = ConfirmFolderChoice(path_->text(), browsed_)) {
        chosen_ = *folder;
        accept();
    }
}
