// Sliders, progress bars and figures: published properties, the slider's clamping and
// change scripts, thumb and button layout, clicks and dragging in both directions, the
// link to a scrolled list, bar steps and figure drawing; and the options and loading
// windows driven through the engine from interface text.
#include "InterfaceTestKit.h"

#include "interface/QelScrollLink.h"

#include <algorithm>

namespace {

using V = std::vector<std::string>;

// A screen-sized form "W" holding the objects given.
class SliderTest : public InterfaceTest {
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
    void Record(const V& methods)
    {
        for (const std::string& m : methods)
            Methods.Register(m, [this, m](TQelInterfaceEngine& e) { Called.push_back(m + " " + e.ScriptSenderName()); });
    }
    TQelSlider& Slider() { return Get<TQelSlider>("S"); }
    V Called;
};

TProps With(TProps base, const TProps& more)
{
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

// A slider 240 long at (100, 50): track picture as long as the slider, a 20-pixel thumb,
// a 10-pixel margin at each end of the track and 10-pixel arrow buttons over the margins,
// so the thumb travels 200 pixels for the range 0..100 and stands at 110..130 for 50.
TProps SliderProps(bool vertical)
{
    TProps props = {{"Name", "S"}, {"ParentName", "W"}, {"Left", "100"}, {"Top", "50"}, {"Visible", "True"},
                    {"Min", "0"}, {"Max", "100"}, {"Step", "5"}, {"BigStep", "20"}, {"Position", "50"},
                    {"OnChange", "ExecMethod Method=\"Change\";"}};
    if (vertical)
        return With(props, {{"Width", "20"}, {"Height", "240"}, {"Orientation", "trVertical"},
                            {"Picture", "vtrack.png"}, {"BarPicture", "thumb.png"}, {"BarShiftTop", "10"},
                            {"UpPicture", "up.png"}, {"DownPicture", "down.png"}});
    return With(props, {{"Width", "240"}, {"Height", "20"}, {"Picture", "track.png"}, {"BarPicture", "thumb.png"},
                        {"BarShiftLeft", "10"}, {"UpPicture", "left.png"}, {"DownPicture", "right.png"}});
}

void SliderPictures(TQelRecordingHost& host)
{
    host.Pictures = {{"track.png", {240, 20}}, {"vtrack.png", {20, 240}}, {"thumb.png", {20, 20}},
                     {"left.png", {10, 20}},   {"right.png", {10, 20}},   {"up.png", {20, 10}},
                     {"down.png", {20, 10}},   {"short.png", {40, 20}}};
}

// ---------------------------------------------------------------------------------------
// Published properties of the five widgets

struct TPropCase {
    std::string Class, Prop, Written, Read;
};

class PublishedPropTest : public SliderTest, public ::testing::WithParamInterface<TPropCase> {};

TEST_P(PublishedPropTest, WrittenAndReadByName)
{
    TProps props = {{"Name", "X"}, {"ParentName", "W"}};
    if (GetParam().Class == "TQelSlider")
        props.push_back({"Max", "9"});
    Load(Doc({Obj("TQelForm", {{"Name", "W"}, {"ParentName", "none"}}), Obj(GetParam().Class, props)}));
    ASSERT_NE(Engine.GetObjectByName("X"), nullptr) << GetParam().Class << " is not creatable by name";
    EXPECT_TRUE(Engine.SetObjectProperty("X", GetParam().Prop, GetParam().Written));
    EXPECT_EQ(Value("X", GetParam().Prop), GetParam().Read);
}

INSTANTIATE_TEST_SUITE_P(
    Widgets, PublishedPropTest,
    ::testing::Values(TPropCase{"TQelSlider", "LinkedObjectName", "GSomething", "GSomething"},
                      TPropCase{"TQelSlider", "BarPicture", "b.png", "b.png"},
                      TPropCase{"TQelSlider", "MouseOverBarPicture", "bo.png", "bo.png"},
                      TPropCase{"TQelSlider", "BarShiftLeft", "-3", "-3"},
                      TPropCase{"TQelSlider", "BarShiftTop", "4", "4"}, TPropCase{"TQelSlider", "Min", "1", "1"},
                      TPropCase{"TQelSlider", "Step", "2", "2"}, TPropCase{"TQelSlider", "BigStep", "5", "5"},
                      TPropCase{"TQelSlider", "Orientation", "TRVERTICAL", "trVertical"},
                      TPropCase{"TQelSlider", "Position", "3", "3"},
                      TPropCase{"TQelSlider", "UpPicture", "u.png", "u.png"},
                      TPropCase{"TQelSlider", "UpMouseOverPicture", "uo.png", "uo.png"},
                      TPropCase{"TQelSlider", "UpMouseDownPicture", "ud.png", "ud.png"},
                      TPropCase{"TQelSlider", "DownPicture", "d.png", "d.png"},
                      TPropCase{"TQelSlider", "DownMouseOverPicture", "do.png", "do.png"},
                      TPropCase{"TQelSlider", "DownMouseDownPicture", "dd.png", "dd.png"},
                      TPropCase{"TQelSlider", "ButtonsSound", "click", "click"},
                      TPropCase{"TQelSlider", "OnChange", "HideModal;", "HideModal;"},
                      TPropCase{"TQelProgressBar", "BarPicture", "p.png", "p.png"},
                      TPropCase{"TQelProgressBar", "BarShiftLeft", "2", "2"},
                      TPropCase{"TQelProgressBar", "BarShiftTop", "3", "3"},
                      TPropCase{"TQelProgressBar", "Min", "-1", "-1"},
                      TPropCase{"TQelProgressBar", "Position", "40", "40"},
                      TPropCase{"TQelProgressBar", "StepWidth", "10", "10"},
                      TPropCase{"TQelProgressBar", "Orientation", "prVertical", "prVertical"},
                      TPropCase{"TQelFigure", "FigureType", "fRectangle", "fRectangle"},
                      TPropCase{"TQelFigure", "LineColor", "65280", "65280"},
                      TPropCase{"TQelFigure", "LineAlpha", "7", "7"}, TPropCase{"TQelFigure", "Fill", "true", "True"},
                      TPropCase{"TQelMoving", "Picture", "A.png:1:4:4:0:100:0;", "A.png:1:4:4:0:100:0;"},
                      TPropCase{"TQelEffect", "Alpha", "9", "9"}, TPropCase{"TQelEffect", "Color", "255", "255"},
                      TPropCase{"TQelEffect", "ColTr", "8", "8"},
                      TPropCase{"TQelEffect", "PauseBeforeStart", "1000", "1000"},
                      TPropCase{"TQelEffect", "ReStartTime", "500", "500"},
                      TPropCase{"TQelEffect", "PrevEffectName", "E0", "E0"}),
    [](const auto& row) { return row.param.Class.substr(4) + row.param.Prop; });

TEST_F(SliderTest, DefaultsOfANewWidget)
{
    LoadIn({Obj("TQelSlider", {{"Name", "S"}, {"ParentName", "W"}}),
            Obj("TQelProgressBar", {{"Name", "P"}, {"ParentName", "W"}}),
            Obj("TQelFigure", {{"Name", "F"}, {"ParentName", "W"}}),
            Obj("TQelEffect", {{"Name", "E"}, {"ParentName", "W"}})});
    EXPECT_EQ(Value("S", "Orientation"), "trHorizontal");
    EXPECT_EQ(Value("P", "Orientation"), "prHorizontal");
    EXPECT_EQ(Value("F", "FigureType"), "fLine");
    EXPECT_EQ(Value("F", "LineAlpha"), "255");
    EXPECT_EQ(Value("E", "Alpha"), "255");
    EXPECT_EQ(Value("E", "ReStartTime"), "-1");
}

// ---------------------------------------------------------------------------------------
// Slider values

struct TPositionCase {
    int32_t From;
    std::string Written;
    std::string Stored;
    size_t Queued;
};

class SliderPositionTest : public SliderTest, public ::testing::WithParamInterface<TPositionCase> {};

TEST_P(SliderPositionTest, ClampedAndQueuedOnlyOnAChange)
{
    LoadIn({Obj("TQelSlider", {{"Name", "S"}, {"ParentName", "W"}, {"Min", "0"}, {"Max", "10"},
                               {"OnChange", "ExecMethod Method=\"Change\";"}})});
    Slider().StorePosition(GetParam().From);
    Engine.ClearScripts();
    Engine.SetObjectProperty("S", "Position", GetParam().Written);
    EXPECT_EQ(Value("S", "Position"), GetParam().Stored);
    EXPECT_EQ(Engine.Scripts.ChildCount(), GetParam().Queued);
    if (GetParam().Queued > 0) {
        EXPECT_EQ(Engine.ScriptSenderName(), "S");
    }
}

INSTANTIATE_TEST_SUITE_P(MinZeroMaxTen, SliderPositionTest,
                         ::testing::Values(TPositionCase{0, "15", "10", 1}, TPositionCase{10, "10", "10", 0},
                                           TPositionCase{10, "15", "10", 0}, TPositionCase{5, "-3", "0", 1},
                                           TPositionCase{5, "7", "7", 1}),
                         [](const auto& row) {
                             return "From" + std::to_string(row.param.From) + "Write" +
                                    (row.param.Written[0] == '-' ? "Minus" + row.param.Written.substr(1)
                                                                 : row.param.Written);
                         });

TEST_F(SliderTest, PositionReadFromTheFileQueuesNothing)
{
    LoadIn({Obj("TQelSlider", {{"Name", "S"}, {"ParentName", "W"}, {"OnChange", "ExecMethod Method=\"Change\";"},
                               {"Max", "100"}, {"Position", "30"}})});
    EXPECT_EQ(Value("S", "Position"), "30");
    EXPECT_EQ(Engine.Scripts.ChildCount(), 0u);
}

// ---------------------------------------------------------------------------------------
// Thumb and buttons

struct TDrawCase {
    std::string Title;
    bool Vertical;
    TProps Props;  // after SliderProps
    V Drawn;
};

class SliderDrawTest : public SliderTest, public ::testing::WithParamInterface<TDrawCase> {};

TEST_P(SliderDrawTest, TrackThumbAndButtons)
{
    SliderPictures(Host);
    LoadIn({Obj("TQelSlider", With(SliderProps(GetParam().Vertical), GetParam().Props))});
    EXPECT_EQ(DrawOf("S"), GetParam().Drawn);
}

INSTANTIATE_TEST_SUITE_P(
    Slider, SliderDrawTest,
    ::testing::Values(
        TDrawCase{"Horizontal",
                  false,
                  {},
                  {"Draw track.png 100 50 255", "Draw thumb.png 210 50 255", "Draw left.png 100 50 255",
                   "Draw right.png 330 50 255"}},
        TDrawCase{"Vertical",
                  true,
                  {},
                  {"Draw vtrack.png 100 50 255", "Draw thumb.png 100 160 255", "Draw up.png 100 50 255",
                   "Draw down.png 100 280 255"}},
        TDrawCase{"AtTheEnds",
                  false,
                  {{"Position", "100"}, {"DownPicture", ""}, {"PictureAlpha", "128"}},
                  {"Draw track.png 100 50 128", "Draw thumb.png 310 50 128", "Draw left.png 100 50 128"}},
        TDrawCase{"ThumbMarginAcross",
                  true,
                  {{"Position", "0"}, {"BarShiftLeft", "3"}, {"Width", "30"}},
                  {"Draw vtrack.png 100 50 255", "Draw thumb.png 108 60 255", "Draw up.png 105 50 255",
                   "Draw down.png 105 280 255"}},
        // Without a range the thumb stands at the picture's edge, margin or not.
        TDrawCase{"NoRange",
                  false,
                  {{"Max", "0"}, {"UpPicture", ""}, {"DownPicture", ""}},
                  {"Draw track.png 100 50 255", "Draw thumb.png 100 50 255"}}),
    [](const auto& row) { return row.param.Title; });

TEST_F(SliderTest, ButtonsFollowTheSliderAndItsForm)
{
    Host.Pictures = {{"up.png", {16, 10}}, {"down.png", {16, 12}}};
    LoadIn({Obj("TQelSlider", {{"Name", "S"}, {"ParentName", "W"}, {"Left", "100"}, {"Top", "50"}, {"Width", "20"},
                               {"Height", "240"}, {"Orientation", "trVertical"}, {"UpPicture", "up.png"},
                               {"DownPicture", "down.png"}, {"PictureAlpha", "77"}})});
    auto at = [](const TQelLabel& b) { return std::vector<int32_t>{b.AbsLeft, b.AbsTop, b.Width(), b.Height()}; };
    EXPECT_EQ(at(Slider().UpButton()), (std::vector<int32_t>{102, 50, 16, 10}));
    EXPECT_EQ(at(Slider().DownButton()), (std::vector<int32_t>{102, 278, 16, 12}));
    EXPECT_EQ(Slider().UpButton().PictureAlpha(), 77);
    Engine.SetObjectProperty("S", "Orientation", "trHorizontal");
    EXPECT_EQ(at(Slider().UpButton()), (std::vector<int32_t>{100, 165, 16, 10}));
    EXPECT_EQ(at(Slider().DownButton()), (std::vector<int32_t>{104, 164, 16, 12}));
    // A change of the height alone, and a move of the form, take the buttons along.
    Engine.SetObjectProperty("S", "Height", "40");
    Engine.SetObjectProperty("W", "Left", "10");
    EXPECT_EQ(at(Slider().UpButton()), (std::vector<int32_t>{110, 65, 16, 10}));
    EXPECT_EQ(Value("S", "UpPicture"), "up.png");
}

TEST_F(SliderTest, ButtonPicturesFollowTheMouse)
{
    SliderPictures(Host);
    LoadIn({Obj("TQelSlider", With(SliderProps(false), {{"UpMouseOverPicture", "left.png"},
                                                         {"UpMouseDownPicture", "leftdown.png"},
                                                         {"MouseOverBarPicture", "thumbover.png"}}))});
    Host.Pictures["leftdown.png"] = {10, 20};
    Move(105, 60);
    EXPECT_TRUE(Slider().MouseOver());
    EXPECT_EQ(DrawOf("S")[1], "Draw thumbover.png 210 50 255");
    Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft, 105, 60});
    EXPECT_EQ(DrawOf("S")[2], "Draw leftdown.png 100 50 255");
    Engine.MouseUp({TQelMouseButton::Left, 0, 105, 60});
    EXPECT_EQ(DrawOf("S")[2], "Draw left.png 100 50 255");
    Move(500, 500);
    EXPECT_FALSE(Slider().MouseOver());
    EXPECT_EQ(DrawOf("S")[1], "Draw thumb.png 200 50 255");  // one step back: 45
}

