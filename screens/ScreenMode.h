// Which screen or game phase is active: the value every frame's work and every input
// handler is chosen by. Screens change only by assigning it.
#pragma once

#include <cstdint>
#include <string_view>

enum class TScreenMode : uint8_t {
    smTitle = 0,
    smLevel = 1,
    smEditor = 2,
    smPixelLevel = 3,
    smPixelEditor = 4,
    smGameMenu = 5,
    smLevelFailed = 6,
    smLevelComplete = 7,
    smBonusLevel = 8,
    smSelectElements = 10,
    smDemoLevel = 14,
    smMap = 16,
    smDialog = 17,
    smDialogEnded = 18,
    smHintBeforeLevel = 19,
    smShop = 21,
    smSplash = 22,
    smDemoBonusLevel = 23,
    smDemoPixelLevel = 24,
    smInstructions = 25,
};

// The kind of the running level has the number of the mode that runs it.
constexpr TScreenMode kStandardLevel = TScreenMode::smLevel;
constexpr TScreenMode kPixelLevel = TScreenMode::smPixelLevel;
constexpr TScreenMode kBonusLevel = TScreenMode::smBonusLevel;

// "smTitle" ...; empty for a value that names no mode.
std::string_view ScreenModeName(TScreenMode mode);
