#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/PhasedSprite.h"
#include "model/FichaDoc.h"
#include "platform/File.h"

// The generated titles that the benchmarks measure.
namespace bench {

// A pattern that changes along both axes, so no codec shrinks it to nothing; `seed` shifts it.
inline void Paint(CDIB& dib, int seed) {
    for (int32_t y = 0; y < dib.GetHeight(); ++y)
        for (int32_t x = 0; x < dib.GetWidth(); ++x) {
            uint8_t* p = dib.GetPixelAddress(x, y);
            p[0] = static_cast<uint8_t>(x + seed);
            p[1] = static_cast<uint8_t>((y / 4) * 3);
            p[2] = static_cast<uint8_t>((x / 8) ^ (y / 8));
        }
}

// Fills `doc` as a large title: a 640 x 480 JPEG background, `sprites` three-frame sprites of 48 x 36
// spread over the card, and `cards` cards of three two-paragraph texts and one picture each. With
// `activationLists`, card i shows sprite i (modulo the sprites) when it is entered.
inline void FillLargeTitle(CFichaDoc& doc, int cards, int sprites, bool activationLists) {
    auto background = std::make_unique<CDibJpeg>();
    background->Create(640, 480, 3);
    Paint(*background, 0);
    doc.SetBackground(std::move(background));
    for (int i = 0; i < sprites; ++i) {
        auto sprite = std::make_unique<CPhasedSprite>();
        sprite->Create(48, 108, 3);
        Paint(*sprite, i);
        sprite->ComputeTransparentColour();
        sprite->SetNumFrames(3);
        sprite->SetPosition(i * 37 % 600, i * 53 % 440);
        sprite->SetPlane(10 + i % 7 * 10);
        sprite->SetNumber(i);
        doc.GetSpriteList().Insert(std::move(sprite));
    }
    for (int i = 0; i < cards; ++i) {
        auto card = std::make_unique<CFicha>();
        for (int t = 0; t < 3; ++t) {
            auto text = std::make_unique<CTexto>();
            text->identifier = "t" + std::to_string(t);
            text->text = "Texto de la ficha " + std::to_string(i) + "\r\ncon dos p\xE1rrafos.";
            card->AddText(std::move(text));
        }
        auto picture = std::make_unique<CFoto>();
        picture->fileName = "FOTOS\\F" + std::to_string(i) + ".JPG";
        card->AddPicture(std::move(picture));
        if (activationLists) card->activationList = std::to_string(i % sprites);
        doc.GetCards().Add(std::move(card));
    }
}

// Stores `doc` as `name` in the system's temporary folder; returns the path.
inline std::string StoreInTemporaryFolder(CFichaDoc& doc, const std::string& name) {
    std::string path = (std::filesystem::temp_directory_path() / name).string();
    platform::DiskFile file;
    file.Open(path, platform::DiskFile::Mode::write);
    doc.Store(file);
    file.Close();
    return path;
}

}  // namespace bench