TEST_F(SliderTest, ThumbWithoutAHoverPictureStaysVisible)
{
    SliderPictures(Host);
    LoadIn({Obj("TQelSlider", SliderProps(false))});
    Move(150, 60);
    EXPECT_EQ(DrawOf("S")[1], "Draw thumb.png 210 50 255");
}

// ---------------------------------------------------------------------------------------
// Clicks: along the slider, `Along` pixels from its top or left end

struct TClickCase {
    std::string Title;
    int32_t Along;
    uint32_t Shift;
    std::string Position;
    bool Dragging;
};

class SliderClickTest : public SliderTest, public ::testing::WithParamInterface<std::tuple<bool, TClickCase>> {};

TEST_P(SliderClickTest, StepsAndDragStart)
{
    const auto& [vertical, row] = GetParam();
    SliderPictures(Host);
    LoadIn({Obj("TQelSlider", SliderProps(vertical))});
    Record({"Change"});
    const int32_t x = vertical ? 110 : 100 + row.Along;
    const int32_t y = vertical ? 50 + row.Along : 60;
    Engine.MouseDown({TQelMouseButton::Left, row.Shift, x, y});
    EXPECT_EQ(Value("S", "Position"), row.Position);
    EXPECT_EQ(Slider().Dragging(), row.Dragging);
    EXPECT_EQ(Called.size(), row.Position == "50" ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    BothDirections, SliderClickTest,
    ::testing::Combine(::testing::Bool(),
                       ::testing::Values(TClickCase{"OnTheThumb", 120, QelShift::kLeft, "50", true},
                                         TClickCase{"ThumbEdge", 130, QelShift::kLeft, "50", true},
                                         TClickCase{"BeforeTheThumb", 50, QelShift::kLeft, "30", false},
                                         TClickCase{"TrackStart", 10, QelShift::kLeft, "30", false},
                                         TClickCase{"AfterTheThumb", 200, QelShift::kLeft, "70", false},
                                         TClickCase{"FirstButton", 5, QelShift::kLeft, "45", false},
                                         TClickCase{"SecondButton", 235, QelShift::kLeft, "55", false},
                                         TClickCase{"PastTheEnd", 240, QelShift::kLeft, "50", false},
                                         TClickCase{"LeftButtonNotHeld", 120, 0, "50", false})),
    [](const auto& row) {
        return std::string(std::get<0>(row.param) ? "Vertical" : "Horizontal") + std::get<1>(row.param).Title;
    });

TEST_F(SliderTest, ArrowsAtTheEndsOfTheRangeStop)
{
    SliderPictures(Host);
    LoadIn({Obj("TQelSlider", With(SliderProps(false), {{"Position", "98"}}))});
    Click(335, 60);
    Click(335, 60);
    EXPECT_EQ(Value("S", "Position"), "100");
    Engine.SetObjectProperty("S", "BigStep", "2147483647");
    Click(150, 60);  // a page step this large must not overflow
    EXPECT_EQ(Value("S", "Position"), "0");
}

// ---------------------------------------------------------------------------------------
// Dragging (horizontal): the pointer held `Along` pixels from the slider's left end

struct TDragCase {
    std::string Title;
    TProps Props;  // after SliderProps
    int32_t Press;
    int32_t Along;
    std::string Position;
};

class SliderDragTest : public SliderTest, public ::testing::WithParamInterface<TDragCase> {};

TEST_P(SliderDragTest, PositionFromThePointer)
{
    SliderPictures(Host);
    LoadIn({Obj("TQelSlider", With(SliderProps(false), GetParam().Props))});
    Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft, 100 + GetParam().Press, 60});
    ASSERT_TRUE(Slider().Dragging());
    Engine.MouseMove({TQelMouseButton::Left, QelShift::kLeft, 100 + GetParam().Along, 60});
    EXPECT_EQ(Value("S", "Position"), GetParam().Position);
}

