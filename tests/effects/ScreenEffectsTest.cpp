// The screen effect manager: record lifetimes, repeats, deletion by name and from
// callbacks, delayed starts, flights, text effects, drawing and anime files.
#include "effects/QelAnime.h"
#include "effects/QelScreenEffects.h"

#include "foundation/Clock.h"
#include "foundation/DataSource.h"
#include "foundation/FileFolder.h"
#include "foundation/QelLog.h"
#include "foundation/Random.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"
#include "tests/common/TempFolder.h"
#include "text/QelFontEngine.h"

#include <gtest/gtest.h>

namespace {

// One particle standing at (100, 100); the effect lasts `lifetime` seconds.
std::string DotEffect(const std::string& lifetime, const std::string& resource = "Dot.png")
{
    return "<ParticleEffect Name=\"efDot\"" + (lifetime.empty() ? std::string() : " Lifetime=\"" + lifetime + "\"") +
        "><Functions><Function Name=\"FAt\" Dim=\"2\" Type=\"constant\"><Value>(100,100)</Value></Function>"
        "</Functions><Morphs><Morph Name=\"MAt\" Dim=\"2\"><Functions><Function Name=\"FAt\"/></Functions></Morph>"
        "</Morphs><Particles><Particle Name=\"P\"><Parameter Name=\"Position\" Dim=\"2\" Morph=\"MAt\"/></Particle>"
        "</Particles><ParticleSystems><ParticleSystem Name=\"S\" Template=\"P\"><InitParticles>1</InitParticles>"
        "<Resource>" +
        resource + "</Resource></ParticleSystem></ParticleSystems></ParticleEffect>";
}

// A flight template: "FPath" moves the particle, "FAlpha" fades it.
constexpr const char* kMoveTemplate =
    "<ParticleEffect Name=\"efMove\"><Functions>"
    "<Function Name=\"FPath\" Dim=\"2\" Type=\"piecewise\"/><Function Name=\"FAlpha\" Dim=\"1\" Type=\"piecewise\"/>"
    "<Function Name=\"FArc\" Dim=\"2\" Type=\"parabolic\"/></Functions><Morphs>"
    "<Morph Name=\"MPath\" Dim=\"2\"><Functions><Function Name=\"FPath\"/></Functions></Morph>"
    "<Morph Name=\"MAlpha\" Dim=\"1\"><Functions><Function Name=\"FAlpha\"/></Functions></Morph>"
    "<Morph Name=\"MPosition\" Dim=\"2\"><Functions><Function Name=\"FArc\"/></Functions></Morph></Morphs>"
    "<Particles><Particle Name=\"P\"><Parameter Name=\"Position\" Dim=\"2\" Morph=\"MPath\"/>"
    "<Parameter Name=\"Alpha\" Dim=\"1\" Morph=\"MAlpha\"/></Particle>"
    "<Particle Name=\"PArc\"><Parameter Name=\"Position\" Dim=\"2\" Morph=\"MPosition\"/></Particle></Particles>"
    "<ParticleSystems><ParticleSystem Name=\"S\" Template=\"P\"><InitParticles>1</InitParticles>"
    "<Resource>Dot.png</Resource></ParticleSystem></ParticleSystems></ParticleEffect>";

constexpr const char* kArcTemplate =
    "<ParticleEffect Name=\"efMoveCoin\"><Functions><Function Name=\"FArc\" Dim=\"2\" Type=\"parabolic\"/></Functions>"
    "<Morphs><Morph Name=\"MPosition\" Dim=\"2\"><Functions><Function Name=\"FArc\"/></Functions></Morph></Morphs>"
    "<Particles><Particle Name=\"P\"><Parameter Name=\"Position\" Dim=\"2\" Morph=\"MPosition\"/></Particle></Particles>"
    "<ParticleSystems><ParticleSystem Name=\"S\" Template=\"P\"><InitParticles>1</InitParticles>"
    "<Resource>Dot.png</Resource></ParticleSystem></ParticleSystems></ParticleEffect>";

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

struct TScreenFixture : ::testing::Test {
    TTempFolder folder;
    TManualClock clock {10000};
    TRandom random {5};
    TSurfEngine surfaces {TDisplayFormat::Bgr32()};
    std::unique_ptr<TDataSource> data;
    std::unique_ptr<TGameLog> log;
    std::vector<std::string> logLines;
    std::unique_ptr<TQelScreenEffectManager> fx;
    TRedrawGrid grid;

