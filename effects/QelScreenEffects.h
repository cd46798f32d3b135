// The game's running screen effects: lists of records, each a particle effect read from
// an effect file with a position, an optional picture or text, a start delay, a repeat
// interval and a completion callback; their ticking with the game clock, drawing onto a
// surface (or into its alpha plane), deletion by name, the ready-made flights ("Move"
// and the coin flights, driven by generated path scripts) and the level-complete
// celebration.
//
// The manager owns the main and the second screen list and the flight templates; the
// running level owns its own list and hands it in (Level). Deleting a record while a list
// is being walked (from a callback, say) only marks it; it leaves the list when the walk
// ends, so no walk ever skips or revisits a record.
#pragma once

#include "effects/QelFXDraw.h"
#include "effects/QelFXParticles.h"
#include "foundation/Geometry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class IClock;
class TDataSource;
class TGameLog;
class TQelFontEngine;
class TRandom;
class TRedrawGrid;
class TSurfEngine;

// Sounds the effect manager starts; the sound list implements it.
class IQelEffectSounds {
public:
    virtual ~IQelEffectSounds() = default;
    virtual void PlaySound(const std::string& name, int volume) = 0;
};

using TQelEffectCallback = std::function<void(const std::string& argument)>;

// One running screen effect.
struct TPartEffect {
    std::string Name;
    // A surface that replaces every system's Resource; for a text effect, the text.
    std::string Picture;
    int32_t X = 0;
    int32_t Y = 0;
    std::string Script;       // given to the effect's function "FPath"
    int64_t EndTime = -1;     // > 0: the game time at which the effect ends
    std::unique_ptr<TQelParticleEffect> Effect;
    TRect Clip = kWholeFrameClip;
    bool IsText = false;
    int32_t Font = -1;        // index in the font engine, for text effects
    int32_t Color = -1;       // text colour; -1 = each particle's Color
    bool Running = false;
    int64_t NextStart = -1;
    int32_t RepeatInterval = 0;  // ms between restarts; 0 = deleted when finished
    std::string CallbackArg;
    TQelEffectCallback Callback;  // called once the record is gone

    bool Deleted = false;  // marked during a walk; leaves the list when the walk ends
};

// A list of records. Indexes count only records that are not marked deleted.
class TScreenEffects {
public:
    int Count() const;
    TPartEffect* At(int index) const;
    // The first record of that name, or -1.
    int IndexOf(const std::string& name) const;
    TPartEffect* Find(const std::string& name) const { return At(IndexOf(name)); }
    TPartEffect& Append(std::unique_ptr<TPartEffect> record);

    // Removes the record (its effect is freed), then calls its callback.
    void Delete(int index);
    // The first record of that name; false when there is none.
    bool DeleteByName(const std::string& name);
    // Every record of that name, without callbacks.
    void DeleteAllByName(const std::string& name);
    // Every record, each with its callback; records the callbacks create stay.
    void DeleteAll();

    // The record itself, with its callback; nothing when it is not in the list.
    void DeleteRecord(const TPartEffect& record);

    // Walks every record present when the walk starts; deletions during it are deferred.
    void ForEach(const std::function<void(TPartEffect&)>& visit);

private:
    struct TWalk;
    size_t RawIndex(int index) const;
    void Remove(size_t raw, bool withCallback);
    void Compact();

    std::vector<std::unique_ptr<TPartEffect>> records_;
    int walking_ = 0;
};

// What CreateQelEffectFromFile needs besides the list and the record's name.
struct TQelEffectParams {
    std::string File;          // the effect file, e.g. "efGoal.xml"
    std::string Picture;       // a surface replacing the systems' pictures, or the text
    bool IsText = false;
    std::string FontName;      // for text effects
    int32_t X = 0;
    int32_t Y = 0;
    int64_t StartTime = -1;    // -1 = now
    bool Running = true;
    int32_t RepeatInterval = 0;
    int32_t Color = -1;
    std::optional<TRect> Clip;
    std::string Script;        // for the function "FPath"
    std::string CallbackArg;
    TQelEffectCallback Callback;
};

// A straight or ballistic flight of a picture.
struct TQelFlight {
    std::string Name = "Move";
    int64_t StartTime = -1;  // -1 = now
    int32_t Duration = 400;  // ms (straight flights)
    int32_t X1 = 0, Y1 = 0;  // from
    int32_t X2 = 0, Y2 = 0;  // to
    std::string Picture;
};

// The flight templates, in the order LoadGameEffects reads them.
enum class TQelFlightTemplate { Move, MoveCoin, CoinToHole, Move2 };

