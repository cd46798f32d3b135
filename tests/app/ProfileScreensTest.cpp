// The player and high-score windows on the running game: scripted runs of the program on a
// user folder of their own, read back through the trace and the files they leave, and the
// windows driven in the process where a test must see a widget or open a window the
// script cannot reach.
#include "AppDoubles.h"
#include "foundation/DataScramble.h"
#include "foundation/Files.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"
#include "interface/QelForm.h"
#include "interface/QelInterfaceEngine.h"
#include "metagame/HighScores.h"
#include "metagame/PlayerName.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// The frames a run has: the loading, the splash and the title come in about two hundred,
// and no script here needs more than a few hundred after that.
constexpr int kRunFrames = 1200;

// The profiles of "players.dat" as the game reads them.
struct TProfiles {
    bool Read = false;
    std::vector<std::string> Names;
    std::string Current;  // the CurrentPlayer attribute as written
    std::string CurrentName() const
    {
        const int index = Current.empty() ? -1 : std::stoi(Current);
        return index >= 0 && index < static_cast<int>(Names.size()) ? Names[static_cast<size_t>(index)] : "";
    }
};

TProfiles ReadProfiles(const fs::path& file)
{
    TProfiles profiles;
    TQelParser document;
    if (!fs::exists(file) || !LoadDataXml(file, kDataKey, document) || document.ChildCount() == 0)
        return profiles;
    const TQelXMLTag* list = document.GetChild(0);
    if (list->Name != "PlayersListXML")
        return profiles;
    profiles.Read = true;
    profiles.Current = list->AttributeValue("CurrentPlayer");
    for (size_t i = 0; i < list->ChildCount(); ++i) {
        const TQelXMLTag* profile = list->GetChild(static_cast<long>(i));
        if (profile->Name == "Player")
            profiles.Names.push_back(DecodeNameValue(profile->AttributeValue("Name")));
    }
    return profiles;
}

// One "<frame> <kind> <detail>" line of a trace.
struct TTraceLine {
    int64_t Frame = 0;
    std::string Kind, Detail;
};

std::vector<TTraceLine> ParseTrace(const std::string& text)
{
    std::vector<TTraceLine> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t first = line.find(' ');
        if (first == std::string::npos)
            continue;
        const size_t second = line.find(' ', first + 1);
        TTraceLine parsed;
        parsed.Frame = std::stoll(line.substr(0, first));
        parsed.Kind = line.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
        parsed.Detail = second == std::string::npos ? "" : line.substr(second + 1);
        lines.push_back(parsed);
    }
    return lines;
}

struct TGameRun {
    int Status = -1;
    std::string Output;
    std::vector<TTraceLine> Trace;

    // Where "kind detail" first appears at or after from; npos when it does not.
    size_t Find(const std::string& kind, const std::string& detail, size_t from = 0) const
    {
        for (size_t i = from; i < Trace.size(); ++i)
            if (Trace[i].Kind == kind && Trace[i].Detail == detail)
                return i;
        return std::string::npos;
    }
    bool Has(const std::string& kind, const std::string& detail) const { return Find(kind, detail) != std::string::npos; }
    std::string End() const { return Trace.empty() || Trace.back().Kind != "end" ? "" : Trace.back().Detail; }
    std::string Text() const
    {
        std::string text;
        for (const TTraceLine& line : Trace)
            if (line.Kind != "progress")
                text += std::to_string(line.Frame) + " " + line.Kind + " " + line.Detail + "\n";
        return text + Output;
    }
};

// Scripts are built from these: a name typed one character at a time, and the first
// name prompt answered.
std::string TypeLines(const std::string& text)
{
    std::string lines;
    for (size_t i = 0; i < text.size();) {
        // One character: a byte and the continuation bytes of its UTF-8 sequence.
        size_t end = i + 1;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
        lines += "+1 char " + text.substr(i, end - i) + "\n";
        i = end;
    }
    return lines;
}

std::string FirstName(const std::string& name)
{
    return "+1 wait WYourName_EYourName\n" + TypeLines(name) + "+2 click WYourName_BOk\n+2 wait WTitle_BChangePlayer\n";
}

