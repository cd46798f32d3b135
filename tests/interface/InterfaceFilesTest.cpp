// Interface files: structural errors, default lines, the defaults object, property values
// that cannot be set, and modificators with their restore.
#include "InterfaceTestKit.h"

#include "foundation/DataSource.h"

#include <algorithm>

namespace {

const std::string kPrefix = "[TQelInterfaceEngine.CreateInterfaceObjects] ";
const std::string kForm = Obj("TQelForm", {{"Name", "W"}, {"ParentName", "none"}});
const std::string kLast = Obj("TQelLabel", {{"Name", "Last"}, {"ParentName", "W"}});

struct TStructureCase {
    std::string Title;
    std::string File;
    std::string Message;  // empty: nothing logged
    std::vector<std::string> Created;
};

class StructureTest : public InterfaceTest, public ::testing::WithParamInterface<TStructureCase> {};

TEST_P(StructureTest, FirstStructuralErrorIsLoggedAndStopsCreation)
{
    const TStructureCase& c = GetParam();
    EXPECT_NO_THROW(Load(c.File));
    std::vector<std::string> created;
    for (const auto& o : Engine.Objects)
        created.push_back(o->Name());
    EXPECT_EQ(created, c.Created);
    if (c.Message.empty()) {
        EXPECT_TRUE(Log.empty()) << Log.front();
    } else {
        ASSERT_FALSE(Log.empty());
        EXPECT_EQ(Log.back(), c.Message);
    }
    EXPECT_TRUE(Boxes.Boxes.empty());
}

const std::string kBadP = "<o c=\"TQelLabel\"><p n=\"Name\">L</p>";

INSTANTIATE_TEST_SUITE_P(
    Files, StructureTest,
    ::testing::Values(
        TStructureCase{"NoElements", "", kPrefix + "XML file does not has tags!", {}},
        TStructureCase{"EmptyRoot", "<QelInterface Version=\"2\"></QelInterface>", "", {}},
        TStructureCase{"OtherRoot", Doc({kForm}, "Interface"), kPrefix + "XML file does not has \"QelInterface\" tag!",
                       {}},
        TStructureCase{"WrongTag", Doc({kForm, "<x c=\"TQelForm\"><p n=\"Name\">X</p></x>", kLast}),
                       kPrefix + "QelInterface XML file contains wrong tag!", {"W"}},
        TStructureCase{"TwoAttributes", Doc({kForm, "<o c=\"TQelForm\" d=\"1\"><p n=\"Name\">X</p></o>", kLast}),
                       kPrefix + "Tag <o> has wrong number of attributes!", {"W"}},
        TStructureCase{"NoClassAttribute", Doc({kForm, "<o k=\"TQelForm\"><p n=\"Name\">X</p></o>", kLast}),
                       kPrefix + "Tag <o> does not has \"c\" attribute!", {"W"}},
        TStructureCase{"NoSubtags", Doc({kForm, "<o c=\"TQelForm\"></o>", kLast}),
                       kPrefix + "Tag <o> does not has subtags!", {"W"}},
        TStructureCase{"WrongSubtag", Doc({kForm, kBadP + "<q n=\"ParentName\">W</q></o>", kLast}),
                       kPrefix + "[ClassName:TQelInterfaceEngine] Tag <o> contains wrong subtag!", {"W"}},
        TStructureCase{"SubtagAttributes", Doc({kForm, kBadP + "<p n=\"ParentName\" m=\"1\">W</p></o>", kLast}),
                       kPrefix + "[ClassName:TQelInterfaceEngine] Tag <p> has wrong number of attributes!", {"W"}},
        TStructureCase{"SubtagWithoutN", Doc({kForm, kBadP + "<p m=\"ParentName\">W</p></o>", kLast}),
                       kPrefix + "[ClassName:TQelInterfaceEngine] Tag <p> does not has \"n\" attribute!", {"W"}},
        TStructureCase{"DefaultsWithOtherValue",
                       Doc({Obj("TQelDefaults", {{"DefLine", "TQelLabel;Alpha;1"}, {"Name", "D"}}), kForm}),
                       kPrefix + "[ClassName:TQelDefaults] Tag <p> has wrong \"n\" attribute value!", {}},
        TStructureCase{"OnlyName", Doc({kForm, Obj("TQelLabel", {{"Name", "L"}}), kLast}),
                       kPrefix + "[ClassName:TQelLabel] Attribute <n> does not has Name: \"ParentName\" or \"Name\"!",
                       {"W"}},
        TStructureCase{"EmptyParentName", Doc({kForm, Obj("TQelLabel", {{"Name", "L"}, {"ParentName", ""}}), kLast}),
                       kPrefix + "[ClassName:TQelLabel] Attribute <n> does not has Name: \"ParentName\" or \"Name\"!",
                       {"W"}},
        TStructureCase{"UnknownClassCreatesNothingQuietly",
                       Doc({kForm, Obj("TQelNothing", {{"Name", "N"}, {"ParentName", "W"}}), kLast}), "",
                       {"W", "Last"}},
        TStructureCase{"DuplicateName", Doc({kForm, Obj("TQelLabel", {{"Name", "W"}, {"ParentName", "W"}}), kLast}),
                       "Exception error in [TQelEngine.AddObject (ObjectName: \"W\") ]", {"W", ""}}),
    [](const auto& row) { return row.param.Title; });

TEST_F(InterfaceTest, ObjectsGetTheirValuesChildrenAndCleanMarks)
{
    Load("<QelInterface Version=\"1.5\">" +
         Obj("TQelForm", {{"Name", "W"}, {"ParentName", "none"}, {"Width", "300"}, {"Height", "200"},
                          {"HAlign", "haCenter"}}) +
         Obj("TQelLabel", {{"Name", "W_L1"}, {"ParentName", "W"}, {"Left", "10"}, {"Caption", "a &lt; b"}}) +
         Obj("TQelCheckBox", {{"Name", "W_CB"}, {"ParentName", "W"}, {"Checked", "true"}}) +
         Obj("TQelLabel", {{"Name", "Other_L"}, {"ParentName", "Other"}}) + "</QelInterface>");
    EXPECT_TRUE(Log.empty());
    auto& form = Get<TQelForm>("W");
    ASSERT_EQ(form.Childs.size(), 2u);
    EXPECT_EQ(form.Childs[0]->Name(), "W_L1");
    EXPECT_EQ(form.Left(), 250);
    EXPECT_EQ(Get("W_L1").AbsLeft, 260);
    EXPECT_EQ(Value("W_L1", "Caption"), "a < b");
    EXPECT_EQ(Value("W_CB", "Checked"), "True");
    EXPECT_EQ(Engine.ReadingState(), "");
    for (const auto& o : Engine.Objects)
        EXPECT_FALSE(dynamic_cast<TQelInterfaceObject&>(*o).Invalidated) << o->Name();
    EXPECT_EQ(Engine.GetInfo(), "QelInterfaceInfo:\r\n\t\tQelInterafce XML file: V1.5\r\n\t\tQelInterfaceEngine: "
                                "V4.00 (25.05.06)\r\n\t\tQelInterfaceClasses: V4.00 (25.05.06)");
}

TEST_F(InterfaceTest, InfoWithoutVersion)
{
    Load(Doc({kForm}));
    EXPECT_NE(Engine.GetInfo().find("\t\tQelInterface XML file: -\r\n"), std::string::npos);
}

TEST_F(InterfaceTest, DefaultLinesReachTheExactClassOnly)
{
    Load(Doc({Obj("TQelDefaults", {{"DefLine", "TQelLabel;Alpha;128"},
                                   {"DefLine", " TQelLabel ; Caption ;Hi"},
                                   {"DefLine", "TQelLabel;FontName"},
                                   {"DefLine", "TQelCheckBox;Hint;box"}}),
              kForm, Obj("TQelLabel", {{"Name", "Plain"}, {"ParentName", "W"}}),
              Obj("TQelLabel", {{"Name", "Own"}, {"ParentName", "W"}, {"Alpha", "50"}}),
              Obj("TQelCheckBox", {{"Name", "Box"}, {"ParentName", "W"}})}));
    EXPECT_EQ(Value("Plain", "Alpha"), "128");
    EXPECT_EQ(Value("Plain", "Caption"), "Hi");
    EXPECT_EQ(Value("Own", "Alpha"), "50");
    EXPECT_EQ(Value("Box", "Alpha"), "255");  // a subclass is not the class
    EXPECT_EQ(Value("Box", "Hint"), "box");
    EXPECT_EQ(Value("Plain", "FontName"), "QelUnicode");
    // The line with one ";" is ignored, with both of its messages.
    EXPECT_EQ(Log, (std::vector<std::string>{"[TQelInterfaceEngine.DefLinePars] \";\" not found!",
                                             "[TQelInterfaceEngine.ApplyDefaultLine] DefLine does not have 3 "
                                             "parameters!"}));
}

TEST_F(InterfaceTest, DefaultsObjectPlacedSecondSkipsTheFirstRealObject)
{
    Load(Doc({Obj("TQelLabel", {{"Name", "First"}, {"ParentName", "W"}, {"Alpha", "50"}}),
              Obj("TQelDefaults", {{"DefLine", "TQelLabel;Caption;dflt"}}), kForm,
              Obj("TQelLabel", {{"Name", "Second"}, {"ParentName", "W"}})}));
    EXPECT_TRUE(Log.empty());
    EXPECT_EQ(Value("First", "Alpha"), "255");  // passed over as if it were the defaults
    EXPECT_EQ(Value("First", "Caption"), "");
    EXPECT_EQ(Value("Second", "Caption"), "dflt");  // lines reach objects before and after
    EXPECT_EQ(Get<TQelForm>("W").Childs.size(), 2u);
}

struct TBadValueCase {
    std::string Class, Property, Value;
};

class BadValueTest : public InterfaceTest, public ::testing::WithParamInterface<TBadValueCase> {};

TEST_P(BadValueTest, IsLoggedShownAndSkipped)
{
    const TBadValueCase& c = GetParam();
    Load(Doc({kForm, Obj(c.Class, {{"Name", "X"}, {"ParentName", "W"}, {c.Property, c.Value}, {"Tag", "7"}})}));
    const std::string message = "Exception error in [TQelInterfaceEngine.SetPropByTag] [Name:X] [Property:" +
                                c.Property + "] [Value:" + c.Value + "]";
    ASSERT_FALSE(Log.empty());
    EXPECT_EQ(Log.back(), message);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, message);
    EXPECT_EQ(Value("X", "Tag"), "7");  // the next value is still applied
}

