#pragma once

#include <QString>

// The program's help: HTML pages in a "help" folder shipped with the program,
// opened in the browser. Without the folder every help command does nothing.
class HelpPages {
  public:
    // The start page of the help.
    static constexpr char kContents[] = "index.html";

    // Looks beside the program (<dir>/help), then where the program is
    // installed (<dir>/../share/plumora/help). A folder counts only when it
    // holds the start page.
    static QString FindHelpDirectory(const QString& programDir);

    // No help folder: nothing is available.
    HelpPages() = default;
    explicit HelpPages(QString directory);

    bool available() const { return !directory_.isEmpty(); }
    const QString& directory() const { return directory_; }

    // The full path of a page; empty when there is no help or no such page.
    QString PagePath(const QString& page) const;
    // Opens a page in the browser; a missing page opens the start page;
    // false when there is no help or nothing took it.
    bool Open(const QString& page) const;
    bool OpenContents() const { return Open(kContents); }

  private:
    QString directory_;
};
