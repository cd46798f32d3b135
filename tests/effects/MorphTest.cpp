// Morph functions and morphs: each function kind, the XML vocabulary and its errors,
// dynamic parameters, transforms and libraries.
#include "effects/QelFXBase.h"

#include "foundation/QelParser.h"
#include "foundation/Random.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace {

// Functions and morphs of one small document, read the way an effect file reads them.
struct TLibraries {
    TQelMorphFuncLib functions;
    TQelMorphLib morphs;
    TRandom random {7};

    explicit TLibraries(std::string_view xml)
    {
        TQelParser doc;
        doc.LoadFromText(xml);
        for (const auto& tag : doc.Children) {
            if (tag->Name == "Function")
                AddFuncToLib(&functions, CreateMorphFuncByTag(tag.get()));
            else
                AddMorphToLib(&morphs, CreateMorphByTag(tag.get(), &functions, &morphs, &random));
        }
    }
    TQelMorph& Morph(std::string_view name) { return *morphs.Find(name); }
};

std::unique_ptr<TQelMorphFunc> Function(std::string_view xml)
{
    TQelParser doc;
    doc.LoadFromText(xml);
    return CreateMorphFuncByTag(doc.GetChild(0));
}

std::string ErrorOf(std::string_view xml)
{
    try {
        TLibraries libs(xml);
    } catch (const EQelFXError& e) {
        return e.what();
    }
    return "no error";
}

constexpr const char* kLinear = "<Function Name=\"FLine\" Dim=\"2\" Type=\"piecewise\">"
                                "<Script>Set Linear; Path (0,0) (100,0); Ending Stop (100,0);</Script></Function>";
constexpr const char* kConst = "<Function Name=\"FOne\" Dim=\"2\" Type=\"constant\"><Value>(1,0)</Value></Function>";

TEST(MorphFunctions, EachKindEvaluates)
{
    auto constant = Function("<Function Dim=\"3\" Type=\"constant\"><Value>(1.5, -2, 3)</Value></Function>");
    EXPECT_EQ(constant->Evaluate(777, false), (TQelVector {1.5f, -2, 3}));
    EXPECT_EQ(constant->Evaluate(777, true), TQelVector {});
    EXPECT_EQ(constant->Dim(), 3);

    auto parabola = Function("<Function Name=\"P\" Dim=\"2\" Type=\"parabolic\"><StartPosition>(0,0)</StartPosition>"
                             "<StartVelocity>(10,0)</StartVelocity><Acceleration>(0,5)</Acceleration></Function>");
    EXPECT_EQ(parabola->Evaluate(2000, false), (TQelVector {20, 20, 0}));  // no factor 1/2
    EXPECT_EQ(parabola->Evaluate(2000, true), (TQelVector {10, 20, 0}));

    auto periodic = Function("<Function Dim=\"2\" Type=\"periodic\"><XParam>2sin(t)</XParam><YParam></YParam></Function>");
    EXPECT_NEAR(periodic->Evaluate(1000, false).X, 2 * std::sin(1.0), 1e-5);
    EXPECT_NEAR(periodic->Evaluate(1000, false).Y, std::sin(1.0), 1e-5);  // empty element keeps the default

    auto path = Function(kLinear);
    EXPECT_EQ(path->Evaluate(250, false), (TQelVector {25, 0, 0}));
    EXPECT_EQ(path->Evaluate(250, true), (TQelVector {100, 0, 0}));
    EXPECT_EQ(path->Name(), "FLine");
}

TEST(MorphFunctions, NewObjectsAreNamedAfterTheirClass)
{
    EXPECT_EQ(TQelParabolicFunc().Name(), "QelParabolicFunc_Default");
    EXPECT_EQ(TQelMorph().Name(), "QelMorph_Default");
    TQelConstantFunc f;
    f.SetName(std::string(40, 'n'));
    EXPECT_EQ(f.Name().size(), 32u);
}

TEST(MorphFunctions, ParameterErrorsNameClassAndFunction)
{
    TQelParabolicFunc f;
    f.SetName("FBall");
    EXPECT_EQ(f.GetParamIdx("acceleration"), 3);
    try {
        f.GetParamIdx("Gravity");
        ADD_FAILURE();
    } catch (const EQelFXError& e) {
        EXPECT_STREQ(e.what(), "[TQelMorphFunc.GetParamIdx]: Invalid TQelParabolicFunc function \"FBall\" parameter \"Gravity\"");
    }
    try {
        f.SetParam(4, TQelVector {}, 2);
        ADD_FAILURE();
    } catch (const EQelFXError& e) {
        EXPECT_STREQ(e.what(), "[TQelMorpFunc.SetParam]: Invalid TQelParabolicFunc function \"FBall\" parameter index 4");
    }
    f.SetParam(0, TQelVector {0.25f}, 1);
    EXPECT_FLOAT_EQ(f.Weight, 0.25f);
}

