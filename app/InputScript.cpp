// Reading input scripts.
#include "app/InputScript.h"

#include "foundation/Text.h"
#include "graphics/Display.h"
#include "platform/KeyCodes.h"

#include <algorithm>
#include <array>
#include <functional>

namespace {

std::vector<std::string_view> SplitWords(std::string_view line)
{
    std::vector<std::string_view> words;
    size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
            ++pos;
        size_t end = pos;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t')
            ++end;
        if (end > pos)
            words.push_back(line.substr(pos, end - pos));
        pos = end;
    }
    return words;
}

// The state a script run carries from line to line: the buttons it holds down and where
// the mouse is, so events carry the same shift bits and positions as the window's.
struct TScriptState {
    TMouseButtons Buttons;
    int32_t X = 0, Y = 0;
};

using TLineReader = std::function<bool(std::string_view rest, const std::vector<std::string_view>& words,
                                       TScriptState& state, std::vector<TInputEvent>& out, std::string& error)>;

bool ReadPoint(const std::vector<std::string_view>& words, TScriptState& state, std::string& error)
{
    if (words.size() != 4) {
        error = "expected \"" + std::string(words[1]) + " X Y\"";
        return false;
    }
    auto x = StrictInt(words[2]);
    auto y = StrictInt(words[3]);
    if (!x || !y || *x < 0 || *x >= kScreenWidth || *y < 0 || *y >= kScreenHeight) {
        error = "X Y must be whole numbers inside the 800 x 600 frame";
        return false;
    }
    state.X = static_cast<int32_t>(*x);
    state.Y = static_cast<int32_t>(*y);
    return true;
}

TLineReader Button(TInputKind kind, TMouseButton button)
{
    return [kind, button](std::string_view, const std::vector<std::string_view>& words, TScriptState& state,
                          std::vector<TInputEvent>& out, std::string& error) {
        if (!ReadPoint(words, state, error))
            return false;
        if (kind == TInputKind::MouseDown)
            state.Buttons.Press(button);
        else
            state.Buttons.Release(button);
        TInputEvent e;
        e.Kind = kind;
        e.Button = button;
        e.X = state.X;
        e.Y = state.Y;
        e.Shift = state.Buttons.Held();
        out.push_back(e);
        return true;
    };
}

bool ReadMove(std::string_view, const std::vector<std::string_view>& words, TScriptState& state,
              std::vector<TInputEvent>& out, std::string& error)
{
    if (!ReadPoint(words, state, error))
        return false;
    TInputEvent e;
    e.Kind = TInputKind::MouseMove;
    e.X = state.X;
    e.Y = state.Y;
    e.Shift = state.Buttons.Held();
    out.push_back(e);
    return true;
}

bool ReadWheel(std::string_view, const std::vector<std::string_view>& words, TScriptState& state,
               std::vector<TInputEvent>& out, std::string& error)
{
    constexpr int32_t kWheelNotch = 120;
    constexpr int64_t kMostNotches = 100;
    auto notches = words.size() == 3 ? StrictInt(words[2]) : std::nullopt;
    if (!notches || *notches == 0 || *notches < -kMostNotches || *notches > kMostNotches) {
        error = "expected \"wheel D\" with D a whole number of notches other than 0";
        return false;
    }
    TInputEvent e;
    e.Kind = TInputKind::MouseWheel;
    e.WheelDelta = static_cast<int32_t>(*notches) * kWheelNotch;
    e.X = state.X;
    e.Y = state.Y;
    e.Shift = state.Buttons.Held();
    out.push_back(e);
    return true;
}

bool ReadKey(std::string_view, const std::vector<std::string_view>& words, TScriptState& state,
             std::vector<TInputEvent>& out, std::string& error)
{
    if (words.size() != 3) {
        error = "expected \"key NAME\"";
        return false;
    }
    struct TPrefix {
        std::string_view Text;
        uint32_t Bit;
    };
    constexpr std::array kPrefixes{TPrefix{"ctrl+", ShiftState::Ctrl}, TPrefix{"alt+", ShiftState::Alt},
                                   TPrefix{"shift+", ShiftState::Shift}};
    std::string_view name = words[2];
    uint32_t shift = 0;
    for (bool found = true; found;) {
        found = false;
        for (const TPrefix& prefix : kPrefixes)
            if (StartsWithNoCase(name, prefix.Text) && name.size() > prefix.Text.size()) {
                shift |= prefix.Bit;
                name.remove_prefix(prefix.Text.size());
                found = true;
            }
    }
    auto code = KeyCodeFromName(name);
    if (!code) {
        error = "unknown key \"" + std::string(name) + "\"";
        return false;
    }
    TInputEvent down;
    down.Kind = TInputKind::KeyDown;
    down.Key = *code;
    down.Shift = shift | state.Buttons.Held();
    out.push_back(down);
    if (char16_t c = ControlCharacterOfKey(*code, shift)) {
        TInputEvent press;
        press.Kind = TInputKind::KeyPress;
        press.Char = c;
        press.Shift = shift;
        out.push_back(press);
    }
    return true;
}