INSTANTIATE_TEST_SUITE_P(
    Slider, SliderDragTest,
    ::testing::Values(TDragCase{"MiddleOfA200PixelTrack", {}, 120, 120, "50"},
                      TDragCase{"RoundedToTheStep", {}, 120, 127, "55"},
                      TDragCase{"WithoutAStepBySingleValues", {{"Step", "0"}}, 120, 127, "54"},
                      TDragCase{"NegativeStepLikeNone", {{"Step", "-5"}}, 120, 127, "54"},
                      TDragCase{"TrackStart", {}, 120, 20, "0"}, TDragCase{"BeforeTheSlider", {}, 120, -60, "0"},
                      TDragCase{"PastTheSlider", {}, 120, 400, "100"},
                      TDragCase{"NoRangeStaysAtMin", {{"Min", "30"}, {"Max", "30"}}, 10, 200, "30"},
                      TDragCase{"NoTrackStaysAtMin", {{"Picture", "short.png"}}, 20, 200, "0"}),
    [](const auto& row) { return row.param.Title; });

TEST_F(SliderTest, DragEndsOnReleaseAndNeedsTheButtonHeld)
{
    SliderPictures(Host);
    LoadIn({Obj("TQelSlider", SliderProps(false))});
    Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft, 220, 60});
    Engine.MouseMove({TQelMouseButton::Left, 0, 300, 60});  // button no longer held
    EXPECT_EQ(Value("S", "Position"), "50");
    Engine.MouseMove({TQelMouseButton::Left, QelShift::kLeft, 300, 300});  // off the slider, still dragging
    EXPECT_EQ(Value("S", "Position"), "90");
    EXPECT_TRUE(Slider().MouseOver());
    Engine.MouseUp({TQelMouseButton::Left, 0, 300, 300});
    EXPECT_FALSE(Slider().Dragging());
    Engine.MouseMove({TQelMouseButton::Left, QelShift::kLeft, 150, 60});
    EXPECT_EQ(Value("S", "Position"), "90");
}

