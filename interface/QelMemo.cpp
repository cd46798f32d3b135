// The memo: line layout with wrapping, cursor steps across lines and break markers,
// editing keys under the character and line limits, mouse placement, the clipboard and
// drawing.
#include "interface/QelMemo.h"

#include "foundation/QelLog.h"
#include "foundation/Services.h"
#include "foundation/Text.h"
#include "interface/QelInterfaceEngine.h"

#include <algorithm>

namespace {

// A line break inside the memo's text.
constexpr std::u16string_view kMarker = u"%.";
constexpr int32_t kMarkerLength = 2;

}  // namespace

const TQelPropTable& TQelMemo::StaticProperties()
{
    using C = TQelMemo;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelFocusedObject::StaticProperties());
        TQelPropsOf<C>(t)
            .Integer("CursorPosition", &C::CursorPosition, [](C&, int32_t) {})
            .Field<std::string>("CursorPicture", &C::CursorPicture)
            .String("FontName", &C::FontName, &C::SetFontName)
            .WideString("Caption", &C::Caption, &C::SetCaption)
            .Field<uint8_t>("Alpha", &C::Alpha)
            .Field<int32_t>("Color", &C::Color)
            .Field<int32_t>("SelectColor", &C::SelectColor)
            .Field<int32_t>("SelectBackColor", &C::SelectBackColor)
            .Field<int32_t>("TextShiftLeft", &C::TextShiftLeft)
            .Field<int32_t>("TextShiftTop", &C::TextShiftTop)
            .Field("MaxCharsCount", &C::MaxCharsCount)
            .Field("MaxLinesCount", &C::MaxLinesCount)
            .Field<bool>("ReadOnly", &C::ReadOnly);
        return t;
    }();
    return table;
}

// ---------------------------------------------------------------------------------------
// Writers

void TQelMemo::SetCaption(const std::u16string& value)
{
    text_ = value;
    WrapLines();
    // A shorter text must not leave the cursor beyond it.
    ClampPositions();
    LocateCursor();
    Invalidate();
}

void TQelMemo::SetWidth(int32_t value)
{
    TQelFocusedObject::SetWidth(value);
    WrapLines();
    LocateCursor();
}

void TQelMemo::SetHeight(int32_t value)
{
    TQelFocusedObject::SetHeight(value);
    WrapLines();
    LocateCursor();
}

void TQelMemo::Refresh()
{
    TQelFocusedObject::Refresh();
    WrapLines();
    LocateCursor();
}

void TQelMemo::Assign(const TQelObject& source)
{
    TQelTextInput::Assign(source);
    const auto* s = dynamic_cast<const TQelMemo*>(&source);
    if (!s)
        return;
    cursorPosition_ = s->cursorPosition_;
    MaxCharsCount = s->MaxCharsCount;
    MaxLinesCount = s->MaxLinesCount;
}

// ---------------------------------------------------------------------------------------
// Fonts and positions

int32_t TQelMemo::FontHeight() const
{
    IQelTextFont* font = Font();
    return font ? font->Height() : 0;
}

bool TQelMemo::MarkerAt(int32_t position) const
{
    return position >= 0 && position + kMarkerLength <= Length() &&
           std::u16string_view(text_).substr(static_cast<size_t>(position), kMarkerLength) == kMarker;
}

void TQelMemo::ClampPositions()
{
    cursorPosition_ = std::clamp(cursorPosition_, 0, Length());
    SelStart = std::clamp(SelStart, 0, Length() + 1);
    SelEnd = std::clamp(SelEnd, 0, Length() + 1);
    CursorLine = std::clamp(CursorLine, 0, std::max(LineCount() - 1, 0));
    const int32_t lineLength = MemoLines.empty() ? 0 : static_cast<int32_t>(MemoLines[CursorLine].Text.size());
    CursorColumn = std::clamp(CursorColumn, 0, lineLength);
}

