// Shared pieces of the tests of customers, scoring, level flow and input: a host that
// records what the level asked of the application, a small cast of customer types, a shop
// with known outfit values, one episode, and a level on the straight test belt played
// through the game's rules on the manual clock.
#pragma once

#include "GameplayTestKit.h"

#include "gameplay/BeltMotion.h"
#include "gameplay/FishPictures.h"
#include "gameplay/LevelFlow.h"
#include "gameplay/LevelGame.h"
#include "gameplay/LevelInput.h"
#include "gameplay/LevelRules.h"
#include "gameplay/LevelWindows.h"
#include "gameplay/ManTypes.h"
#include "metagame/Episods.h"
#include "metagame/Shop.h"

class TRecordingLevelHost final : public ILevelHost {
public:
    void EnterScreen(TLevelScreen screen) override
    {
        Current = screen;
        Screens.push_back(screen);
    }
    TLevelScreen Screen() const override { return Current; }
    void SavePlayer() override { ++Saves; }
    bool StartDialog(const std::string& script, int64_t) override
    {
        Dialogs.push_back(script);
        return PlaysDialogs;
    }
    bool StartHint(const std::string& script, const THintPlacement& placement, int32_t, int32_t, int64_t) override
    {
        Hints.push_back(script + "@" + placement.Window);
        return PlaysDialogs;
    }
    void ShowUnlockWindow(int32_t slot) override { Unlocks.push_back(slot); }
    void StopMusic() override { ++MusicStops; }
    void DeleteScreenEffect(const std::string& name) override { Deleted.push_back(name); }
    void FreezeScene() override { ++Freezes; }
    int32_t PictureAlpha(const std::string& picture, int32_t x, int32_t y) const override
    {
        if (!AlphaOf)
            return -1;
        return AlphaOf(picture, x, y);
    }
    void RedrawAll() override {}

    TLevelScreen Current = TLevelScreen::Level;
    std::vector<TLevelScreen> Screens;
    int Saves = 0;
    bool PlaysDialogs = false;
    std::vector<std::string> Dialogs;
    std::vector<std::string> Hints;
    std::vector<int32_t> Unlocks;
    int MusicStops = 0;
    std::vector<std::string> Deleted;
    int Freezes = 0;
    std::function<int32_t(const std::string&, int32_t, int32_t)> AlphaOf;
};

// Every picture the level asked to be made.
class TRecordingPictureMaker final : public ILevelPictureMaker {
public:
    void MakeColorFishesSurfaces(tLevel&) override { ++PreparedLevels; }
    void MakeBonusMoneyPicture(const std::string& text) override { BonusTexts.push_back(text); }
    void MakeScaledPicture(const std::string& source, const std::string& name, double) override
    {
        Scaled.push_back(source + ">" + name);
    }

    int PreparedLevels = 0;
    std::vector<std::string> BonusTexts;
    std::vector<std::string> Scaled;
};

// Three customer types with a calm and an impatient animation each.
inline const char* kTestMans = R"(<Mans><ManTypes>
  <Man Name="Girl" Pict="Girl.png"><Timers TimeLeft="60" />
    <Animes TimeChangeAnime="500">
      <Anime Begin="0" End="40" AnimeFiles="GirlCross.xml" />
      <Anime Begin="41" End="100" AnimeFiles="GirlCalm.xml" />
      <Oblako Name="Oblako.png" Pos="20,-230" />
    </Animes>
  </Man>
  <Man Name="Boy" Pict="Boy.png"><Timers TimeLeft="60" />
    <Animes TimeChangeAnime="500">
      <Anime Begin="0" End="100" AnimeFiles="BoyCalm.xml" />
      <Oblako Name="Oblako.png" Pos="10,-220" />
    </Animes>
  </Man>
  <Man Name="Granny" Pict="Granny.png"><Timers TimeLeft="60" />
    <Animes TimeChangeAnime="500">
      <Anime Begin="0" End="100" AnimeFiles="GrannyCalm.xml" />
      <Oblako Name="Oblako.png" Pos="10,-220" />
    </Animes>
  </Man>
</ManTypes></Mans>)";

// Outfit values of the test piece types: Dress 10, Suit 12, Coat 14, Hat (3 parts) 20,
// Gown (4 parts) 30.
inline const char* kTestShop = R"(<ShopItems><Kostums>
  <K ID="Dress_2" Cost1="100" Value1="10" />
  <K ID="Suit_2" Cost1="100" Value1="12" />
  <K ID="Coat_2" Cost1="100" Value1="14" />
  <K ID="Hat_3" Cost2="100" Value2="20" />
  <K ID="Gown_4" Cost3="100" Value3="30" />