// ---------------------------------------------------------------------------------------
// The link to a scrolled list, with a stand-in for a grid or tree

class TStandInList final : public TQelInterfaceObject, public IQelScrollable {
public:
    const char* ClassName() const override { return "TStandInList"; }
    void AttachSlider(TQelSlider& slider) override
    {
        LinkedSlider = &slider;
        LinkedName = slider.Name();
    }
    int32_t MaxOnLink() const override { return Rows - 1; }
    std::optional<int32_t> MaxOnWrite() const override
    {
        return Tree ? std::nullopt : std::optional<int32_t>(Rows - 2);
    }
    void FollowSlider(int32_t position) override { Followed.push_back(position); }
    void ForgetObject(const TQelObject* dying) override
    {
        if (dying == LinkedSlider)
            LinkedSlider = nullptr;
    }

    int32_t Rows = 12;
    bool Tree = false;
    TQelSlider* LinkedSlider = nullptr;
    std::string LinkedName;
    std::vector<int32_t> Followed;
};

class SliderLinkTest : public SliderTest {
protected:
    void SetUp() override
    {
        classes_.Register<TStandInList>("TStandInList");
        LoadIn({Obj("TStandInList", {{"Name", "G"}, {"ParentName", "W"}}),
                Obj("TQelSlider", {{"Name", "S"}, {"ParentName", "W"}, {"Max", "100"}, {"LinkedObjectName", "G"}})});
    }
    TStandInList& List() { return Get<TStandInList>("G"); }
};

