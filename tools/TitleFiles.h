#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/FichaDoc.h"
#include "tools/Json.h"

// What the title subcommands of fcatool share: loading a title the way the player does, the JSON of a
// title in both directions, and the embedded images kept as the very bytes that lie in the title.
namespace fcatool {

using Bytes = std::vector<uint8_t>;

// Loads the title at `path` into `doc`, a player's document (fcatool reads titles as the player does),
// without showing a card or playing music.
// The document resolves media names against the title's folder. When `keepImageBytes` is set, every
// sprite remembers the bytes of its embedded PCX image (RawImageOf), and `fileBytes` receives the whole
// file, from which the background's JFIF bytes can be cut (CAnimDoc::GetBackgroundRange). On failure
// `message` holds what opening the title shows, e.g. "Formato de archivo no esperado.".
bool LoadTitle(const std::string& path, CFichaDoc& doc, bool keepImageBytes, Bytes* fileBytes,
               std::string& message);

// The embedded PCX bytes of a sprite loaded with keepImageBytes (or built from a manifest); null otherwise.
const Bytes* RawImageOf(const CSprite* sprite);

// The JSON of a title (the fcatool.md layout). With `withFiles`, the background and each sprite name the
// image file that extract writes: "background.jpg" and "sprite-K.pcx".
json::Value TitleToJson(const CFichaDoc& doc, bool withFiles);

// Builds `doc` from a manifest whose image files lie in `folder`. The images are embedded as the files'
// bytes, unchanged. On failure `error` says what is wrong.
bool TitleFromJson(const json::Value& manifest, const std::string& folder, CFichaDoc& doc,
                   std::string& error);

std::string SpriteFileName(size_t index);
constexpr const char* kBackgroundFileName = "background.jpg";

// Windows-1252 bytes of the model as UTF-8 for the terminal and JSON.
std::string Utf8(const std::string& cp1252);

bool ReadFile(const std::string& path, Bytes& bytes);
bool WriteFile(const std::string& path, const Bytes& bytes);

// Starts the Qt machinery that fonts and text drawing need, without a display, once per process, and
// installs the Qt screen contexts that texts measure on.
void EnsureTextDrawing();

}  // namespace fcatool