    void SetUp() override
    {
        folder.Write("efDot.xml", DotEffect("0.5"));
        folder.Write("efForever.xml", DotEffect(""));
        folder.Write("efMove.xml", kMoveTemplate);
        folder.Write("efMoveCoin.xml", kArcTemplate);
        folder.Write("efCoinToHole.xml", kMoveTemplate);
        folder.Write("efBroken.xml", "<ParticleEffect Name=\"x\"><Functions/></ParticleEffect>");
        data = std::make_unique<TDataSource>(folder.Path());
        log = std::make_unique<TGameLog>(std::filesystem::path(), clock);
        log->Listener = [this](const std::string& m, const std::string&) { logLines.push_back(m); };
        ASSERT_TRUE(surfaces.NewSurface("MemorySurface", 800, 600));
        ASSERT_TRUE(surfaces.NewSurface("MemoryBuferAdd", 800, 600));
        ASSERT_TRUE(surfaces.NewSurface("Dot.png", 4, 4));
        auto* dot = surfaces.FindSurface("Dot.png");
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                reinterpret_cast<uint32_t*>(dot->Row(y))[x] = 0xFF0000;
        surfaces.CreateAlphaChannel("Dot.png", 255);
        fx = std::make_unique<TQelScreenEffectManager>(surfaces, *data, clock, random);
        fx->Log = log.get();
        fx->Grid = &grid;
    }

