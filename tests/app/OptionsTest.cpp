// options.cfg: what is read, what is written and in which order, and how a first run and
// a file of another version are handled.
#include "AppDoubles.h"
#include "app/GameOptions.h"
#include "platform/IniFile.h"

#include <gtest/gtest.h>

namespace {

const char* const kWrittenKeys[] = {"SoundVolume", "MusicVolume",   "WindowModeX", "WindowModeY",
                                    "FullScreenMode", "BitsPerPixel", "DebugMode",  "GameFolderDir",
                                    "HintsMode",   "FromFileFolder", "StaySelect",  "Version"};

// The keys of a written options file, in file order.
std::vector<std::string> KeysOf(const std::string& text)
{
    std::vector<std::string> keys;
    for (const std::string& line : LogMessages(text))
        if (auto eq = line.find('='); eq != std::string::npos)
            keys.push_back(line.substr(0, eq));
    return keys;
}

TEST(GameOptions, MissingKeysTakeTheirDefaults)
{
    TGameOptions o = ReadGameOptions(TIniFile(""));
    EXPECT_EQ(o.ScreenWidth, 800);
    EXPECT_EQ(o.ScreenHeight, 600);
    EXPECT_EQ(o.WindowModeX, 200);
    EXPECT_EQ(o.WindowModeY, 200);
    EXPECT_EQ(o.SoundVolume, 100);
    EXPECT_EQ(o.MusicVolume, 100);
    EXPECT_EQ(o.DebugMode, 0);
    EXPECT_EQ(o.FullScreenMode, 0);
    EXPECT_EQ(o.BitsPerPixel, 32);
    EXPECT_EQ(o.GameFolderDir, "");
    EXPECT_EQ(o.HintsMode, 0);
    EXPECT_TRUE(o.FromFileFolder);
    EXPECT_EQ(o.StaySelect, 0);
    EXPECT_EQ(o.Version, "");
}

TEST(GameOptions, OutOfRangeValuesAreHeldInRange)
{
    struct Row {
        const char* Text;
        int Sound, Music, Bits;
    };
    const Row rows[] = {
        {"SoundVolume=150\nMusicVolume=-5\nBitsPerPixel=16", 100, 0, 16},
        {"SoundVolume=40\nMusicVolume=60\nBitsPerPixel=24", 40, 60, 32},
        {"SoundVolume=loud\nBitsPerPixel=8", 100, 100, 32},
    };
    for (const Row& row : rows) {
        TGameOptions o = ReadGameOptions(TIniFile(std::string("[Options]\n") + row.Text));
        EXPECT_EQ(o.SoundVolume, row.Sound) << row.Text;
        EXPECT_EQ(o.MusicVolume, row.Music) << row.Text;
        EXPECT_EQ(o.BitsPerPixel, row.Bits) << row.Text;
    }
}

TEST(GameOptions, TheArchiveIsForcedOutsideDebugMode)
{
    EXPECT_TRUE(ReadGameOptions(TIniFile("[Options]\nFromFileFolder=false\n")).FromFileFolder);
    EXPECT_TRUE(ReadGameOptions(TIniFile("[Options]\nFromFileFolder=false\nDebugMode=862\n")).FromFileFolder);
    TGameOptions debug = ReadGameOptions(TIniFile("[Options]\nFromFileFolder=False\nDebugMode=863\n"));
    EXPECT_TRUE(debug.IsDebugMode());
    EXPECT_FALSE(debug.FromFileFolder);
}

TEST(GameOptions, WritesEveryKeyInOrderButTheScreenSize)
{
    TGameOptions o = ReadGameOptions(TIniFile("[Options]\nScreenWidth=1024\nScreenHeight=768\n"));
    o.Version = "1.38";
    o.GameFolderDir = "data\\";
    TIniFile written;
    WriteGameOptions(o, written);
    EXPECT_EQ(KeysOf(written.Text()), std::vector<std::string>(std::begin(kWrittenKeys), std::end(kWrittenKeys)));
    EXPECT_EQ(written.ReadString("Options", "FromFileFolder", ""), "true");
    EXPECT_EQ(written.ReadString("Options", "GameFolderDir", ""), "data\\");
    EXPECT_FALSE(written.Read("Options", "ScreenWidth"));

    // A file that holds the screen size keeps it: only written keys change.
    TIniFile existing("[Options]\nScreenWidth=1024\n");
    WriteGameOptions(o, existing);
    EXPECT_EQ(existing.ReadInteger("Options", "ScreenWidth", 0), 1024);
}

TEST(GameOptions, DataFolderUsesForwardSlashes)
{
    TGameOptions o;
    o.GameFolderDir = "data\\levels";
    EXPECT_EQ(o.DataFolder("/opt/glimmora/"), std::filesystem::path("/opt/glimmora/data/levels/"));
    o.GameFolderDir = "";
    EXPECT_EQ(o.DataFolder("/opt/glimmora/"), std::filesystem::path("/opt/glimmora/"));
}

TEST(StartUpOptions, FirstRunCopiesTheShippedOptions)
{
    TShellRig rig;
    rig.Program.Write("options.cfg", "[Options]\r\nSoundVolume=40\r\nHintsMode=1\r\nVersion=1.38\r\n");
    auto engine = rig.Start();
    EXPECT_EQ(engine->Options.SoundVolume, 40);
    const std::string saved = rig.UserFile("options.cfg");
    EXPECT_EQ(KeysOf(saved), std::vector<std::string>(std::begin(kWrittenKeys), std::end(kWrittenKeys)));
    EXPECT_NE(saved.find("SoundVolume=40\r\n"), std::string::npos);
    EXPECT_NE(saved.find("HintsMode=1\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Version=1.38\r\n"), std::string::npos);
}

TEST(StartUpOptions, FirstRunWithoutShippedOptionsSavesTheDefaults)
{
    TShellRig rig;
    auto engine = rig.Start();
    TIniFile saved(rig.UserFile("options.cfg"));
    EXPECT_EQ(saved.ReadInteger("Options", "SoundVolume", 0), 100);
    EXPECT_EQ(saved.ReadString("Options", "Version", ""), "1.38");
}

TEST(StartUpOptions, AnotherVersionIsReplacedByTheShippedOptions)
{
    TShellRig rig;
    rig.Program.Write("options.cfg", "[Options]\nSoundVolume=40\nVersion=1.38\n");
    std::filesystem::create_directories(rig.UserFolder());
    rig.User.Write("Orvanta/Glimmora/options.cfg", "[Options]\nSoundVolume=10\nMusicVolume=20\nVersion=1.37\n");
    auto engine = rig.Start();
    EXPECT_EQ(engine->Options.SoundVolume, 40);
    EXPECT_EQ(engine->Options.MusicVolume, 100);
    EXPECT_EQ(engine->Options.Version, "1.38");
    EXPECT_EQ(TIniFile(rig.UserFile("options.cfg")).ReadInteger("Options", "SoundVolume", 0), 40);
}

// The options file as the game writes it: the one section, every key in order.
std::string CleanOptions(int sound, int music, int hints)
{
    return "[Options]\r\nSoundVolume=" + std::to_string(sound) + "\r\nMusicVolume=" + std::to_string(music) +
           "\r\nWindowModeX=200\r\nWindowModeY=200\r\nFullScreenMode=0\r\nBitsPerPixel=32\r\nDebugMode=0\r\n"
           "GameFolderDir=\r\nHintsMode=" + std::to_string(hints) +
           "\r\nFromFileFolder=true\r\nStaySelect=0\r\nVersion=1.38\r\n";
}

// A file of the current version keeps its values; the keys it lacks take the shipped
// values, not the built-in ones; and it is written back as the game writes it, without
// what else it held (the screen size, never written by the game, stays the player's).
TEST(StartUpOptions, TheCurrentVersionKeepsItsValuesAndIsWrittenCleanly)
{
    TShellRig rig;
    rig.Program.Write("options.cfg", "[Options]\nSoundVolume=40\nMusicVolume=30\nHintsMode=1\nVersion=1.38\n");
    std::filesystem::create_directories(rig.UserFolder());
    rig.User.Write("Orvanta/Glimmora/options.cfg",
                   "; mine\n[Options]\nVersion=1.38\nSoundVolume=10\nExtra=1\nScreenWidth=1024\n[Other]\nA=1\n");
    {
        auto engine = rig.Start();
        EXPECT_EQ(engine->Options.SoundVolume, 10);
        EXPECT_EQ(engine->Options.MusicVolume, 30);
        EXPECT_EQ(engine->Options.HintsMode, 1);
        EXPECT_EQ(engine->Options.ScreenWidth, 1024);
        engine->Options.MusicVolume = 55;
    }
    EXPECT_EQ(rig.UserFile("options.cfg"), CleanOptions(10, 55, 1) + "ScreenWidth=1024\r\n");
}

// Random bytes in options.cfg, alone or around a block of options, are not kept: the
// file is written back clean, with the values that could be read.
TEST(StartUpOptions, JunkInTheOptionsIsNotKept)
{
    std::string junk;
    for (int i = 0; i < 600; ++i)
        junk += static_cast<char>((i * 37 + 11) % 256);
    const std::string block = "\n[Options]\nVersion=1.38\nSoundVolume=10\n";
    struct TCase {
        const char* What;
        std::string Text;
        int Sound;  // another version takes the shipped 40
    };
    const TCase cases[] = {
        {"junk alone", junk, 40},
        {"junk before a block", junk + block, 10},
        {"junk after a block", block + junk, 10},
    };
    for (const TCase& c : cases) {
        TShellRig rig;
        rig.Program.Write("options.cfg", "[Options]\nSoundVolume=40\nHintsMode=1\nVersion=1.38\n");
        std::filesystem::create_directories(rig.UserFolder());
        rig.User.Write("Orvanta/Glimmora/options.cfg", c.Text);
        rig.Start().reset();
        EXPECT_EQ(rig.UserFile("options.cfg"), CleanOptions(c.Sound, 100, 1)) << c.What;
    }
}

TEST(StartUpOptions, NoUserFolderMeansTheProgramFolder)
{
    TShellRig rig;
    TQelGameEngine::TSetup setup;
    setup.ProgramFolder = rig.Program.Path();
    setup.DataFolder = rig.Program.Path() / "data";
    {
        TQelGameEngine engine(rig.Services, setup);
        EXPECT_EQ(engine.UserFolder, rig.Program.Path());
    }
    EXPECT_NE(rig.Program.Read("Glimmora.log").find("Version 1.38"), std::string::npos);
    EXPECT_NE(rig.Program.Read("options.cfg").find("Version=1.38"), std::string::npos);
}

}  // namespace