// ---------------------------------------------------------------------------------------
// Layout

void TQelMemo::WrapLines()
{
    MemoLines.clear();
    IQelTextFont* font = Font();
    if (!font || text_.empty() || fontName_.empty() || width_ == 0 || height_ == 0)
        return;
    // Line breaks and TABs of a text written by code show as spaces, one for one, so
    // every shown character keeps its offset in the text; only the marker breaks lines.
    std::u16string shown = text_;
    for (char16_t& c : shown)
        if (c == u'\r' || c == u'\n' || c == u'\t')
            c = u' ';
    const int64_t room = int64_t {width_} - TextShiftLeft;
    size_t lineStart = 0;
    while (true) {
        const size_t marker = shown.find(kMarker, lineStart);
        const std::u16string_view line =
            std::u16string_view(shown).substr(lineStart, marker == std::u16string::npos ? std::u16string::npos
                                                                                       : marker - lineStart);
        auto offset = static_cast<int32_t>(lineStart);
        if (line.empty()) {
            MemoLines.push_back({{}, offset});
        } else {
            const size_t n = line.size();
            size_t start = 0, brk = 0, pos = 0;
            int64_t x = 0;
            while (pos < n) {
                x += font->GetTextWidth(line.substr(pos, 1));
                if (x > room) {
                    if (brk == start && pos == start) {
                        // A character wider than the memo on its own still takes a line,
                        // or the layout would never end.
                        MemoLines.push_back({std::u16string(line.substr(start, 1)), offset});
                        offset += 1;
                        start = brk = ++pos;
                    } else if (brk == start) {
                        MemoLines.push_back({std::u16string(line.substr(start, pos - start)), offset});
                        offset += static_cast<int32_t>(pos - start);
                        start = brk = pos;
                    } else {
                        // The line ends with its space.
                        MemoLines.push_back({std::u16string(line.substr(start, brk - start)), offset});
                        offset += static_cast<int32_t>(brk - start);
                        pos = start = brk;
                    }
                    x = 0;
                } else {
                    ++pos;
                    if (pos < n && line[pos] == u' ')
                        brk = pos + 1;
                }
            }
            MemoLines.push_back({std::u16string(line.substr(start, pos - start)), offset});
        }
        if (marker == std::u16string::npos)
            break;
        lineStart = marker + kMarkerLength;
    }
}

void TQelMemo::CursorToEnd()
{
    cursorPosition_ = Length();
    CursorLine = LineCount() - 1;
    const TMemoString& last = MemoLines.back();
    CursorColumn = static_cast<int32_t>(last.Text.size());
    CursorX = WidthOf(last.Text);
    CursorY = CursorLine * FontHeight();
}

void TQelMemo::PlaceOnCursorLine(bool lineEmpty)
{
    CursorLine = std::clamp(CursorLine, 0, LineCount() - 1);
    const TMemoString& line = MemoLines[static_cast<size_t>(CursorLine)];
    CursorColumn = lineEmpty ? 0 : std::clamp(cursorPosition_ - line.Start, 0, static_cast<int32_t>(line.Text.size()));
    CursorY = CursorLine * FontHeight();
    CursorX = WidthOf(std::u16string_view(line.Text).substr(0, static_cast<size_t>(CursorColumn)));
}

void TQelMemo::LocateCursor()
{
    if (MemoLines.empty()) {
        cursorPosition_ = CursorLine = CursorColumn = CursorX = CursorY = 0;
        return;
    }
    if (cursorPosition_ >= Length()) {
        CursorToEnd();
        return;
    }
    // A position at a wrap point ends one line and starts the next: the earlier line
    // shows it. An empty line reaches to the start of the next one, so it leaves the
    // line the caller chose.
    for (int32_t j = 0; j < LineCount(); ++j) {
        const TMemoString& line = MemoLines[static_cast<size_t>(j)];
        const int32_t length = line.Text.empty() ? kMarkerLength : static_cast<int32_t>(line.Text.size());
        if (line.Start <= cursorPosition_ && cursorPosition_ <= line.Start + length) {
            if (CursorLine >= LineCount())
                CursorLine = LineCount() - 1;
            else if (!line.Text.empty())
                CursorLine = j;
            PlaceOnCursorLine(line.Text.empty());
            return;
        }
    }
}

