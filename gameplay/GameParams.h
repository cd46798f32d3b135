// "GameParams.xml", the game-wide tuning beside the program: the belt's bonus and speed
// numbers, the money bags' life time, the pixel level's hint refill, the music of the title,
// map and catalogue, and the factors of the adaptive level time. Read once at start-up by
// the game, and by the tools that must play and check exactly as the game does.
#pragma once

#include "gameplay/Level.h"
#include "gameplay/LevelGame.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class TGameLog;

// What a document of the right kind gives an element it lacks.
inline constexpr int32_t kDefaultParamReverceLenta = 30;     // percent of the belt left free
inline constexpr int32_t kDefaultParamPauseLenta = 2000;     // ms
inline constexpr int32_t kDefaultHintButtonDuration = 2000;  // ms
inline constexpr int32_t kDefaultTimeShowMoneyBag = 5000;    // ms

// A screen's music: the module and where it starts ("n", "a,b" or "p%"; empty is order 0).
struct TScreenMusic {
    std::string Music;
    std::string StartPattern;
};

// Every value of the file. Without a usable file (missing, or not a GamePlayParams
// document) everything stays 0 and empty, as the game has always run then.
struct TGameParams {
    int32_t ParamReverceLenta = 0;  // a reverse runs until the free part of the belt is this (percent)
    int32_t ParamPauseLenta = 0;    // ms a pause bonus stops the belt
    int32_t HintButtonDuration = 0; // ms until the pixel level's hint button is usable again
    TScreenMusic MusicInTitle;
    TScreenMusic MusicInMap;
    TScreenMusic MusicInCatalog;
    std::vector<TSpeedInterval> SpeedIntervals;
    std::vector<TSpeedInterval> SpeedIntervalsAfterGoal;  // while a demo plays
    int32_t TimeShowMoneyBag = 0;                         // ms a money bag stays on the belt
    TLevelTimeParams BonusTimers;

    // What a level's belt runs with (the rest of the tuning keeps its own values).
    TBeltTuning BeltTuning() const;
    // What the level time is worked out with.
    const TLevelTimeParams& LevelTimeParams() const { return BonusTimers; }
};

// The file as the game reads it: from fileName (always a file beside the program, never the
// archive), plain when it is plain text with CR LF line ends, otherwise unscrambled with the
// data key. A file that cannot be read, holds no element or is not a GamePlayParams document
// writes one line to the game log and gives the zero values; nothing is thrown.
TGameParams LoadGameParams(const std::filesystem::path& fileName, TGameLog& log);

// The text of the file's bytes: the bytes themselves when plain, else unscrambled.
std::string GameParamsText(std::vector<uint8_t> bytes);
// The values of a plain text; fileName names the file in the log lines.
TGameParams ReadGameParamsText(std::string_view text, std::string_view fileName, TGameLog& log);
