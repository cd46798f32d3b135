// The dialog-script player on the manual clock: when lines become due, what each command
// does, pauses that only an allowed press or key ends, the skip to EndForSkip, moves and
// fades, and a dialog that waits while its level is paused.
#include "metagame/DialogEngine.h"

#include "MetagameTestKit.h"
#include "foundation/DataSource.h"
#include "foundation/Text.h"

#include <map>
#include <set>

namespace {

constexpr int64_t kStart = 10000;  // when every dialog here starts

using V = std::vector<std::string>;

// Widgets with properties given by the test; every write is recorded in the shared list.
class TFakeWidgets final : public IWidgetAccess {
public:
    explicit TFakeWidgets(V& calls) : calls_(calls) {}
    bool SetObjectProperty(const std::string& object, const std::string& property, const std::string& value) override
    {
        calls_.push_back("Set " + object + "." + property + "=" + value);
        auto it = Props.find(object);
        if (it == Props.end())
            return false;
        it->second[property] = value;
        return true;
    }
    TQelVariant GetObjectValue(const std::string& object, const std::string& property) const override
    {
        auto it = Props.find(object);
        if (it == Props.end())
            return {};
        auto p = it->second.find(property);
        if (p == it->second.end())
            return std::string();
        if (auto n = StrictInt(p->second))
            return *n;
        return p->second;
    }
    std::map<std::string, std::map<std::string, std::string>> Props;

private:
    V& calls_;
};

// Pictures, effects, audio, the level and the typing labels, recording every call.
class TRecorder final : public IDialogPictures,
                        public IDialogEffects,
                        public IDialogAudio,
                        public IDialogLevel,
                        public ITypingLabels {
public:
    explicit TRecorder(V& calls) : calls_(calls) {}

    TDialogPictureSize LoadPicture(const std::string& name) override
    {
        calls_.push_back("Load " + name);
        return {40, 30};
    }
    std::vector<TDialogFrame> LoadAnime(const std::string& file) override
    {
        calls_.push_back("Anime " + file);
        return Frames;
    }
    void DrawPicture(const std::string& target, const std::string& picture, int32_t x, int32_t y,
                     uint8_t opacity) override
    {
        calls_.push_back("Draw " + target + " " + picture + " " + std::to_string(x) + " " + std::to_string(y) + " " +
                         std::to_string(opacity));
    }
    void CreateEffect(const std::string& file, int32_t x, int32_t y) override
    {
        calls_.push_back("Effect " + file + " " + std::to_string(x) + " " + std::to_string(y));
    }
    void DeleteEffect(const std::string& name) override { calls_.push_back("DeleteEffect " + name); }
    void PlaySoundEvent(const std::string& event) override { calls_.push_back("Sound " + event); }
    std::string CurrentMusic() const override { return Music; }
    void ChangeMusic(const std::string& module, const std::string& pattern, int32_t fadeOutMs,
                     int32_t fadeInMs) override
    {
        calls_.push_back("Music " + module + " [" + pattern + "] " + std::to_string(fadeOutMs) + " " +
                         std::to_string(fadeInMs));
        Music = module;
    }
    bool AcceptsMessages() const override { return Accepts; }
    void ShowThings() override { calls_.push_back("ShowThings"); }
    void HideThings() override { calls_.push_back("HideThings"); }
    std::optional<TDialogBoxGrid> BoxGrid() const override { return Grid; }
    // Pieces are 50 x 50 from their point; their effect point is (20, 30) further on.
    std::optional<TPoint> PiecePoint(int32_t index, bool forEffect) const override
    {
        auto it = Pieces.find(index);
        if (it == Pieces.end())
            return std::nullopt;
        return forEffect ? TPoint{it->second.X + 20, it->second.Y + 30} : it->second;
    }
    int32_t PieceAt(int32_t x, int32_t y) const override
    {
        for (const auto& [index, p] : Pieces)
            if (MakeRect(p.X, p.Y, 50, 50).Contains(x, y))
                return index;
        return -1;
    }
    void TutorialPress(int32_t x, int32_t y) override
    {
        calls_.push_back("TutorialPress " + std::to_string(x) + " " + std::to_string(y));
    }
    void ClearHintMarks() override { calls_.push_back("ClearHintMarks"); }
    void ShowCursorOnPiece(int32_t index, int64_t now) override
    {
        calls_.push_back("Cursor " + std::to_string(index) + " " + std::to_string(now));
    }
    void PrintingCaption(const std::string& label, int64_t endTime, bool nextButton) override
    {
        calls_.push_back("Printing " + label + " " + std::to_string(endTime) + (nextButton ? " next" : ""));
    }
    std::optional<int64_t> PrintDuration(const std::string& widget) const override
    {
        if (TypingLabels.count(widget))
            return 500;
        return std::nullopt;
    }

    std::string Music = "title.mo3";
    bool Accepts = true;
    std::optional<TDialogBoxGrid> Grid;
    std::map<int32_t, TPoint> Pieces;
    std::vector<TDialogFrame> Frames;
    std::set<std::string> TypingLabels;

private:
    V& calls_;
};

class DialogTest : public ::testing::Test {
protected:
    DialogTest()
    {
        Logs.clock.Set(kStart);
        Widgets.Props["WMap"] = {{"Left", "100"}, {"Top", "200"}, {"Width", "800"}, {"Height", "600"}};
        Widgets.Props["WMap_BSkip"] = {{"Left", "10"}, {"Top", "20"}, {"Width", "50"}, {"Height", "30"},
                                       {"ParentName", "WMap"}};
        Widgets.Props["WMap_BOk"] = {{"Left", "10"}, {"Top", "100"}, {"Width", "50"}, {"Height", "30"},
                                     {"ParentName", "WMap"}};
        Widgets.Props["WMap_LText"] = {{"Caption", "old"}, {"Left", "7"}, {"Top", "8"}};
        Widgets.Props["WResource_LHello"] = {{"Caption", "Hello"}};
    }

