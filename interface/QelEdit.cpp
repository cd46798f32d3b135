// The one-line edit: editing keys, typed and pasted characters under the length and width
// limits, mouse selection, clipboard exchange, the blinking cursor and drawing.
#include "interface/QelEdit.h"

#include "foundation/QelLog.h"
#include "foundation/QelParser.h"
#include "foundation/Services.h"
#include "foundation/Text.h"
#include "interface/QelInterfaceEngine.h"

#include <algorithm>

const std::vector<std::string> kInputModeNames = {"imNormal", "imNumbersOnly"};

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

const TQelPropTable& TQelEdit::StaticProperties()
{
    using C = TQelEdit;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelFocusedObject::StaticProperties());
        TQelPropsOf<C>(t)
            .Field<std::string>("CursorPicture", &C::CursorPicture)
            .Field("CursorShiftTop", &C::CursorShiftTop)
            .String("FontName", &C::FontName, &C::SetFontName)
            .WideString("Caption", &C::Caption, &C::SetCaption)
            .Field<uint8_t>("Alpha", &C::Alpha)
            .Field<int32_t>("Color", &C::Color)
            .Field("PasswordChar", &C::PasswordChar)
            .Enumeration("InputMode", kInputModeNames, &C::InputMode, &C::SetInputMode)
            .String("ForbiddenChars", &C::ForbiddenChars, &C::SetForbiddenChars)
            .Field<int32_t>("SelectColor", &C::SelectColor)
            .Field<int32_t>("SelectBackColor", &C::SelectBackColor)
            .Field<int32_t>("TextShiftLeft", &C::TextShiftLeft)
            .Field<int32_t>("TextShiftTop", &C::TextShiftTop)
            .Field("MaxLength", &C::MaxLength)
            .Field("MaxWidth", &C::MaxWidth)
            .Field<bool>("ReadOnly", &C::ReadOnly)
            // The game's windows speak of the edit's text; both names reach the same value.
            .WideString("Text", &C::Caption, &C::SetCaption);
        return t;
    }();
    return table;
}

// ---------------------------------------------------------------------------------------
// Writers

std::u16string TQelEdit::FilterText(std::u16string_view s) const
{
    const std::u16string forbidden = Utf8ToUtf16(forbiddenChars_);
    std::u16string out;
    for (char16_t c : s) {
        if (inputMode_ == TInputMode::imNumbersOnly && !IsDigit(c))
            continue;
        if (forbidden.find(c) != std::u16string::npos)
            continue;
        out += c;
    }
    return out;
}

void TQelEdit::SetCaption(const std::u16string& value)
{
    text_ = FilterText(value);
    CursorPos = Length() + 1;
    ClampPositions();
    Invalidate();
}

void TQelEdit::SetInputMode(TInputMode value)
{
    inputMode_ = value;
    if (inputMode_ == TInputMode::imNumbersOnly) {
        text_ = FilterText(text_);
        ClampPositions();
    }
    Invalidate();
}

void TQelEdit::SetForbiddenChars(const std::string& value)
{
    forbiddenChars_ = value;
    if (!forbiddenChars_.empty()) {
        text_ = FilterText(text_);
        ClampPositions();
    }
    Invalidate();
}

void TQelEdit::Assign(const TQelObject& source)
{
    TQelTextInput::Assign(source);
    const auto* s = dynamic_cast<const TQelEdit*>(&source);
    if (!s)
        return;
    CursorPos = s->CursorPos;
    MaxLength = s->MaxLength;
    MaxWidth = s->MaxWidth;
}

// ---------------------------------------------------------------------------------------
// Text and selection

void TQelEdit::ClampPositions()
{
    const int32_t end = Length() + 1;
    CursorPos = std::clamp(CursorPos, 1, end);
    // 0 marks "no selection" after the focus went; it stays a valid empty selection.
    SelStart = std::clamp(SelStart, 0, end);
    SelEnd = std::clamp(SelEnd, 0, end);
}

std::u16string TQelEdit::SelectedText() const
{
    const int32_t end = Length() + 1;
    const int32_t lo = std::clamp(std::min(SelStart, SelEnd), 1, end);
    const int32_t hi = std::clamp(std::max(SelStart, SelEnd), 1, end);
    return text_.substr(static_cast<size_t>(lo - 1), static_cast<size_t>(hi - lo));
}

void TQelEdit::SelectAll()
{
    SelStart = 1;
    SelEnd = CursorPos = Length() + 1;
}

