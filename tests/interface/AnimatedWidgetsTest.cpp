// Animated pictures and effect widgets: reading animation lists, the frame shown at a
// time, drawing through the host on the form's animation step; effect widgets starting
// after their form appears, after a previous effect, again after a pause, and stopping
// with their form.
#include "InterfaceTestKit.h"

#include "effects/QelFXParticles.h"
#include "foundation/DataSource.h"
#include "tests/common/TempFolder.h"

#include <algorithm>
#include <map>
#include <memory>

namespace {

using V = std::vector<std::string>;

const std::map<std::string, TQelSize> kSheets = {{"A.png", {400, 100}}, {"B.png", {200, 100}}, {"S.png", {90, 60}}};

TQelSize SheetSize(const std::string& name)
{
    auto it = kSheets.find(name);
    return it == kSheets.end() ? TQelSize {} : it->second;
}

std::string RectText(const TRect& r)
{
    return "[" + IntToStr(r.Left) + " " + IntToStr(r.Top) + " " + IntToStr(r.Right) + " " + IntToStr(r.Bottom) + "]";
}

// "picture rows x cols, frame count, still frame, frame time, pause, end time, cell size,
// number of frames and the last frame"
std::string Summary(const TMovingPic& p)
{
    return p.Picture + " " + IntToStr(p.Rows) + "x" + IntToStr(p.Cols) + " n" + IntToStr(p.FrameCount) + " still" +
           IntToStr(p.StillFrame) + " t" + IntToStr(p.FrameTime) + " p" + IntToStr(p.Pause) + " end" +
           IntToStr(p.EndTime) + " cell" + IntToStr(p.FrameSize.Width) + "x" + IntToStr(p.FrameSize.Height) +
           " frames" + IntToStr(static_cast<int64_t>(p.Frames.size())) +
           (p.Frames.empty() ? "" : " last" + RectText(p.Frames.back()));
}

// ---------------------------------------------------------------------------------------
// Animation lists

struct TListCase {
    std::string Title, Text;
    V Animations;
};

class MovingListTest : public ::testing::TestWithParam<TListCase> {};

TEST_P(MovingListTest, Parsed)
{
    V summaries;
    for (const TMovingPic& p : ParseMovingPics(GetParam().Text, SheetSize))
        summaries.push_back(Summary(p));
    EXPECT_EQ(summaries, GetParam().Animations);
}

INSTANTIATE_TEST_SUITE_P(
    Moving, MovingListTest,
    ::testing::Values(
        TListCase{"FourFramesInARow",
                  "A.png:1:4:4:0:100:0;",
                  {"A.png 1x4 n4 still0 t100 p0 end400 cell100x100 frames4 last[300 0 400 100]"}},
        TListCase{"EndTimesAddUp",
                  "A.png:1:4:4:0:100:0;B.png:1:2:2:1:50:100;",
                  {"A.png 1x4 n4 still0 t100 p0 end400 cell100x100 frames4 last[300 0 400 100]",
                   "B.png 1x2 n2 still1 t50 p100 end600 cell100x100 frames2 last[100 0 200 100]"}},
        TListCase{"RowByRowAndStillFrameLimited",
                  "S.png:2:3:5:9:10:0;",
                  {"S.png 2x3 n5 still4 t10 p0 end50 cell30x30 frames5 last[30 30 60 60]"}},
        TListCase{"UnknownSheetHasEmptyCells",
                  "Fish.png:2:4:8:0:100:500;",
                  {"Fish.png 2x4 n8 still0 t100 p500 end1300 cell0x0 frames8 last[0 0 0 0]"}},
        TListCase{"NoRowsOrColumnsMeansOne",
                  "A.png:0:-2:1:0:100:0;",
                  {"A.png 1x1 n1 still0 t100 p0 end100 cell400x100 frames1 last[0 0 400 100]"}},
        TListCase{"MoreFramesThanCells",
                  "A.png:1:4:9:0:100:0;",
                  {"A.png 1x4 n9 still0 t100 p0 end900 cell100x100 frames4 last[300 0 400 100]"}},
        TListCase{"NoFramesStillFrameZero", "A.png:1:4:0:5:100:0;", {"A.png 1x4 n0 still0 t100 p0 end0 cell100x100 frames0"}},
        TListCase{"LastSeparatorMissing",
                  "A.png:1:4:4:0:100:0",
                  {"A.png 1x4 n4 still0 t100 p0 end400 cell100x100 frames4 last[300 0 400 100]"}},
        TListCase{"BlankPiecesSkipped",
                  " ;A.png:1:4:4:0:100:0; ;",
                  {"A.png 1x4 n4 still0 t100 p0 end400 cell100x100 frames4 last[300 0 400 100]"}},
        TListCase{"Empty", "", {}}),
    [](const auto& row) { return row.param.Title; });

TEST(MovingList, MalformedFieldFailsTheWrite)
{
    for (const char* text : {"A.png:1:x:4:0:100:0;", "A.png:1:4;", "A.png:1:4:4:0:100:99999999999;", "A.png"})
        EXPECT_THROW(ParseMovingPics(text, SheetSize), std::runtime_error) << text;
}

// ---------------------------------------------------------------------------------------
// The frame for a time

struct TFrameCase {
    std::string Title, Text;
    int64_t Time;
    std::string Shown;  // "animation frame", or "-" when nothing changes
};

class MovingFrameTest : public ::testing::TestWithParam<TFrameCase> {};

TEST_P(MovingFrameTest, At)
{
    auto frame = MovingFrameAt(ParseMovingPics(GetParam().Text, SheetSize), GetParam().Time);
    EXPECT_EQ(frame ? IntToStr(static_cast<int64_t>(frame->Animation)) + " " + IntToStr(frame->Frame) : "-",
              GetParam().Shown);
}

const char* const kFour = "A.png:1:4:4:0:100:0;";
const char* const kTwo = "A.png:1:4:4:0:100:0;B.png:1:2:2:1:50:100;";

INSTANTIATE_TEST_SUITE_P(
    Moving, MovingFrameTest,
    ::testing::Values(TFrameCase{"Start", kFour, 0, "0 0"}, TFrameCase{"EndOfFirst", kFour, 99, "0 0"},
                      TFrameCase{"Second", kFour, 100, "0 1"}, TFrameCase{"Last", kFour, 399, "0 3"},
                      TFrameCase{"EveryFourHundredMs", kFour, 400, "0 0"},
                      TFrameCase{"GameClock", kFour, 10250, "0 2"}, TFrameCase{"EndOfFirstAnimation", kTwo, 400, "0 0"},
                      TFrameCase{"SecondAnimation", kTwo, 450, "1 1"}, TFrameCase{"SecondAnimationStart", kTwo, 520, "1 0"},
                      TFrameCase{"NextCycle", kTwo, 1050, "1 1"},
                      // Frames count from the cycle's start and go on through the pause.
                      TFrameCase{"ThroughThePause", "A.png:1:4:4:0:100:500;", 650, "0 2"},
                      TFrameCase{"StillWithoutCycle", "A.png:1:4:4:2:0:0;", 10000, "0 2"},
                      TFrameCase{"StillWithAPause", "A.png:1:4:4:2:0:300;", 10100, "0 2"},
                      TFrameCase{"NegativeFrameTimeStill", "A.png:1:4:4:1:-100:0;", 10000, "0 1"},
                      TFrameCase{"NoFramesStill", "A.png:1:4:0:0:100:300;", 10000, "0 0"},
                      TFrameCase{"MovingWithoutCycle", "A.png:1:4:4:0:100:-400;", 10000, "-"},
                      TFrameCase{"NoAnimations", "", 10000, "-"}),
    [](const auto& row) { return row.param.Title; });

// ---------------------------------------------------------------------------------------
// The widgets in a form: "W", screen-sized, shown

class AnimatedTest : public InterfaceTest {
protected:
    void LoadIn(std::initializer_list<std::string> objects)
    {
        std::string text = "<QelInterface>" +
                           Obj("TQelForm", {{"Name", "W"}, {"ParentName", "none"}, {"Width", "800"}, {"Height", "600"}});
        for (const std::string& o : objects)
            text += o;
        Load(text + "</QelInterface>");
        Engine.ShowModal("W");
    }
    V DrawOf(const std::string& name)
    {
        Host.Calls.clear();
        Get(name).Draw();
        return Host.Calls;
    }
};

TEST_F(AnimatedTest, MovingPictureDrawsTheFrameOfTheClock)
{
    Host.Pictures = kSheets;
    LoadIn({Obj("TQelMoving", {{"Name", "M"}, {"ParentName", "W"}, {"Left", "10"}, {"Top", "20"}, {"Width", "300"},
                               {"Height", "100"}, {"Visible", "True"}, {"PictureHAlign", "phaCenter"},
                               {"PictureShiftLeft", "7"}, {"Picture", kFour}}),
            Obj("TQelMoving", {{"Name", "N"}, {"ParentName", "W"}, {"AutoSize", "asPicture"}, {"Picture", kTwo}})});
    // Centred by the frame's size; the picture shift is not added.
    EXPECT_EQ(Get("M").PictureX, 100);
    EXPECT_EQ(Get("N").Width(), 100);
    EXPECT_EQ(Get("N").Height(), 100);
    Engine.Tick(10100);
    EXPECT_EQ(DrawOf("M"), (V{"Draw A.png 110 20 255 [100 0 200 100]"}));
    Engine.Draw();
    Engine.Tick(10150);  // the same frame: nothing to redraw
    EXPECT_FALSE(Get("M").Invalidated);
    Engine.Tick(10200);
    EXPECT_TRUE(Get("M").Invalidated);
    EXPECT_EQ(DrawOf("M"), (V{"Draw A.png 110 20 255 [200 0 300 100]"}));
    EXPECT_EQ(Engine.GetPicturesList(), (V{"A.png", "B.png"}));
}

TEST_F(AnimatedTest, MalformedListKeepsTheOldOne)
{
    LoadIn({Obj("TQelMoving", {{"Name", "M"}, {"ParentName", "W"}, {"Picture", kFour}})});
    EXPECT_THROW(Engine.SetObjectProperty("M", "Picture", "A.png:1:x:4:0:100:0;"), TQelException);
    EXPECT_EQ(Value("M", "Picture"), kFour);
    EXPECT_EQ(Get<TQelMoving>("M").Animations().size(), 1u);
}

TEST_F(AnimatedTest, SheetLoadedLaterIsMeasuredOnRefresh)
{
    LoadIn({Obj("TQelMoving", {{"Name", "M"}, {"ParentName", "W"}, {"Picture", "Z.png:1:2:2:0:100:0;"}})});
    Engine.Tick(10100);
    EXPECT_TRUE(DrawOf("M").empty());  // no cells to cut from a sheet the host does not know
    Host.Pictures["Z.png"] = {20, 10};
    Get("M").Refresh();
    EXPECT_EQ(DrawOf("M"), (V{"Draw Z.png 0 0 255 [10 0 20 10]"}));
}

TEST_F(AnimatedTest, CopyMadeByAFormShowsTheSameAnimation)
{
    Host.Pictures = kSheets;
    LoadIn({Obj("TQelMoving", {{"Name", "M"}, {"ParentName", "W"}, {"Visible", "True"}, {"Picture", kFour}}),
            Obj("TQelForm", {{"Name", "C"}, {"ParentName", "none"}})});
    Get<TQelForm>("C").Assign(Get("W"));
    Engine.ShowModal("C");
    Engine.Tick(10300);
    EXPECT_EQ(DrawOf("CM"), (V{"Draw A.png 0 0 255 [300 0 400 100]"}));
}

// ---------------------------------------------------------------------------------------
// Effect widgets, with effect files in an interface folder

std::string EffectXml(const std::string& attributes)
{
    return "<ParticleEffect Name=\"efTest\"" + attributes +
           "><Functions><Function Name=\"FPath\" Dim=\"2\" Type=\"piecewise\">"
           "<Script>Set Linear; Path (0,0) (200,0); Ending Stop (200,0);</Script></Function></Functions>"
           "<Morphs><Morph Name=\"MPath\" Dim=\"2\"><Functions><Function Name=\"FPath\"/></Functions></Morph></Morphs>"
           "<Particles><Particle Name=\"PDot\"><Parameter Name=\"Position\" Dim=\"2\" Morph=\"MPath\"/></Particle>"
           "</Particles><ParticleSystems><ParticleSystem Name=\"SDots\" Template=\"PDot\">"
           "<InitParticles>1</InitParticles><Resource>Dot.png</Resource></ParticleSystem></ParticleSystems>"
           "</ParticleEffect>";
}

class EffectWidgetTest : public AnimatedTest {
protected:
    EffectWidgetTest()
    {
        temp_.Write("efShort.xml", EffectXml(" Lifetime=\"0.5\""));  // over after 500 ms
        temp_.Write("efLong.xml", EffectXml(""));                     // never over
        temp_.Write("efBroken.xml", "<ParticleEffect><Functions/></ParticleEffect>");
        data_ = std::make_unique<TDataSource>(temp_.Path());
        Engine.InterfaceFolder = data_.get();
    }
    // E1 at (30, 40), and E2 when its properties are given; both visible.
    void LoadEffects(const TProps& first, const TProps& second = {})
    {
        TProps e1 = {{"Name", "E1"}, {"ParentName", "W"}, {"Left", "30"}, {"Top", "40"}, {"Visible", "True"}};
        e1.insert(e1.end(), first.begin(), first.end());
        if (second.empty()) {
            LoadIn({Obj("TQelEffect", e1)});
            return;
        }
        TProps e2 = {{"Name", "E2"}, {"ParentName", "W"}, {"Visible", "True"}};
        e2.insert(e2.end(), second.begin(), second.end());
        LoadIn({Obj("TQelEffect", e1), Obj("TQelEffect", e2)});
    }
    // Per widget: '-' without effect, 'w' loaded and waiting, 'r' running.
    std::string States()
    {
        std::string states;
        for (const char* name : {"E1", "E2"})
            if (auto* e = dynamic_cast<TQelEffect*>(Engine.GetObjectByName(name)))
                states += !e->Effect() ? '-' : e->Running() ? 'r' : 'w';
        return states;
    }
    TQelEffect& Effect(const std::string& name) { return Get<TQelEffect>(name); }