TEST_F(SliderLinkTest, BothSidesKnowEachOther)
{
    EXPECT_EQ(Slider().LinkedTree(), &List());
    EXPECT_EQ(List().LinkedSlider, &Slider());
    EXPECT_EQ(List().LinkedName, "S");
    EXPECT_EQ(Value("S", "Max"), "11");
}

TEST_F(SliderLinkTest, ListDecidesMaxAndFollowsPosition)
{
    Engine.SetObjectProperty("S", "Max", "50");
    EXPECT_EQ(Value("S", "Max"), "10");
    Engine.SetObjectProperty("S", "Position", "7");
    Engine.SetObjectProperty("S", "Position", "70");
    Engine.SetObjectProperty("S", "Position", "10");  // unchanged, still passed on
    EXPECT_EQ(List().Followed, (std::vector<int32_t>{7, 10, 10}));
    List().Tree = true;
    Engine.SetObjectProperty("S", "LinkedObjectName", "G");
    Engine.SetObjectProperty("S", "Max", "50");
    EXPECT_EQ(Value("S", "Max"), "50");
}

TEST_F(SliderLinkTest, LinkGoesWithTheListOrAnUnknownName)
{
    Engine.DeleteObject("G");
    EXPECT_EQ(Slider().LinkedTree(), nullptr);
    Engine.SetObjectProperty("S", "Position", "3");
    EXPECT_EQ(Value("S", "Position"), "3");
    Engine.SetObjectProperty("S", "LinkedObjectName", "Nobody");
    EXPECT_EQ(Slider().LinkedTree(), nullptr);
    EXPECT_EQ(Value("S", "LinkedObjectName"), "Nobody");
}