void TQelEdit::DeleteSelection()
{
    if (!HasSelection())
        return;
    const int32_t end = Length() + 1;
    const int32_t lo = std::clamp(std::min(SelStart, SelEnd), 1, end);
    const int32_t hi = std::clamp(std::max(SelStart, SelEnd), 1, end);
    text_.erase(static_cast<size_t>(lo - 1), static_cast<size_t>(hi - lo));
    CursorPos = SelStart = SelEnd = lo;
}

std::u16string TQelEdit::Shown(std::u16string_view text) const
{
    if (PasswordChar.empty())
        return std::u16string(text);
    std::u16string masked;
    for (size_t i = 0; i < text.size(); ++i)
        masked += PasswordChar;
    return masked;
}

int32_t TQelEdit::CharAt(int32_t x) const
{
    const int64_t origin = int64_t {AbsLeft} + TextShiftLeft;
    for (int32_t i = 1; i <= Length(); ++i)
        if (x < origin + WidthOf(std::u16string_view(text_).substr(0, static_cast<size_t>(i))))
            return i;
    return 0;
}

// ---------------------------------------------------------------------------------------
// Clipboard

void TQelEdit::CopySelection()
{
    if (MaxLength <= 0 || MaxWidth <= 0 || !PasswordChar.empty())
        return;
    ToClipboard(SelectedText());
}

void TQelEdit::CutSelection()
{
    if (MaxLength <= 0 || MaxWidth <= 0 || !PasswordChar.empty())
        return;
    const std::u16string text = SelectedText();
    DeleteSelection();
    ToClipboard(text);
}

void TQelEdit::PasteText()
{
    if (MaxLength <= 0 || MaxWidth <= 0 || Length() == MaxLength)
        return;
    // Pasted characters pass the same tests as typed ones: only what the filter allows
    // and the font can draw.
    std::optional<std::u16string> pasted = ClipboardText();
    if (!pasted)
        return;
    std::u16string paste = FilterText(*pasted);
    const int32_t free = MaxLength - Length();
    if (free <= 0)
        return;
    if (static_cast<int64_t>(paste.size()) > free)
        paste.resize(static_cast<size_t>(free));
    const int64_t room = int64_t {MaxWidth} - WidthOf(text_) - TextShiftLeft;
    if (WidthOf(paste) > room) {
        size_t taken = 0;
        for (int32_t n = free - 1; n >= 1; --n) {
            const size_t count = std::min(static_cast<size_t>(n), paste.size());
            if (WidthOf(std::u16string_view(paste).substr(0, count)) <= room) {
                taken = count;
                break;
            }
        }
        paste.resize(taken);
    }
    ClampPositions();
    text_.insert(static_cast<size_t>(CursorPos - 1), paste);
    CursorPos += static_cast<int32_t>(paste.size());
    SelStart = SelEnd = CursorPos;
}

// ---------------------------------------------------------------------------------------
// Keys

void TQelEdit::KeyDown(uint16_t& key, uint32_t shift)
{
    TQelFocusedObject::KeyDown(key, shift);
    if (ReadOnly || !focused_)
        return;
    ClampPositions();
    const bool extend = shift & QelShift::kShift;
    const int32_t end = Length() + 1;
    switch (key) {
    case QelKey::kBackspace:
        if (!HasSelection() && CursorPos > 1) {
            text_.erase(static_cast<size_t>(CursorPos - 2), 1);
            --CursorPos;
        }
        DeleteSelection();
        break;
    case kKeyDelete:
        if (!HasSelection() && CursorPos < end)
            text_.erase(static_cast<size_t>(CursorPos - 1), 1);
        DeleteSelection();
        break;
    case kKeyHome:
        CursorPos = SelEnd = 1;
        if (!extend)
            SelStart = 1;
        break;
    case kKeyEnd:
        CursorPos = SelEnd = end;
        if (!extend)
            SelStart = end;
        break;
    case kKeyLeft:
        if (CursorPos > 1) {
            SelEnd = --CursorPos;
            if (!extend)
                SelStart = CursorPos;
        }
        break;
    case kKeyRight:
        if (CursorPos < end) {
            SelEnd = ++CursorPos;
            if (!extend)
                SelStart = CursorPos;
        }
        break;
    default: break;
    }
    // A shorter text must not leave the selection's ends beyond it.
    ClampPositions();
    Invalidate();
}