    TTempFolder temp_;
    std::unique_ptr<TDataSource> data_;
};

struct TEffectStep {
    int64_t Time;
    std::string States;
};

struct TEffectCase {
    std::string Title;
    TProps First, Second;
    std::vector<TEffectStep> Steps;  // the form is shown before the first
};

class EffectLifeTest : public EffectWidgetTest, public ::testing::WithParamInterface<TEffectCase> {};

TEST_P(EffectLifeTest, StatesAtEachStep)
{
    LoadEffects(GetParam().First, GetParam().Second);
    for (const TEffectStep& step : GetParam().Steps) {
        Engine.Tick(step.Time);
        EXPECT_EQ(States(), step.States) << "at " << step.Time;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Effects, EffectLifeTest,
    ::testing::Values(
        TEffectCase{"StartsOneSecondAfterTheFormsFirstStep",
                    {{"PauseBeforeStart", "1000"}, {"LoadEffect", "efShort.xml"}},
                    {},
                    {{10000, "w"}, {10999, "w"}, {11000, "r"}}},
        TEffectCase{"EndsAndNeverStartsAgain",
                    {{"LoadEffect", "efShort.xml"}},
                    {},
                    {{10000, "r"}, {10499, "r"}, {10500, "-"}, {30000, "-"}}},
        TEffectCase{"StartsAgainAfterItsPause",
                    {{"LoadEffect", "efShort.xml"}, {"ReStartTime", "200"}},
                    {},
                    {{10000, "r"}, {10500, "-"}, {10699, "-"}, {10700, "r"}, {11200, "-"}, {11400, "r"}}},
        TEffectCase{"WaitsForThePreviousEffectToEnd",
                    {{"LoadEffect", "efShort.xml"}},
                    {{"LoadEffect", "efLong.xml"}, {"PrevEffectName", "E1"}},
                    {{10000, "rw"}, {10499, "rw"}, {10500, "-r"}}},
        TEffectCase{"WaitingForItselfIsNotWaiting",
                    {{"LoadEffect", "efLong.xml"}, {"PrevEffectName", "E1"}},
                    {},
                    {{10000, "r"}}},
        TEffectCase{"HiddenWidgetNeverStarts",
                    {{"LoadEffect", "efShort.xml"}, {"Visible", "False"}},
                    {},
                    {{10000, "w"}, {20000, "w"}}},
        TEffectCase{"MissingFileNoEffect", {{"LoadEffect", "nothing.xml"}}, {}, {{10000, "-"}, {10100, "-"}}},
        TEffectCase{"NoFileNoEffect", {}, {}, {{10000, "-"}}}),
    [](const auto& row) { return row.param.Title; });

TEST_F(EffectWidgetTest, DrawnWhileRunningThroughTheHost)
{
    LoadEffects({{"PauseBeforeStart", "100"}, {"LoadEffect", "efLong.xml"}});
    EXPECT_TRUE(Effect("E1").FromArchive());
    Engine.Tick(10000);
    EXPECT_TRUE(DrawOf("E1").empty());  // loaded, not started yet
    Engine.Tick(10100);
    EXPECT_EQ(Effect("E1").StartTime(), 10100);
    EXPECT_EQ(Effect("E1").Effect()->ParticleCount(), 1);
    EXPECT_EQ(DrawOf("E1"), (V{"Effect 30 40 255"}));
    EXPECT_EQ(Engine.GetPicturesList(), (V{"Dot.png"}));
}

TEST_F(EffectWidgetTest, HidingTheFormStopsItAndShowingStartsItAgain)
{
    LoadEffects({{"PauseBeforeStart", "100"}, {"LoadEffect", "efLong.xml"}});
    Engine.Tick(10000);
    Engine.Tick(10100);
    EXPECT_EQ(States(), "r");
    Engine.HideModal("W");
    EXPECT_EQ(States(), "-");
    EXPECT_FALSE(Effect("E1").Started());
    EXPECT_EQ(Effect("E1").StartTime(), 0);
    Engine.ShowModal("W");
    Engine.Tick(20000);
    EXPECT_EQ(States(), "-");  // the pause counts again from this step
    Engine.Tick(20100);
    EXPECT_EQ(States(), "r");
    EXPECT_EQ(Effect("E1").StartTime(), 20100);
}

TEST_F(EffectWidgetTest, FreedPreviousWidgetNoLongerHoldsTheNextBack)
{
    LoadEffects({{"LoadEffect", "efLong.xml"}}, {{"LoadEffect", "efLong.xml"}, {"PrevEffectName", "E1"}});
    Engine.Tick(10000);
    EXPECT_EQ(States(), "rw");
    Engine.DeleteObject("E1");
    EXPECT_EQ(Effect("E2").PrevEffect(), nullptr);
    Engine.Tick(10100);
    EXPECT_EQ(States(), "r");
}

TEST_F(EffectWidgetTest, FileThatDoesNotLoadIsReportedOnce)
{
    for (const std::string file : {"nothing.xml", "../efShort.xml", "efBroken.xml"}) {
        Log.clear();
        LoadEffects({{"LoadEffect", file}});
        for (int64_t t = 10000; t < 10500; t += 100)
            Engine.Tick(t);
        EXPECT_EQ(States(), "-") << file;
        ASSERT_EQ(Log.size(), 1u) << file;
        EXPECT_TRUE(Log[0].starts_with("Exception error in [TQelEffect.LoadEffect] [Name:E1] " + file + ": "))
            << Log[0];
        Engine.Clear();
    }
}

}  // namespace