INSTANTIATE_TEST_SUITE_P(Files, BadValueTest,
                         ::testing::Values(TBadValueCase{"TQelLabel", "Alpha", "300"},
                                           TBadValueCase{"TQelLabel", "Visible", "yes"},
                                           TBadValueCase{"TQelLabel", "Left", "ten"},
                                           TBadValueCase{"TQelLabel", "Colour", "1"},
                                           TBadValueCase{"TQelLabel", "OnMouseUpHotKey", "13;x;"},
                                           TBadValueCase{"TQelLabel", "SourcesList", "X"},
                                           TBadValueCase{"TQelForm", "HeadLine", "0;top;"},
                                           TBadValueCase{"TQelLabel", "Alignment", "taMiddle"}));

class ModificatorTest : public InterfaceTest {
protected:
    void SetUp() override
    {
        Load(Doc({kForm,
                  Obj("TQelLabel", {{"Name", "L"}, {"ParentName", "W"}, {"Caption", "Play"}, {"Picture", "a.png"}}),
                  Obj("TQelLabel", {{"Name", "M"}, {"ParentName", "W"}, {"Caption", "Quit"}})}));
    }
};

TEST_F(ModificatorTest, FirstRecordedValueComesBack)
{
    Engine.LoadModificatorFromText(
        Doc({Obj("x", {{"Name", "L"}, {"Caption", "Spielen"}, {"Caption", "Los"}, {"Picture", "b.png"}}),
             Obj("TQelLabel", {{"Name", "Nobody"}, {"Caption", "?"}})},
            "QelModificator"));
    EXPECT_EQ(Value("L", "Caption"), "Los");
    EXPECT_EQ(Value("L", "Picture"), "b.png");
    EXPECT_EQ(Engine.ModProps().size(), 2u);
    Engine.LoadModificatorFromText(Doc({Obj("o", {{"Name", "L"}, {"Caption", "Jouer"}})}, "QelModificator"));
    EXPECT_EQ(Value("L", "Caption"), "Jouer");
    Engine.RestoreModificators();
    EXPECT_EQ(Value("L", "Caption"), "Play");
    EXPECT_EQ(Value("L", "Picture"), "a.png");
    EXPECT_EQ(Value("M", "Caption"), "Quit");
    Engine.RestoreModificators();  // records are kept: restoring again changes nothing
    EXPECT_EQ(Value("L", "Caption"), "Play");
    EXPECT_TRUE(Log.empty());
}

