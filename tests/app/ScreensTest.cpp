// The screens on the main window: the loading's order and the rhythm of its progress, the
// splash's end, and the handlers a screen registers.
#include "AppDoubles.h"
#include "graphics/SurfEngine.h"
#include "interface/QelInterfaceEngine.h"
#include "screens/ScreenMethods.h"

#include <gtest/gtest.h>

namespace {

class TRecordingTrace final : public IScreenTrace {
public:
    void Event(std::string_view kind, std::string_view detail) override
    {
        Lines.push_back(std::string(kind) + " " + std::string(detail));
    }
    std::vector<int> Progress() const
    {
        std::vector<int> values;
        for (const std::string& line : Lines)
            if (line.starts_with("progress "))
                values.push_back(std::stoi(line.substr(9)));
        return values;
    }
    std::vector<std::string> Lines;
};

TEST(Loading, FortyPicturesReportProgressEveryTwoAndReachHalfBeforeTheFontPictures)
{
    TShellRig rig;
    // One dot picture under forty names, and as the glyphs of the first font.
    std::vector<uint8_t> dot;
    {
        TSurfEngine scratch(TDisplayFormat::Bgr32());
        ASSERT_TRUE(scratch.NewSurface("Dot", 1, 1));
        ASSERT_TRUE(scratch.SaveSurfaceToPng("Dot", dot));
    }
    const std::string dotText(dot.begin(), dot.end());
    std::string list;
    for (int i = 0; i < 40; ++i) {
        const std::string name = "P" + std::to_string(i) + ".png";
        rig.Program.Write("data/" + name, dotText);
        list += name + "\r\n";
    }
    rig.Program.Write("data/surfaces.dat", list);
    rig.Program.Write("data/Glyphs.png", dotText);
    rig.Program.Write("data/QelUnicode.xml",
                      "<Font Name=\"QelUnicode\" Height=\"9\" Picture=\"Glyphs.png\" Metrics=\"32:0:0:0:4\"/>");
    TRecordingTrace trace;
    TQelGameEngine::TSetup setup;
    setup.ProgramFolder = rig.Program.Path();
    setup.UserFolder = rig.UserFolder();
    setup.DataFolder = rig.Program.Path() / "data";
    setup.Trace = &trace;
    auto engine = std::make_unique<TQelGameEngine>(rig.Services, setup);
    engine->FormActivate();

    const std::vector<int> progress = trace.Progress();
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    // The list is the first half of the bar, reported every second name at least.
    const auto half = std::find(progress.begin(), progress.end(), 50);
    ASSERT_NE(half, progress.end());
    EXPECT_GE(half - progress.begin() + 1, 20);
    EXPECT_EQ(progress.back(), 100);

    // The pictures load in the list's order, the list before what the fonts need.
    const TSurfEngine& surfaces = engine->SurfEngine();
    int previous = -1;
    for (int i = 0; i < 40; ++i) {
        const int at = surfaces.IndexOfSurface("P" + std::to_string(i) + ".png");
        EXPECT_GT(at, previous) << i;
        previous = at;
    }
    EXPECT_GT(surfaces.IndexOfSurface("Glyphs.png"), previous);
}

TEST(Loading, TheSplashHandsOverToTheTitleAfterItsTime)
{
    TShellRig rig;
    TRecordingTrace trace;
    TQelGameEngine::TSetup setup;
    setup.ProgramFolder = rig.Program.Path();
    setup.UserFolder = rig.UserFolder();
    setup.DataFolder = rig.Program.Path() / "data";
    setup.Trace = &trace;
    auto engine = std::make_unique<TQelGameEngine>(rig.Services, setup);
    engine->FormActivate();
    const int64_t splash = engine->Shell.SplashStartTime;
    engine->AppIdle();
    EXPECT_EQ(engine->Shell.ScreenMode, TScreenMode::smSplash);
    while (engine->Shell.ScreenMode != TScreenMode::smTitle && rig.Clock.NowMs() < splash + 5000) {
        rig.Clock.Advance(16);
        engine->AppIdle();
    }
    EXPECT_EQ(engine->Shell.ScreenMode, TScreenMode::smTitle);
    // The title is asked for by the first frame more than 1800 ms into the splash and
    // begins with the frame after it.
    EXPECT_GT(rig.Clock.NowMs() - splash, 1800);
    EXPECT_LE(rig.Clock.NowMs() - splash, 1800 + 2 * 16);
    const std::vector<std::string> modes = [&] {
        std::vector<std::string> found;
        for (const std::string& line : trace.Lines)
            if (line.starts_with("mode "))
                found.push_back(line);
        return found;
    }();
    EXPECT_EQ(modes, (std::vector<std::string>{"mode smSplash", "mode smTitle"}));
}

struct TTwoHandlers {
    void First() { ++Calls; }
    void Second() { Calls += 10; }
    int Calls = 0;
};

TEST(ScreenMethods, HandlersLiveWithTheirScreenAndANameIsNeverTakenTwice)
{
    TQelMethodTable table;
    TTwoHandlers owner;
    const TScreenMethod<TTwoHandlers> rows[] = {{"W_BFirst_MouseUp", &TTwoHandlers::First},
                                                 {"W_BSecond_MouseUp", &TTwoHandlers::Second}};
    TQelClassReg classes;
    RegisterInterfaceClasses(classes);
    TQelInterfaceEngine engine(classes);
    {
        TScreenMethods methods(table, owner, std::span<const TScreenMethod<TTwoHandlers>>(rows));
        EXPECT_TRUE(table.Call("W_BFirst_MouseUp", engine));
        EXPECT_TRUE(table.Call("W_BSecond_MouseUp", engine));
        EXPECT_EQ(owner.Calls, 11);

        // A second screen answering the same button is refused whole.
        TTwoHandlers other;
        const TScreenMethod<TTwoHandlers> clash[] = {{"W_BOther_MouseUp", &TTwoHandlers::First},
                                                      {"W_BSecond_MouseUp", &TTwoHandlers::First}};
        EXPECT_THROW(TScreenMethods(table, other, std::span<const TScreenMethod<TTwoHandlers>>(clash)),
                     TQelException);
        EXPECT_FALSE(table.Has("W_BOther_MouseUp")) << "nothing of the refused table stays";
        EXPECT_TRUE(table.Call("W_BSecond_MouseUp", engine));
        EXPECT_EQ(owner.Calls, 21) << "the first owner keeps its handler";
    }
    EXPECT_EQ(table.Count(), 0u) << "a screen that goes takes its handlers with it";
}

}  // namespace
