// The running level: everything one level file describes (its scene, belts, piece types,
// customer places, box grid) and the state of the level while it runs, grouped by concern.
// The level is plain data plus the links to the services it uses; the rules that change
// it live in their own files (LevelFile, FishBirth, BeltMotion, MoneyBags, FishList,
// FishPictures, StartLevel and the customer, scoring and flow rules built on them).
//
// A level is created empty for each level start, filled by LoadLevel, initialised when it
// runs, ticked while its screen is active and freed when the next level starts; the demo
// levels are created once and kept.
#pragma once

#include "effects/QelScreenEffects.h"
#include "foundation/Geometry.h"
#include "foundation/Random.h"
#include "gameplay/Fish.h"
#include "gameplay/FishkaType.h"
#include "gameplay/Lenta.h"
#include "gameplay/LevelPlay.h"
#include "gameplay/LevelServices.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ISoundEvents;
class TGameLog;
struct TPlayer;

enum class TLevelState : uint8_t { lsAero = 0, lsTort = 1, lsPeople = 2, lsHim = 3, lsPixel = 4 };

// A picture named by the level and its size once loaded.
struct TPictureRef {
    std::string Name;
    int32_t Width = 0;
    int32_t Height = 0;
};

struct THeapFrame {
    std::string Picture;
    int32_t Time = 0;  // ms
};

// A picture in a heap of goods (pixel levels search them; others are decoration).
struct tHeapRec {
    std::string FileName;
    std::string SecondName;
    TPoint Pos;
    int32_t Angle = 0;
    bool Flip = false;
    bool Loaded = false;
    std::string AnimeFiles;
    std::vector<THeapFrame> Anime;
};

// The recipe display: up to three piece types shown at given points during dialogs.
struct TLevelHints {
    bool HintEffect = false;
    std::vector<TPoint> HintPoints;
    std::vector<int32_t> HintFishes;  // piece type indices
    bool HasHintFishes = false;
};

// One forced piece: a bonus, a part of one of the level's piece types ("3-2": type 3 of
// the level, part 2), or a garment of a named piece type.
struct TAddFishEntry {
    TFishKind Kind = TFishKind::Garment;
    int32_t TypeDigit = 0;   // "a-b": a, 1-based among the level's piece types; 0 when named
    int32_t Part = 0;        // "a-b": b
    int32_t TypeIndex = -1;  // a named type: its index in the piece type table
};

struct TLevelDialog {
    std::string FileName;
    int32_t TimeStart = 0;  // ms after the level start; -1 once played
};

struct TKabinka {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Random = 0;  // 3..6, drawn when the level loads
};

// An extra picture drawn over the scene, optionally a part of it.
struct TAddPicture {
    std::string FileName;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    int32_t Width = 0;  // the source rectangle's size when given, else the picture's
    int32_t Height = 0;
};

struct TPersPlace {
    int32_t X = 0;
    int32_t Y = 0;
    bool Occupied = false;
};

struct TSceneEffect {
    std::string FileName;
    int32_t ShiftX = 0;
    int32_t ShiftY = 0;
};

// What the level file says about the scene, apart from the belts and the box.
struct TLevelScene {
    std::string LentaImage;  // the belt's stamp picture
    int32_t LentaFrequency = 0;
    TPictureRef LentaParticle;
    std::string BackPicture;
    TLevelState LevelState = TLevelState::lsAero;
    int32_t ShiftLentaY = 0;  // bonus pieces stand this much higher (plus 20)
    bool SpecialFish = false;
    int32_t SpecialFishPeriod = 0;
    bool Bonus = false;
    TPictureRef Stoika;  // the stand a piece rides on
    TPictureRef Cursor;
    std::vector<tHeapRec> HeapPictures;
    TLevelHints Hints;
    std::vector<TAddFishEntry> AddFishesList;
    std::vector<TLevelDialog> DialogList;
    std::vector<TKabinka> PosKabinki;
    std::vector<TAddPicture> AddPictures;
    std::vector<TPersPlace> PersPosition;  // customer places; Occupied is running state
    std::vector<TSceneEffect> Effects;
};

struct TPutFish {
    uint8_t Digit = 0;  // piece type digit of the level
    bool Filled = false;
};

// The bonus levels' box of cells and its initial filling.
struct TBoxGrid {
    uint8_t BoxWidth = 0;
    uint8_t BoxHeght = 0;
    int32_t CellWidth = 0;
    int32_t CellHeght = 0;
    TPoint BoxShift;
    bool DrawBoxCells = true;
    TPictureRef CellFrame;
    // PutFishes[column][row], both from 1 (index 0 unused): (BoxWidth + 1) x (BoxHeght + 1).
    std::vector<std::vector<TPutFish>> PutFishes;

    // Nothing outside the grid.
    const TPutFish* Cell(int32_t column, int32_t row) const;
};

struct TBonusEnables {
    bool Reverse = false;
    bool PlusOne = false;
    bool Pause = false;
    bool Transform = false;
};

struct TSpeedInterval {
    int32_t Value = 0;  // fill in percent
    double KoeffSpeed = 1.0;
};