void TQelMemo::PlaceCursorAt(int32_t x, int32_t y)
{
    if (MemoLines.empty()) {
        cursorPosition_ = CursorLine = CursorColumn = CursorX = CursorY = 0;
        return;
    }
    const int64_t h = FontHeight();
    bool found = false;
    for (int32_t j = 0; j < LineCount() && !found; ++j) {
        if (!(j * h <= y && y <= (j + 1) * h))
            continue;
        const TMemoString& line = MemoLines[static_cast<size_t>(j)];
        if (line.Text.empty()) {
            cursorPosition_ = line.Start;
            found = true;
        } else if (WidthOf(line.Text) < x) {
            cursorPosition_ = line.Start + static_cast<int32_t>(line.Text.size());
            found = true;
        } else {
            int32_t s = 0;
            for (int32_t i = 1; i <= static_cast<int32_t>(line.Text.size()); ++i) {
                const int32_t w = WidthOf(std::u16string_view(line.Text).substr(static_cast<size_t>(i - 1), 1));
                s += w;
                if (x < s) {
                    if (i == 1)
                        cursorPosition_ = line.Start + (x < s / 2 ? 0 : 1);
                    else
                        cursorPosition_ = line.Start + (x - (s - w) < s - x ? i - 1 : i);
                    found = true;
                    break;
                }
            }
        }
    }
    if (!found)
        return;
    if (cursorPosition_ >= Length()) {
        CursorToEnd();
        return;
    }
    int32_t line = LineCount() - 1;
    for (int32_t j = 0; j < LineCount(); ++j)
        if (MemoLines[static_cast<size_t>(j)].Start > cursorPosition_) {
            line = j - 1;
            break;
        }
    line = std::max(line, 0);
    if (line > 0 && y < line * h)
        --line;
    CursorLine = line;
    PlaceOnCursorLine(MemoLines[static_cast<size_t>(line)].Text.empty());
}

// ---------------------------------------------------------------------------------------
// Cursor steps

void TQelMemo::StepLeft()
{
    if ((CursorLine == 0 && CursorColumn == 0) || text_.empty() || MemoLines.empty())
        return;
    const int32_t h = FontHeight();
    const auto above = [&]() -> const TMemoString& { return MemoLines[static_cast<size_t>(CursorLine - 1)]; };
    if (CursorLine > 0 && CursorColumn == 0 && above().Text.empty()) {
        --CursorLine;
        cursorPosition_ -= kMarkerLength;
        CursorX = 0;
        CursorY -= h;
    } else if (CursorColumn > 0) {
        --CursorColumn;
        --cursorPosition_;
        const std::u16string& line = MemoLines[static_cast<size_t>(CursorLine)].Text;
        CursorX -= WidthOf(std::u16string_view(line).substr(static_cast<size_t>(CursorColumn), 1));
    } else if (MarkerAt(cursorPosition_ - kMarkerLength)) {
        --CursorLine;
        cursorPosition_ -= kMarkerLength;
        // The line the cursor has just moved onto: its end, before the marker.
        const std::u16string& line = MemoLines[static_cast<size_t>(CursorLine)].Text;
        CursorColumn = static_cast<int32_t>(line.size());
        CursorX = WidthOf(line);
        CursorY -= h;
    } else {
        // The start of a wrapped line: before the last character of the line above.
        --CursorLine;
        --cursorPosition_;
        const std::u16string& line = MemoLines[static_cast<size_t>(CursorLine)].Text;
        CursorColumn = std::max(static_cast<int32_t>(line.size()) - 1, 0);
        CursorX = line.empty() ? 0 : WidthOf(line) - WidthOf(std::u16string_view(line).substr(line.size() - 1));
        CursorY -= h;
    }
}