std::string NewPlayer(const std::string& name)
{
    return "+2 click WTitle_BChangePlayer\n+2 wait WChangePlayer_BNew\n+2 click WChangePlayer_BNew\n"
           "+2 wait WNewPlayer_ENewPlayer\n" +
           TypeLines(name) + "+2 click WNewPlayer_BOk\n+2 wait WTitle_BChangePlayer\n";
}

// The change-player list lies in the middle of the 800 x 600 frame: the window is 560 x
// 440, its grid 30, 80 inside it with a border of 6 and rows of 32.
std::string ClickPlayerRow(int row)
{
    const int x = 120 + 30 + 160;
    const int y = 80 + 80 + 6 + 32 * row + 16;
    return "+2 down " + std::to_string(x) + " " + std::to_string(y) + "\n+1 up " + std::to_string(x) + " " +
           std::to_string(y) + "\n";
}

std::string ChangePlayerTo(int row)
{
    return "+2 click WTitle_BChangePlayer\n+2 wait WChangePlayer_BDone\n" + ClickPlayerRow(row) +
           "+2 click WChangePlayer_BDone\n+2 wait WTitle_BChangePlayer\n";
}

class ProfileScreens : public ::testing::Test {
protected:
    // Runs the program on the test's user folder with the script.
    TGameRun Play(const std::string& script, const std::string& extra = "")
    {
        scratch.Write("script.txt", script);
        fs::remove(scratch.Path() / "trace.txt");
        const std::string out = (scratch.Path() / "output.txt").string();
        const std::string command = std::string("'") + GLIMMORA_PROGRAM +
                                    "' --headless --uncapped --fixed-step 16 --seed 3 --frames " +
                                    std::to_string(kRunFrames) + " --user-dir '" + User().string() + "' --trace '" +
                                    (scratch.Path() / "trace.txt").string() + "' --input '" +
                                    (scratch.Path() / "script.txt").string() + "' " + extra + " > '" + out + "' 2>&1";
        const int raw = std::system(command.c_str());
        TGameRun run;
        run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.Output = scratch.Read("output.txt");
        run.Trace = ParseTrace(scratch.Read("trace.txt"));
        return run;
    }
    fs::path User() const { return scratch.Path() / "user"; }
    fs::path PlayersPath() const { return User() / "players.dat"; }
    TProfiles Profiles() const { return ReadProfiles(PlayersPath()); }
    std::string PlayersBytes() const { return scratch.Read("user/players.dat"); }
    std::string GameLog() const { return scratch.Read("user/Glimmora.log"); }

    TTempFolder scratch;
};

TEST_F(ProfileScreens, AFreshFolderAsksForANameAndKeepsThePlayerTyped)
{
    const TGameRun run = Play(FirstName("Ann"));
    ASSERT_EQ(run.Status, 0) << run.Text();
    const size_t asked = run.Find("show", "WYourName");
    ASSERT_NE(asked, std::string::npos) << run.Text();
    const size_t ok = run.Find("exec", "WYourName_BOk_MouseUp", asked);
    ASSERT_NE(ok, std::string::npos) << run.Text();
    EXPECT_NE(run.Find("save", "players.dat", ok), std::string::npos) << run.Text();
    EXPECT_NE(run.Find("hide", "WYourName", ok), std::string::npos) << run.Text();
    EXPECT_EQ(run.End(), "smTitle Ann 0 0 0") << run.Text();

    const TProfiles profiles = Profiles();
    ASSERT_TRUE(profiles.Read) << PlayersBytes();
    EXPECT_EQ(profiles.Names, std::vector<std::string>{"Ann"});
    EXPECT_EQ(profiles.Current, "0");
    EXPECT_FALSE(PlayersBytes().starts_with("<")) << "scrambled outside debug mode";
    EXPECT_EQ(GameLog().find("Error"), std::string::npos) << GameLog();

    // The next start greets the player without asking again.
    const TGameRun again = Play("+1 wait WTitle_BChangePlayer\n+60 mouse 1 1\n");
    ASSERT_EQ(again.Status, 0) << again.Text();
    EXPECT_FALSE(again.Has("show", "WYourName")) << again.Text();
    EXPECT_EQ(again.End(), "smTitle Ann 0 0 0") << again.Text();
}