    TPartEffect* Create(const std::string& name, const std::string& file, TQelEffectParams params = {})
    {
        params.File = file;
        return fx->CreateQelEffectFromFile(fx->Main, name, params);
    }
    void RunUntil(int64_t until, int64_t step = 50)
    {
        while (clock.NowMs() < until) {
            clock.Advance(step);
            fx->TickEffectsTimer(clock.NowMs());
        }
    }
    uint32_t Pixel(int x, int y) const
    {
        return reinterpret_cast<const uint32_t*>(surfaces.FindSurface("MemorySurface")->Row(y))[x] & 0xFFFFFF;
    }
};

TEST_F(TScreenFixture, ARecordLeavesWhenItsEffectEndsThenItsCallbackRuns)
{
    std::vector<std::string> calls;
    TQelEffectParams params;
    params.CallbackArg = "done";
    params.Callback = [&](const std::string& arg) {
        calls.push_back(arg);
        EXPECT_EQ(fx->Main.IndexOf("Dot"), -1);  // already gone
    };
    ASSERT_TRUE(Create("Dot", "efDot.xml", params));
    EXPECT_EQ(fx->Main.Count(), 1);
    RunUntil(10450);
    EXPECT_EQ(fx->Main.Count(), 1);
    RunUntil(10500);
    EXPECT_EQ(fx->Main.Count(), 0);
    EXPECT_EQ(calls, std::vector<std::string> {"done"});
}

TEST_F(TScreenFixture, EndTimeEndsARecordToo)
{
    TPartEffect* r = Create("Forever", "efForever.xml");
    r->EndTime = 10200;
    RunUntil(10200);
    EXPECT_EQ(fx->Main.Count(), 1);
    RunUntil(10250);
    EXPECT_EQ(fx->Main.Count(), 0);
}

TEST_F(TScreenFixture, RepeatingRecordsRestartWithFreshParticles)
{
    TQelEffectParams params;
    params.RepeatInterval = 2000;
    TPartEffect* r = Create("Again", "efDot.xml", params);
    r->Effect->System(0)->Particles[0]->SetName("Old");
    RunUntil(10500);
    EXPECT_FALSE(r->Running);
    EXPECT_EQ(r->NextStart, 12000);
    RunUntil(12000);
    EXPECT_FALSE(r->Running);  // "before now" is strict
    RunUntil(12050);
    EXPECT_TRUE(r->Running);
    EXPECT_EQ(r->Effect->StartTime(), 12050u);
    ASSERT_EQ(r->Effect->System(0)->Count(), 1);
    EXPECT_EQ(r->Effect->System(0)->Particles[0]->Name(), "P0");
    EXPECT_EQ(r->Effect->System(0)->Particles[0]->BirthTime, 12050u);
}

TEST_F(TScreenFixture, DelayedRecordsTickButDrawOnlyOnceStarted)
{
    TQelEffectParams params;
    params.StartTime = 11000;
    Create("Later", "efForever.xml", params);
    RunUntil(10950);
    fx->DrawQelScreenEffects("MemorySurface", fx->Main);
    EXPECT_EQ(Pixel(99, 99), 0u);
    RunUntil(11000);
    fx->DrawQelScreenEffects("MemorySurface", fx->Main);
    EXPECT_EQ(Pixel(99, 99), 0xFF0000u);
    EXPECT_EQ(Pixel(98, 98), 0xFF0000u);
    EXPECT_EQ(Pixel(102, 102), 0u);
    EXPECT_EQ(grid.Count(5, 5), 2u);  // the cell holding (98, 98)
}

TEST_F(TScreenFixture, DeletionByName)
{
    std::vector<std::string> calls;
    TQelEffectParams params;
    params.Callback = [&](const std::string& a) { calls.push_back(a); };
    params.CallbackArg = "a";
    Create("Twin", "efForever.xml", params);
    params.CallbackArg = "b";
    Create("Twin", "efForever.xml", params);
    Create("Other", "efForever.xml", params);

    fx->DeleteQelScreenEffectByName(fx->Main, "Twin");
    EXPECT_EQ(fx->Main.Count(), 2);
    EXPECT_EQ(fx->Main.At(0)->CallbackArg, "b");
    EXPECT_EQ(calls, std::vector<std::string> {"a"});

    Create("Twin", "efForever.xml", params);
    fx->DeleteAllScreenEffectByName(fx->Main, "Twin");
    EXPECT_EQ(fx->Main.Count(), 1);
    EXPECT_EQ(fx->Main.IndexOf("Twin"), -1);
    EXPECT_EQ(calls.size(), 1u);  // no callbacks

    fx->DeleteAllEffects(fx->Main);
    EXPECT_EQ(fx->Main.Count(), 0);
    EXPECT_EQ(calls.size(), 2u);
}

TEST_F(TScreenFixture, CallbacksMayDeleteAndCreateDuringTheWalk)
{
    std::vector<std::string> calls;
    TQelEffectParams ending;
    ending.Callback = [&](const std::string& a) {
        calls.push_back(a);
        if (a == "first") {
            fx->DeleteQelScreenEffectByName(fx->Main, "Third");  // a later record of the walk
            Create("New", "efForever.xml");
        }
    };
    ending.CallbackArg = "first";
    Create("First", "efDot.xml", ending);
    ending.CallbackArg = "second";
    Create("Second", "efDot.xml", ending);
    ending.CallbackArg = "third";
    Create("Third", "efForever.xml", ending);
    RunUntil(10500);
    EXPECT_EQ(calls, (std::vector<std::string> {"first", "third", "second"}));
    ASSERT_EQ(fx->Main.Count(), 1);
    EXPECT_EQ(fx->Main.At(0)->Name, "New");
}

TEST_F(TScreenFixture, DeleteAllFromACallbackEndsTheWalkSafely)
{
    int calls = 0;
    TQelEffectParams ending;
    ending.Callback = [&](const std::string&) {
        if (++calls == 1)
            fx->DeleteAllEffects(fx->Main);
    };
    for (int i = 0; i < 4; ++i)
        Create("R" + std::to_string(i), "efDot.xml", ending);
    RunUntil(10500);
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(fx->Main.Count(), 0);
}

TEST_F(TScreenFixture, LoadingFailures)
{
    EXPECT_THROW(Create("Gone", "efGone.xml"), TQelException);
    EXPECT_THROW(Create("Broken", "efBroken.xml"), TQelException);
    EXPECT_EQ(fx->Main.Count(), 0);  // no record is left behind without its effect

    TQelEffectParams text;
    text.IsText = true;
    text.FontName = "NoFont";
    text.Picture = "+10";
    try {
        Create("Score", "efDot.xml", text);
        ADD_FAILURE();
    } catch (const TQelException& e) {
        EXPECT_STREQ(e.what(), "Exception error in TQelGameEngine.CreateQelEffectFromFile Score");
    }
    EXPECT_EQ(fx->Main.Count(), 0);
}

TEST_F(TScreenFixture, MissingArchiveEntryIsOnlyLogged)
{
    // In archive mode an effect must be an entry before anything else happens.
    WriteFileFolder(folder / "game.zxc", {TArchiveEntry {"efDot.xml", Bytes(DotEffect("1"))}});
    TDataSource archive(std::make_unique<TFileFolder>(folder / "game.zxc"));
    TQelScreenEffectManager onArchive(surfaces, archive, clock, random);
    onArchive.Log = log.get();
    TQelEffectParams params;
    params.File = "efGoal.xml";
    EXPECT_EQ(onArchive.CreateQelEffectFromFile(onArchive.Main, "efGoal.xml", params), nullptr);
    EXPECT_EQ(logLines, std::vector<std::string> {"Can not find file name efGoal.xml in GameFolder"});
}

TEST_F(TScreenFixture, DelayedSoundsPlayOnePerTick)
{
    struct TSounds : IQelEffectSounds {
        std::vector<std::string> Played;
        void PlaySound(const std::string& name, int volume) override
        {
            Played.push_back(name);
            EXPECT_EQ(volume, 100);
        }
    } sounds;
    fx->Sounds = &sounds;
    fx->QueueSound("Coin", 10020);
    fx->QueueSound("Bell", 10010);
    fx->QueueSound("Late", 20000);
    RunUntil(10050);
    EXPECT_EQ(sounds.Played, std::vector<std::string> {"Coin"});
    RunUntil(10100);
    EXPECT_EQ(sounds.Played, (std::vector<std::string> {"Coin", "Bell"}));
    RunUntil(19000, 1000);
    EXPECT_EQ(sounds.Played.size(), 2u);
}

TEST_F(TScreenFixture, FlightScriptsUseAPointAndOneDecimal)
{
    EXPECT_EQ(TQelScreenEffectManager::MoveScript(400, 10, 20, 300, -5),
        "Set Linear; Set Timing 0.4; Path (10,20) (300,-5); Ending Stop;");
    EXPECT_EQ(TQelScreenEffectManager::FadeScript(400), "Set Linear; Path (1) --\"0.3\" (1) --\"0.1\" (0); Ending Stop;");
    EXPECT_EQ(TQelScreenEffectManager::FadeScript(500), "Set Linear; Path (1) --\"0.4\" (1) --\"0.1\" (0); Ending Stop;");
}

TEST_F(TScreenFixture, StraightFlightMovesFadesAndEnds)
{
    fx->LoadGameEffects();
    TQelFlight flight;
    flight.Duration = 400;
    flight.X1 = 100;
    flight.Y1 = 100;
    flight.X2 = 300;
    flight.Y2 = 500;
    flight.Picture = "Dot.png";
    TPartEffect* r = fx->CreateMoveEffect(flight);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Name, "Move");
    RunUntil(10200);
    const TQelParticle& p = *r->Effect->System(0)->Particles[0];
    EXPECT_EQ(p.Value(ppPosition), (TQelVector {200, 300, 0}));
    EXPECT_FLOAT_EQ(p.Value(ppAlpha).X, 1);
    RunUntil(10350);
    EXPECT_NEAR(p.Value(ppAlpha).X, 0.5, 1e-4);
    RunUntil(10400);
    EXPECT_EQ(fx->Main.Count(), 0);
    // The template itself never moved.
    EXPECT_EQ(fx->FlightTemplate(TQelFlightTemplate::Move)->System(0)->Count(), 0);
}

