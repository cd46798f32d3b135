// The shipped effect files: every file the code starts by name is there, reads without
// an error, runs on the fixed clock, draws pictures the content build makes, and has what
// the code looks up inside it.
#include "effects/QelFXParticles.h"

#include "foundation/Files.h"
#include "foundation/Random.h"

#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace {

// GLIM_TEST_DATA is tests/effects/data: the tree's root is three folders up.
const std::filesystem::path kContent =
    std::filesystem::path(GLIM_TEST_DATA).parent_path().parent_path().parent_path() / "content";
const std::filesystem::path kEffects = kContent / "data" / "effects";

// Files the code starts by a fixed name, and the title buttons' hover effects.
const char* const kFixedNames[] = {"efMove.xml", "efMoveCoin.xml", "efCoinToHole.xml", "efShow.xml", "efBP4-2.xml",
    "efTitle.xml", "efLevelComplete.xml", "efLevelCompleteStars.xml", "efGoal.xml", "efExGoal.xml", "efTimeEnd.xml",
    "efSelect.xml", "efMoneyBonus.xml", "efMoneyBonusClick.xml", "efMoneyBonusDisappear.xml", "efCoin1.xml", "efCoin.xml",
    "ef4BaksUp.xml", "efBonus10Minus.xml", "efBonusGreat.xml", "efBonusExcellent.xml", "efBonusIncredible.xml",
    "efBonusFantastic.xml", "efBonus.xml", "efFishkaCombined.xml", "efBonusReverce.xml", "efBonusPause.xml",
    "efBonusRepaint.xml", "efBonusRepaintOnWear.xml", "efBlickOnCombinedFishkas.xml", "efGoalFluctuating.xml",
    "efMach3_Excellent.xml", "efMach3_Great.xml", "efMach3_Basic.xml", "efError.xml", "efTochka.xml", "efHintFishka.xml",
    "efNoveltyWear.xml", "efCursorOnClothes.xml", "efCursorOnMap.xml", "efMap_Samolet.xml", "efMap-Oblaka.xml",
    "efMap_Bee.xml", "efMap_Svetofor.xml", "efMap_Bird.xml", "efMap_Birds.xml", "efMap_ManWithBalloons.xml",
    "efMap_Car.xml", "efMap_Fontan.xml", "efMap_ClickOnShop.xml", "efUnlockBox.xml", "efUnlockItem.xml", "efUpgrade.xml",
    "efOnStartGame.xml", "efOnOptions.xml", "efOnHighscore.xml", "efOnQuit.xml", "efOnStartGameDead.xml",
    "efOnOptionsDead.xml", "efOnHighscoreDead.xml", "efOnQuitDead.xml", "efMap_Flag.xml"};

// Pictures the code makes itself and hands to an effect.
const char* const kGeneratedPictures[] = {"BonusMoney.png"};

std::set<std::string> ManifestPictures()
{
    std::set<std::string> names(std::begin(kGeneratedPictures), std::end(kGeneratedPictures));
    std::ifstream in(kContent / "pictures" / "manifest.txt");
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string first;
        if (words >> first && first[0] != '#')
            names.insert(first);
    }
    return names;
}

std::unique_ptr<TQelParticleEffect> Load(const std::string& file, TRandom& random)
{
    auto effect = std::make_unique<TQelParticleEffect>();
    effect->Random = &random;
    auto bytes = ReadFileBytes(kEffects / file);
    if (!bytes)
        throw std::runtime_error("cannot read " + file);
    effect->LoadFromText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    return effect;
}

TEST(ContentEffects, EveryNamedEffectIsShipped)
{
    for (const char* name : kFixedNames)
        EXPECT_TRUE(std::filesystem::exists(kEffects / name)) << name;
}

TEST(ContentEffects, EveryFileReadsRunsAndDrawsKnownPictures)
{
    const std::set<std::string> pictures = ManifestPictures();
    const std::vector<std::string> files = ListFolder(kEffects);
    ASSERT_FALSE(files.empty());
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        TRandom random(7);
        std::unique_ptr<TQelParticleEffect> effect;
        try {
            effect = Load(file, random);
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
            continue;
        }
        EXPECT_EQ(effect->Name() + ".xml", file);
        for (int i = 0; i < effect->SystemCount(); ++i)
            EXPECT_TRUE(pictures.count(effect->System(i)->Resource)) << effect->System(i)->Resource;
        effect->Start(10000);
        EXPECT_TRUE(effect->Validate());
        for (uint32_t t = 10000; t <= 16000 && !effect->Finished(); t += 33)
            effect->Tick(t);
        if (effect->HasLifetime()) {
            EXPECT_TRUE(effect->Finished()) << "lifetime " << effect->Lifetime();
        }
    }
}

TEST(ContentEffects, WhatTheCodeLooksUpInside)
{
    TRandom random;
    for (const char* flight : {"efMove.xml", "efCoinToHole.xml"}) {
        auto e = Load(flight, random);
        EXPECT_TRUE(dynamic_cast<TQelPiecewiseFunc*>(e->FunctionByName("FPath"))) << flight;
        EXPECT_TRUE(dynamic_cast<TQelPiecewiseFunc*>(e->FunctionByName("FAlpha"))) << flight;
    }
    auto thrown = Load("efMoveCoin.xml", random);
    ASSERT_TRUE(thrown->MorphByName("MPosition"));
    EXPECT_TRUE(dynamic_cast<TQelParabolicFunc*>(thrown->MorphByName("MPosition")->Function(0)));
    for (const char* flight : {"efMach3_Excellent.xml", "efMach3_Great.xml", "efMach3_Basic.xml"})
        EXPECT_TRUE(Load(flight, random)->FunctionByName("FPath")) << flight;
    EXPECT_TRUE(Load("efMap_ClickOnShop.xml", random)->HasLifetime());  // its length delays the level start
    EXPECT_EQ(Load("efNoveltyWear.xml", random)->SystemCount(), 4);      // the code moves four emitters
}

}  // namespace