bool ReadChar(std::string_view rest, const std::vector<std::string_view>&, TScriptState&,
              std::vector<TInputEvent>& out, std::string& error)
{
    // Everything after the one blank that follows "char", so a blank can be typed too.
    std::u16string units = Utf8ToUtf16(rest);
    if (units.size() != 1 || units[0] == 0xFFFD) {
        error = "expected \"char C\" with exactly one character";
        return false;
    }
    TInputEvent press;
    press.Kind = TInputKind::KeyPress;
    press.Char = units[0];
    out.push_back(press);
    return true;
}

struct TVerb {
    std::string_view Name;
    TLineReader Read;
};

const std::vector<TVerb>& Verbs()
{
    static const std::vector<TVerb> verbs{
        {"mouse", ReadMove},
        {"down", Button(TInputKind::MouseDown, TMouseButton::Left)},
        {"up", Button(TInputKind::MouseUp, TMouseButton::Left)},
        {"rdown", Button(TInputKind::MouseDown, TMouseButton::Right)},
        {"rup", Button(TInputKind::MouseUp, TMouseButton::Right)},
        {"wheel", ReadWheel},
        {"key", ReadKey},
        {"char", ReadChar},
    };
    return verbs;
}

}  // namespace

bool ParseInputScript(std::string_view text, std::vector<TScriptedInput>& lines, TInputScriptError& error)
{
    lines.clear();
    TScriptState state;
    int lineNumber = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::string_view trimmed = TrimView(line);
        if (trimmed.empty() || trimmed.starts_with("#"))
            continue;

        auto fail = [&](std::string message) {
            error = {lineNumber, std::move(message)};
            return false;
        };
        auto words = SplitWords(trimmed);
        if (words.size() < 2)
            return fail("expected a frame number and an event");
        TScriptedInput parsed;
        parsed.Line = lineNumber;
        std::string_view frameText = words[0];
        if (frameText.starts_with("+")) {
            parsed.Relative = true;
            frameText.remove_prefix(1);
        }
        auto frame = StrictInt(frameText);
        if (!frame || *frame < 0 || frameText.empty() ||
            frameText.find_first_not_of("0123456789") != std::string_view::npos)
            return fail("\"" + std::string(words[0]) + "\" is not a frame number");
        parsed.Frame = *frame;

        if (EqualsNoCase(words[1], "click") || EqualsNoCase(words[1], "wait")) {
            if (words.size() != 3)
                return fail("expected \"" + std::string(words[1]) + " WIDGET\"");
            parsed.Action = EqualsNoCase(words[1], "click") ? TScriptAction::Click : TScriptAction::Wait;
            parsed.Widget = std::string(words[2]);
            lines.push_back(std::move(parsed));
            continue;
        }
        auto verb = std::find_if(Verbs().begin(), Verbs().end(),
                                 [&](const TVerb& v) { return EqualsNoCase(v.Name, words[1]); });
        if (verb == Verbs().end())
            return fail("unknown event \"" + std::string(words[1]) + "\"");
        // What follows the verb and the one blank behind it, untrimmed, so "char" can type
        // a blank too.
        const size_t afterVerb = static_cast<size_t>(words[1].data() - line.data()) + words[1].size();
        std::string_view rest = afterVerb + 1 <= line.size() ? line.substr(afterVerb + 1) : std::string_view();

        std::string message;
        if (!verb->Read(rest, words, state, parsed.Events, message))
            return fail(message);
        lines.push_back(std::move(parsed));
    }
    return true;
}

bool TInputScriptPlayer::EventsFor(int64_t frame, std::vector<TInputEvent>& events, std::string& failure)
{
    events.clear();
    for (size_t i = 0; i < releases_.size();) {
        if (releases_[i].first <= frame) {
            events.push_back(releases_[i].second);
            releases_.erase(releases_.begin() + static_cast<ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    auto where = [&](const TScriptedInput& line, const std::string& what) {
        return "line " + std::to_string(line.Line) + ": " + what + " " + line.Widget + " at frame " +
               std::to_string(frame);
    };
    while (next_ < lines_.size()) {
        const TScriptedInput& line = lines_[next_];
        const int64_t due = line.Relative ? anchor_ + line.Frame : line.Frame;
        if (frame < due)
            break;
        std::optional<TPoint> centre;
        if (line.Action != TScriptAction::Input && locator_)
            centre = locator_->VisibleWidgetCentre(line.Widget);
        if (line.Action == TScriptAction::Wait && !centre) {
            if (frame - due > kLongestWaitFrames) {
                failure = where(line, "waited " + std::to_string(kLongestWaitFrames) + " frames for");
                return false;
            }
            break;
        }
        if (line.Action == TScriptAction::Click) {
            if (!centre) {
                failure = where(line, "cannot click the hidden widget");
                return false;
            }
            TInputEvent move;
            move.Kind = TInputKind::MouseMove;
            move.X = centre->X;
            move.Y = centre->Y;
            TInputEvent down = move;
            down.Kind = TInputKind::MouseDown;
            down.Button = TMouseButton::Left;
            down.Shift = ShiftState::Left;
            TInputEvent up = move;
            up.Kind = TInputKind::MouseUp;
            up.Button = TMouseButton::Left;
            events.push_back(move);
            events.push_back(down);
            releases_.emplace_back(frame + 1, up);
        }
        for (const TInputEvent& e : line.Events)
            events.push_back(e);
        anchor_ = frame;
        ++next_;
    }
    return true;
}