TEST_F(SliderLinkTest, ListForgetsAFreedSlider)
{
    Engine.DeleteObject("S");
    EXPECT_EQ(List().LinkedSlider, nullptr);
}

// ---------------------------------------------------------------------------------------
// Progress bars

struct TBarCase {
    std::string Title;
    TProps Props;  // after Width 100, Height 20, StepWidth 10, Min 0, Max 100
    int32_t Steps;
};

class ProgressStepsTest : public SliderTest, public ::testing::WithParamInterface<TBarCase> {};

TEST_P(ProgressStepsTest, Count)
{
    LoadIn({Obj("TQelProgressBar", With({{"Name", "P"}, {"ParentName", "W"}, {"Width", "100"}, {"Height", "20"},
                                         {"StepWidth", "10"}, {"Min", "0"}, {"Max", "100"}},
                                        GetParam().Props))});
    EXPECT_EQ(Get<TQelProgressBar>("P").StepCount(), GetParam().Steps);
}

INSTANTIATE_TEST_SUITE_P(
    Bar, ProgressStepsTest,
    ::testing::Values(TBarCase{"Forty", {{"Position", "40"}}, 4}, TBarCase{"Full", {{"Position", "100"}}, 10},
                      TBarCase{"Empty", {{"Position", "0"}}, 0},
                      TBarCase{"NoRange", {{"Max", "0"}, {"Position", "40"}}, 0},
                      TBarCase{"NoStepWidth", {{"StepWidth", "0"}, {"Position", "40"}}, 0},
                      TBarCase{"NegativeStepWidth", {{"StepWidth", "-10"}, {"Position", "40"}}, 0},
                      // Outside the range the bar is full or empty, never longer than its box.
                      TBarCase{"AboveMax", {{"Position", "150"}}, 10}, TBarCase{"BelowMin", {{"Position", "-5"}}, 0},
                      TBarCase{"HalfStepToEven", {{"BarShiftLeft", "5"}, {"Position", "50"}}, 4},
                      TBarCase{"OverHalfAStep", {{"BarShiftLeft", "5"}, {"Position", "55"}}, 5},
                      TBarCase{"StandingUsesTheHeight",
                               {{"Orientation", "prVertical"}, {"Height", "60"}, {"Position", "50"}},
                               3},
                      TBarCase{"HugeBoxIsBounded", {{"Width", "2000000000"}, {"StepWidth", "1"}, {"Position", "100"}},
                               10000}),
    [](const auto& row) { return row.param.Title; });