TEST(MorphXml, ReadingErrors)
{
    struct {
        const char* xml;
        const char* message;
    } cases[] = {
        {"<Function Type=\"constant\"/>", "[CreateMorphFuncByTag]: <Function> tag has no \"Dim\" attribute"},
        {"<Function Dim=\"1\"/>", "[CreateMorphFuncByTag]: <Function> tag has no \"Type\" attribute"},
        {"<Function Dim=\"1\" Type=\"Constant\"/>", "[CreateMorphFuncByTag]: Invalid <Function> tag \"Type\" attribute value"},
        {"<Morph Dim=\"2\"/>", "[CreateMorphByTag]: <Morph> tag has no \"Name\" attribute"},
        {"<Morph Name=\"M\"/>", "[CreateMorphByTag]: <Morph> tag has no \"Dim\" attribute"},
        {"<Morph Name=\"M\" Dim=\"2\"><Functions><Func Name=\"F\"/></Functions></Morph>",
            "[TQelMorph.AddFuncByTag]: <Functions> tag contains invalid child tag <Func>"},
        {"<Morph Name=\"M\" Dim=\"2\"><Functions><Function/></Functions></Morph>",
            "[TQelMorph.AddFuncByTag]: <Function> tag has no \"Name\" attribute"},
        {"<Morph Name=\"M\" Dim=\"2\"><Properties><Prop Name=\"Position\"/></Properties></Morph>",
            "[TQelMorph.AddParamByTag]: Morph + \"M\" <Properties> tag contains invalid tag \"Prop\""},
        {"<Morph Name=\"M\" Dim=\"2\"><Properties><Property>(1,1)</Property></Properties></Morph>",
            "[TQelMorph.AddParamByTag]: <Property> tag has no \"Name\" attribute"},
        {"<Morph Name=\"M\" Dim=\"2\"><Properties><Property Name=\"Size\">(1,1)</Property></Properties></Morph>",
            "[TQelMorph.AddParamByTag]: <Property> tag \"Name\" attribute has invalid value \"Size\""},
        {"<Morph Name=\"M\" Dim=\"2\"><Properties><Property Name=\".g1\">(1,1)</Property></Properties></Morph>",
            "[TQelMorph.AddParamByTag]: <Property> tag \"Name\" attribute has invalid value \".g1\""},
        {"<Morph Name=\"M\" Dim=\"2\"><Properties><Property Name=\"FNone.g1\">(1,1)</Property></Properties></Morph>",
            "[TQelMorph.AddParamByTag]: <Property> tag \"Name\" attribute value contains unknown Function name \"FNone\""},
        {"<Morph Name=\"M\" Dim=\"2\"><Properties><Property Name=\"Position\">(1,2,3,4)</Property></Properties></Morph>",
            "[StrToVect]: \"(1,2,3,4)\" string-to-vector convertation failed"},
        {"<Morph Name=\"M\" Dim=\"3\"><Properties><Property Name=\"RotationPattern\">Q[1]</Property></Properties></Morph>",
            "[TQelRotator.AddItem]: Invalid base axis value \"Q\""},
        {"<Morph Name=\"M\" Dim=\"3\"><Properties><Property Name=\"RotationPattern\">X[4]</Property></Properties></Morph>",
            "[TQelRotator.SetRotationPattern]: Invalid rotation pattern parameter index"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOf(c.xml), c.message) << c.xml;
    EXPECT_EQ(Function("<Fun Dim=\"1\" Type=\"constant\"/>"), nullptr);
}

TEST(MorphXml, ZeroVectorsAreIgnoredOthersApply)
{
    TLibraries libs(std::string(kConst) +
        "<Morph Name=\"MZero\" Dim=\"2\"><Functions><Function Name=\"FOne\"/></Functions>"
        "<Properties><Property Name=\"Position\">(0,0)</Property></Properties></Morph>"
        "<Morph Name=\"MMoved\" Dim=\"2\"><Functions><Function Name=\"FOne\"/></Functions>"
        "<Properties><Property Name=\"Position\">(1,0)</Property></Properties></Morph>");
    EXPECT_FALSE(libs.Morph("MZero").PositionSet);
    EXPECT_EQ(libs.Morph("MZero").Evaluate(0), (TQelVector {1, 0, 0}));
    EXPECT_EQ(libs.Morph("MMoved").Evaluate(0), (TQelVector {2, 0, 0}));
}

TEST(MorphXml, RandomRangeGivesEachValidatedCopyItsOwnValue)
{
    TLibraries libs(std::string(kConst) + "<Morph Name=\"M\" Dim=\"2\"><Functions><Function Name=\"FOne\"/></Functions>"
                                          "<Properties><Property Name=\"Position\">(0,0)..(10,0)</Property></Properties></Morph>");
    std::vector<float> xs;
    for (int i = 0; i < 50; ++i) {
        auto copy = CloneFX(libs.Morph("M"));
        ASSERT_TRUE(copy && copy->Validate());
        float x = copy->Evaluate(0).X - 1;
        EXPECT_GE(x, 0);
        EXPECT_LT(x, 10);
        EXPECT_FLOAT_EQ(copy->Evaluate(0).Y, 0);
        xs.push_back(x);
    }
    std::sort(xs.begin(), xs.end());
    EXPECT_GT(xs.back() - xs.front(), 5);  // spread over the range, not one value
}

TEST(MorphXml, TransformsAndViewport)
{
    TLibraries libs(std::string(kConst) +
        "<Morph Name=\"MTurn\" Dim=\"2\"><Functions><Function Name=\"FOne\"/></Functions><Properties>"
        "<Property Name=\"Rotation\">1.5707963</Property><Property Name=\"Scale\">(3,1)</Property>"
        "<Property Name=\"ViewportWidth\">801</Property><Property Name=\"ViewportHeight\">600</Property>"
        "<Property Name=\"CameraDistance\">500.5</Property><Property Name=\"StartTime\">0.5</Property>"
        "</Properties></Morph>");
    TQelMorph& m = libs.Morph("MTurn");
    TQelVector v = m.Evaluate(0);
    EXPECT_NEAR(v.X, 0, 1e-5);  // (3, 0) turned by a quarter: (0, -3)
    EXPECT_NEAR(v.Y, -3, 1e-5);
    EXPECT_EQ(m.HalfViewportWidth, 400);
    EXPECT_EQ(m.HalfViewportHeight, 300);
    EXPECT_FLOAT_EQ(m.CameraDistance, 500.5f);
    EXPECT_EQ(m.TimeOffset(), 500);
}

TEST(MorphXml, CloneOnlyForExactTrueAndWeightOfSharedFunctionsIsShared)
{
    TLibraries libs(std::string(kLinear) +
        "<Morph Name=\"MShared\" Dim=\"2\"><Functions><Function Name=\"FLine\" Clone=\"True\" Weight=\"2\"/></Functions></Morph>"
        "<Morph Name=\"MOwn\" Dim=\"2\"><Functions><Function Name=\"fline\" Clone=\"true\" Weight=\"0.5\"/></Functions></Morph>"
        "<Morph Name=\"MOther\" Dim=\"2\"><Functions><Function Name=\"FLine\"/><Function Name=\"FMissing\" Weight=\"9\"/>"
        "</Functions></Morph>");
    TQelMorph& shared = libs.Morph("MShared");
    TQelMorph& own = libs.Morph("MOwn");
    EXPECT_EQ(shared.Function(0), libs.functions.Item(0));
    EXPECT_NE(own.Function(0), libs.functions.Item(0));
    EXPECT_FLOAT_EQ(libs.functions.Item(0)->Weight, 2);
    EXPECT_EQ(libs.Morph("MOther").FunctionCount(), 1);
    EXPECT_EQ(libs.Morph("MOther").Evaluate(500).X, 100);  // the library function's weight 2
    EXPECT_EQ(own.Evaluate(500).X, 25);
    EXPECT_FALSE(libs.functions.Item(0)->Owned);
    EXPECT_TRUE(own.Function(0)->Owned);
}

TEST(MorphXml, FunctionsOfAnotherDimensionAreRefused)
{
    TLibraries libs(std::string(kConst) + "<Morph Name=\"M\" Dim=\"1\"><Functions><Function Name=\"FOne\"/></Functions></Morph>");
    EXPECT_EQ(libs.Morph("M").FunctionCount(), 0);
}

TEST(MorphXml, ChildMorphFeedsAProperty)
{
    TLibraries libs(std::string(kConst) + kLinear +
        "<Morph Name=\"MMover\" Dim=\"2\"><Functions><Function Name=\"FLine\"/></Functions></Morph>"
        "<Morph Name=\"MRider\" Dim=\"2\"><Functions><Function Name=\"FOne\"/></Functions>"
        "<Properties><Property Name=\"Position\">MMover</Property><Property Name=\"FOne.Value\">(0,0)..(0,4)</Property>"
        "</Properties></Morph>");
    TQelMorph& rider = libs.Morph("MRider");
    ASSERT_EQ(rider.Children().size(), 1u);
    EXPECT_EQ(rider.Tree().size(), 2u);
    EXPECT_EQ(rider.Tree().back(), &rider);
    auto copy = CloneFX(rider);
    copy->Validate();
    TQelVector at = copy->Evaluate(300);
    EXPECT_FLOAT_EQ(at.X, 30);  // FOne now (0, y), plus the child at 300 ms
    EXPECT_GE(at.Y, 0);
    EXPECT_LT(at.Y, 4);
}

TEST(MorphXml, LibrariesKeepTheFirstOfEachName)
{
    TQelMorphFuncLib lib;
    auto a = std::make_unique<TQelConstantFunc>();
    a->SetName("F");
    auto b = std::make_unique<TQelConstantFunc>();
    b->SetName("f");
    EXPECT_EQ(AddFuncToLib(&lib, std::move(a)), 0);
    EXPECT_EQ(AddFuncToLib(&lib, std::move(b)), 0);
    EXPECT_EQ(lib.Count(), 1);
    EXPECT_THROW(AddFuncToLib(nullptr, std::make_unique<TQelConstantFunc>()), EQelFXError);
    EXPECT_THROW(AddFuncToLib(&lib, nullptr), EQelFXError);
    EXPECT_THROW(AddMorphToLib(nullptr, std::make_unique<TQelMorph>()), EQelFXError);
}

TEST(Morph3D, RotationPatternAndProjection)
{
    TLibraries libs("<Function Name=\"F3\" Dim=\"3\" Type=\"constant\"><Value>(1,0,0)</Value></Function>"
                    "<Morph Name=\"M\" Dim=\"3\"><Functions><Function Name=\"F3\"/></Functions><Properties>"
                    "<Property Name=\"RotationPattern\">Z[1]; (0,0,10); x=0</Property>"
                    "<Property Name=\"Rotation\">(1.5707963,0,0)</Property></Properties></Morph>");
    TQelMorph& m = libs.Morph("M");
    ASSERT_EQ(m.Rotator.Items().size(), 2u);
    TQelVector v = m.Evaluate(0);
    EXPECT_NEAR(v.X, 0, 1e-6);
    EXPECT_NEAR(v.Y, 1, 1e-6);
    EXPECT_NEAR(v.Z, 10, 1e-6);  // the second item's pivot as translation
    auto screen = m.Project(0);
    ASSERT_TRUE(screen);
    EXPECT_NEAR(screen->X, 400, 1e-4);
    EXPECT_NEAR(screen->Y, 300 - 720.0 / 730.0, 1e-4);

    m.SetPosition({0, 0, -740});  // at the camera: no screen point, no division by zero
    EXPECT_FALSE(m.Project(0));
}

TEST(Morph, LocalTimeWrapsLikeUnsigned32BitMilliseconds)
{
    auto morph = CreatePathMorph("Set Linear; Path (0,0) (100,0); Ending Stop (-1,-1);");
    morph->SetStartTime(5000);
    EXPECT_EQ(morph->Evaluate(5500).X, 50);
    EXPECT_EQ(morph->Evaluate(4000).X, -1);  // before its start: far past the end
}

TEST(Morph, CopiesShareLibraryFunctionsAndCloneOwnedOnes)
{
    auto morph = CreatePathMorph("Set Linear; Path (0,0) (100,0);");
    auto copy = CloneFX(*morph);
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->Function(0), morph->Function(0));
    ASSERT_TRUE(FirstPathFunction(*copy));
    EXPECT_EQ(FirstPathFunction(*copy)->TotalDuration(), 1000u);
    EXPECT_EQ(copy->Evaluate(500).X, 50);
}

}  // namespace
