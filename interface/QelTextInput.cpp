// The text, font, focus, cursor and clipboard rules the edit and the memo share.
#include "interface/QelTextInput.h"

#include "foundation/QelLog.h"
#include "foundation/QelParser.h"
#include "foundation/Services.h"
#include "foundation/Text.h"
#include "interface/QelInterfaceEngine.h"

namespace {

// The cursor shows for this long, then hides for as long.
constexpr int64_t kBlinkHalfPeriodMs = 500;

} // namespace

bool IsTextChar(char16_t c)
{
    return c >= 32 && !(c >= 0x7f && c <= 0x9f);
}

std::u16string PastableText(std::string_view clipboard)
{
    // Whatever follows a NUL is not text; a NUL kept in a player's name would end the
    // profile file there on the next load.
    const std::string_view text = clipboard.substr(0, clipboard.find('\0'));
    std::u16string out;
    for (char16_t c : Utf8ToUtf16(NormalizeSpaces(text)))
        if (IsTextChar(c))
            out += c;
    return out;
}

void TQelTextInput::SetFontName(const std::string& value)
{
    fontName_ = value;
    fontReported_ = false;
    FontChanged();
}

void TQelTextInput::SetFocused(bool value)
{
    TQelFocusedObject::SetFocused(value);
    if (focused_)
        SelectAll();
    else
        SelStart = SelEnd = 0;
    Invalidate();
}

void TQelTextInput::Assign(const TQelObject& source)
{
    TQelFocusedObject::Assign(source);
    const auto* s = dynamic_cast<const TQelTextInput*>(&source);
    if (!s)
        return;
    CursorPicture = s->CursorPicture;
    fontName_ = s->fontName_;
    text_ = s->text_;
    Alpha = s->Alpha;
    Color = s->Color;
    SelectColor = s->SelectColor;
    TextShiftLeft = s->TextShiftLeft;
    TextShiftTop = s->TextShiftTop;
    ReadOnly = s->ReadOnly;
}

std::vector<std::string> TQelTextInput::GetPictures() const
{
    return { picture_, CursorPicture };
}

void TQelTextInput::MouseUp(TQelMouseButton, uint32_t, int32_t, int32_t)
{
    DoubleClicked = false;
    Pressed = false;
}

void TQelTextInput::BlinkCursor(int64_t time)
{
    if (!focused_)
        return;
    const bool visible = (time / kBlinkHalfPeriodMs) % 2 == 0 || Pressed;
    if (visible && CurrentCursor.empty()) {
        CurrentCursor = CursorPicture;
        Invalidate();
    } else if (!visible && !CurrentCursor.empty()) {
        CurrentCursor.clear();
        Invalidate();
    }
}

IQelTextFont* TQelTextInput::Font() const
{
    IQelTextFont* font = FindFont(fontName_);
    if (!font && !fontName_.empty() && !fontReported_ && InterfaceEngine()) {
        fontReported_ = true;
        if (TQelLog* log = EngineLog())
            log->Add(
                std::string("Error ") + ClassName() + " [Name:" + Name() + "]: no font named \"" + fontName_ + "\"");
    }
    return font;
}

int32_t TQelTextInput::WidthOf(std::u16string_view text) const
{
    IQelTextFont* font = Font();
    return font ? font->GetTextWidth(text) : 0;
}

bool TQelTextInput::HasClipboard() const
{
    TQelInterfaceEngine* engine = InterfaceEngine();
    return engine && engine->Clipboard;
}

std::optional<std::u16string> TQelTextInput::ClipboardText() const
{
    IQelTextFont* font = HasClipboard() ? Font() : nullptr;
    if (!font)
        return std::nullopt;
    std::u16string text;
    for (char16_t c : PastableText(InterfaceEngine()->Clipboard->GetText()))
        if (font->IsCharPresent(c))
            text += c;
    return text;
}

void TQelTextInput::ToClipboard(const std::u16string& text) const
{
    if (!text.empty() && HasClipboard())
        InterfaceEngine()->Clipboard->SetText(Utf16ToUtf8(text));
}
