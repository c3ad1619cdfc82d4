#include "controls/about_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/hot_link.h"
#include "controls/web_addresses.h"

namespace {

constexpr int kVersionId = 22001;
constexpr int kCopyrightId = 22002;
constexpr int kLinkId = 22006;
constexpr int kIconSize = 48;

}  // namespace

AboutDlg::AboutDlg(QWidget* parent, const ProjectRCVersion& version)
    : QDialog(parent),
      version_(new QLabel("Version ", this)),
      copyright_(new QLabel("Copyright", this)),
      link_(new THotLink(this, kLinkId, web::MakerSite())) {
    setObjectName("22000");
    setWindowTitle("About Plumora");
    version_->setObjectName(QString::number(kVersionId));
    copyright_->setObjectName(QString::number(kCopyrightId));

    QString name;
    QString number;
    if (version.GetProductName(name) && version.GetProductVersion(number)) {
        setWindowTitle(QString("About %1").arg(name));
        version_->setText(QString("%1 %2 %3").arg(name, version_->text().trimmed(), number));
    }
    QString copyright;
    if (version.GetCopyright(copyright)) {
        copyright_->setText(copyright);
    }

    auto* icon = new QLabel(this);
    const QIcon programIcon = parent ? parent->windowIcon() : QIcon();
    if (!programIcon.isNull()) {
        icon->setPixmap(programIcon.pixmap(kIconSize, kIconSize));
    }
    icon->setAlignment(Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    QFont bold = version_->font();
    bold.setBold(true);
    version_->setFont(bold);
    texts->addWidget(version_);
    texts->addWidget(copyright_);
    texts->addWidget(link_, 0, Qt::AlignLeft);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(8);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("&OK", QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
