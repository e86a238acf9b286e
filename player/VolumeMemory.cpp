#include "player/VolumeMemory.h"

#include <QSettings>
#include <QStandardPaths>

// The file the toolkit keeps the program's own settings in on Linux, named directly (elsewhere a file of the
// same form in the same place): the settings of the whole organisation and of the system, which the toolkit
// would look for beside it at every read, hold no volume.
VolumeMemory::VolumeMemory()
    : settings_(std::make_unique<QSettings>(
          QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/" + kOrganisation +
              "/" + kApplication + ".conf",
          QSettings::IniFormat)) {}

VolumeMemory::VolumeMemory(const QString& path)
    : settings_(std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

VolumeMemory::~VolumeMemory() = default;

std::optional<uint32_t> VolumeMemory::Load() const {
    const QVariant value = settings_->value(kKey);
    if (!value.isValid()) return std::nullopt;
    // Written as a plain number, so that a person can read and mend the file; anything else in its place
    // (a hand-edited word, a number out of range) is no volume and the output keeps its own.
    bool ok = false;
    const qulonglong word = value.toString().trimmed().toULongLong(&ok, 10);
    if (!ok || word > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<uint32_t>(word);
}

void VolumeMemory::Save(uint32_t volume) {
    // A volume kept already is not written again: most runs end at the volume they started with.
    if (Load() == volume) return;
    settings_->setValue(kKey, QString::number(volume));
    settings_->sync();
}

QString VolumeMemory::FileName() const {
    return settings_->fileName();
}
