#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

class QSettings;

// The program's volume kept from one run to the next, as the wave device kept the volume it was set to:
// the player gives the volume it finds to its sound output at start and keeps the one it ends with. The
// word is the program's own gain (left channel in the low 16 bits, right in the high 16 bits), never the
// system's mixer.
class VolumeMemory {
  public:
    static constexpr const char* kOrganisation = "Orvanta";
    static constexpr const char* kApplication = "Lumeo";
    static constexpr const char* kKey = "sound/volume";

    // The program's own settings, under its organisation and name.
    VolumeMemory();
    // The settings in the file `path` (tests give a scratch file).
    explicit VolumeMemory(const QString& path);
    ~VolumeMemory();

    // The volume kept, or nothing when none was kept or what was kept is not a volume word.
    std::optional<uint32_t> Load() const;
    void Save(uint32_t volume);
    QString FileName() const;

  private:
    std::unique_ptr<QSettings> settings_;
};
