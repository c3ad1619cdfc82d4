#pragma once

#include <QString>
#include <QStringList>

// The recordings most recently made, most recent first, kept in a small INI
// file so that the File menu can offer them again after a restart. Entries
// are full paths; a file that no longer exists stays listed (whoever opens
// it reports that). Every change is saved at once.
class RecentRecordings {
  public:
    static constexpr int kMaxEntries = 7;
    static constexpr int kMaxMenuTextLength = 40;

    // The list kept in <XDG config home>/Quillmoor/plumora.ini.
    RecentRecordings();
    // The list kept in the given INI file.
    explicit RecentRecordings(QString filePath);

    static QString DefaultFilePath();
    const QString& filePath() const { return filePath_; }

    // Puts the recording at the front; one that is listed already moves
    // there, and the oldest entry beyond seven is dropped. Empty paths are
    // ignored. Saves the list.
    void Add(const QString& path);
    // Takes the recording off the list; false when it was not listed.
    bool Remove(const QString& path);

    int Count() const { return static_cast<int>(paths_.size()); }
    const QStringList& Paths() const { return paths_; }
    // Empty when the index is out of range.
    QString Path(int index) const;
    // The entry's text for a menu (no mnemonic escaping), see MenuTextFor.
    QString MenuText(int index) const;

    // The file name of the path, at most 40 characters: a longer name keeps
    // its beginning and its end around "...".
    static QString MenuTextFor(const QString& path);

    // Replaces the list by the stored one; a missing file gives an empty list.
    void Load();
    // Writes the list; false when the file could not be written.
    bool Save() const;

  private:
    static QString Normalized(const QString& path);

    QString filePath_;
    QStringList paths_;
};
