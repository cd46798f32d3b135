// Path scripts: reading, timing, endings, handle shaping, belt paths and degenerate input.
#include "effects/QelFXBase.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

TQelPath Read(std::string_view script)
{
    TQelPath path(2);
    path.SetScript(script);
    return path;
}

struct PositionCase {
    const char* name;
    const char* script;
    uint32_t t;
    float x, y;
};

class PathPosition : public ::testing::TestWithParam<PositionCase> {};

TEST_P(PathPosition, IsWhereTheScriptSays)
{
    const PositionCase& c = GetParam();
    TQelVector v = Read(c.script).Evaluate(c.t);
    EXPECT_NEAR(v.X, c.x, 1e-3) << c.script << " at " << c.t;
    EXPECT_NEAR(v.Y, c.y, 1e-3) << c.script << " at " << c.t;
}

constexpr const char* kStop = "Set Linear; Path (0,0) --\"1\" (100,0); Ending Stop (100,0);";
constexpr const char* kNoEnding = "Set Linear; Path (0,0) --\"1\" (100,0);";
constexpr const char* kLoop = "Set Linear; Path (0,0) (100,0); Ending Loop;";
constexpr const char* kReverse = "Set Linear; Path (0,0) (100,0); Ending Reverse;";
constexpr const char* kReverseStop = "Set Linear; Path (0,0) (100,0); Ending ReverseStop (7,8);";

