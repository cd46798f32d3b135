// The frame's sound work: when queued events play and how loud, the music stepping back
// under an event, music changes, the volume sliders, and where the tables come from.
#include "audio/SoundEngine.h"

#include "foundation/Clock.h"
#include "foundation/DataSource.h"
#include "foundation/FileFolder.h"
#include "foundation/QelLog.h"
#include "foundation/Random.h"
#include "tests/audio/RecordingAudioLibrary.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kEvents = R"(<?xml version="1.0"?>
<Sounds>
  <Interface><Click Volume="50" Pan="-20">click.ogg</Click></Interface>
  <Level>
    <Goal ChangeMusicPercent="50" ChangeMusicDuration="2000">goal.ogg</Goal>
    <Loud Volume="2147483647" Pan="150">click.ogg</Loud>
    <Nowhere>missing.ogg</Nowhere>
  </Level>
</Sounds>
)";

class SoundEngineTest : public ::testing::Test {
protected:
    SoundEngineTest()
    {
        data.Write("Sounds.xml", kEvents);
        data.Write("MusicPattern.xml", "<MusicPattern><M ID=\"Title\" Name=\"title.xm\"/></MusicPattern>");
        // Folder mode loads the modules first, then the samples, each in name order.
        data.Write("click.ogg", "click");
        data.Write("goal.ogg", "goal");
        data.Write("title.xm", "title-tune");
        data.Write("map.xm", "map-tune");
        log.Listener = [this](const std::string& line, const std::string&) { lines.push_back(line); };
    }

    void Load(std::filesystem::path programFolder = {})
    {
        TDataSource source(data.Path());
        if (programFolder.empty())
            programFolder = data.Path() / "program";
        engine.LoadOwnSamples(programFolder);
        engine.LoadDataSounds(source);
        engine.LoadSoundsEvents(programFolder, source);
        engine.LoadMusicPattern(source);
        audio.Take();
    }

    // One frame at time t.
    std::vector<std::string> Frame(int64_t t)
    {
        clock.Set(t);
        engine.SetFrameTime(t);
        engine.TickMusicTimer(t);
        return audio.Take();
    }

    TTempFolder data;
    TRecordingAudioLibrary audio;
    TManualClock clock{1000};
    TRandom random{1};
    TGameLog log{{}, clock};
    std::vector<std::string> lines;
    TSoundEngine engine{audio, clock, random, log};
};

TAudioHandle Handle(TSoundEngine& engine, const char* name) { return engine.List().GetMusicHandle(name); }

}  // namespace

TEST_F(SoundEngineTest, FolderModeLoadsModulesThenSamples)
{
    Load();
    std::vector<std::string> names;
    for (const TOneMusic& entry : engine.List().Entries())
        names.push_back(entry.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"map.xm", "title.xm", "click.ogg", "goal.ogg"}));
    EXPECT_EQ(engine.Music().GetMusicNameByID("Title"), "title.xm");
    EXPECT_TRUE(lines.empty());
}

TEST_F(SoundEngineTest, QueuedEventsPlayInTheFrameAfterTheirTime)
{
    Load();
    engine.ApplyVolumes(80, 60);
    audio.Take();
    const std::string click = "play sample " + std::to_string(Handle(engine, "click.ogg"));

    Frame(1000);
    engine.AddSoundEffect("Click");  // this frame's time: the next frame plays it
    engine.AddSoundEffect("Click", 100, 1400);
    EXPECT_TRUE(Frame(1000).empty());
    // Volume 50 of a sound volume of 60 is 30, under the library's global 60.
    EXPECT_EQ(Frame(1016), std::vector<std::string>{click + " vol 30 pan -20"});
    EXPECT_TRUE(Frame(1400).empty());
    EXPECT_EQ(Frame(1416), std::vector<std::string>{click + " vol 30 pan -20"});
    EXPECT_TRUE(engine.Queue().empty());

    // What the table asks beyond the library's ranges is held to them; unknown events and
    // sounds are silent.
    engine.AddSoundEffect("Loud");
    engine.AddSoundEffect("NoSuchEvent");
    engine.AddSoundEffect("Nowhere");
    EXPECT_EQ(Frame(1432), std::vector<std::string>{click + " vol 100 pan 100"});
    EXPECT_TRUE(engine.Queue().empty());
}

TEST_F(SoundEngineTest, AnEventStepsTheMusicBackForItsDuration)
{
    Load();
    engine.ApplyVolumes(80, 60);
    EXPECT_EQ(audio.Take(), std::vector<std::string>{"global 80 60 0"});
    Frame(1000);
    engine.AddSoundEffect("Goal");
    const auto calls = Frame(1016);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1], "global 40 60 0");
    EXPECT_TRUE(Frame(3016).empty());
    EXPECT_EQ(Frame(3032), std::vector<std::string>{"global 80 60 0"});
    EXPECT_TRUE(Frame(3048).empty());
}

