#pragma once

#include <QDialog>

#include "controls/project_rc_version.h"

class QLabel;
class THotLink;

// The About box: name, version and copyright of the program and a link to
// the maker's web site.
class AboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDlg(QWidget* parent, const ProjectRCVersion& version = ProjectRCVersion());

    QLabel* versionLabel() const { return version_; }
    QLabel* copyrightLabel() const { return copyright_; }
    THotLink* link() const { return link_; }

  private:
    QLabel* version_;
    QLabel* copyright_;
    THotLink* link_;
};