INSTANTIATE_TEST_SUITE_P(
    Scripts, PathPosition,
    ::testing::Values(
        PositionCase{"StopHalfway", kStop, 500, 50, 0},
        PositionCase{"StopAtEnd", kStop, 1000, 100, 0},
        PositionCase{"StopEverAfter", kStop, 60000, 100, 0},
        PositionCase{"NoEndingGoesToOrigin", kNoEnding, 1001, 0, 0},
        PositionCase{"NoEndingStillThereAtEnd", kNoEnding, 1000, 100, 0},
        PositionCase{"LoopStartsAgain", kLoop, 1001, 0.1f, 0},
        PositionCase{"LoopSecondRound", kLoop, 2250, 25, 0},
        PositionCase{"ReverseRunsBack", kReverse, 1500, 50, 0},
        PositionCase{"ReverseBackAtStart", kReverse, 2000, 0, 0},
        PositionCase{"ReverseForwardAgain", kReverse, 2250, 25, 0},
        PositionCase{"ReverseStopRunsBack", kReverseStop, 1750, 25, 0},
        PositionCase{"ReverseStopThenValue", kReverseStop, 2001, 7, 8},
        PositionCase{"LastStatementWithoutSemicolonIgnored",
            "Set Linear; Path (0,0) (100,0); Ending Stop (7,7)", 5000, 0, 0},
        PositionCase{"KeywordsIgnoreCase", "SET LINEAR; PATH (0,0) (100,0); ENDING STOP (9,9);", 5000, 9, 9},
        PositionCase{"UnknownWordsSkipped", "Set Linear; Jump high; Set Colour 3; Path (0,0) (100,0);", 500, 50, 0},
        PositionCase{"PartWithoutSpaceIgnored", "Set Linear;Loop;Path (0,0) (100,0);", 250, 25, 0},
        PositionCase{"TimingPerPoint", "Set Linear; Path (0,0) \"2\" (100,0) \"0.5\" (100,50);", 2250, 100, 25},
        PositionCase{"LineBreaksAndTabs", "Set Linear;\r\n\tPath\t(0,0)\n(100,0);", 500, 50, 0},
        PositionCase{"ThirdComponentIgnoredIn2D", "Set Linear; Path (0,0,5) (100,0,5);", 500, 50, 0},
        PositionCase{"StraightBezierIsEven", "Path (0,0) (90,0);", 500, 45, 0},
        PositionCase{"EmptyPathIsOrigin", "Path (3,4);", 0, 0, 0},
        PositionCase{"EmptyPathEndsAtOnce", "Path (3,4); Ending Stop (1,2);", 1, 1, 2}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(PathTiming, PlusTimingIsASpeedInUnitsPerMs)
{
    TQelPath path = Read("Set Linear; Set Timing +0.1; Path (0,0) (100,0);");
    ASSERT_EQ(path.Pieces().size(), 1u);
    EXPECT_EQ(path.Pieces()[0].Duration, 1000u);
    EXPECT_EQ(path.TotalDuration(), 1000u);
    EXPECT_FLOAT_EQ(path.TotalLength(), 100);
}

TEST(PathTiming, DurationsComeFromThePointThePieceStartsAt)
{
    TQelPath path = Read("Set Linear; Set Timing 0.25; Path (0,0) (10,0) \"+0.5\" (60,0) \"3\" (60,10);");
    ASSERT_EQ(path.Pieces().size(), 3u);
    EXPECT_EQ(path.Pieces()[0].Duration, 250u);
    EXPECT_EQ(path.Pieces()[1].Duration, 100u);  // 50 units at 0.5 per ms
    EXPECT_EQ(path.Pieces()[2].Duration, 3000u);
    EXPECT_EQ(path.TotalDuration(), 3350u);
}

TEST(PathTiming, HugeAndVanishingTimingsStayInRange)
{
    TQelPath slow = Read("Set Linear; Set Timing +0.0000001; Path (0,0) (100000,0);");
    EXPECT_EQ(slow.Pieces()[0].Duration, 0u);  // slower than 1e-6 units per ms counts as no time
    TQelPath huge = Read("Set Linear; Set Timing 1e30; Path (0,0) (1,0) (2,0);");
    EXPECT_EQ(huge.Pieces()[0].Duration, UINT32_MAX);
    EXPECT_EQ(huge.TotalDuration(), UINT32_MAX);
    EXPECT_NEAR(huge.Evaluate(1000).X, 0, 1e-3);
}

TEST(PathReading, PieceKindsFollowTheMarksAndSettings)
{
    TQelPath path = Read("Set Linear; Path (0,0) .. (10,0) (20,0); Set Bezier; Path (30,5) -- (40,0) (50,0);");
    ASSERT_EQ(path.Pieces().size(), 5u);
    const bool expected[] = {true, false, false, false, true};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(path.Pieces()[i].Bezier, expected[i]) << "piece " << i;
    EXPECT_EQ(path.DistinctPoints(), 6);
}

TEST(PathReading, MalformedNumbersFail)
{
    for (const char* script : {"Path (a,0) (1,1);", "Set Timing fast;", "Path (0,0) \"x\" (1,1);", "Ending Stop (1,q);",
             "Path () (1,1);"})
        EXPECT_THROW(Read(script), EQelFXError) << script;
}

TEST(PathReading, UnclosedPartsAndStrayMarksDoNotFail)
{
    for (const char* script : {"Path (0,0)[10 (5,5)", "Set Timing", "Path ;", "Ending Stop;", ";;;", "Path (0,0) \"1 (2,2);",
             "Set FirstAngle 10; Set SecondAngle -10; Set PosCorrectionFirst 2; Path (0,0) (5,5) (9,0);"})
        EXPECT_NO_THROW(Read(script)) << script;
}

// The editor's belt: a closed loop of Bezier pieces run at 0.04 units per ms.
constexpr const char* kBelt =
    "Set Timing +0.04; Path (100,300) (400,200)[10.000,-10.000] (700,300){1,2} (400,400) (100,300); Ending Loop;";

TEST(BeltPath, PassesThroughItsPointsAndLoops)
{
    TQelPath belt = Read(kBelt);
    ASSERT_EQ(belt.Pieces().size(), 4u);
    EXPECT_TRUE(belt.IsClosed());
    EXPECT_EQ(belt.DistinctPoints(), 4);

    const float points[][2] = {{400, 200}, {700, 300}, {400, 400}, {100, 300}};
    uint32_t end = 0;
    for (size_t i = 0; i < 4; ++i) {
        const TQelPathPiece& piece = belt.Pieces()[i];
        EXPECT_TRUE(piece.Bezier);
        EXPECT_EQ(piece.Duration, static_cast<uint32_t>(std::nearbyint(piece.Length / 0.04))) << "piece " << i;
        end += piece.Duration;
        TQelVector at = belt.Evaluate(end);
        EXPECT_NEAR(at.X, points[i][0], 1e-3) << "piece " << i;
        EXPECT_NEAR(at.Y, points[i][1], 1e-3) << "piece " << i;
    }
    EXPECT_EQ(end, belt.TotalDuration());
    // A smooth loop is longer than its chords and shorter than a wide detour.
    EXPECT_GT(belt.TotalLength(), 2 * std::hypot(300.0, 100.0) * 2);
    EXPECT_LT(belt.TotalLength(), 2000);

    TQelVector a = belt.Evaluate(1234), b = belt.Evaluate(belt.TotalDuration() + 1234);
    EXPECT_FLOAT_EQ(a.X, b.X);
    EXPECT_FLOAT_EQ(a.Y, b.Y);
}

TEST(BeltPath, TangentIsContinuousAtPointsWithoutAngles)
{
    TQelPath belt = Read("Set Timing +0.04; Path (100,300) (400,200) (700,300) (400,400) (100,300); Ending Loop;");
    uint32_t end = 0;
    for (size_t i = 0; i < 4; ++i) {
        end += belt.Pieces()[i].Duration;
        TQelVector in = belt.Evaluate(end - 1, true), out = belt.Evaluate(end + 1, true);
        double cross = in.X * out.Y - in.Y * out.X;
        double dot = in.X * out.X + in.Y * out.Y;
        EXPECT_NEAR(cross / std::sqrt(SquaredLength(in) * SquaredLength(out)), 0, 0.02) << "point " << i + 2;
        EXPECT_GT(dot, 0) << "point " << i + 2;
    }
}

TEST(BeltPath, MovingAPointReshapesItKeepsDurations)
{
    TQelPiecewiseFunc f;
    f.SetScript(kBelt);
    uint32_t before = f.TotalDuration();
    EXPECT_EQ(f.GetParamIdx("[2]"), 2);
    f.SetParam(2, TQelVector {420, 180}, 2);
    EXPECT_EQ(f.TotalDuration(), before);
    TQelVector p = f.Evaluate(f.Path.Pieces()[0].Duration, false);
    EXPECT_NEAR(p.X, 420, 1e-3);
    EXPECT_NEAR(p.Y, 180, 1e-3);
    // On a closed path the first point is also the end of the last piece.
    f.SetParam(1, TQelVector {90, 310}, 2);
    TQelVector last = f.Path.Pieces().back().P[3];
    EXPECT_FLOAT_EQ(last.X, 90);
    EXPECT_FLOAT_EQ(last.Y, 310);
    EXPECT_THROW(f.SetParam(9, TQelVector {1, 1}, 2), EQelFXError);
    EXPECT_THROW(f.GetParamIdx("[0]"), EQelFXError);
}

TEST(DegeneratePath, RepeatedPointsNeitherHangNorGiveNaN)
{
    for (const char* script : {"Path (5,5) (5,5) (5,5); Ending Loop;", "Set Timing +0.1; Path (5,5) (5,5); Ending Loop;",
             "Set Timing +0.1; Path (5,5) (5,5); Ending Reverse;", "Path (0,0) (0,0) (10,0) (10,0) (0,0);",
             "Path (0,0,0) (1e30,1e30) (-1e30,3);"}) {
        TQelPath path = Read(script);
        for (uint32_t t : {0u, 1u, 500u, 999u, 1000u, 5001u, UINT32_MAX}) {
            TQelVector v = path.Evaluate(t);
            EXPECT_TRUE(std::isfinite(v.X) && std::isfinite(v.Y)) << script << " at " << t;
        }
        for (const TQelPathPiece& piece : path.Pieces())
            EXPECT_TRUE(std::isfinite(piece.Length)) << script;
    }
}

TEST(DegeneratePath, ZeroTotalDurationLoopsAtTheStart)
{
    TQelPath path = Read("Set Timing +0.1; Path (5,5) (5,5); Ending Loop;");
    EXPECT_EQ(path.TotalDuration(), 0u);
    TQelVector v = path.Evaluate(12345);
    EXPECT_FLOAT_EQ(v.X, 5);
    EXPECT_FLOAT_EQ(v.Y, 5);
}

TEST(PathScript, ReplacesWhatWasThere)
{
    TQelPath path = Read("Set Linear; Path (0,0) (100,0) (200,0); Ending Loop;");
    path.SetScript("Set Linear; Path (0,0) (0,100);");
    EXPECT_EQ(path.Pieces().size(), 1u);
    EXPECT_EQ(path.Ending, TQelPathEnding::Stop);
    EXPECT_NEAR(path.Evaluate(500).Y, 50, 1e-3);
}

}  // namespace
