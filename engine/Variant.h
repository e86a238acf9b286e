#pragma once

// The program a document is made for. Lumeo (the player) and Fabrio (the editor) share the documents and
// the sprite engine and differ in a few behaviours: whether hidden and disabled sprites are drawn and can
// be hit, how a sprite loads a new bitmap, the size of a new scene, the proxy sprites of a card, the
// wording of some questions. Whoever makes a document states its variant; the document tells the sprite
// list it owns, and the list tells every sprite it holds. Nothing asks which program is running, so one
// program may hold documents of both kinds at once.
enum class Variant { player, editor };