void TQelEdit::KeyPress(char16_t& ch)
{
    if (ReadOnly || !focused_ || Length() >= MaxLength)
        return;
    ClampPositions();
    IQelTextFont* font = Font();
    if (IsTextChar(ch) && font && font->IsCharPresent(ch)) {
        if (FilterText(std::u16string_view(&ch, 1)).empty())
            return;
        DeleteSelection();
        std::u16string candidate = text_;
        candidate.insert(static_cast<size_t>(CursorPos - 1), 1, ch);
        if (int64_t {WidthOf(Shown(candidate))} < int64_t {MaxWidth} - TextShiftLeft) {
            text_ = std::move(candidate);
            SelStart = SelEnd = ++CursorPos;
        }
        Invalidate();
        return;
    }
    switch (ch) {
    case kCtrlA: SelectAll(); break;
    case kCtrlC: CopySelection(); break;
    case kCtrlV:
        DeleteSelection();
        PasteText();
        break;
    case kCtrlX: CutSelection(); break;
    default: break;
    }
    Invalidate();
}

// ---------------------------------------------------------------------------------------
// Mouse

void TQelEdit::MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y)
{
    TQelFocusedObject::MouseDown(button, shift, x, y);
    SelStart = SelEnd = 1;
    if (!Inside(x, y) || !(shift & QelShift::kLeft))
        return;
    if (shift & QelShift::kDouble) {
        DoubleClicked = true;
        SelectAll();
        Invalidate();
        return;
    }
    ClampPositions();
    const bool extend = shift & QelShift::kShift;
    const int32_t i = CharAt(x);
    if (i == 0) {
        CursorPos = SelEnd = Length() + 1;
        if (!extend)
            SelStart = CursorPos;
        return;
    }
    CursorPos = SelEnd = i;
    if (!extend)
        SelStart = i;
    Invalidate();
}

void TQelEdit::MouseMove(uint32_t shift, int32_t x, int32_t y)
{
    TQelFocusedObject::MouseMove(shift, x, y);
    if (!focused_ || !Pressed || !(shift & QelShift::kLeft) || DoubleClicked)
        return;
    if (const int32_t i = CharAt(x)) {
        CursorPos = SelEnd = i;
        Invalidate();
    } else {
        CursorPos = SelEnd = Length() + 1;
    }
}

// ---------------------------------------------------------------------------------------
// Cursor and drawing

void TQelEdit::Draw()
{
    IQelGraphic4* host = Host();
    if (!host)
        return;
    // The picture sits at the corner: the picture alignment does not apply to edits.
    if (!picture_.empty())
        host->Draw(picture_, BumpMapPicture(), BlendingMode, AbsLeft, AbsTop, PictureAlpha(), nullptr);
    IQelTextFont* font = Font();
    if (!font)
        return;
    const int32_t left = AbsLeft + TextShiftLeft;
    const int32_t top = AbsTop + TextShiftTop;
    if (!PasswordChar.empty()) {
        font->DrawText(left, top, Color, Alpha, Shown(text_), 0);
    } else {
        const int32_t lo = std::min(SelStart, SelEnd);
        const int32_t hi = std::max(SelStart, SelEnd);
        int32_t x = 0;
        for (int32_t i = 1; i <= Length(); ++i) {
            const std::u16string_view c = std::u16string_view(text_).substr(static_cast<size_t>(i - 1), 1);
            const int32_t w = font->GetTextWidth(c);
            const int32_t colour = lo <= i && i < hi ? SelectColor : Color;
            // Selected characters stand on their background; so does every character
            // when the text colour is the selection colour.
            if (colour == SelectColor)
                host->DrawRect({}, {left + x, top, left + x + w, top + font->Height()}, SelectBackColor, Alpha, true);
            font->DrawText(left + x, top, colour, Alpha, c, 0);
            x += w;
        }
    }
    if (focused_ && !CurrentCursor.empty()) {
        const TQelSize cursor = PictureSize(CursorPicture);
        const size_t before = static_cast<size_t>(std::clamp(CursorPos - 1, 0, Length()));
        const int32_t c = font->GetTextWidth(Shown(std::u16string_view(text_).substr(0, before)));
        host->Draw(CurrentCursor, BumpMapPicture(), BlendingMode, left + c - cursor.Width / 2 - 1,
                   top + CursorShiftTop, PictureAlpha(), nullptr);
    }
}