// The vertical start speed that takes a body thrown at horizontal speed h from one point
// through another under the downward gravity (pixels per second squared), and the
// horizontal speed actually used. The gameplay's own ballistic helper may replace it.
struct TQelBallistic {
    double Horizontal = 0;
    double Vertical = 0;
};
using TQelBallisticSolver = std::function<TQelBallistic(double x1, double y1, double x2, double y2, double h, double gravity)>;
TQelBallistic SolveBallistic(double x1, double y1, double x2, double y2, double h, double gravity);

class TQelScreenEffectManager {
public:
    TQelScreenEffectManager(TSurfEngine& surfaces, const TDataSource& data, const IClock& clock, TRandom& cosmetic);
    ~TQelScreenEffectManager();

    // Links the game sets once its parts exist; each may stay empty.
    TQelFontEngine* Fonts = nullptr;
    TRedrawGrid* Grid = nullptr;
    IQelEffectSounds* Sounds = nullptr;
    TGameLog* Log = nullptr;
    TQelBallisticSolver Ballistic = SolveBallistic;

    TScreenEffects Main;    // the main screen list
    TScreenEffects Second;  // ticked the same way, drawn by whoever owns the screen
    TScreenEffects* Level = nullptr;  // the running level's list, when a level is loaded
    // Effects ticked on their own, outside any list (the game's two stand-alone effects).
    TQelParticleEffect* StandAlone[2] = {nullptr, nullptr};
    // Called in each tick after the first stand-alone effect: the level ticks its own
    // effect and the effects attached to its objects.
    std::function<void(int64_t now)> TickLevelEffects;

    // Reads the effect file and appends a record; nothing (and a log line) when the file
    // is missing from the archive. Failures raise TQelException after the record is
    // removed again.
    TPartEffect* CreateQelEffectFromFile(TScreenEffects& list, const std::string& name, const TQelEffectParams& params);
    // A loaded effect of the given file, started at start, with its pictures loaded;
    // throws TQelException. The building block of records, widgets and dialogs.
    std::unique_ptr<TQelParticleEffect> LoadEffect(const std::string& file);
    void LoadEffectResources(const TQelParticleEffect& effect);

    // Ticks, restarts and deletes; failures are logged as "Error TickEffectsTimer".
    void TickEffectsTimer(int64_t now);
    // Plays the sound at the first tick after the time.
    void QueueSound(const std::string& name, int64_t time);

    void DrawQelScreenEffects(const std::string& destination, TScreenEffects& list);
    void DrawQelScreenEffectsOnAlpha(const std::string& destination, TScreenEffects& list);

    void DeleteQelScreenEffect(TScreenEffects& list, int index);
    void DeleteQelScreenEffectByName(TScreenEffects& list, const std::string& name);
    void DeleteAllScreenEffectByName(TScreenEffects& list, const std::string& name);
    void DeleteAllEffects(TScreenEffects& list);

    // Flights. LoadGameEffects reads the templates "efMove.xml", "efMoveCoin.xml",
    // "efCoinToHole.xml" and "efMove.xml"; the flights copy them.
    void LoadGameEffects();
    const TQelParticleEffect* FlightTemplate(TQelFlightTemplate which) const;
    // A straight flight of d ms: "FPath" runs from (x1, y1) to (x2, y2); "FAlpha" keeps
    // the picture opaque for three quarters of the time and fades it in the last.
    TPartEffect* CreateMoveEffect(const TQelFlight& flight, TQelFlightTemplate which = TQelFlightTemplate::Move);
    // A thrown flight ("FallOutfits"): the morph "MPosition"'s first (parabolic) function
    // gets the start, the speeds and gravity 800. "efMoveCoin.xml" is the thrown template;
    // "efCoinToHole.xml" serves the straight "MoveCoin" flights.
    TPartEffect* CreateBallisticMoveEffect(const TQelFlight& flight, TQelFlightTemplate which = TQelFlightTemplate::MoveCoin);
    // The fixed scripts of a straight flight.
    static std::string MoveScript(int32_t duration, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    static std::string FadeScript(int32_t duration);

    // Marks the whole screen, and starts "efLevelComplete.xml" 100 ms and
    // "efLevelCompleteStars.xml" 1600 ms from now in the main list.
    void StartLevelCompleteEffects(int64_t now);

private:
    void TickList(TScreenEffects& list, int64_t now);
    void DrawList(const std::string& destination, TScreenEffects& list, bool onAlpha);
    void DrawText(const std::string& destination, TPartEffect& record);
    void LogLine(const std::string& message) const;
    uint32_t Now32() const;

    TSurfEngine& surfaces_;
    const TDataSource& data_;
    const IClock& clock_;
    TRandom& random_;
    std::unique_ptr<TQelParticleEffect> templates_[4];
    struct TDelayedSound {
        std::string Name;
        int64_t Time;
    };
    std::vector<TDelayedSound> sounds_;
};