TEST_F(TScreenFixture, ThrownFlightLandsOnTheTarget)
{
    fx->LoadGameEffects();
    for (int x2 : {700, 20, 130}) {
        TQelFlight flight;
        flight.Name = "FallOutfits";
        flight.X1 = 100;
        flight.Y1 = 400;
        flight.X2 = x2;
        flight.Y2 = 60;
        TPartEffect* r = fx->CreateBallisticMoveEffect(flight);
        ASSERT_TRUE(r);
        const uint32_t lifetime = r->Effect->Lifetime();
        EXPECT_GT(lifetime, 0u) << x2;
        r->Effect->Tick(r->Effect->StartTime() + lifetime);
        const TQelVector at = r->Effect->System(0)->Particles[0]->Value(ppPosition);
        EXPECT_NEAR(at.X, x2, 2) << x2;
        EXPECT_NEAR(at.Y, 60, 2) << x2;
        fx->DeleteAllEffects(fx->Main);
    }
    TQelFlight straightDown;
    straightDown.X1 = straightDown.X2 = 50;
    EXPECT_EQ(fx->CreateBallisticMoveEffect(straightDown)->Effect->Lifetime(), 0u);
}

TEST_F(TScreenFixture, TextEffectsWriteWithARim)
{
    TQelClassReg classes;
    RegisterFontClasses(classes);
    TQelFontEngine fonts(classes);
    TMemoryStream stream(std::string("<F Name=\"Digits\" Height=\"4\" Picture=\"Dot.png\" Metrics=\"32:0:0:0:4,43:0:0:0:4\"/>"));
    fonts.LoadFontFromStream(stream);
    fx->Fonts = &fonts;
    TQelEffectParams text;
    text.IsText = true;
    text.FontName = "Digits";
    text.Picture = "++";
    text.Color = 0x0000FF;
    TPartEffect* r = Create("Score", "efForever.xml", text);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Font, 0);
    fx->DrawQelScreenEffects("MemorySurface", fx->Main);
    // "++" is 8 wide and 4 high, centred on (100, 100): x 96..103, y 98..101.
    EXPECT_GT(Pixel(96, 98) >> 16, 0xF0u);           // red on top
    EXPECT_EQ(Pixel(96, 98) & 0xFFFF, 0u);
    EXPECT_GT((Pixel(94, 98) >> 8) & 0xFF, 0u);      // the yellow rim (green in it), two to the left
    EXPECT_EQ(Pixel(93, 98), 0u);
    EXPECT_EQ(fonts.Host, nullptr);                   // the font engine's own host is back
}

TEST(Anime, TimesAndPictures)
{
    TTempFolder folder;
    folder.Write("anime.xml", "<Anime Plus=\"100\" Mult=\"2\"><F Time=\"50\" Pict=\"a.png\"/><F><Time>0</Time>"
                              "<Pict>b.png</Pict></F><F Time=\"7\"/></Anime>");
    TDataSource data(folder.Path());
    TSurfEngine surfaces(TDisplayFormat::Bgr32());
    std::vector<int> progress;
    TAnime anime = LoadAnime(surfaces, data, "anime.xml", false, [&](int p) { progress.push_back(p); });
    ASSERT_EQ(anime.size(), 3u);
    EXPECT_EQ(anime[0].Time, 300);
    EXPECT_EQ(anime[0].Picture, "a.png");
    EXPECT_EQ(anime[1].Time, 200);
    EXPECT_EQ(anime[1].Picture, "b.png");
    EXPECT_EQ(anime[2].Time, 214);
    EXPECT_EQ(progress, (std::vector<int> {33, 67, 100}));
    EXPECT_TRUE(LoadAnime(surfaces, data, "missing.xml", false).empty());
}

}  // namespace