TEST_F(ModificatorTest, MalformedValueElementEndsThePass)
{
    Engine.LoadModificatorFromText("<QelModificator>" + Obj("o", {{"Name", "L"}, {"Caption", "One"}}) +
                                   "<o c=\"x\"><p n=\"Name\">M</p><p>bad</p></o>" +
                                   Obj("o", {{"Name", "M"}, {"Caption", "Two"}}) + "</QelModificator>");
    EXPECT_EQ(Value("L", "Caption"), "One");
    EXPECT_EQ(Value("M", "Caption"), "Quit");
}

TEST_F(ModificatorTest, ClearForgetsTheRecords)
{
    Engine.LoadModificatorFromText(Doc({Obj("o", {{"Name", "L"}, {"Caption", "X"}})}, "QelModificator"));
    Engine.Clear();
    EXPECT_TRUE(Engine.Objects.empty());
    EXPECT_TRUE(Engine.ModProps().empty());
}

TEST_F(InterfaceTest, FilesFromDiskAndDataSource)
{
    TDataSource data(std::filesystem::path(GLIM_TEST_DATA));
    Engine.LoadFromSource(data, "uisample.li");  // names are looked up ignoring case
    EXPECT_NE(Engine.GetObjectByName("WSample"), nullptr);
    EXPECT_TRUE(Log.empty());
    TQelInterfaceEngine other(classes_);
    other.LoadFromFile(std::filesystem::path(GLIM_TEST_DATA) / "UiSample.li");
    EXPECT_EQ(other.Objects.size(), Engine.Objects.size());
    EXPECT_THROW(other.LoadFromFile(std::filesystem::path(GLIM_TEST_DATA) / "Missing.li"), TQelException);
    EXPECT_EQ(Log.back(), "Exception error in [TQelInterfaceEngine.LoadFromFile]");
    EXPECT_THROW(Engine.LoadFromSource(data, "Missing.li"), TQelException);
    EXPECT_EQ(Log.back(), "Exception error in [TQelInterfaceEngine.LoadFromStream]");
}

