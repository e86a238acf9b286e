#include "editor/RecentFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kSection = QStringLiteral("Recent File List");

// Two names of one file are one entry: the list compares the absolute, cleaned paths.
QString Normalised(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace

void CRecentFileList::Add(const QString& path) {
    if (path.isEmpty()) return;
    const QString entry = Normalised(path);
    files_.removeAll(entry);
    files_.prepend(entry);
    while (files_.size() > kSize) files_.removeLast();
}

void CRecentFileList::Remove(int index) {
    if (index >= 0 && index < files_.size()) files_.removeAt(index);
}

void CRecentFileList::Load(QSettings& settings) {
    files_.clear();
    settings.beginGroup(kSection);
    for (int i = 1; i <= kSize; ++i) {
        const QString file = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!file.isEmpty() && !files_.contains(file)) files_ << file;
    }
    settings.endGroup();
}

void CRecentFileList::Save(QSettings& settings) const {
    settings.beginGroup(kSection);
    settings.remove(QString());
    for (int i = 0; i < files_.size(); ++i) settings.setValue(QStringLiteral("File%1").arg(i + 1), files_[i]);
    settings.endGroup();
    settings.sync();
}

QString CRecentFileList::MenuText(int index) const {
    QString path = At(index);
    path.replace(u'&', QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(path);
}
