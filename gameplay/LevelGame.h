// What the customers, scoring, level flow and input of a level reach beyond the level
// itself: the player's record and the game's tables, the windows, the application's side
// of the level screen, the options and the flags the game keeps between levels. One object
// for the whole run of the game; each level is played through it.
#pragma once

#include "foundation/Geometry.h"
#include "foundation/Random.h"
#include "gameplay/LevelFrame.h"
#include "gameplay/LevelServices.h"
#include "metagame/Player.h"
#include "metagame/WidgetAccess.h"

#include <cstdint>
#include <memory>
#include <string>

class IClock;
class TEpisods;
class TManTypeTable;
class TShop;
class tLevel;
struct TLevelInEpisod;

// Windows shown and hidden by name, and their widgets' properties.
class ILevelWindows : public IWidgetAccess {
public:
    virtual void ShowModal(const std::string& name) = 0;
    virtual void HideModal(const std::string& name) = 0;
    // Whether that window is the top one (the one that gets input).
    virtual bool IsTopWindow(const std::string& name) const = 0;
};

// Where a pop-up hint's balloon goes.
struct THintPlacement {
    std::string Window;   // "WGame_RLPopUpHint_LeftBottom" ...
    std::string Picture;  // its balloon picture
    TPoint Pos;           // the balloon's top left
};

// The application's side of the level screen: the parts that belong to other screens,
// the dialog player, the profile file and the frame composer.
class ILevelHost {
public:
    virtual ~ILevelHost() = default;
    virtual void EnterScreen(TLevelScreen screen) = 0;
    virtual TLevelScreen Screen() const = 0;
    // Writes the player's record to the profile file (a full save).
    virtual void SavePlayer() = 0;
    // Starts a dialog script over the level. False when no dialog can play: the level
    // then goes on at once as if it had ended.
    virtual bool StartDialog(const std::string& script, int64_t now) = 0;
    // A pop-up hint in its balloon; pieceIndex and customerIndex name what it points at
    // (-1 none). False when it cannot play.
    virtual bool StartHint(const std::string& script, const THintPlacement& placement, int32_t pieceIndex,
                           int32_t customerIndex, int64_t now) = 0;
    // The window of an upgrade unlocked in the level (interior slot 1 to 6).
    virtual void ShowUnlockWindow(int32_t slot) = 0;
    virtual void StopMusic() = 0;
    // Screen effect records by name ("efTimeEnd.xml", "BasicGoal" ...).
    virtual void DeleteScreenEffect(const std::string& name) = 0;
    // Draws one frame with the mouse away and keeps it as the background under the
    // result windows.
    virtual void FreezeScene() = 0;
    // The alpha of a picture at a point of it; -1 when unknown (taken as opaque).
    virtual int32_t PictureAlpha(const std::string& picture, int32_t x, int32_t y) const = 0;
    // Marks the whole screen for redraw.
    virtual void RedrawAll() = 0;
};

// A host with no other screens: nothing is saved, played or drawn. Headless runs use it
// as it is or override what they need.
class TNoLevelHost : public ILevelHost {
public:
    void EnterScreen(TLevelScreen screen) override { screen_ = screen; }
    TLevelScreen Screen() const override { return screen_; }
    void SavePlayer() override {}
    bool StartDialog(const std::string&, int64_t) override { return false; }
    bool StartHint(const std::string&, const THintPlacement&, int32_t, int32_t, int64_t) override { return false; }
    void ShowUnlockWindow(int32_t) override {}
    void StopMusic() override {}
    void DeleteScreenEffect(const std::string&) override {}
    void FreezeScene() override {}
    int32_t PictureAlpha(const std::string&, int32_t, int32_t) const override { return -1; }
    void RedrawAll() override {}

private:
    TLevelScreen screen_ = TLevelScreen::Level;
};

// The game parameters the level time is worked out with.
struct TLevelTimeParams {
    double NewKostum = 0;     // more time per outfit bought since the last level
    double NewLevel = 0;
    double NewEpisod = 0;     // more time at the first level of an episode
    double NewStartGame = 0;  // more time until a level is won after the game starts
    double LoseLevel = 0;     // applies after a won level
    double Deduction1 = 0;    // less time per shop visit without buying, by outfit list
    double Deduction2 = 0;
    double Deduction3 = 0;
};

// What the game remembers between levels.
struct TSessionFlags {
    bool NoLevelWonYet = true;     // since the game data was loaded
    bool PreviousLevelWon = false;
    bool WonOrNewGame = false;     // the previous level was won or a new game began
};

struct TLevelOptions {
    int32_t StaySelect = 0;  // 1: nothing stays selected after a drop
    bool HintsOn = false;
    bool DebugMode = false;
    bool CustomLevel = false;  // started from the custom level list
};

class TLevelGame {
public:
    TLevelGame();
    ~TLevelGame();
    TLevelGame(const TLevelGame&) = delete;
    TLevelGame& operator=(const TLevelGame&) = delete;

    // Links; any may be missing (a stand-in is used).
    TPlayer* Player = nullptr;
    const TShop* Shop = nullptr;
    const TEpisods* Episods = nullptr;
    const TManTypeTable* Mans = nullptr;
    ILevelWindows* Windows = nullptr;
    ILevelHost* Host = nullptr;
    ILevelPictureMaker* PictureMaker = nullptr;
    TRandom* Cosmetic = nullptr;  // jitter of the result counters
    const IClock* Clock = nullptr;

    TLevelTimeParams Params;
    TSessionFlags Session;
    TLevelOptions Options;
    TPoint Mouse;  // the mouse position of the frame

    TPlayer& ThePlayer() { return Player ? *Player : fallbackPlayer_; }
    const TPlayer& ThePlayer() const { return Player ? *Player : fallbackPlayer_; }
    const TManTypeTable& TheMans() const;
    ILevelWindows& TheWindows();
    ILevelHost& TheHost();
    ILevelPictureMaker& ThePictureMaker();
    TRandom& TheCosmetic() { return Cosmetic ? *Cosmetic : fallbackRandom_; }
    int64_t Now() const;

    // The episode entry of a level (its tuning numbers); nothing when there is none.
    const TLevelInEpisod* LevelEntry(const tLevel& level) const;
    // The value a customer pays for an outfit of that piece type, before the shop bonus.
    int32_t TypeValue(const tLevel& level, int32_t typeIndex) const;
    // The "WResource_LCurrency" caption.
    std::string Currency();

private:
    struct TStandIns;
    TPlayer fallbackPlayer_;
    TRandom fallbackRandom_;
    std::unique_ptr<TStandIns> standIns_;
};

// A standard level: neither the bonus box nor the pixel search.
bool IsStandardLevel(const tLevel& level);
// The time has run out.
bool LevelTimeOver(const tLevel& level);