// The game-wide numbers of the belt (from the game parameters).
struct TBeltTuning {
    int32_t ReverseParam = 30;     // a reverse ends once the fill is at most this (percent)
    int32_t PauseDuration = 2000;  // ms
    std::vector<TSpeedInterval> SpeedIntervals;
    std::vector<TSpeedInterval> SpeedIntervalsAfterGoal;  // used while a demo plays
    int32_t TimeShowMoneyBag = 5000;  // ms a money bag stays on the belt
    // Where the coin of a lost garment falls to: the score label of the game panel.
    TPoint ScorePanel{70, 585};
};

// The belt while the level runs. All pieces ride the first belt.
struct TBelt {
    // Ordered from the front of the belt (index 0, farthest along) to its start.
    std::vector<TFish> Fishes;
    int32_t SelectedIndex = -1;  // the selected piece, -1 none; follows its piece
    int32_t NextSelection = -1;  // the selection a combination proposes, -1 none
    int32_t TextureOffset = 0;   // how far the belt's texture has moved (path units)
    double AdvanceCarry = 0;     // the part of a path unit not yet moved
    int64_t ReverseStart = -1;   // -1 none
    int64_t ReverseEnd = 0;
    int64_t PauseStart = -1;     // -1 none
    int32_t AddFishesIndex = 0;  // next entry of the level's AddFishesList
    int32_t SpecialCountdown = 0;  // pieces until the next special piece; 0 due, -1 none
    TBonusEnables Bonuses;
    // Pieces are born by the birth rules; demo playback turns this off and adds the
    // recorded pieces instead.
    bool RuleBirths = true;
    // The belt's pop-up hints (a money bag, a garment falling into the hatch) show once.
    bool BagHintShown = false;
    bool FallHintShown = false;
    // Clicks that took nothing in the last few seconds, and whether they led to a hint.
    std::vector<int64_t> FruitlessClicks;
    bool OverClickingHintShown = false;
};

struct TLevelGoals {
    int32_t Prize = 0;
    int32_t Goal = 0;
    int32_t ExGoal = 0;
    int32_t GreatGoal = 0;
};

struct TLevelTimes {
    int32_t LevelTime = 0;  // ms
    int32_t TimeLeft = 0;   // ms, never below 0
    int64_t LevelStart = 0;
    int64_t ReadyAt = 0;    // the level may be played from then (set when it loads)
    int64_t CompleteAt = 0;
    int64_t FailAt = 0;
};

// Demo recording and playback of this level.
struct TLevelDemo {
    bool Recording = false;
    bool Playback = false;  // this level replays a demo
    int64_t RecordStart = 0;
    std::vector<std::string> Lines;
};

// The services a level uses; any may be missing (a stand-in that does nothing is used).
struct TLevelLinks {
    const TFishkaTypes* Types = nullptr;
    TRandom* Random = nullptr;  // the gameplay stream (demos replay it)
    TGameLog* Log = nullptr;
    ILevelPictures* Pictures = nullptr;
    ILevelEffects* Effects = nullptr;
    ISoundEvents* Sounds = nullptr;
    IBeltEvents* Events = nullptr;
    const TPlayer* Player = nullptr;
};

class tLevel {
public:
    explicit tLevel(TLevelLinks links = {});
    ~tLevel();
    tLevel(const tLevel&) = delete;
    tLevel& operator=(const tLevel&) = delete;

    // Which level this is.
    std::string FileName;
    int32_t Episod = 0;
    int32_t LevelIndex = 0;

    // From the level file.
    TLevelScene Scene;
    std::vector<TLenta> Lentas;
    std::vector<int32_t> LevelFishes;          // piece type indices
    std::vector<int32_t> CountCompleteFishes;  // parallel to LevelFishes, 4 by default
    TBoxGrid Box;
    std::vector<std::string> LoadedPictures;   // what this level loaded, to release later

    // While the level runs.
    TBelt Belt;
    TBeltTuning Tuning;
    TLevelGoals Goals;
    TLevelTimes Times;
    int32_t DialogIndex = 0;  // next entry of Scene.DialogList
    TLevelDemo Demo;
    // The level's own running effects (its scene effects among them); the screen effect
    // manager ticks them while the level is loaded.
    TScreenEffects EffectList;
    TLevelPlay Play;  // customers, score, the level's flow and its results

    TLevelLinks Links;

    // The links, or a stand-in when one is missing.
    const TFishkaTypes& Types() const;
    TRandom& Random();
    ILevelPictures& Pictures();
    ILevelEffects& Effects();
    ISoundEvents& Sounds();
    IBeltEvents& Events();
    // Writes one line to the game log, when there is one.
    void WriteLog(const std::string& message) const;

    // The piece type of a piece or index; nothing outside the table.
    const TFishkaType* TypeOf(const TFish& fish) const { return Types().Type(fish.TypeIndex); }
    // The belt the pieces ride; nothing when the level has no usable belt.
    TLenta* FirstLenta();
    const TLenta* FirstLenta() const;
    bool IsBonusLevel() const { return Scene.Bonus; }
    bool IsPixelLevel() const { return Scene.LevelState == TLevelState::lsPixel; }

private:
    struct TStandIns;
    TRandom fallbackRandom_;
    std::unique_ptr<TStandIns> standIns_;
};