</Kostums><Upgrads /></ShopItems>)";

class TPlayFixture : public TBeltFixture {
protected:
    TPlayFixture() : rules(game)
    {
        mans.LoadMansText(kTestMans, testLog.log);
        mans.LoadAnimations({0, 1, 2}, [](const std::string& file) {
            std::string stem = file.substr(0, file.find('.'));
            return TAnime{{stem + "_1.png", 200}, {stem + "_2.png", 200}};
        });
        shop.LoadShopText(kTestShop, testLog.log);
        MakeEpisode();

        player.Name = "Ann";
        player.Kostums = {1, 1, 1};  // three columns: three customers at once
        player.Cur = 1;

        game.Player = &player;
        game.Shop = &shop;
        game.Episods = &episods;
        game.Mans = &mans;
        game.Windows = &windows;
        game.Host = &host;
        game.PictureMaker = &maker;
        game.Cosmetic = &cosmetic;
        game.Clock = &clock;
        windows.Properties[{"WResource_LCurrency", "Caption"}] = "$";

        level = std::make_unique<tLevel>(PlayLinks());
        TLenta lenta;
        lenta.SetPathScript(kStraightBelt);
        lenta.Speed = 40;
        lenta.SpeedKoeff = 1.0;
        level->Lentas.push_back(std::move(lenta));
        level->LevelFishes = {0, 1, 2};
        level->Scene.Stoika = {"Stoika.png", 60, 100};
        level->Scene.PersPosition = {{600, 400, false}, {680, 420, false}, {520, 380, false}};
        level->FileName = "Level_Test.xml";
        level->Episod = 0;
        level->LevelIndex = 1;
        level->Belt.RuleBirths = false;
        level->Goals = {0, 100, 200, 150};
        for (const char* name : {"FishkaTypes0_1.png", "FishkaTypes0_2.png", "FishkaTypes0_12.png"})
            pictures.Sizes[name] = {60, 80};
    }

    TLevelLinks PlayLinks()
    {
        TLevelLinks links = Links();
        links.Events = &rules;
        links.Player = &player;
        return links;
    }

    void MakeEpisode()
    {
        TEpisod episod;
        episod.LevelFishes = {{0, 1, 2}, {3, 4, 4}};
        TLevelInEpisod entry;
        entry.Name = "Level_Test.xml";
        entry.LevelTime = 120000;
        entry.Goal = 100;
        entry.ExGoal = 200;
        entry.GreatGoal = 150;
        entry.SpeedLenta = 40;
        entry.Cast = {{0, "Girl", {{1}}}, {1, "Boy", {{2}}}, {2, "Granny", {{3}}}};
        episod.Levels = {entry, entry};
        episods.Items.push_back(std::move(episod));
    }

    // Starts the level running at the clock's time, with nobody in the shop yet.
    void Run(int64_t at = kClockStartMs + 100000)
    {
        clock.Set(at);
        RunLevel(*level, game);
        level->Times.LevelStart = at;
        if (level->Play.Flow.Paused)
            WBeforeLevel_BPlay_MouseUp(*level, game);
    }

    // A complete garment (or the given parts) at a position, with its pictures named.
    TFish& PutGarment(int32_t position, int32_t type, const char* parts)
    {
        TFish fish;
        fish.TypeIndex = type;
        fish.Parts = PartsFromDigits(parts);
        fish.Position = position;
        MakeFishSurfName(*level, fish);
        level->Belt.Fishes.push_back(std::move(fish));
        return level->Belt.Fishes.back();
    }

    // Places the pieces on the belt as a frame would, without moving them.
    void Place()
    {
        int64_t now = clock.NowMs();
        TickFishes(*level, Frame(now, 0, TLevelMode::Halted));
    }

    // Frames of 20 ms on the manual clock through the level's game timer.
    void Play(int64_t ms)
    {
        for (int64_t t = 0; t < ms; t += 20) {
            clock.Advance(20);
            TickGameTimer(*level, game, Frame(clock.NowMs(), 20));
        }
    }

    TPerson& Customer(size_t i) { return level->Play.Customers.Persons.at(i); }

    TManualClock clock;
    TManTypeTable mans;
    TShop shop;
    TEpisods episods;
    TPlayer player;
    TMemoryLevelWindows windows;
    TRecordingLevelHost host;
    TRecordingPictureMaker maker;
    TRandom cosmetic{7};
    TLevelGame game;
    TLevelRules rules;
};