TEST_F(SliderTest, ProgressStepsGrowRightOrUp)
{
    Host.Pictures["back.png"] = {100, 100};
    const TProps common = {{"ParentName", "W"}, {"Left", "10"},   {"Top", "20"},      {"Picture", "back.png"},
                           {"BarPicture", "step.png"}, {"StepWidth", "10"}, {"Max", "100"}, {"Position", "30"},
                           {"PictureAlpha", "200"}};
    LoadIn({Obj("TQelProgressBar", With(With({{"Name", "H"}}, common),
                                        {{"Width", "100"}, {"BarShiftLeft", "2"}, {"BarShiftTop", "3"}})),
            Obj("TQelProgressBar", With(With({{"Name", "U"}}, common), {{"Width", "20"}, {"Height", "100"},
                                                                         {"BarShiftLeft", "2"},
                                                                         {"Orientation", "prVertical"}}))});
    EXPECT_EQ(DrawOf("H"), (V{"Draw back.png 10 20 200", "Draw step.png 12 23 200", "Draw step.png 22 23 200",
                              "Draw step.png 32 23 200"}));
    EXPECT_EQ(DrawOf("U"), (V{"Draw back.png 10 20 200", "Draw step.png 12 110 200", "Draw step.png 12 100 200",
                              "Draw step.png 12 90 200"}));
    EXPECT_EQ(Engine.GetPicturesList(), (V{"back.png", "step.png"}));
}

// ---------------------------------------------------------------------------------------
// Figures

struct TFigureCase {
    std::string Title;
    TProps Props;
    V Drawn;
};

class FigureTest : public SliderTest, public ::testing::WithParamInterface<TFigureCase> {};

TEST_P(FigureTest, DrawnThroughTheHost)
{
    Host.Pictures["p.png"] = {5, 5};
    LoadIn({Obj("TQelFigure", With({{"Name", "F"}, {"ParentName", "W"}, {"Left", "10"}, {"Top", "20"},
                                    {"Width", "30"}, {"Height", "40"}, {"LineColor", "255"}},
                                   GetParam().Props))});
    EXPECT_EQ(DrawOf("F"), GetParam().Drawn);
}

INSTANTIATE_TEST_SUITE_P(
    Figures, FigureTest,
    ::testing::Values(TFigureCase{"Line", {}, {"Line 10 20 39 59 255 255"}},
                      TFigureCase{"Frame", {{"FigureType", "fRectangle"}}, {"Rect 10 20 39 59 255 255 frame"}},
                      TFigureCase{"Filled",
                                  {{"FigureType", "fRectangle"}, {"Fill", "True"}, {"LineAlpha", "100"}},
                                  {"Rect 10 20 39 59 255 100 fill"}},
                      TFigureCase{"OverItsPicture", {{"Picture", "p.png"}}, {"Draw p.png 10 20 255", "Line 10 20 39 59 255 255"}}),
    [](const auto& row) { return row.param.Title; });

// ---------------------------------------------------------------------------------------
// The options and loading windows, end to end from interface text

