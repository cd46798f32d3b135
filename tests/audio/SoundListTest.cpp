// The sound list: which files become samples or modules, which copy of a sound wins, and
// what playing and stopping ask of the audio library.
#include "audio/SoundList.h"

#include "foundation/DataSource.h"
#include "foundation/FileFolder.h"
#include "foundation/QelLog.h"
#include "tests/audio/RecordingAudioLibrary.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::vector<std::string> Names(const TMusicList& list)
{
    std::vector<std::string> names;
    for (const TOneMusic& entry : list.Entries())
        names.push_back(entry.Name + (entry.Kind == TSoundKind::Module ? " M" : " S") + std::to_string(entry.Handle));
    return names;
}

}  // namespace

TEST(SoundList, FileNamesDecideSampleOrModule)
{
    struct TCase {
        const char* Name;
        bool Sample, Module;
    };
    for (TCase c : {TCase{"click.ogg", true, false}, {"jingle.wav", true, false}, {"CLICK.OGG", false, false},
                     {"title.mo3", false, true}, {"title.xm", false, true}, {"level.it", false, true},
                     {"old.s3m", false, true}, {"older.mod", false, true}, {"Suit", false, false},
                     {"Exit", false, false}, {"LoadingScreen.jpg", false, false}, {"Sounds.xml", false, false}}) {
        EXPECT_EQ(IsSampleName(c.Name), c.Sample) << c.Name;
        EXPECT_EQ(IsModuleName(c.Name), c.Module) << c.Name;
    }
}

TEST(SoundList, SoundsFolderSamplesStayAndArchiveModulesLoad)
{
    TTempFolder folder;
    std::filesystem::create_directories(folder / "Sounds");
    folder.Write("Sounds/click.ogg", "own");
    folder.Write("Sounds/Loud.WAV", "loud");
    folder.Write("Sounds/notes.txt", "not a sound");
    WriteFileFolder(folder / "game.zxc", {{"click.ogg", Bytes("packed")},
                                          {"title.xm", Bytes("tune")},
                                          {"Readme.xml", Bytes("<a/>")},
                                          {"broken.ogg", Bytes("bad")},
                                          {"coin.ogg", Bytes("coin")}});
    TDataSource archive(std::make_unique<TFileFolder>(folder / "game.zxc"));
    TRecordingAudioLibrary audio;
    {
        TMusicList list(audio);
        list.LoadSampleFolder(folder / "Sounds");
        list.LoadSoundsFromArchive(archive);
        list.LoadSampleFolder(folder / "NoSuchFolder");

        EXPECT_EQ(Names(list), (std::vector<std::string>{"Loud.WAV S1", "click.ogg S2", "title.xm M3", "broken.ogg S0",
                                                         "coin.ogg S4"}));
        EXPECT_EQ(audio.Take(), (std::vector<std::string>{"load sample loud x5 = 1", "load sample own x5 = 2",
                                                          "load module tune = 3", "refused sample",
                                                          "load sample coin x5 = 4"}));
        list.DeleteMusic(list.FindMusic("coin.ogg"));
        EXPECT_EQ(list.FindMusic("coin.ogg"), -1);
        EXPECT_EQ(audio.Take(), std::vector<std::string>{"free sample 4"});
    }
    // The list frees what it loaded, and nothing for a refused load.
    EXPECT_EQ(audio.Take(), (std::vector<std::string>{"free sample 1", "free sample 2", "free module 3"}));
}

// A sound entry cut short (the archive shrank after it was opened) stays silent, and the
// log names the entry and the cause, where the library alone could only say "not loaded".
TEST(SoundList, ACutArchiveEntryIsLoggedByNameAndCause)
{
    TTempFolder folder;
    WriteFileFolder(folder / "game.zxc", {{"click.ogg", Bytes("click")}, {"coin.ogg", Bytes("coin-coin")}});
    TDataSource archive(std::make_unique<TFileFolder>(folder / "game.zxc"));
    std::filesystem::resize_file(folder / "game.zxc", std::filesystem::file_size(folder / "game.zxc") - 3);
    TManualClock clock;
    TQelLog engineLog({}, clock, false);
    engineLog.Enabled = true;
    std::vector<std::string> lines;
    engineLog.Listener = [&](const std::string& line) { lines.push_back(line); };
    TQelLog* previous = EngineLog();
    SetEngineLog(&engineLog);
    TRecordingAudioLibrary audio;
    {
        TMusicList list(audio);
        list.LoadSoundsFromArchive(archive);
        EXPECT_EQ(Names(list), (std::vector<std::string>{"click.ogg S1", "coin.ogg S0"}));
    }
    SetEngineLog(previous);
    EXPECT_EQ(lines, std::vector<std::string>{"Error LoadSound coin.ogg: Cannot read \"coin.ogg\" from \"" +
                                              (folder / "game.zxc").string() +
                                              "\": Cannot load file (wrong file size)"});
}

TEST(SoundList, ReloadingANameFreesTheOldSound)
{
    TRecordingAudioLibrary audio;
    TMusicList list(audio);
    list.LoadMusicFromStream(Bytes("first"), "click.ogg", TSoundKind::Sample);
    list.LoadMusicFromStream(Bytes("second"), "click.ogg", TSoundKind::Sample);
    EXPECT_EQ(list.Entries().size(), 1u);
    EXPECT_EQ(list.GetMusicHandle("click.ogg"), 2u);
    EXPECT_EQ(list.GetMusicHandle("Click.ogg"), 0u);
    EXPECT_EQ(audio.Take(), (std::vector<std::string>{"load sample first x5 = 1", "free sample 1",
                                                      "load sample second x5 = 2"}));
}

TEST(SoundList, PlayingAndStopping)
{
    TRecordingAudioLibrary audio;
    TMusicList list(audio);
    list.LoadMusicFromStream(Bytes("tune"), "title.xm", TSoundKind::Module);
    list.LoadMusicFromStream(Bytes("click"), "click.ogg", TSoundKind::Sample);
    audio.Take();

    struct TCase {
        const char* Name;
        int MusicVolume, Pan, Position, SampleVolume;
        std::vector<std::string> Calls;
        const char* CurrentAfter;
    };
    const std::vector<TCase> cases = {
        {"title.xm", 70, 0, 3, 90, {"set 1 vol 0 pan -101", "slide 1 to 70 pan -101 in 1000", "play module 1 at 3"},
         "title.xm"},
        // With the music off the module is chosen but stays silent.
        {"title.xm", 0, 0, 0, 90, {}, "title.xm"},
        {"click.ogg", 70, -40, 0, 90, {"play sample 2 vol 90 pan -40"}, "before"},
        {"click.ogg", 70, 0, 0, 0, {}, "before"},
        // Names are exact: another letter case is another, missing, sound.
        {"Click.ogg", 70, 0, 0, 90, {}, "before"},
        {"", 70, 0, 0, 90, {}, "before"},
    };
    for (const TCase& c : cases) {
        list.CurrentMusic = "before";
        list.PlayMusic(c.Name, c.MusicVolume, c.Pan, 1000, c.Position, c.SampleVolume);
        EXPECT_EQ(audio.Take(), c.Calls) << c.Name << " music " << c.MusicVolume;
        EXPECT_EQ(list.CurrentMusic, c.CurrentAfter) << c.Name;
    }

    list.StopMusic(false);
    EXPECT_EQ(audio.Take(), std::vector<std::string>{"stop module 1"});
    list.StopMusic(true);
    EXPECT_EQ(audio.Take(), (std::vector<std::string>{"stop module 1", "stop sample 2"}));
}