    TDialogServices Services()
    {
        TDialogServices s;
        s.Widgets = &Widgets;
        s.Typing = &Rec;
        s.Pictures = &Rec;
        s.Effects = &Rec;
        s.Audio = &Rec;
        s.Level = &Rec;
        s.Log = &Logs.game;
        return s;
    }
    // Plays the lines from kStart; the calls made before the first tick are dropped.
    void Play(const std::string& lines, const std::string& fileName = "Script_Test.xml")
    {
        Dialog.LoadDialogText("<Dialog>" + lines + "</Dialog>", fileName);
        Dialog.StartDialog(kStart);
    }
    // The clock moves to kStart + ms and the dialog ticks.
    void At(int64_t ms)
    {
        Logs.clock.Set(kStart + ms);
        Dialog.TickDialog(kStart + ms);
    }
    V Only(const std::string& prefix) const
    {
        V found;
        for (const std::string& c : Calls)
            if (c.starts_with(prefix))
                found.push_back(c);
        return found;
    }
    const TDialogObject& Object(size_t i) const { return Dialog.Objects().at(i); }

    TCapturedLogs Logs;
    V Calls;
    TFakeWidgets Widgets{Calls};
    TRecorder Rec{Calls};
    TDialog Dialog{Logs.clock, Services()};
};

std::string Sound(int time, const std::string& name)
{
    return "<PlaySound Time=\"" + std::to_string(time) + "\" FileName=\"" + name + "\"/>";
}

// A last line far ahead, so the dialog (and what it moves) goes on while a test looks.
const std::string kKeepOn = Sound(60000, "end");

// ---------------------------------------------------------------------------------------
// Timing

struct TTimingCase {
    std::string Title;
    std::string Lines;
    std::vector<std::pair<int64_t, V>> Steps;  // tick at kStart + ms: the sounds played so far
};

class DialogTiming : public DialogTest, public ::testing::WithParamInterface<TTimingCase> {};

TEST_P(DialogTiming, LinesRunWhenTheirTimeIsBelowTheirSegmentsAge)
{
    Play(GetParam().Lines);
    for (const auto& [ms, sounds] : GetParam().Steps) {
        At(ms);
        EXPECT_EQ(Only("Sound"), sounds) << "at " << ms << " ms";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DialogTiming,
    ::testing::Values(
        TTimingCase{"DueAfterTheirTimeSeveralInOneTickInFileOrder",
                    Sound(0, "a") + Sound(0, "b") + Sound(500, "c") + Sound(500, "d") + Sound(2000, "e"),
                    {{0, {"Sound a"}},
                     {1, {"Sound a", "Sound b"}},
                     {500, {"Sound a", "Sound b"}},
                     {501, {"Sound a", "Sound b", "Sound c", "Sound d"}},
                     {2000, {"Sound a", "Sound b", "Sound c", "Sound d"}},
                     {2001, {"Sound a", "Sound b", "Sound c", "Sound d", "Sound e"}}}},
        TTimingCase{"FirstLineRunsAtTheStartWhateverItsTime", Sound(1000, "a") + Sound(0, "b"),
                    {{0, {"Sound a"}}, {1, {"Sound a", "Sound b"}}}},
        TTimingCase{"TimedPauseStartsASegmentAndLinesWaitForTheOnesBefore",
                    Sound(0, "a") + "<Pause Time=\"300\"/>" + Sound(100, "b") + Sound(0, "c"),
                    {{301, {"Sound a"}}, {302, {"Sound a"}}, {401, {"Sound a"}}, {402, {"Sound a", "Sound b", "Sound c"}}}},
        TTimingCase{"UnknownCommandsTakeTheirPlace", Sound(0, "a") + "<Wait Time=\"800\"/>" + Sound(0, "b"),
                    {{500, {"Sound a"}}, {801, {"Sound a", "Sound b"}}}}),
    [](const auto& row) { return row.param.Title; });

TEST_F(DialogTest, EndsOnceTheLastLineIsReached)
{
    Play(Sound(0, "a") + Sound(100, "b"));
    At(101);
    EXPECT_FALSE(Dialog.Ended());
    At(102);
    EXPECT_TRUE(Dialog.Ended());
}

TEST_F(DialogTest, ScriptWithoutLinesEndsAtItsFirstTickAndSaysWhy)
{
    TScratchFolder folder;
    TDataSource data(folder.Path);
    Dialog.LoadDialog(data, "Script_None.xml");
    Dialog.StartDialog(kStart);
    At(0);
    EXPECT_TRUE(Dialog.Ended());
    EXPECT_EQ(Calls, V{});
    ASSERT_EQ(Logs.GameLines.size(), 1u);
    EXPECT_TRUE(Logs.GameLines[0].starts_with("Error LoadDialog: Script_None.xml: ")) << Logs.GameLines[0];
}

TEST_F(DialogTest, PauseThatNothingCanEndIsPassedWithALogLine)
{
    Play(Sound(0, "a") + "<Pause Time=\"0\"/>" + Sound(0, "b"));
    At(1);
    EXPECT_FALSE(Dialog.WaitingForInput());
    ASSERT_EQ(Logs.GameLines.size(), 1u);
    EXPECT_NE(Logs.GameLines[0].find("Script_Test.xml: line 2: a pause that no press or key can end"),
              std::string::npos)
        << Logs.GameLines[0];
    At(2);
    EXPECT_EQ(Only("Sound"), (V{"Sound a", "Sound b"}));
}

TEST_F(DialogTest, WaitingTimesMoveWithAPausedLevel)
{
    Play(Sound(0, "a") + Sound(1000, "b"));
    At(500);
    Dialog.ShiftDialogTime(3000);
    At(1001);
    EXPECT_EQ(Only("Sound"), V{"Sound a"});
    At(4000);
    EXPECT_EQ(Only("Sound"), V{"Sound a"});
    At(4001);
    EXPECT_EQ(Only("Sound"), (V{"Sound a", "Sound b"}));
}

// ---------------------------------------------------------------------------------------
// Pauses and what passes them

enum class TLevelKind { None, Pieces, Bonus };

struct TInput {
    bool Key = false;
    TQelMouseButton Button = TQelMouseButton::Left;
    int32_t X = 0, Y = 0;
    int32_t Code = 0;
};

TInput Press(TQelMouseButton b, int32_t x, int32_t y)
{
    return {false, b, x, y, 0};
}
TInput KeyPress(int32_t code)
{
    return {true, TQelMouseButton::Left, 0, 0, code};
}

struct TPauseCase {
    std::string Title;
    std::string Pause;  // the attributes of a Pause with Time 0
    TLevelKind Level;
    TInput Input;
    bool Passes;
};

class DialogPause : public DialogTest, public ::testing::WithParamInterface<TPauseCase> {};

TEST_P(DialogPause, OnlyAnAllowedPressOrKeyEndsIt)
{
    if (GetParam().Level == TLevelKind::Pieces)
        Rec.Pieces = {{1, {200, 300}}, {2, {300, 300}}};
    if (GetParam().Level == TLevelKind::Bonus)
        Rec.Grid = TDialogBoxGrid{100, 50, 40, 40, 5, 5};
    Play(Sound(0, "a") + "<Pause Time=\"0\" " + GetParam().Pause + "/>" + Sound(0, "never") + Sound(0, "after") +
         Sound(200, "later"));
    At(1);
    At(5000);
    EXPECT_TRUE(Dialog.WaitingForInput());
    EXPECT_EQ(Only("Sound"), V{"Sound a"});

    Logs.clock.Set(kStart + 6000);
    const TInput& in = GetParam().Input;
    if (in.Key)
        Dialog.DialogKeyDown(in.Code);
    else
        EXPECT_FALSE(Dialog.DialogMouseDown(in.Button, in.X, in.Y));
    At(6001);
    if (!GetParam().Passes) {
        EXPECT_TRUE(Dialog.WaitingForInput());
        EXPECT_EQ(Only("Sound"), V{"Sound a"});
        EXPECT_EQ(Only("TutorialPress"), V{});
        return;
    }
    // The line after the pause counts as done; the next segment starts at the press.
    EXPECT_EQ(Only("Sound"), (V{"Sound a", "Sound after"}));
    EXPECT_EQ(Only("ClearHintMarks"), V{"ClearHintMarks"});
    At(6200);
    EXPECT_EQ(Only("Sound").size(), 2u);
    At(6201);
    EXPECT_EQ(Only("Sound").back(), "Sound later");
    if (GetParam().Level != TLevelKind::None) {
        EXPECT_EQ(Only("TutorialPress"), V{"TutorialPress " + std::to_string(in.X) + " " + std::to_string(in.Y)});
    }
}

using B = TQelMouseButton;
const std::string kRect = R"(Mouse="Left" MouseDownRect="100,100,200,200")";

INSTANTIATE_TEST_SUITE_P(
    Input, DialogPause,
    ::testing::Values(
        TPauseCase{"LeftInsideItsRect", kRect, TLevelKind::None, Press(B::Left, 150, 150), true},
        TPauseCase{"LeftOutsideItsRect", kRect, TLevelKind::None, Press(B::Left, 250, 150), false},
        TPauseCase{"RightEdgeIsOutside", kRect, TLevelKind::None, Press(B::Left, 200, 150), false},
        TPauseCase{"ButtonNotAllowed", kRect, TLevelKind::None, Press(B::Right, 150, 150), false},
        TPauseCase{"SecondButtonAllowed", R"(Mouse="Left,Right")", TLevelKind::None, Press(B::Right, 5, 5), true},
        TPauseCase{"WholeScreenWithoutRect", R"(Mouse="Left")", TLevelKind::None, Press(B::Left, 799, 599), true},
        TPauseCase{"KeyInItsList", R"(KeyDown="13,27")", TLevelKind::None, KeyPress(27), true},
        TPauseCase{"KeyNotInItsList", R"(KeyDown="13,27")", TLevelKind::None, KeyPress(32), false},
        TPauseCase{"KeyWhileWaitingForAPiece", R"(KeyDown="13" Mouse="Left" SelectOnFish="2")", TLevelKind::Pieces,
                   KeyPress(13), false},
        TPauseCase{"PressOnItsPiece", R"(Mouse="Left" SelectOnFish="2")", TLevelKind::Pieces, Press(B::Left, 310, 320),
                   true},
        TPauseCase{"PressOnAnotherPiece", R"(Mouse="Left" SelectOnFish="2")", TLevelKind::Pieces,
                   Press(B::Left, 210, 320), false},
        TPauseCase{"PieceTheLevelDoesNotHave", R"(Mouse="Left" SelectOnFish="7")", TLevelKind::Pieces,
                   Press(B::Left, 310, 320), false},
        // 23: column 1, row 2 of cells 40 x 40 from (100, 50).
        TPauseCase{"PressOnItsBoxCell", R"(Mouse="Left" SelectOnFish="23")", TLevelKind::Bonus,
                   Press(B::Left, 150, 140), true},
        TPauseCase{"PressOnAnotherBoxCell", R"(Mouse="Left" SelectOnFish="23")", TLevelKind::Bonus,
                   Press(B::Left, 110, 140), false},
        TPauseCase{"PressLeftOfTheBox", R"(Mouse="Left" SelectOnFish="11")", TLevelKind::Bonus,
                   Press(B::Left, 90, 60), false},
        TPauseCase{"BoxCellTheLevelDoesNotHave", R"(Mouse="Left" SelectOnFish="99")", TLevelKind::Bonus,
                   Press(B::Left, 150, 140), false}),
    [](const auto& row) { return row.param.Title; });

TEST_F(DialogTest, TimedPauseAheadIsPassedEarlyByAPress)
{
    Play(Sound(0, "a") + "<Pause Time=\"1000\" Mouse=\"Left\"/>" + Sound(0, "never") + Sound(0, "after"));
    At(10);
    Logs.clock.Set(kStart + 20);
    Dialog.DialogMouseDown(TQelMouseButton::Left, 1, 1);
    At(21);
    EXPECT_EQ(Only("Sound"), (V{"Sound a", "Sound after"}));
}

// ---------------------------------------------------------------------------------------
// Button areas and the skip

TEST_F(DialogTest, SkipButtonContinuesAtEndForSkip)
{
    Play(R"(<CreateButton InterfaceObject="WMap_BSkip"/>)" + Sound(0, "a") +
         R"(<Pause Time="0" Mouse="Right"/>)" + Sound(0, "b") + "<EndForSkip Time=\"0\"/>" + Sound(100, "c"));
    At(1);
    ASSERT_EQ(Dialog.Objects().size(), 1u);
    EXPECT_EQ(Object(0).Rect, (TRect{110, 220, 160, 250}));  // the widget's place plus its parent's
    Logs.clock.Set(kStart + 300);
    EXPECT_FALSE(Dialog.DialogMouseDown(TQelMouseButton::Left, 120, 230));
    EXPECT_EQ(Dialog.CurrentLine(), Dialog.SkipTarget());
    At(400);
    EXPECT_EQ(Only("Sound"), V{"Sound a"});
    At(401);
    EXPECT_EQ(Only("Sound"), (V{"Sound a", "Sound c"}));
    // Pressed again after the EndForSkip line, it does not go back.
    Logs.clock.Set(kStart + 402);
    Dialog.DialogMouseDown(TQelMouseButton::Left, 120, 230);
    EXPECT_EQ(Dialog.CurrentLine(), 5);
}

TEST_F(DialogTest, SkipWithoutEndForSkipEndsTheDialog)
{
    Play(R"(<CreateButton InterfaceObject="WMap_BSkip"/>)" + Sound(5000, "a") + Sound(0, "b"));
    At(1);
    Dialog.DialogMouseDown(TQelMouseButton::Left, 120, 230);
    At(2);
    EXPECT_TRUE(Dialog.Ended());
    EXPECT_EQ(Only("Sound"), V{});
}

TEST_F(DialogTest, OtherButtonAreasAreReportedAndMissingWidgetsMakeNone)
{
    Play(R"(<CreateButton InterfaceObject="WMap_BOk" Visible="true"/><CreateButton Time="0" InterfaceObject="WNone"/>)"
         R"(<Pause Time="0" Mouse="Left"/>)" + Sound(0, "x") + Sound(0, "y"));
    At(1);
    ASSERT_EQ(Dialog.Objects().size(), 1u);
    EXPECT_TRUE(Object(0).Visible);
    EXPECT_FALSE(Dialog.DialogMouseDown(TQelMouseButton::Left, 5, 5));
    EXPECT_FALSE(Dialog.WaitingForInput());  // the press passed the pause all the same
}

TEST_F(DialogTest, ButtonAreaHitIsReported)
{
    Play(R"(<CreateButton InterfaceObject="WMap_BOk"/>)" + Sound(5000, "a"));
    EXPECT_TRUE(Dialog.DialogMouseDown(TQelMouseButton::Left, 115, 305));
    EXPECT_FALSE(Dialog.DialogMouseDown(TQelMouseButton::Left, 115, 335));
}

// ---------------------------------------------------------------------------------------
// Commands

struct TCommandCase {
    std::string Title;
    std::string Lines;  // after a first line that does nothing
    V Calls;            // after the first tick, then drawing onto "MemorySurface"
};

class DialogCommand : public DialogTest, public ::testing::WithParamInterface<TCommandCase> {};

TEST_P(DialogCommand, DoesWhatItSays)
{
    Rec.Pieces = {{2, {300, 300}}};
    Rec.TypingLabels = {"WMap_LText"};
    Play("<Begin/>" + GetParam().Lines);
    At(1);
    Dialog.DrawDialogPictures("MemorySurface");
    EXPECT_EQ(Calls, GetParam().Calls);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DialogCommand,
    ::testing::Values(
        TCommandCase{"CreatePicture", R"(<CreatePicture ID="P" FileName="p.png" Pos="10,20" Alpha="200" Visible="true"/>)",
                     {"Load p.png", "Draw MemorySurface p.png 10 20 200"}},
        TCommandCase{"CreatePictureHidden", R"(<CreatePicture ID="P" FileName="p.png" Alpha="200"/>)", {"Load p.png"}},
        TCommandCase{"CreatePictureOnAPiece",
                     R"(<CreatePicture ID="P" FileName="p.png" Pos="5,5" Alpha="9" Visible="true" SelectOnFish="2"/>)",
                     {"Load p.png", "Draw MemorySurface p.png 305 305 9"}},
        TCommandCase{"CreatePictureOnAMissingPiece",
                     R"(<CreatePicture ID="P" FileName="p.png" Pos="5,5" Alpha="9" Visible="true" SelectOnFish="4"/>)",
                     {"Load p.png", "Draw MemorySurface p.png 5 5 9"}},
        TCommandCase{"ChangePicture",
                     R"(<CreatePicture ID="P" FileName="p.png" Alpha="255"/>)"
                     R"(<ChangePicture ID="P" FileName="q.png" Pos="1,2" Visible="true"/><ChangePicture ID="Q" Visible="false"/>)",
                     {"Load p.png", "Load q.png", "Draw MemorySurface q.png 1 2 255"}},
        TCommandCase{"SoundsAndStopSound", R"(<PlaySound FileName="Click"/><StopSound FileName="Click"/>)", {"Sound Click"}},
        TCommandCase{"MusicAndBack",
                     R"(<PlayMusic FileName="story.mo3" Pattern="4"/><StopMusic/>)",
                     {"Music story.mo3 [4] 1000 1000", "Music title.mo3 [] 1000 1000"}},
        TCommandCase{"StopMusicWithNothingToGoBackTo", "<StopMusic/>", {}},
        TCommandCase{"Effects", R"(<CreateEffect FileName="efStar.xml" Pos="5,6"/><DeleteEffect FileName="efStar.xml"/>)",
                     {"Effect efStar.xml 5 6", "DeleteEffect efStar.xml"}},
        TCommandCase{"EffectOnAPieceUsesItsEffectPoint",
                     R"(<CreateEffect FileName="e.xml" Pos="5,6" SelectOnFish="2"/>)", {"Effect e.xml 325 336"}},
        TCommandCase{"Messages", R"(<SendMessage ID="ShowThings"/><SendMessage ID="HideThings"/><SendMessage ID="Other"/>)",
                     {"ShowThings", "HideThings"}},
        TCommandCase{"WidgetChanges",
                     R"(<ChangeInterfaceObject InterfaceObject="WMap_LTitle" Enabled="false" Color="255" )"
                     R"(MouseOverColor="65280" Caption="WResource_LHello" Visible="true" Pos="30,40"/>)",
                     {"Set WMap_LTitle.Enabled=False", "Set WMap_LTitle.Color=255",
                      "Set WMap_LTitle.MouseOverColor=65280", "Set WMap_LTitle.Caption=Hello",
                      "Set WMap_LTitle.Visible=True", "Set WMap_LTitle.Left=30", "Set WMap_LTitle.Top=40"}},
        TCommandCase{"EmptyCaptionWritesABlank", R"(<ChangeInterfaceObject InterfaceObject="WMap_LTitle" Caption=""/>)",
                     {"Set WMap_LTitle.Caption="}},
        TCommandCase{"TypingLabelPrintsItsCaption",
                     R"(<ChangeInterfaceObject InterfaceObject="WMap_LText" Caption="WResource_LHello"/>)"
                     R"(<ChangeInterfaceObject InterfaceObject="WMap_LText" Caption="WResource_LHello" NextButton="false"/>)",
                     {"Set WMap_LText.Caption=Hello", "Printing WMap_LText 10501 next", "Set WMap_LText.Caption=Hello",
                      "Printing WMap_LText 10501"}},
        TCommandCase{"NextButtonsAreNeverShownByTheScript",
                     R"(<ChangeInterfaceObject InterfaceObject="WMap_BNext" Visible="true"/>)"
                     R"(<ChangeInterfaceObject InterfaceObject="WGame_BNext" Visible="false"/>)",
                     {"Set WGame_BNext.Visible=False"}},
        TCommandCase{"UnknownCommandsAndPausesDoNothing", R"(<Explode FileName="x"/><Pause Time="0" Mouse="Left"/>)", {}}),
    [](const auto& row) { return row.param.Title; });

TEST_F(DialogTest, MessagesOnlyWhileTheLevelTakesThem)
{
    Rec.Accepts = false;
    Play(R"(<SendMessage ID="ShowThings"/>)");
    EXPECT_EQ(Calls, V{});
}

TEST_F(DialogTest, BeginLevelScriptPutsTheCursorOnItsPiece)
{
    Rec.Pieces = {{2, {300, 300}}};
    const std::string lines = "<Begin/>" R"(<ChangeInterfaceObject InterfaceObject="WGame_LHint" SelectOnFish="2"/>)"
                              R"(<ChangeInterfaceObject InterfaceObject="WGame_LHint" SelectOnFish="5"/>)";
    Play(lines, "Script_Dialog_BeginLevel.xml");
    At(1);
    EXPECT_EQ(Only("Cursor"), V{"Cursor 2 10001"});
    Calls.clear();
    Play(lines, "Script_Dialog_1_1.xml");
    At(1);
    EXPECT_EQ(Only("Cursor"), V{});
}

TEST_F(DialogTest, AnimatedPictureShowsItsFramesInTurn)
{
    Rec.Frames = {{"f0.png", 100}, {"f1.png", 200}};
    Play(R"(<CreatePicture ID="P" FileName="p.png" AnimeFiles="walk.xml" Alpha="255" Visible="true"/>)" + kKeepOn);
    EXPECT_EQ(Object(0).Surface, "f0.png");
    At(99);
    EXPECT_EQ(Object(0).Surface, "f0.png");
    At(100);
    EXPECT_EQ(Object(0).Surface, "f1.png");
    At(299);
    EXPECT_EQ(Object(0).Surface, "f1.png");
    At(300);
    EXPECT_EQ(Object(0).Surface, "f0.png");
}

TEST_F(DialogTest, LineThatFailsIsLoggedAndTheNextOneRuns)
{
    // A widget access that refuses a value with an exception, as the engine does.
    class TThrowingWidgets final : public IWidgetAccess {
    public:
        bool SetObjectProperty(const std::string&, const std::string&, const std::string&) override
        {
            throw std::runtime_error("bad value");
        }
        TQelVariant GetObjectValue(const std::string&, const std::string&) const override { return {}; }
    } throwing;
    TDialogServices s = Services();
    s.Widgets = &throwing;
    TDialog dialog(Logs.clock, s);
    dialog.LoadDialogText("<Dialog><Begin/>" R"(<ChangeInterfaceObject InterfaceObject="L" Enabled="true"/>)" +
                              Sound(0, "after") + "</Dialog>",
                          "S.xml");
    dialog.StartDialog(kStart);
    dialog.TickDialog(kStart + 1);
    EXPECT_EQ(Only("Sound"), V{"Sound after"});
    ASSERT_EQ(Logs.GameLines.size(), 1u);
    EXPECT_EQ(Logs.GameLines[0], "Error ExecuteDialogLine: S.xml: line 2 (ChangeInterfaceObject): bad value");
}

// ---------------------------------------------------------------------------------------
// Moves and fades

struct TMoveCase {
    std::string Title;
    std::string Change;  // the ChangePicture attributes
    std::vector<std::pair<int64_t, TPoint>> Steps;
};

class DialogMove : public DialogTest, public ::testing::WithParamInterface<TMoveCase> {};

TEST_P(DialogMove, FromWhereItIsSnappingToTheTarget)
{
    Play(R"(<CreatePicture ID="P" FileName="p.png" Alpha="255" Visible="true"/>)"
         R"(<ChangePicture ID="P" )" + GetParam().Change + "/>" + kKeepOn);
    At(1);  // the move starts here
    for (const auto& [ms, pos] : GetParam().Steps) {
        At(ms);
        EXPECT_EQ(Object(0).Pos, pos) << "at " << ms << " ms";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Moves, DialogMove,
    ::testing::Values(
        TMoveCase{"HundredPixelsASecondSnappingWithinNine", R"(PosFrom="0,0" PosTo="100,0" Duration="1000")",
                  {{101, {10, 0}}, {501, {50, 0}}, {901, {90, 0}}, {921, {100, 0}}}},
        TMoveCase{"FromWhereItStandsEndingOnTime", R"(Pos="500,0" PosFrom="0,0" PosTo="100,0" Duration="1000")",
                  {{501, {550, 0}}, {1000, {600, 0}}, {1001, {100, 0}}}},
        TMoveCase{"NoDurationGoesThereAtOnce", R"(PosFrom="0,0" PosTo="70,80" Duration="0")",
                  {{2, {70, 80}}}}),
    [](const auto& row) { return row.param.Title; });

TEST_F(DialogTest, WidgetMovesAndFadesThroughItsProperties)
{
    Play("<Begin/>" R"(<ChangeInterfaceObject InterfaceObject="WMap_LText" PosFrom="0,0" PosTo="100,0" )"
         R"(Duration="100" AlphaFrom="0" AlphaTo="255"/>)" + kKeepOn);
    At(1);
    At(51);
    EXPECT_EQ(Widgets.Props["WMap_LText"]["Left"], "57");  // from its place (7, 8)
    EXPECT_EQ(Widgets.Props["WMap_LText"]["Top"], "8");
    EXPECT_EQ(Widgets.Props["WMap_LText"]["Alpha"], "128");
    At(101);
    EXPECT_EQ(Widgets.Props["WMap_LText"]["Left"], "100");
    EXPECT_EQ(Widgets.Props["WMap_LText"]["Alpha"], "255");
}

TEST_F(DialogTest, FadeEndsWithinTwentyOfItsTargetOrOnTime)
{
    Play(R"(<CreatePicture ID="P" FileName="p.png" Alpha="255" Visible="true"/>)"
         R"(<ChangePicture ID="P" AlphaFrom="0" AlphaTo="255" Duration="1000"/>)"
         R"(<CreatePicture ID="Q" FileName="q.png" Alpha="255" Visible="true"/>)"
         R"(<ChangePicture ID="Q" AlphaFrom="200" AlphaTo="10" Duration="0"/>)" + kKeepOn);
    At(1);
    EXPECT_EQ(Object(0).Alpha, 0);
    EXPECT_EQ(Object(1).Alpha, 10);  // no duration: the target at once
    At(501);
    EXPECT_EQ(Object(0).Alpha, 128);
    At(921);
    EXPECT_EQ(Object(0).Alpha, 235);
    EXPECT_TRUE(Object(0).Fading);
    At(927);
    EXPECT_EQ(Object(0).Alpha, 255);
    EXPECT_FALSE(Object(0).Fading);
}

TEST_F(DialogTest, MoveWaitsWhileTheLevelIsPaused)
{
    Play(R"(<CreatePicture ID="P" FileName="p.png" Alpha="255" Visible="true"/>)"
         R"(<ChangePicture ID="P" PosFrom="0,0" PosTo="100,0" Duration="1000"/>)" + kKeepOn);
    At(1);
    At(501);
    Dialog.ShiftDialogTime(5000);
    At(5601);
    EXPECT_EQ(Object(0).Pos, (TPoint{60, 0}));
}

}  // namespace
