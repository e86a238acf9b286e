#pragma once

namespace platform {

// Lumeo and Fabrio share the model, imaging and sprite engine, and differ in a few behaviours (which
// sprites can be hit, the texts of some questions, the proxy sprites of a card). Each program sets its
// identity once at start; tests switch it per case.
enum class Program { player, editor };

Program CurrentProgram();
void SetCurrentProgram(Program program);
inline bool IsPlayer() { return CurrentProgram() == Program::player; }
inline bool IsEditor() { return CurrentProgram() == Program::editor; }

}  // namespace platform