void TQelMemo::StepRight()
{
    if (MemoLines.empty())
        return;
    const TMemoString& line = MemoLines[static_cast<size_t>(CursorLine)];
    const auto length = static_cast<int32_t>(line.Text.size());
    const bool lastLine = CursorLine == LineCount() - 1;
    if (lastLine && CursorColumn >= length)
        return;
    const int32_t h = FontHeight();
    if (!line.Text.empty() && !MarkerAt(cursorPosition_)) {
        if (CursorColumn >= length) {
            // A wrap point: past the first character of the next line.
            const std::u16string& next = MemoLines[static_cast<size_t>(++CursorLine)].Text;
            CursorY += h;
            if (next.empty()) {
                CursorColumn = CursorX = 0;
                return;
            }
            CursorColumn = 1;
            ++cursorPosition_;
            CursorX = WidthOf(std::u16string_view(next).substr(0, 1));
        } else {
            CursorX += WidthOf(std::u16string_view(line.Text).substr(static_cast<size_t>(CursorColumn), 1));
            ++CursorColumn;
            ++cursorPosition_;
        }
        return;
    }
    if (lastLine)
        return;
    ++CursorLine;
    CursorColumn = CursorX = 0;
    cursorPosition_ += kMarkerLength;
    CursorY += h;
}

void TQelMemo::StepToLine(int32_t lineIndex)
{
    CursorLine = lineIndex;
    CursorY = CursorLine * FontHeight();
    const TMemoString& line = MemoLines[static_cast<size_t>(CursorLine)];
    if (line.Text.empty()) {
        CursorColumn = CursorX = 0;
        cursorPosition_ = line.Start;
        return;
    }
    // The character boundary nearest to the old pixel place; ties go before.
    int32_t s = 0, w = 0, i = 0;
    while (i < static_cast<int32_t>(line.Text.size()) && (i == 0 || s < CursorX)) {
        w = WidthOf(std::u16string_view(line.Text).substr(static_cast<size_t>(i), 1));
        s += w;
        ++i;
    }
    if (s - CursorX < CursorX - (s - w)) {
        CursorColumn = i;
        CursorX = s;
    } else {
        CursorColumn = i - 1;
        CursorX = s - w;
    }
    cursorPosition_ = line.Start + CursorColumn;
}

// ---------------------------------------------------------------------------------------
// Editing

void TQelMemo::DeleteAtCursor()
{
    if (cursorPosition_ >= Length())
        return;
    text_.erase(static_cast<size_t>(cursorPosition_), MarkerAt(cursorPosition_) ? kMarkerLength : 1);
}

void TQelMemo::SelectAll()
{
    SelStart = 1;
    SelEnd = Length() + 1;
    cursorPosition_ = Length();
    LocateCursor();
}

void TQelMemo::DeleteSelection()
{
    ClampPositions();
    const int32_t lo = std::max(std::min(SelStart, SelEnd), 1);
    const int32_t hi = std::max(SelStart, SelEnd);
    if (lo < hi) {
        text_.erase(static_cast<size_t>(lo - 1), static_cast<size_t>(hi - lo));
        cursorPosition_ = lo - 1;
        SelStart = SelEnd = lo;
    }
    WrapLines();
    LocateCursor();
}

void TQelMemo::CopySelection()
{
    if (MaxCharsCount <= 0 || MaxLinesCount <= 0)
        return;
    ClampPositions();
    const int32_t lo = std::max(std::min(SelStart, SelEnd), 1);
    const int32_t hi = std::max(SelStart, SelEnd);
    if (lo < hi)
        ToClipboard(text_.substr(static_cast<size_t>(lo - 1), static_cast<size_t>(hi - lo)));
}

