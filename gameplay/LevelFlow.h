// The life of a level once its file is loaded: how it is set up to run (goals, time, belt
// speed, panels, music), its game timer (dialogs, score display and goal events, the
// clock, time-out), pausing and resuming, and when it is complete or failed.
#pragma once

#include "gameplay/LevelFrame.h"

#include <cstdint>
#include <string>

class TLevelGame;
class tLevel;

enum class TLevelPhase : uint8_t {
    Loaded,    // read from its file, not yet run
    Running,   // played (also while paused under a window or dialog)
    Complete,  // won: the end animation and the results
    Failed,
};

// How far the score has come. The expert goal is celebrated only after the goal, even
// when a level sets it lower.
enum class TGoalState : uint8_t { Below, Goal, ExGoal };

struct TLevelFlow {
    TLevelPhase Phase = TLevelPhase::Loaded;
    bool InputEnabled = false;  // the player's clicks reach the belt
    bool Paused = false;
    int64_t PausedAt = 0;
    int64_t AlertAt = 0;  // the next time the time alert may sound
    TGoalState Goals = TGoalState::Below;
    bool ResultsShown = false;
    int64_t ResultsShowAt = 0;  // 0 none
    int64_t UnlockShowAt = 0;   // an unlocked upgrade's window is due; 0 none
    int32_t UnlockSlot = 0;
    int32_t CompleteNeed = 0;
    int32_t PersCount = 0;
    std::string Music;
    std::string MusicPattern;
    TLevelScreen BeforeLevelScreen = TLevelScreen::Level;  // where the window before the level returns
    std::string DialogPlaying;  // the script of the dialog over the level, if any

    bool GoalReached() const { return Goals != TGoalState::Below; }
    bool ExGoalReached() const { return Goals == TGoalState::ExGoal; }
};

// Sets a loaded level up to run: goals and time from its episode entry, the adaptive level
// time, the belt's speed, the upgrades bought, the panels and the music. Called once the
// level file is loaded; the level's start time is taken after it.
void RunLevel(tLevel& level, TLevelGame& game);

// One frame of a played level: dialogs due, the score display and the goals, the clock and
// the time-out, then the belt, the level's end timers and the customers. While the level
// is paused only the belt's frame runs.
void TickGameTimer(tLevel& level, TLevelGame& game, const TLevelFrame& frame);
// The level's end timers: failed or complete when their time has come (not while the
// level is paused).
void TickGameCompleteTimer(tLevel& level, TLevelGame& game, int64_t now);

// The next timed dialog of the level's `DialogList`, when its time has come: the level
// pauses under it. True when one started (the rest of the frame waits). Every kind of
// day plays its dialogs through this.
bool PlayDueDialog(tLevel& level, TLevelGame& game, int64_t now);

// A window or dialog stops the level's clock; resuming moves every pending time of the
// level by the time it was paused, so no time is lost.
void PauseLevel(tLevel& level, int64_t now);
void ResumeLevel(tLevel& level, int64_t duration);

// The dialog over the level has ended: the level is played again.
void DialogEnded(tLevel& level, TLevelGame& game, int64_t now);

// Whether the player's clicks reach the belt now.
bool LevelAcceptsInput(const tLevel& level);

// "m:ss" of a time in ms.
std::string FormatMinutes(int32_t ms);

// The clock panel's picture: "MPanel_" + the twelfths of the level time used + ".png". A
// level without time shows its time as used up (the full panel; pixel levels the empty one).
std::string ClockPanelPicture(const tLevel& level);
