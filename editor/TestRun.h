#pragma once

#include <optional>
#include <string>
#include <vector>

class CFichaDoc;

// Fabrio's Test: the title is saved where it lies and Lumeo is started on it as a process of its own.

// The player to start: "lumeo" in the editor's own folder when it is there, else the one the search path
// finds, else the bare name (the start then fails quietly, as a player that cannot be started reports
// nothing).
std::string FindLumeo(const std::string& programDirectory);

// The player's arguments: the title's path as one argument (blanks and all), nothing for a title never
// saved; "Test from this card" puts "--card N --windowed" first, N counting cards from 0.
std::vector<std::string> LumeoArguments(const std::string& titlePath, std::optional<int> fromCard);

// Saves `doc` to its own path without asking (a document never saved shows the save error and stays
// unsaved) and then starts the player on that path through the platform's process starter, without
// waiting. Returns whether the player started.
bool RunTest(CFichaDoc& doc, const std::string& programDirectory, std::optional<int> fromCard = std::nullopt);