void TQelMemo::CutSelection()
{
    if (MaxCharsCount <= 0 || MaxLinesCount <= 0)
        return;
    CopySelection();
    DeleteSelection();
}

void TQelMemo::PasteText()
{
    if (MaxCharsCount <= 0 || MaxLinesCount <= 0 || Length() == MaxCharsCount)
        return;
    std::optional<std::u16string> pasted = ClipboardText();
    if (!pasted)
        return;
    std::u16string paste = std::move(*pasted);
    const int32_t free = MaxCharsCount - Length();
    if (free <= 0)
        return;
    if (static_cast<int64_t>(paste.size()) > free)
        paste.resize(static_cast<size_t>(free));
    ClampPositions();
    text_.insert(static_cast<size_t>(cursorPosition_), paste);
    cursorPosition_ += static_cast<int32_t>(paste.size());
    WrapLines();
    LocateCursor();
    SelStart = SelEnd = cursorPosition_ + 1;
}

void TQelMemo::KeyDown(uint16_t& key, uint32_t shift)
{
    TQelFocusedObject::KeyDown(key, shift);
    if (ReadOnly || !focused_)
        return;
    ClampPositions();
    const bool ctrl = shift & QelShift::kCtrl;
    bool moved = false;
    switch (key) {
    case QelKey::kBackspace:
        if (HasSelection()) {
            DeleteSelection();
        } else if (CursorLine != 0 || CursorColumn != 0) {
            cursorPosition_ -= MarkerAt(cursorPosition_ - kMarkerLength) ? kMarkerLength : 1;
            cursorPosition_ = std::max(cursorPosition_, 0);
            DeleteAtCursor();
            WrapLines();
            LocateCursor();
        }
        break;
    case kKeyDelete:
        if (HasSelection())
            DeleteSelection();
        else
            DeleteAtCursor();
        WrapLines();
        // The layout may have moved under the cursor.
        LocateCursor();
        break;
    case QelKey::kEnter: {
        if (MaxCharsCount != 0 && Length() >= MaxCharsCount - kMarkerLength)
            break;
        const std::u16string oldText = text_;
        const int32_t oldPosition = cursorPosition_;
        DeleteSelection();
        text_.insert(static_cast<size_t>(cursorPosition_), kMarker);
        cursorPosition_ += kMarkerLength;
        ++CursorLine;
        CursorColumn = CursorX = 0;
        CursorY += FontHeight();
        WrapLines();
        if (TooManyLines()) {
            text_ = oldText;
            WrapLines();
            cursorPosition_ = oldPosition;
            LocateCursor();
        } else {
            // A break at the start of a wrapped line joins the line above: the layout
            // decides where the cursor is.
            LocateCursor();
            SelStart = SelEnd = cursorPosition_ + 1;
        }
        break;
    }
    case kKeyHome:
        if (ctrl) {
            cursorPosition_ = CursorLine = CursorColumn = CursorX = CursorY = 0;
        } else if (!MemoLines.empty()) {
            cursorPosition_ = MemoLines[static_cast<size_t>(CursorLine)].Start;
            CursorColumn = CursorX = 0;
        }
        moved = true;
        break;
    case kKeyEnd:
        if (ctrl) {
            if (!MemoLines.empty())
                CursorToEnd();
        } else if (!MemoLines.empty()) {
            const TMemoString& line = MemoLines[static_cast<size_t>(CursorLine)];
            cursorPosition_ = line.Start + static_cast<int32_t>(line.Text.size());
            CursorColumn = static_cast<int32_t>(line.Text.size());
            CursorX = WidthOf(line.Text);
        }
        moved = true;
        break;
    case kKeyLeft:
        StepLeft();
        moved = true;
        break;
    case kKeyRight:
        StepRight();
        moved = true;
        break;
    case kKeyUp:
        if (CursorLine > 0 && !MemoLines.empty())
            StepToLine(CursorLine - 1);
        moved = true;
        break;
    case kKeyDown:
        if (CursorLine + 1 < LineCount())
            StepToLine(CursorLine + 1);
        moved = true;
        break;
    default: break;
    }
    if (moved) {
        SelEnd = cursorPosition_ + 1;
        if (!(shift & QelShift::kShift))
            SelStart = SelEnd;
    }
    ClampPositions();
    Invalidate();
}