TEST_F(InterfaceTest, InterfaceStreamNeedsAFolder)
{
    EXPECT_FALSE(Engine.GetInterfaceStream("UiSample.li").has_value());
    TDataSource data(std::filesystem::path(GLIM_TEST_DATA));
    Engine.InterfaceFolder = &data;
    auto stream = Engine.GetInterfaceStream("UiSample.li");
    ASSERT_TRUE(stream.has_value());
    EXPECT_GT(stream->Size(), 0u);
    EXPECT_EQ(stream->Position(), 0u);
    EXPECT_THROW(Engine.GetInterfaceStream("Missing.li"), TQelException);
    EXPECT_EQ(Log.back(), "Exception error in QelInterfaceEngine. Variable InterfaceFolder not assignment!");
}

TEST_F(InterfaceTest, ScreenSizeComesFromTheHostBeforeObjectsAreLaidOut)
{
    Host.Screen = {1024, 768};
    Load(Doc({Obj("TQelForm",
                  {{"Name", "W"}, {"ParentName", "none"}, {"Width", "24"}, {"HAlign", "haRight"}})}));
    EXPECT_EQ(Engine.ScreenWidth, 1024);
    EXPECT_EQ(Get("W").Left(), 1000);
    Host.Screen = {800, 600};
    Engine.UpdateScreenSize();
    EXPECT_EQ(Get("W").Left(), 776);
}

}  // namespace
