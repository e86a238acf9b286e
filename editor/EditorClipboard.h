#pragma once

#include <memory>
#include <vector>

#include "engine/Sprite.h"
#include "model/Foto.h"
#include "model/Texto.h"
#include "model/Video.h"

// The editor's own clipboard, one for the whole program and shared by every open title, kept until the
// editor exits. It lives in memory only: nothing goes to the system clipboard. The application owns it and
// hands it to the editing commands of each document.
class EditorClipboard {
  public:
    // Forgets everything copied before.
    void Empty();
    // Whether the last Copy stored at least one element: Paste is enabled then.
    bool IsFilled() const { return filled; }
    bool HasVideo() const { return video.HasVideo(); }

    // A full copy of `sprite` (frames and settings included) that belongs to no list.
    static std::unique_ptr<CSprite> CopyOf(const CSprite& sprite);

    std::vector<std::unique_ptr<CSprite>> sprites;
    std::vector<std::unique_ptr<CTexto>> texts;
    std::vector<std::unique_ptr<CFoto>> pictures;
    CVideo video;  // file name, position and the three options; no file name when none was copied
    bool filled = false;
};
