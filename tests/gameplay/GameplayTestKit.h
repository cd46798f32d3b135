// Shared pieces of the gameplay tests: services that record what the level asked of them,
// a log whose lines the tests see, a small piece type table and a level on a straight belt.
#pragma once

#include "audio/SoundEvents.h"
#include "effects/QelFXParticles.h"
#include "foundation/Clock.h"
#include "foundation/QelLog.h"
#include "foundation/Random.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFrame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

// Pictures with sizes given by the test; every load and release is recorded.
class TFakePictures final : public ILevelPictures {
public:
    bool HasPicture(std::string_view name) const override { return Loaded.count(std::string(name)) > 0; }
    bool PictureSize(std::string_view name, int32_t& width, int32_t& height) const override
    {
        auto it = Sizes.find(std::string(name));
        width = it == Sizes.end() ? 0 : it->second.first;
        height = it == Sizes.end() ? 0 : it->second.second;
        return it != Sizes.end();
    }
    void LoadPicture(std::string_view name) override
    {
        Loads.emplace_back(name);
        Loaded.insert(std::string(name));
    }
    void ReleasePicture(std::string_view name) override
    {
        Releases.emplace_back(name);
        Loaded.erase(std::string(name));
    }
    bool IsPermanent(std::string_view name) const override { return Permanent.count(std::string(name)) > 0; }

    std::map<std::string, std::pair<int32_t, int32_t>> Sizes;
    std::set<std::string> Loaded;
    std::set<std::string> Permanent;
    std::vector<std::string> Loads;
    std::vector<std::string> Releases;
};

// Every effect and flight the level started, as "file@x,y" or "flight:name".
class TRecordingEffects final : public ILevelEffects {
public:
    void CreateEffect(TEffectList, const std::string& file, int32_t x, int32_t y, int64_t, const std::string&) override
    {
        Effects.push_back(file + "@" + std::to_string(x) + "," + std::to_string(y));
    }
    void CreateMoveEffect(const std::string& name, const std::string&, TPoint, TPoint, int32_t, int64_t) override
    {
        Flights.push_back(name);
    }
    void CreateBallisticMoveEffect(const std::string& name, const std::string&, TPoint, TPoint) override
    {
        Flights.push_back(name);
    }
    void DeleteAllEffects(TEffectList list) override { Cleared.push_back(list); }
    std::unique_ptr<TQelParticleEffect> LoadPieceEffect(const std::string& file, int64_t) override
    {
        PieceEffects.push_back(file);
        return nullptr;
    }
    int Count(const std::string& file) const
    {
        return static_cast<int>(std::count_if(Effects.begin(), Effects.end(),
                                              [&](const std::string& e) { return e.rfind(file + "@", 0) == 0; }));
    }

    std::vector<std::string> Effects;
    std::vector<std::string> Flights;
    std::vector<TEffectList> Cleared;
    std::vector<std::string> PieceEffects;
};

class TRecordingBeltEvents final : public IBeltEvents {
public:
    void CheckSelect(tLevel&) override { ++Selects; }
    void GarmentLost(tLevel&, const TFish& fish) override { Lost.push_back(fish.TypeIndex); }
    void PieceLeft(tLevel&, const TFish& fish) override { Left.push_back(fish.Position); }
    bool ShowHints(tLevel&, const std::string& script, int32_t, int32_t) override
    {
        Hints.push_back(script);
        return true;
    }
    int Selects = 0;
    std::vector<int32_t> Lost;
    std::vector<int32_t> Left;
    std::vector<std::string> Hints;
};

// A game log without files whose lines the test reads; Strict fails the test on any line.
class TTestLog {
public:
    TTestLog() : log(std::filesystem::path(), clock)
    {
        log.Listener = [this](const std::string& line, const std::string&) { Lines.push_back(line); };
    }
    TManualClock clock;
    TGameLog log;
    std::vector<std::string> Lines;
};

// A small piece type table: three two-part and one three-part garment types and one
// four-part type.
inline const char* kTestTypes = R"(<FishkaTypes>
  <FishkaType Name="Dress_2" FileName="Dress_2" PieceCount="2" Style="standart" CenterX="30">
    <Pieces>
      <Piece Hierarchy="1" FileName="Dress_2_1.png" ShiftX="1" ShiftY="2" />
      <Piece Hierarchy="2" FileName="Dress_2_2.png" Effect="efSparkle.xml" EffectX="5" EffectY="6" />
      <Piece Hierarchy="12" FileName="Dress_2_12.png" Effect="efDone.xml" />
    </Pieces>
    <Colors><Color Hue="10" Saturation="-5" Lightnes="3" ImagePostFix="a" /></Colors>
  </FishkaType>
  <FishkaType Name="Suit_2" FileName="Suit_2" PieceCount="2" Style="standart" />
  <FishkaType Name="Coat_2" FileName="Coat_2" PieceCount="2" Style="standart" />
  <FishkaType Name="Hat_3" FileName="Hat_3" PieceCount="3" Style="standart" />
  <FishkaType Name="Gown_4" FileName="Gown_4" PieceCount="4" Style="standart" />
</FishkaTypes>)";

// A straight belt 400 pixels long: 10000 path units at the authored timing.
inline const char* kStraightBelt = "Set Linear; Set Timing +0.04; Path (100,300) (500,300); Ending Stop (500,300);";

// A level on the straight belt with the test types and recording services.
class TBeltFixture : public ::testing::Test {
protected:
    TBeltFixture()
    {
        types.LoadFishkaTypesText(kTestTypes, testLog.log);
        level = std::make_unique<tLevel>(Links());
        TLenta lenta;
        lenta.SetPathScript(kStraightBelt);
        lenta.Speed = 40;
        lenta.SpeedKoeff = 1.0;
        level->Lentas.push_back(std::move(lenta));
        level->LevelFishes = {0, 1, 2};
        level->Scene.Stoika = {"Stoika.png", 60, 100};
    }

    TLevelLinks Links()
    {
        TLevelLinks links;
        links.Types = &types;
        links.Random = &random;
        links.Log = &testLog.log;
        links.Pictures = &pictures;
        links.Effects = &effects;
        links.Sounds = &sounds;
        links.Events = &events;
        return links;
    }

    // A garment standing at a position.
    TFish& Put(int32_t position, int32_t type = 0, int part = 1)
    {
        TFish fish;
        fish.TypeIndex = type;
        fish.Parts[static_cast<size_t>(part - 1)] = true;
        fish.Position = position;
        level->Belt.Fishes.push_back(std::move(fish));
        return level->Belt.Fishes.back();
    }

    std::vector<int32_t> Positions() const
    {
        std::vector<int32_t> positions;
        for (const TFish& fish : level->Belt.Fishes)
            positions.push_back(fish.Position);
        return positions;
    }

    TLevelFrame Frame(int64_t now, int64_t dt = 20, TLevelMode mode = TLevelMode::Playing)
    {
        return {now, dt, mode, true};
    }

    TTestLog testLog;
    TFishkaTypes types;
    TRandom random{12345};
    TFakePictures pictures;
    TRecordingEffects effects;
    TRecordingSounds sounds;
    TRecordingBeltEvents events;
    std::unique_ptr<tLevel> level;
};
