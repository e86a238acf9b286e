#pragma once

#include <QString>
#include <QStringList>

class QSettings;

// The recent-file list of the File menu: the last four titles opened or saved, newest first, kept in the
// program's settings under "Recent File List" as "File1" to "File4".
class CRecentFileList {
  public:
    static constexpr int kSize = 4;

    // Puts `path` first; a path already in the list moves up instead of appearing twice.
    void Add(const QString& path);
    void Remove(int index);
    const QStringList& Files() const { return files_; }
    QString At(int index) const { return index >= 0 && index < files_.size() ? files_[index] : QString(); }

    void Load(QSettings& settings);
    void Save(QSettings& settings) const;

    // The text of entry `index` in the menu: "&1 " and the path, its own "&" doubled.
    QString MenuText(int index) const;

  private:
    QStringList files_;
};