// A name typed into the prompt comes back as the player typed it, however it is written
// into the profile file: spaces around it trimmed, and the characters that would break
// the file kept as characters, never as markup.
TEST_F(ProfileScreens, ATypedNameIsTrimmedAndStoredSafely)
{
    const std::string typed = "  Bo\"b<&>  ";
    const TGameRun run = Play(FirstName(typed));
    ASSERT_EQ(run.Status, 0) << run.Text();
    const TProfiles profiles = Profiles();
    ASSERT_TRUE(profiles.Read) << PlayersBytes();
    EXPECT_EQ(profiles.Names, std::vector<std::string>{"Bo\"b<&>"});
    EXPECT_EQ(profiles.CurrentName(), "Bo\"b<&>");
    // Loaded again by the game itself, the profile is found under that name.
    const TGameRun again = Play("+1 wait WTitle_BChangePlayer\n+60 mouse 1 1\n");
    ASSERT_EQ(again.Status, 0) << again.Text();
    EXPECT_EQ(again.End(), "smTitle Bo\"b<&> 0 0 0") << again.Text();
}

TEST_F(ProfileScreens, AnEmptyNameChangesNothing)
{
    const TGameRun run = Play("+1 wait WYourName_EYourName\n+1 char  \n+2 click WYourName_BOk\n+30 mouse 1 1\n");
    ASSERT_EQ(run.Status, 0) << run.Text();
    EXPECT_TRUE(run.Has("exec", "WYourName_BOk_MouseUp")) << run.Text();
    EXPECT_FALSE(run.Has("save", "players.dat")) << run.Text();
    EXPECT_FALSE(fs::exists(PlayersPath()));
    EXPECT_FALSE(run.Has("hide", "WYourName")) << "the prompt stays until a name is given\n" << run.Text();
}

