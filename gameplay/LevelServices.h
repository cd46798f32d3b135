// What a running level reaches outside itself: pictures and the pictures it makes, screen
// effects and flights, the level rules that other parts of the level own, and the loading
// screen. Each has a
// do-nothing stand-in, so a level can run headless with any of them missing.
#pragma once

#include "foundation/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TQelParticleEffect;
class tLevel;
struct TFish;

// The picture store as the level sees it.
class ILevelPictures {
public:
    virtual ~ILevelPictures() = default;
    virtual bool HasPicture(std::string_view name) const = 0;
    // False (sizes 0) for a picture that is not loaded.
    virtual bool PictureSize(std::string_view name, int32_t& width, int32_t& height) const = 0;
    // Loads a picture of the game data under its own name; a missing or damaged file
    // leaves no picture (the store logs it). Never throws.
    virtual void LoadPicture(std::string_view name) = 0;
    virtual void ReleasePicture(std::string_view name) = 0;
    // Pictures loaded at start-up for the whole game, never released between levels.
    virtual bool IsPermanent(std::string_view name) const = 0;
};

// The pictures a level makes from others while it runs. The game makes them on the surface
// engine; headless runs may load stand-ins or make nothing.
class ILevelPictureMaker {
public:
    virtual ~ILevelPictureMaker() = default;
    // The pictures of the level's piece types: each part combination in the type's colours
    // with its halo, and the order pictures.
    virtual void MakeColorFishesSurfaces(tLevel& level) = 0;
    // Makes "BonusMoney.png" from "UnderBonusMoney.png" with the text in the fifth font.
    virtual void MakeBonusMoneyPicture(const std::string& text) = 0;
    // Makes picture name from source shrunk by divisor (the results' outfit pictures).
    virtual void MakeScaledPicture(const std::string& source, const std::string& name, double divisor) = 0;
};

// Which list a screen effect runs in: the game's main screen list, or the level's own.
enum class TEffectList : uint8_t { Screen, Level };

// Screen effects and flights by file name.
class ILevelEffects {
public:
    virtual ~ILevelEffects() = default;
    // An effect file played at (x, y) from startTime (-1 = now); picture replaces the
    // pictures of its particles when given.
    virtual void CreateEffect(TEffectList list, const std::string& file, int32_t x, int32_t y, int64_t startTime = -1,
                              const std::string& picture = {}) = 0;
    // A picture flying straight from one point to another in durationMs.
    virtual void CreateMoveEffect(const std::string& name, const std::string& picture, TPoint from, TPoint to,
                                  int32_t durationMs, int64_t startTime = -1) = 0;
    // A picture thrown from one point so that it falls through another.
    virtual void CreateBallisticMoveEffect(const std::string& name, const std::string& picture, TPoint from,
                                           TPoint to) = 0;
    virtual void DeleteAllEffects(TEffectList list) = 0;
    // The particle effect that follows one piece, started at startTime; nothing when the
    // file cannot be read.
    virtual std::unique_ptr<TQelParticleEffect> LoadPieceEffect(const std::string& file, int64_t startTime) = 0;
};

// What the belt asks of the rest of the level: selection and hover, scoring, customers
// and pop-up hints.
class IBeltEvents {
public:
    virtual ~IBeltEvents() = default;
    // The hover and selection check at the current mouse position (also after a piece
    // changed its parts under the mouse).
    virtual void CheckSelect(tLevel& level) = 0;
    // A garment fell into the hatch (outside demo playback): the score loses 10 and the
    // level is no longer played without a loss.
    virtual void GarmentLost(tLevel& level, const TFish& fish) = 0;
    // A served piece leaves the belt; it flies to its customer when that one is still
    // there.
    virtual void PieceLeft(tLevel& level, const TFish& fish) = 0;
    // Shows a pop-up hint at a piece, unless the player has seen that hint already. False
    // when it was not shown.
    virtual bool ShowHints(tLevel& level, const std::string& scriptFile, int32_t hintNumber, int32_t pieceIndex) = 0;
};

// The loading screen of a level.
class ILevelLoadProgress {
public:
    virtual ~ILevelLoadProgress() = default;
    // Shows "WLoadLevel_TFLoadingLevel".
    virtual void Show() = 0;
    virtual void SetPercent(int32_t percent) = 0;
};

class TNoPictures final : public ILevelPictures {
public:
    bool HasPicture(std::string_view) const override { return false; }
    bool PictureSize(std::string_view, int32_t& width, int32_t& height) const override
    {
        width = height = 0;
        return false;
    }
    void LoadPicture(std::string_view) override {}
    void ReleasePicture(std::string_view) override {}
    bool IsPermanent(std::string_view) const override { return false; }
};

class TNoPictureMaker final : public ILevelPictureMaker {
public:
    void MakeColorFishesSurfaces(tLevel&) override {}
    void MakeBonusMoneyPicture(const std::string&) override {}
    void MakeScaledPicture(const std::string&, const std::string&, double) override {}
};

class TNoEffects final : public ILevelEffects {
public:
    void CreateEffect(TEffectList, const std::string&, int32_t, int32_t, int64_t, const std::string&) override {}
    void CreateMoveEffect(const std::string&, const std::string&, TPoint, TPoint, int32_t, int64_t) override {}
    void CreateBallisticMoveEffect(const std::string&, const std::string&, TPoint, TPoint) override {}
    void DeleteAllEffects(TEffectList) override {}
    std::unique_ptr<TQelParticleEffect> LoadPieceEffect(const std::string&, int64_t) override;
};

class TNoBeltEvents final : public IBeltEvents {
public:
    void CheckSelect(tLevel&) override {}
    void GarmentLost(tLevel&, const TFish&) override {}
    void PieceLeft(tLevel&, const TFish&) override {}
    bool ShowHints(tLevel&, const std::string&, int32_t, int32_t) override { return false; }
};

class TNoLoadProgress final : public ILevelLoadProgress {
public:
    void Show() override {}
    void SetPercent(int32_t) override {}
};
