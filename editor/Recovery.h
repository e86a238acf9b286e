#pragma once

#include <QDateTime>
#include <QLockFile>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// The folder where Fabrio keeps recovery copies of modified titles, so that a crash loses at most the
// last couple of minutes of work. Each running editor is one session, marked by a lock file that names
// its process; its copies carry the session's name. A copy whose session lock is gone, or whose process
// no longer runs, was left by an editor that did not end cleanly and is offered at the next start.
//
// A copy is the title's file as a save writes it, "SESSION-N.fca", beside a small sidecar "SESSION-N.origin"
// that names the title's own path (empty for a title never saved) and its name. Both are written to a
// scratch file first and renamed into place, so a crash while writing leaves the previous copy whole.
class CRecoveryStore {
  public:
    // A recovery copy found in the folder.
    struct Copy {
        QString copyPath;
        QString sidecarPath;
        QString originalPath;  // empty: the title was never saved
        QString title;
        QDateTime written;
    };

    // The user's own folder for recovery copies, under the program's data folder.
    static QString DefaultFolder();

    // The session starts in `folder`; the folder and the session's lock are made with the first copy,
    // so that an editor that never autosaves leaves no trace.
    explicit CRecoveryStore(QString folder);
    // The session ends: its lock goes, so that the copies it still has count as left behind.
    ~CRecoveryStore();
    CRecoveryStore(const CRecoveryStore&) = delete;
    CRecoveryStore& operator=(const CRecoveryStore&) = delete;

    const QString& Folder() const { return folder_; }
    // A name for a new copy of this session.
    QString NewId();
    // Writes `bytes` (a whole title) as copy `id`, with its sidecar. False when either cannot be written.
    bool Write(const QString& id, const std::vector<uint8_t>& bytes, const QString& originalPath,
               const QString& title);
    // Removes copy `id` of this session and its sidecar.
    void Remove(const QString& id);
    QString CopyPath(const QString& id) const;

    // The copies left by sessions that ended without removing them, oldest first.
    std::vector<Copy> LeftBehind() const;
    // Removes a copy and its sidecar.
    static void Discard(const Copy& copy);
    // Renames a copy that does not read, and its sidecar, so that it is never offered or loaded again;
    // returns the copy's new path.
    static QString SetAside(const Copy& copy);

  private:
    bool SessionEnded(const QString& session) const;
    // Makes the folder and takes the session's lock, once.
    void StartSession();

    QString folder_;
    QString session_;
    std::unique_ptr<QLockFile> lock_;
    int next_ = 0;
};