void TQelMemo::KeyPress(char16_t& ch)
{
    if (ReadOnly || !focused_ || (MaxCharsCount != 0 && Length() >= MaxCharsCount))
        return;
    ClampPositions();
    IQelTextFont* font = Font();
    if (IsTextChar(ch) && font && font->IsCharPresent(ch)) {
        DeleteSelection();
        const std::u16string oldText = text_;
        text_.insert(static_cast<size_t>(cursorPosition_), 1, ch);
        WrapLines();
        if (TooManyLines()) {
            text_ = oldText;
            WrapLines();
        } else {
            ++cursorPosition_;
            LocateCursor();
            SelStart = SelEnd = cursorPosition_ + 1;
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

void TQelMemo::MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y)
{
    TQelFocusedObject::MouseDown(button, shift, x, y);
    SelStart = SelEnd = 1;
    if (!Inside(x, y) || !(shift & QelShift::kLeft))
        return;
    if (shift & QelShift::kDouble) {
        DoubleClicked = true;
        SelectAll();
    } else {
        PlaceCursorAt(x - AbsLeft - TextShiftLeft, y - AbsTop - TextShiftTop);
        SelEnd = cursorPosition_ + 1;
        if (!(shift & QelShift::kShift))
            SelStart = SelEnd;
    }
    Invalidate();
}

void TQelMemo::MouseMove(uint32_t shift, int32_t x, int32_t y)
{
    TQelFocusedObject::MouseMove(shift, x, y);
    if (!focused_ || !Pressed || !(shift & QelShift::kLeft) || DoubleClicked)
        return;
    PlaceCursorAt(x - AbsLeft - TextShiftLeft, y - AbsTop - TextShiftTop);
    SelEnd = cursorPosition_ + 1;
    Invalidate();
}

// ---------------------------------------------------------------------------------------
// Cursor and drawing

void TQelMemo::Draw()
{
    IQelGraphic4* host = Host();
    if (!host)
        return;
    if (!picture_.empty())
        host->Draw(picture_, BumpMapPicture(), BlendingMode, AbsLeft, AbsTop, PictureAlpha(), nullptr);
    IQelTextFont* font = Font();
    if (!font)
        return;
    const int32_t lo = std::min(SelStart, SelEnd);
    const int32_t hi = std::max(SelStart, SelEnd);
    const int32_t h = font->Height();
    for (size_t i = 0; i < MemoLines.size(); ++i) {
        const TMemoString& line = MemoLines[i];
        const int32_t top = AbsTop + TextShiftTop + static_cast<int32_t>(i) * h;
        int32_t x = 0;
        for (size_t j = 1; j <= line.Text.size(); ++j) {
            const std::u16string_view c = std::u16string_view(line.Text).substr(j - 1, 1);
            const int32_t w = font->GetTextWidth(c);
            const int32_t at = line.Start + static_cast<int32_t>(j);
            const int32_t colour = lo <= at && at < hi ? SelectColor : Color;
            const int32_t left = AbsLeft + TextShiftLeft + x;
            if (colour == SelectColor)
                host->DrawRect({}, {left, top, left + w, top + h}, SelectBackColor, Alpha, true);
            font->DrawText(left, top, colour, Alpha, c, 0);
            x += w;
        }
    }
    if (focused_ && !CurrentCursor.empty())
        host->Draw(CurrentCursor, BumpMapPicture(), BlendingMode, AbsLeft + CursorX + TextShiftLeft - 2,
                   AbsTop + CursorY + TextShiftTop, PictureAlpha(), nullptr);
}