TEST_F(ProfileScreens, TwoProfilesChangeToTheSecondAndBackByClicks)
{
    const TGameRun run = Play(FirstName("Ann") + NewPlayer("Bob") + "+5 mouse 1 1\n");
    ASSERT_EQ(run.Status, 0) << run.Text();
    EXPECT_EQ(run.End(), "smTitle Bob 0 0 0") << "a new player becomes current\n" << run.Text();
    TProfiles profiles = Profiles();
    EXPECT_EQ(profiles.Names, (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(profiles.CurrentName(), "Bob");

    const TGameRun back = Play("+1 wait WTitle_BChangePlayer\n" + ChangePlayerTo(0));
    ASSERT_EQ(back.Status, 0) << back.Text();
    EXPECT_TRUE(back.Has("exec", "WChangePlayer_GPlayers_MouseDown")) << back.Text();
    EXPECT_EQ(back.End(), "smTitle Ann 0 0 0") << back.Text();
    EXPECT_EQ(Profiles().CurrentName(), "Ann");

    const TGameRun forth = Play("+1 wait WTitle_BChangePlayer\n" + ChangePlayerTo(1) + ChangePlayerTo(0) +
                                ChangePlayerTo(1));
    ASSERT_EQ(forth.Status, 0) << forth.Text();
    EXPECT_EQ(forth.End(), "smTitle Bob 0 0 0") << forth.Text();
    profiles = Profiles();
    EXPECT_EQ(profiles.Names, (std::vector<std::string>{"Ann", "Bob"})) << "changing player keeps every profile";
    EXPECT_EQ(profiles.CurrentName(), "Bob");
    EXPECT_EQ(GameLog().find("Error"), std::string::npos) << GameLog();
}

TEST_F(ProfileScreens, ANameTakenShowsItsWindowAndLeavesTheFileAsItWas)
{
    ASSERT_EQ(Play(FirstName("Ann") + NewPlayer("Bob")).Status, 0);
    const std::string before = PlayersBytes();
    ASSERT_FALSE(before.empty());

    // Bob, current, asks to be called Ann; then a new player asks for Bob's name.
    const TGameRun run = Play("+1 wait WTitle_BChangePlayer\n+2 click WTitle_BChangePlayer\n"
                              "+2 wait WChangePlayer_BRename\n+2 click WChangePlayer_BRename\n"
                              "+2 wait WRenamePlayer_EPlayerName\n+1 key End\n+1 key BackSpace\n+1 key BackSpace\n"
                              "+1 key BackSpace\n" +
                              TypeLines("Ann") +
                              "+2 click WRenamePlayer_BOk\n+2 wait WPlayerExist_BOk\n+2 click WPlayerExist_BOk\n"
                              "+2 click WRenamePlayer_BCancel\n+2 click WChangePlayer_BNew\n"
                              "+2 wait WNewPlayer_ENewPlayer\n" +
                              TypeLines("Bob") + "+2 click WNewPlayer_BOk\n+2 wait WPlayerExist_BOk\n+5 mouse 1 1\n");
    ASSERT_EQ(run.Status, 0) << run.Text();
    const size_t rename = run.Find("exec", "WRenamePlayer_BOk_MouseUp");
    ASSERT_NE(rename, std::string::npos) << run.Text();
    EXPECT_NE(run.Find("show", "WPlayerExist", rename), std::string::npos) << run.Text();
    const size_t added = run.Find("exec", "WNewPlayer_BOk_MouseUp", rename);
    ASSERT_NE(added, std::string::npos) << run.Text();
    EXPECT_NE(run.Find("show", "WPlayerExist", added), std::string::npos) << run.Text();
    EXPECT_FALSE(run.Has("save", "players.dat")) << run.Text();
    EXPECT_EQ(PlayersBytes(), before) << "byte for byte";
}

TEST_F(ProfileScreens, DeletingAsksFirstAndTheLastProfileBringsThePromptBack)
{
    ASSERT_EQ(Play(FirstName("Ann") + NewPlayer("Bob")).Status, 0);

    // Delete opens the question; Keep leaves every profile.
    const TGameRun kept = Play("+1 wait WTitle_BChangePlayer\n+2 click WTitle_BChangePlayer\n"
                               "+2 wait WChangePlayer_BDelete\n+2 click WChangePlayer_BDelete\n"
                               "+2 wait WDelete_BCancel\n+2 click WDelete_BCancel\n+2 click WChangePlayer_BCancel\n"
                               "+5 mouse 1 1\n");
    ASSERT_EQ(kept.Status, 0) << kept.Text();
    EXPECT_TRUE(kept.Has("show", "WDelete")) << kept.Text();
    EXPECT_FALSE(kept.Has("exec", "WDelete_BOk_MouseUp")) << kept.Text();
    EXPECT_EQ(Profiles().Names, (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(Profiles().CurrentName(), "Bob");

    // Bob is selected (current); deleting him leaves Ann, current.
    const TGameRun deleted = Play("+1 wait WTitle_BChangePlayer\n+2 click WTitle_BChangePlayer\n"
                                  "+2 wait WChangePlayer_BDelete\n+2 click WChangePlayer_BDelete\n"
                                  "+2 wait WDelete_BOk\n+2 click WDelete_BOk\n+2 wait WChangePlayer_BDone\n"
                                  "+2 click WChangePlayer_BDone\n+5 mouse 1 1\n");
    ASSERT_EQ(deleted.Status, 0) << deleted.Text();
    const size_t ok = deleted.Find("exec", "WDelete_BOk_MouseUp");
    ASSERT_NE(ok, std::string::npos) << deleted.Text();
    EXPECT_NE(deleted.Find("save", "players.dat", ok), std::string::npos) << deleted.Text();
    EXPECT_EQ(Profiles().Names, std::vector<std::string>{"Ann"});
    EXPECT_EQ(deleted.End(), "smTitle Ann 0 0 0") << deleted.Text();

    // The last one goes: the name prompt is back, and a name given there is the new player.
    const TGameRun last = Play("+1 wait WTitle_BChangePlayer\n+2 click WTitle_BChangePlayer\n"
                               "+2 wait WChangePlayer_BDelete\n+2 click WChangePlayer_BDelete\n"
                               "+2 wait WDelete_BOk\n+2 click WDelete_BOk\n" +
                               FirstName("Cy"));
    ASSERT_EQ(last.Status, 0) << last.Text();
    EXPECT_NE(last.Find("show", "WYourName", last.Find("exec", "WDelete_BOk_MouseUp")), std::string::npos)
        << last.Text();
    EXPECT_EQ(Profiles().Names, std::vector<std::string>{"Cy"});
    EXPECT_EQ(last.End(), "smTitle Cy 0 0 0") << last.Text();
}

// Created, renamed and chosen through the windows, the profiles read back as they were
// left, and the next start greets the chosen one.
TEST_F(ProfileScreens, AProfileRoundTripThroughTheWindows)
{
    const TGameRun run = Play(
        FirstName("Ann") + NewPlayer("Zo\xC3\xAB") +
        "+2 click WTitle_BChangePlayer\n+2 wait WChangePlayer_BRename\n+2 click WChangePlayer_BRename\n"
        "+2 wait WRenamePlayer_EPlayerName\n+1 key End\n+1 char !\n+2 click WRenamePlayer_BOk\n"
        "+2 wait WChangePlayer_BDone\n" +
        ClickPlayerRow(0) + "+2 click WChangePlayer_BDone\n+2 wait WTitle_BChangePlayer\n");
    ASSERT_EQ(run.Status, 0) << run.Text();
    TProfiles profiles = Profiles();
    EXPECT_EQ(profiles.Names, (std::vector<std::string>{"Ann", "Zo\xC3\xAB!"}));
    EXPECT_EQ(profiles.CurrentName(), "Ann");
    EXPECT_EQ(run.End(), "smTitle Ann 0 0 0") << run.Text();

    const TGameRun next = Play("+1 wait WTitle_BChangePlayer\n" + ChangePlayerTo(1));
    ASSERT_EQ(next.Status, 0) << next.Text();
    EXPECT_EQ(next.End(), "smTitle Zo\xC3\xAB! 0 0 0") << next.Text();
    EXPECT_EQ(Profiles().Names, (std::vector<std::string>{"Ann", "Zo\xC3\xAB!"}));
}

// The rename window shows the name of the row chosen in the list; that profile is the
// one renamed, even when another was current when the list opened.
TEST_F(ProfileScreens, RenamingAppliesToTheProfileChosenInTheList)
{
    ASSERT_EQ(Play(FirstName("Ann") + NewPlayer("Bob")).Status, 0);
    const TGameRun run = Play("+1 wait WTitle_BChangePlayer\n+2 click WTitle_BChangePlayer\n"
                              "+2 wait WChangePlayer_BRename\n" +
                              ClickPlayerRow(0) +
                              "+2 click WChangePlayer_BRename\n+2 wait WRenamePlayer_EPlayerName\n+1 key End\n" +
                              TypeLines("ie") + "+2 click WRenamePlayer_BOk\n+2 wait WChangePlayer_BDone\n"
                              "+2 click WChangePlayer_BDone\n+2 wait WTitle_BChangePlayer\n");
    ASSERT_EQ(run.Status, 0) << run.Text();
    EXPECT_EQ(Profiles().Names, (std::vector<std::string>{"Annie", "Bob"}));
    EXPECT_EQ(Profiles().CurrentName(), "Annie");
    EXPECT_EQ(run.End(), "smTitle Annie 0 0 0") << run.Text();
}

// Two profiles, one with money, and a finished game: the table lists both scores, and
// clearing it empties the file and hides the profile.
TEST_F(ProfileScreens, ClearingTheHighScoresEmptiesTheFileAndHidesEveryProfile)
{
    ASSERT_EQ(Play(FirstName("Ann") + NewPlayer("Bob")).Status, 0);
    {
        TQelParser document;
        ASSERT_TRUE(LoadDataXml(PlayersPath(), kDataKey, document));
        TQelXMLTag* ann = document.GetChild(0)->GetChild(0);
        ASSERT_EQ(ann->AttributeValue("Name"), "Ann");
        TQelXMLTag* state = ann->GetChildByName("CurrentState");
        ASSERT_NE(state, nullptr);
        state->DeleteChildByName("CurrentScore");
        state->AddChild("CurrentScore", "300");
        ASSERT_TRUE(SaveDataXml(document, PlayersPath(), kDataKey, false));
    }
    THighScoreList finished;
    finished.AddHighScore("Champion", 500);
    ASSERT_TRUE(finished.SaveHighScores(User() / "HighScores.dat"));

    // The table's clear button asks first; Keep leaves the table.
    const std::string open = "+1 wait WTitle_BHighScores\n+40 click WTitle_BHighScores\n+2 wait WHighScores_BClear\n";
    const TGameRun kept = Play(open + "+2 click WHighScores_BClear\n+2 wait WClearHighScores_BCancel\n"
                                      "+2 click WClearHighScores_BCancel\n+2 click WHighScores_BOk\n+5 mouse 1 1\n");
    ASSERT_EQ(kept.Status, 0) << kept.Text();
    EXPECT_TRUE(kept.Has("exec", "WTitle_BHighScores_MouseUp")) << kept.Text();
    EXPECT_TRUE(kept.Has("show", "WClearHighScores")) << kept.Text();
    EXPECT_FALSE(kept.Has("save", "HighScores.dat")) << kept.Text();
    THighScoreList table;
    table.LoadHighScores(User() / "HighScores.dat");
    EXPECT_EQ(table.Entries.size(), 1u);

    const TGameRun cleared =
        Play(open + "+2 click WHighScores_BClear\n+2 wait WClearHighScores_BOk\n+2 click WClearHighScores_BOk\n"
                    "+5 click WHighScores_BViewClassic\n+5 click WHighScores_BOk\n+5 mouse 1 1\n");
    ASSERT_EQ(cleared.Status, 0) << cleared.Text();
    const size_t ok = cleared.Find("exec", "WClearHighScores_BOk_MouseUp");
    ASSERT_NE(ok, std::string::npos) << cleared.Text();
    EXPECT_NE(cleared.Find("save", "players.dat", ok), std::string::npos) << cleared.Text();
    EXPECT_NE(cleared.Find("save", "HighScores.dat", ok), std::string::npos) << cleared.Text();
    EXPECT_NE(cleared.Find("hide", "WClearHighScores", ok), std::string::npos) << cleared.Text();
    EXPECT_EQ(scratch.Read("user/HighScores.dat"), "");
    EXPECT_EQ(cleared.End(), "smTitle Bob 0 0 0") << cleared.Text();

    // Every profile is hidden from the table; the profiles themselves stay.
    TQelParser document;
    ASSERT_TRUE(LoadDataXml(PlayersPath(), kDataKey, document));
    const TQelXMLTag* list = document.GetChild(0);
    ASSERT_EQ(list->ChildCount(), 2u);
    for (size_t i = 0; i < list->ChildCount(); ++i) {
        const TQelXMLTag* state = list->GetChild(static_cast<long>(i))->GetChildByName("CurrentState");
        ASSERT_NE(state, nullptr);
        ASSERT_NE(state->GetChildByName("ShowInHighScores"), nullptr);
        EXPECT_EQ(state->GetChildByName("ShowInHighScores")->Text, "False") << i;
    }
    EXPECT_EQ(GameLog().find("Error"), std::string::npos) << GameLog();
}

// The game in this process, on the built game data: for what a script cannot see (a
// label's caption) or reach (the window the end of the last shop opens).
class ProfileWindowsInProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        const fs::path archive = fs::path(GLIMMORA_PROGRAM).parent_path() / "game.zxc";
        if (!fs::exists(archive))
            GTEST_SKIP() << "no built game data at " << archive;
        fs::create_symlink(archive, rig.Program.Path() / "game.zxc");
        engine = rig.Start(true);
        engine->FormActivate();
    }

    void Frames(int count)
    {
        for (int i = 0; i < count; ++i) {
            rig.Clock.Advance(16);
            engine->AppIdle();
        }
    }
    const TQelInterfaceObject* Visible(const std::string& name) const
    {
        const auto* widget = dynamic_cast<const TQelInterfaceObject*>(engine->Interface()->GetObjectByName(name));
        const TQelInterfaceObject* outer = widget;
        for (const TQelInterfaceObject* o = widget; o; o = o->ParentInterfaceObject()) {
            if (!o->Visible())
                return nullptr;
            outer = o;
        }
        const auto* window = dynamic_cast<const TQelForm*>(outer);
        return window && engine->Interface()->IsShown(window) ? widget : nullptr;
    }
    bool WaitFor(const std::string& name)
    {
        for (int i = 0; i < 2000 && !Visible(name); ++i)
            Frames(1);
        return Visible(name) != nullptr;
    }
    void Click(const std::string& name)
    {
        const TQelInterfaceObject* widget = Visible(name);
        ASSERT_NE(widget, nullptr) << name;
        const TRect r = widget->ScreenRect();
        TInputEvent event;
        event.X = (r.Left + r.Right) / 2;
        event.Y = (r.Top + r.Bottom) / 2;
        event.Kind = TInputKind::MouseMove;
        engine->HandleInput(event);
        event.Kind = TInputKind::MouseDown;
        event.Shift = ShiftState::Left;
        engine->HandleInput(event);
        Frames(1);
        event.Kind = TInputKind::MouseUp;
        event.Shift = 0;
        engine->HandleInput(event);
        Frames(2);
    }
    void Type(const std::string& text)
    {
        for (char16_t ch : Utf8ToUtf16(text)) {
            TInputEvent event;
            event.Kind = TInputKind::KeyPress;
            event.Char = ch;
            engine->HandleInput(event);
            Frames(1);
        }
    }
    std::string Caption(const std::string& name) const
    {
        return VariantToString(engine->Interface()->GetObjectValue(name, "Caption"));
    }

    TShellRig rig;
    std::unique_ptr<TQelGameEngine> engine;
};

TEST_F(ProfileWindowsInProcess, TheTitleGreetsTheNameTyped)
{
    ASSERT_TRUE(WaitFor("WYourName_EYourName"));
    const std::string greeting = Caption("WResource_LWelcome");
    Type("Ann");
    Click("WYourName_BOk");
    ASSERT_TRUE(WaitFor("WTitle_LWelcome"));
    EXPECT_EQ(Caption("WTitle_LWelcome"), greeting + " Ann");
    EXPECT_EQ(engine->Player.Name, "Ann");
}

TEST_F(ProfileWindowsInProcess, TheGameCompleteNameEntersTheTableAndShowsIt)
{
    ASSERT_TRUE(WaitFor("WYourName_EYourName"));
    Type("Ann");
    Click("WYourName_BOk");
    ASSERT_TRUE(WaitFor("WTitle_BHighScores"));

    engine->Player.TotalScore = 4321;
    engine->Player.CurrentEpisod = 2;
    engine->Interface()->ShowModal("WGameComplete");
    ASSERT_TRUE(WaitFor("WGameComplete_EName"));
    // An empty name does nothing.
    Click("WGameComplete_BOk");
    EXPECT_NE(Visible("WGameComplete_EName"), nullptr);
    EXPECT_FALSE(fs::exists(rig.UserFolder() / "HighScores.dat"));

    Type(" Winner\t");
    Click("WGameComplete_BOk");
    ASSERT_TRUE(WaitFor("WHighScores_GHighScores"));
    EXPECT_EQ(engine->Interface()->TopModal()->Name(), "WHighScores");
    EXPECT_EQ(Visible("WGameComplete_EName"), nullptr);
    Frames(2);
    EXPECT_EQ(engine->Shell.ScreenMode, TScreenMode::smTitle);

    THighScoreList table;
    table.LoadHighScores(rig.UserFolder() / "HighScores.dat");
    ASSERT_EQ(table.Entries.size(), 1u);
    EXPECT_EQ(table.Entries[0], (THighScore{"Winner", 4321, false}));

    // The profile has won the game and stands at the last shop, its money reset.
    EXPECT_TRUE(engine->Player.WinGame);
    EXPECT_EQ(engine->Player.TotalScore, 0);
    TQelParser document;
    ASSERT_TRUE(LoadDataXml(rig.UserFolder() / "players.dat", kDataKey, document));
    const TQelXMLTag* state = document.GetChild(0)->GetChild(0)->GetChildByName("CurrentState");
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->GetChildByName("WinGame")->Text, "1");
    EXPECT_EQ(state->GetChildByName("CurrentEpisod")->Text, state->GetChildByName("MaxEpisod")->Text);
    EXPECT_GT(std::stoi(state->GetChildByName("CurrentEpisod")->Text), 2);
}

}  // namespace
