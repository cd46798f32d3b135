// The small pure pieces of the platform layer: key names, frame pacing, the texts of the
// log header, and SDL events turned into the game's input values.
#include "platform/FramePacer.h"
#include "platform/InstallLayout.h"
#include "platform/KeyCodes.h"
#include "platform/SdlInput.h"
#include "platform/SystemInfo.h"
#include "tests/common/TempFolder.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

TEST(KeyCodes, NamesReadBackToTheirCodes)
{
    for (int32_t code = 1; code < 256; ++code) {
        std::string name = KeyName(code);
        auto back = KeyCodeFromName(name);
        ASSERT_TRUE(back) << name;
        EXPECT_EQ(*back, code) << name;
    }
    struct Row {
        const char* Name;
        int32_t Code;
    };
    const Row rows[] = {{"enter", 13}, {"ESC", 27}, {"a", 65}, {"Z", 90}, {"7", 55},
                        {"num6", 102}, {"F1", 112}, {"f12", 123}, {"Delete", 46}};
    for (const Row& row : rows)
        EXPECT_EQ(KeyCodeFromName(row.Name), row.Code) << row.Name;
    for (const char* bad : {"", "F0", "F13", "F+1", "Num", "Num10", "#0", "#256", "Entr", "ab"})
        EXPECT_FALSE(KeyCodeFromName(bad)) << bad;
}

TEST(FramePacer, HoldsSixtyFramesASecondWithoutDrift)
{
    TFramePacer pacer(60);
    int64_t now = 1000000;
    EXPECT_EQ(pacer.WaitUs(now), 0);
    // Frames that take 5 ms wait out the rest of their slot.
    int64_t total = 0;
    for (int i = 0; i < 60; ++i) {
        now += 5000;
        int64_t wait = pacer.WaitUs(now);
        EXPECT_GE(wait, 0);
        now += wait;
        total += 5000 + wait;
    }
    EXPECT_NEAR(static_cast<double>(total), 60.0 * pacer.PeriodUs(), 2.0 * pacer.PeriodUs());
    // A long stall starts the count afresh instead of rushing through catch-up frames.
    now += 500000;
    EXPECT_EQ(pacer.WaitUs(now), 0);
    EXPECT_NEAR(static_cast<double>(pacer.WaitUs(now + 1000)), pacer.PeriodUs() - 1000.0, 1.0);
}

TEST(SystemInfo, OsVersionTextFromUnameAndOsRelease)
{
    const char* osRelease = "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n";
    EXPECT_EQ(FormatOSVersionText("Linux", "6.1.0-18-amd64", "x86_64", osRelease),
              "Linux 6.1.0-18-amd64 x86_64 (Debian GNU/Linux 12 (bookworm))");
    EXPECT_EQ(FormatOSVersionText("Linux", "6.1", "x86_64", ""), "Linux 6.1 x86_64");
    EXPECT_EQ(FormatOSVersionText("", "", "", "PRETTY_NAME=Alpine\n"), "Alpine");
    EXPECT_EQ(FormatOSVersionText("", "", "", "PRETTY_NAME='It\\'s'\n"), "It's");
    EXPECT_EQ(FormatOSVersionText("", "", "", ""), "");
    EXPECT_EQ(ProcessorFromCpuInfo("processor\t: 0\nmodel name\t: Example CPU @ 3.00GHz\nflags\t: fpu\n"),
              "Example CPU @ 3.00GHz");
    EXPECT_EQ(ProcessorFromCpuInfo("processor : 0\n"), "");
    EXPECT_GT(TotalMemoryMb(), 0);
}

SDL_Event KeyEvent(SDL_Keycode key, Uint16 mod)
{
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    return e;
}

