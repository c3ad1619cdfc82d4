#pragma once

#include <QWidget>

// One page of a property sheet. A page works on its own controls; the sheet
// asks every page to check its input when it is confirmed and, when all
// agree, to store what it shows.
class TPropertyPage : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;

    // Tells the user what is wrong and returns false when the page cannot be
    // stored as it is.
    virtual bool Validate() { return true; }
    // Writes the page's values into the settings it edits.
    virtual void Apply() = 0;

  signals:
    // Help on a topic of the help pages.
    void helpRequested(const QString& topic);
};
