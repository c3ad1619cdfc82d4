#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <map>

class QAction;
class QMenu;
class QMenuBar;

// The frame's menu bar: File, Control, Options and Help. Every item posts
// WM_COMMAND with its id to the command target. The texts show the keys
// after a tab; the keys themselves are the frame's accelerators, which work
// with the menu hidden.
class TMainMenu : public QObject {
    Q_OBJECT
  public:
    // Commands of the recent recordings in the File menu, most recent first.
    static constexpr unsigned kRecentFirst = 57616;
    static constexpr int kRecentCount = 7;

    TMainMenu(QMenuBar* bar, QObject* commandTarget);

    // The item of a command; null when the menu has none.
    QAction* action(unsigned id) const;
    // Every command item, in menu order (recent recordings not included).
    QList<QAction*> commandActions() const;

    QMenu* fileMenu() const { return file_; }
    QMenu* controlMenu() const { return control_; }
    QMenu* optionsMenu() const { return options_; }
    QMenu* helpMenu() const { return help_; }

    // The Radio item shows the tuned frequency and is checked while the
    // sound is on.
    void SetRadioItem(const QString& text, bool checked);

    // The recent recordings ahead of Exit, numbered from 1; entries beyond
    // seven are ignored.
    void SetRecentRecordings(const QStringList& names);
    QList<QAction*> recentActions() const { return recent_; }

  signals:
    // A menu is about to open; the frame brings the dynamic items up to date.
    void aboutToShowFile();
    void aboutToShowControl();

  private:
    QAction* Add(QMenu* menu, unsigned id, const QString& text, const QString& hint = {});

    QObject* target_;
    QMenu* file_;
    QMenu* control_;
    QMenu* options_;
    QMenu* help_;
    QAction* recentSeparator_ = nullptr;
    std::map<unsigned, QAction*> actions_;
    QList<QAction*> ordered_;
    QList<QAction*> recent_;
};