const char* const kOptionsAndLoading = R"(<QelInterface Version="1">
<o c="TQelForm"><p n="Name">WOptions</p><p n="ParentName">none</p><p n="Width">400</p><p n="Height">300</p><p n="HAlign">haCenter</p><p n="VAlign">vaCenter</p><p n="Picture">OptionsBack.png</p></o>
<o c="TQelSlider"><p n="Name">WOptions_SMusicVolume</p><p n="ParentName">WOptions</p><p n="Left">80</p><p n="Top">100</p><p n="Width">240</p><p n="Height">20</p><p n="Visible">True</p><p n="Picture">SliderTrack.png</p><p n="BarPicture">SliderThumb.png</p><p n="BarShiftLeft">10</p><p n="Orientation">trHorizontal</p><p n="Min">0</p><p n="Max">100</p><p n="Step">1</p><p n="Position">50</p><p n="OnChange">ExecMethod Method="WOptions_SMusicVolume_Change";</p></o>
<o c="TQelSlider"><p n="Name">WOptions_SSoundVolume</p><p n="ParentName">WOptions</p><p n="Left">80</p><p n="Top">160</p><p n="Width">240</p><p n="Height">20</p><p n="Visible">True</p><p n="Picture">SliderTrack.png</p><p n="BarPicture">SliderThumb.png</p><p n="BarShiftLeft">10</p><p n="Min">0</p><p n="Max">100</p><p n="Step">1</p><p n="Position">80</p><p n="OnChange">ExecMethod Method="WOptions_SSoundVolume_Change";</p></o>
<o c="TQelForm"><p n="Name">WGameLoading</p><p n="ParentName">none</p><p n="Width">800</p><p n="Height">600</p></o>
<o c="TQelProgressBar"><p n="Name">WGameLoading_PBLoadGame</p><p n="ParentName">WGameLoading</p><p n="Left">250</p><p n="Top">500</p><p n="Width">300</p><p n="Height">16</p><p n="Visible">True</p><p n="BarPicture">ProgressStep.png</p><p n="StepWidth">10</p><p n="Min">0</p><p n="Max">100</p></o>
</QelInterface>
)";

class GameWindowsTest : public SliderTest {
protected:
    void SetUp() override
    {
        Host.Pictures = {{"SliderTrack.png", {240, 20}}, {"SliderThumb.png", {20, 20}}, {"ProgressStep.png", {10, 16}}};
        Record({"WOptions_SMusicVolume_Change", "WOptions_SSoundVolume_Change"});
        Load(kOptionsAndLoading);
        ASSERT_TRUE(Log.empty()) << Log.front();
    }
};

TEST_F(GameWindowsTest, MusicSliderDraggedWithTheMouseRunsItsHandler)
{
    Engine.ShowModal("WOptions");
    // The window is centred: the music slider lies at (280, 250), its thumb at 390..410.
    Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft, 400, 260});
    Engine.MouseMove({TQelMouseButton::Left, QelShift::kLeft, 450, 262});
    Engine.MouseMove({TQelMouseButton::Left, QelShift::kLeft, 450, 258});
    Engine.MouseUp({TQelMouseButton::Left, 0, 450, 258});
    EXPECT_EQ(Value("WOptions_SMusicVolume", "Position"), "75");
    EXPECT_EQ(Value("WOptions_SSoundVolume", "Position"), "80");
    EXPECT_EQ(Called, (V{"WOptions_SMusicVolume_Change WOptions_SMusicVolume"}));
}

TEST_F(GameWindowsTest, LoadingBarSetByPositionIsRedrawn)
{
    Engine.ShowModal("WGameLoading");
    Engine.Draw();
    EXPECT_TRUE(Host.CallsStarting("Draw ProgressStep.png").empty());
    Engine.SetObjectProperty("WGameLoading_PBLoadGame", "Position", "40");
    const std::vector<TRect> changed = Engine.GetChangedRects();
    EXPECT_NE(std::find(changed.begin(), changed.end(), TRect{250, 500, 550, 516}), changed.end());
    Host.Calls.clear();
    Engine.Draw();
    const V steps = Host.CallsStarting("Draw ProgressStep.png");
    ASSERT_EQ(steps.size(), 12u);
    EXPECT_EQ(steps.front(), "Draw ProgressStep.png 250 500 255");
    EXPECT_EQ(steps.back(), "Draw ProgressStep.png 360 500 255");
}

TEST_F(GameWindowsTest, PicturesToPreload)
{
    const V pictures = Engine.GetPicturesList();
    for (const char* name : {"OptionsBack.png", "SliderTrack.png", "SliderThumb.png", "ProgressStep.png"})
        EXPECT_NE(std::find(pictures.begin(), pictures.end(), name), pictures.end()) << name;
}

}  // namespace
