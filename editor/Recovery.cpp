#include "editor/Recovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>
#include <QUuid>
#include <algorithm>

namespace {

const QString kCopySuffix = QStringLiteral(".fca");
const QString kSidecarSuffix = QStringLiteral(".origin");
const QString kLockSuffix = QStringLiteral(".lock");
const QString kDamagedSuffix = QStringLiteral(".damaged");

bool WriteWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// The session a copy belongs to: its name up to the last '-'.
QString SessionOf(const QString& fileName) {
    const QString base = QFileInfo(fileName).completeBaseName();
    return base.left(base.lastIndexOf(u'-'));
}

}  // namespace

QString CRecoveryStore::DefaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/recovery");
}

CRecoveryStore::CRecoveryStore(QString folder)
    : folder_(std::move(folder)), session_(QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

void CRecoveryStore::StartSession() {
    if (lock_) return;
    QDir().mkpath(folder_);
    lock_ = std::make_unique<QLockFile>(folder_ + u'/' + session_ + kLockSuffix);
    // Only the process's end makes the lock stale: an editor left open for hours still owns its copies.
    lock_->setStaleLockTime(0);
    lock_->tryLock(0);
}

CRecoveryStore::~CRecoveryStore() = default;

QString CRecoveryStore::NewId() {
    return session_ + u'-' + QString::number(++next_);
}

QString CRecoveryStore::CopyPath(const QString& id) const {
    return folder_ + u'/' + id + kCopySuffix;
}

bool CRecoveryStore::Write(const QString& id, const std::vector<uint8_t>& bytes, const QString& originalPath,
                           const QString& title) {
    StartSession();
    const QByteArray title_bytes(reinterpret_cast<const char*>(bytes.data()),
                                 static_cast<qsizetype>(bytes.size()));
    QByteArray sidecar;
    QTextStream out(&sidecar);
    out << "original=" << originalPath << "\ntitle=" << title << "\n";
    out.flush();
    // The copy first: a sidecar is only ever beside a whole copy.
    return WriteWhole(CopyPath(id), title_bytes) && WriteWhole(folder_ + u'/' + id + kSidecarSuffix, sidecar);
}

void CRecoveryStore::Remove(const QString& id) {
    QFile::remove(folder_ + u'/' + id + kSidecarSuffix);
    QFile::remove(CopyPath(id));
}

bool CRecoveryStore::SessionEnded(const QString& session) const {
    if (session == session_) return false;
    const QString path = folder_ + u'/' + session + kLockSuffix;
    if (!QFileInfo::exists(path)) return true;
    QLockFile other(path);
    other.setStaleLockTime(0);
    // Taking the lock succeeds only when its process is gone; the lock then goes with `other`.
    if (!other.tryLock(0)) return false;
    other.unlock();
    return true;
}

std::vector<CRecoveryStore::Copy> CRecoveryStore::LeftBehind() const {
    std::vector<Copy> copies;
    const QDir dir(folder_);
    for (const QFileInfo& sidecar : dir.entryInfoList({QStringLiteral("*") + kSidecarSuffix}, QDir::Files)) {
        if (!SessionEnded(SessionOf(sidecar.fileName()))) continue;
        Copy copy;
        copy.sidecarPath = sidecar.filePath();
        copy.copyPath = dir.filePath(sidecar.completeBaseName() + kCopySuffix);
        QFile file(copy.sidecarPath);
        if (file.open(QIODevice::ReadOnly)) {
            QTextStream in(&file);
            while (!in.atEnd()) {
                const QString line = in.readLine();
                if (line.startsWith(QStringLiteral("original="))) copy.originalPath = line.mid(9);
                if (line.startsWith(QStringLiteral("title="))) copy.title = line.mid(6);
            }
        }
        copy.written = QFileInfo(copy.copyPath).lastModified();
        copies.push_back(copy);
    }
    std::sort(copies.begin(), copies.end(),
              [](const Copy& a, const Copy& b) { return a.written < b.written; });
    return copies;
}

void CRecoveryStore::Discard(const Copy& copy) {
    QFile::remove(copy.sidecarPath);
    QFile::remove(copy.copyPath);
}

QString CRecoveryStore::SetAside(const Copy& copy) {
    // A name that no earlier damaged copy has taken.
    QString aside = copy.copyPath + kDamagedSuffix;
    for (int n = 1; QFileInfo::exists(aside); ++n)
        aside = copy.copyPath + QStringLiteral(".%1").arg(n) + kDamagedSuffix;
    QFile::rename(copy.copyPath, aside);
    // Renamed off the sidecar suffix, so that it is never taken for a copy to offer again.
    QFile::rename(copy.sidecarPath, aside + QStringLiteral(".sidecar"));
    return aside;
}