TEST(SdlInput, KeysGiveCodesAndTheCharactersTextInputLeavesOut)
{
    struct Row {
        SDL_Keycode Key;
        Uint16 Mod;
        int32_t Code;
        uint32_t Shift;
        char16_t Char;  // 0: no character
    };
    const Row rows[] = {
        {SDLK_RETURN, 0, 13, 0, 13},
        {SDLK_KP_ENTER, 0, 13, 0, 13},
        {SDLK_RETURN, KMOD_LALT, 13, ShiftState::Alt, 0},  // Alt+Enter switches the mode, types nothing
        {SDLK_ESCAPE, 0, 27, 0, 27},
        {SDLK_BACKSPACE, 0, 8, 0, 8},
        {SDLK_c, KMOD_LCTRL, 67, ShiftState::Ctrl, 3},
        {SDLK_v, KMOD_RCTRL, 86, ShiftState::Ctrl, 22},
        {SDLK_a, KMOD_LSHIFT, 65, ShiftState::Shift, 0},  // the letter itself comes as text
        {SDLK_KP_6, 0, 102, 0, 0},
        {SDLK_F1, 0, 112, 0, 0},
        {SDLK_LEFT, 0, 37, 0, 0},
        {SDLK_CAPSLOCK, 0, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(SDL_GetKeyName(row.Key));
        TSdlInput input;
        std::vector<TInputEvent> out;
        EXPECT_FALSE(input.Translate(KeyEvent(row.Key, row.Mod), out));
        if (row.Code == 0) {
            EXPECT_TRUE(out.empty());
            continue;
        }
        ASSERT_EQ(out.size(), row.Char ? 2u : 1u);
        EXPECT_EQ(out[0].Kind, TInputKind::KeyDown);
        EXPECT_EQ(out[0].Key, row.Code);
        EXPECT_EQ(out[0].Shift, row.Shift);
        if (row.Char) {
            EXPECT_EQ(out[1].Kind, TInputKind::KeyPress);
            EXPECT_EQ(out[1].Char, row.Char);
        }
    }
}

TEST(SdlInput, TextBecomesOneKeyPressPerUtf16Unit)
{
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    std::strcpy(e.text.text, "a\xC3\xA9\xF0\x9F\x98\x80");  // a, e acute, and an emoji
    // beyond the 16-bit range, which captions cannot hold: it becomes one replacement character
    TSdlInput input;
    std::vector<TInputEvent> out;
    input.Translate(e, out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].Char, u'a');
    EXPECT_EQ(out[1].Char, u'\u00E9');
    EXPECT_EQ(out[2].Char, u'\uFFFD');
}

TEST(SdlInput, MouseButtonsSetHeldAndDoubleClickBits)
{
    TSdlInput input;
    std::vector<TInputEvent> out;
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.clicks = 2;
    e.button.x = 30;
    e.button.y = 40;
    input.Translate(e, out);
    e = {};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 35;
    e.motion.y = 45;
    input.Translate(e, out);
    e = {};
    e.type = SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = 36;
    e.button.y = 46;
    input.Translate(e, out);
    e = {};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = -2;
    e.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    input.Translate(e, out);

    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0].Kind, TInputKind::MouseDown);
    EXPECT_EQ(out[0].Shift & (ShiftState::Left | ShiftState::Double), ShiftState::Left | ShiftState::Double);
    EXPECT_EQ(out[1].Kind, TInputKind::MouseMove);
    EXPECT_EQ(out[1].Shift & ShiftState::Left, ShiftState::Left);
    EXPECT_EQ(out[2].Kind, TInputKind::MouseUp);
    EXPECT_EQ(out[2].Shift & ShiftState::Left, 0u);
    EXPECT_EQ(out[3].Kind, TInputKind::MouseWheel);
    EXPECT_EQ(out[3].WheelDelta, 240);
    EXPECT_EQ(out[3].X, 36);
    EXPECT_EQ(out[3].Y, 46);
}

TEST(SdlInput, WindowEvents)
{
    struct Row {
        Uint8 Event;
        std::optional<TWindowEvent> Expected;
    };
    const Row rows[] = {{SDL_WINDOWEVENT_CLOSE, TWindowEvent::Close},
                        {SDL_WINDOWEVENT_FOCUS_GAINED, TWindowEvent::FocusGained},
                        {SDL_WINDOWEVENT_FOCUS_LOST, TWindowEvent::FocusLost},
                        {SDL_WINDOWEVENT_EXPOSED, TWindowEvent::Exposed},
                        {SDL_WINDOWEVENT_SIZE_CHANGED, TWindowEvent::Exposed},
                        {SDL_WINDOWEVENT_ENTER, std::nullopt}};
    for (const Row& row : rows) {
        TSdlInput input;
        std::vector<TInputEvent> out;
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = row.Event;
        EXPECT_EQ(input.Translate(e, out), row.Expected) << int(row.Event);
        EXPECT_TRUE(out.empty());
    }
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    std::vector<TInputEvent> out;
    EXPECT_EQ(TSdlInput().Translate(quit, out), TWindowEvent::Close);
}

}  // namespace

// A build tree keeps the archive beside the program; an installation keeps it in the
// shared data folder next to the program's folder. Without either, the program's folder.
TEST(InstallLayout, TheArchiveIsFoundBesideTheProgramOrInTheInstalledDataFolder)
{
    const struct {
        const char* Name;
        std::vector<std::string> Archives;  // folders under the prefix that hold game.zxc
        std::string Expected;
    } cases[] = {
        {"build tree", {"bin", "share/glimmora"}, "bin"},
        {"installed", {"share/glimmora"}, "share/glimmora"},
        {"installed for games", {"share/games/glimmora"}, "share/games/glimmora"},
        {"nowhere", {}, "bin"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTempFolder prefix;
        std::filesystem::create_directories(prefix.Path() / "bin");
        for (const std::string& folder : c.Archives) {
            std::filesystem::create_directories(prefix.Path() / folder);
            std::ofstream(prefix.Path() / folder / "game.zxc") << "x";
        }
        EXPECT_EQ(GameFilesFolder(prefix.Path() / "bin"), (prefix.Path() / c.Expected).lexically_normal());
    }
}