TEST_F(SoundEngineTest, ChangeMusicFadesOutThenStartsTheLastAskedModule)
{
    Load();
    engine.ApplyVolumes(80, 60);
    const auto title = std::to_string(Handle(engine, "title.xm"));
    const auto map = std::to_string(Handle(engine, "map.xm"));
    engine.ChangeMusic("title.xm", 1000, 0, 0, 1000);
    audio.Take();
    Frame(2001);
    EXPECT_EQ(engine.List().CurrentMusic, "title.xm");

    clock.Set(5000);
    engine.ChangeMusic("map.xm", 1000, 0, 2, 500);
    EXPECT_EQ(audio.Take(), std::vector<std::string>{"slide " + title + " to 0 pan -101 in 1000"});
    engine.ChangeMusic("title.xm", 1000, 0, 7, 500);  // replaces the pending map music
    audio.Take();
    EXPECT_TRUE(Frame(6000).empty());
    EXPECT_EQ(Frame(6001), (std::vector<std::string>{"stop module " + map, "stop module " + title,
                                                     "set " + title + " vol 0 pan -101",
                                                     "slide " + title + " to 80 pan -101 in 500",
                                                     "play module " + title + " at 7"}));
    EXPECT_TRUE(Frame(7000).empty());

    // A module that is not in the list is silent, and the old one has still faded out.
    engine.ChangeMusic("nothing.xm", 1000, 0, 0, 1000);
    EXPECT_EQ(audio.Take(), std::vector<std::string>{"slide " + title + " to 0 pan -101 in 1000"});
    EXPECT_EQ(Frame(8001), (std::vector<std::string>{"stop module " + map, "stop module " + title}));
}

TEST_F(SoundEngineTest, MusicChosenWithTheSliderAtZeroStartsWhenRaised)
{
    Load();
    engine.ApplyVolumes(0, 60);
    engine.ChangeMusic("title.xm", 0, 0, 5, 1000);
    audio.Take();
    const auto title = std::to_string(Handle(engine, "title.xm"));
    EXPECT_EQ(Frame(1001), (std::vector<std::string>{"stop module 1", "stop module 2"}));
    EXPECT_EQ(engine.List().CurrentMusic, "title.xm");
    engine.ApplyVolumes(50, 60);
    EXPECT_EQ(audio.Take(), (std::vector<std::string>{"global 50 60 0", "play module " + title + " at 0"}));
    engine.ApplyVolumes(70, 60);
    EXPECT_EQ(audio.Take(), std::vector<std::string>{"global 70 60 0"});
}

TEST_F(SoundEngineTest, PlaySoundIgnoresTheEventTableAndItsVolumeArgument)
{
    Load();
    engine.ApplyVolumes(80, 60);
    audio.Take();
    engine.PlaySound("goal.ogg", 5);
    engine.PlaySound("Goal.ogg");
    EXPECT_EQ(audio.Take(), std::vector<std::string>{"play sample " + std::to_string(Handle(engine, "goal.ogg")) +
                                                     " vol 60 pan 0"});
}

TEST_F(SoundEngineTest, TheSoundsFolderBesideTheProgramComesFirst)
{
    TTempFolder program;
    std::filesystem::create_directories(program / "Sounds");
    program.Write("Sounds/Sounds.xml", "<Sounds><Click>own.ogg</Click></Sounds>");
    program.Write("Sounds/own.ogg", "own");
    Load(program.Path());
    EXPECT_EQ(engine.Events().GetEventSoundName("Click"), "own.ogg");
    EXPECT_NE(Handle(engine, "own.ogg"), 0u);
}

TEST_F(SoundEngineTest, DamagedTablesAreLoggedAndLeaveEveryEventSilent)
{
    data.Write("Sounds.xml", "<Sounds><!-- never closed");
    data.Write("MusicPattern.xml", "no document here");
    Load();
    EXPECT_EQ(lines, (std::vector<std::string>{"Exception error in TQelGameEngine.LoadSoundsEvents!",
                                               "Error LoadMusicPattern"}));
    EXPECT_FALSE(engine.Events().Loaded());
    EXPECT_EQ(engine.Events().GetEventSoundVolume("Click"), 100);
    Frame(1000);
    engine.AddSoundEffect("Click");
    EXPECT_TRUE(Frame(1016).empty());
}

TEST_F(SoundEngineTest, AnArchiveWithoutTablesHasNoEventsAndNoMusic)
{
    WriteFileFolder(data / "game.zxc", {{"click.ogg", {'c'}}});
    TDataSource archive(std::make_unique<TFileFolder>(data / "game.zxc"));
    engine.LoadSoundsEvents(data / "program", archive);
    engine.LoadMusicPattern(archive);
    EXPECT_FALSE(engine.Events().Loaded());
    EXPECT_TRUE(engine.Music().Items.empty());
    EXPECT_TRUE(lines.empty());
}
