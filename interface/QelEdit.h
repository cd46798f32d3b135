// The one-line text entry: caret, selection, clipboard, length and width limits, allowed
// characters and a blinking cursor picture.
#pragma once

#include "interface/QelInterfaceObject.h"

#include <string>
#include <vector>

enum class TInputMode { imNormal, imNumbersOnly };
extern const std::vector<std::string> kInputModeNames;

// Clipboard text as an edit or memo may take it: up to its first NUL, line breaks and
// TABs as spaces, without control characters.
std::u16string PastableText(std::string_view clipboard);
// Whether a character is text rather than a control key (C0, DEL, C1).
bool IsTextChar(char16_t c);

class TQelEdit : public TQelFocusedObject {
public:
    const char* ClassName() const override { return "TQelEdit"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    // The text passes the filter (InputMode, ForbiddenChars); the cursor goes to its end.
    void SetCaption(const std::u16string& value);
    const std::u16string& Caption() const { return text_; }
    void SetInputMode(TInputMode value);
    TInputMode InputMode() const { return inputMode_; }
    void SetForbiddenChars(const std::string& value);
    const std::string& ForbiddenChars() const { return forbiddenChars_; }
    void SetFontName(const std::string& value);
    const std::string& FontName() const { return fontName_; }

    // Gaining the focus selects the whole text, losing it clears the selection.
    void SetFocused(bool value) override;
    void SelectAll();
    void DeleteSelection();
    void CopySelection();
    void CutSelection();
    void PasteText();
    // The text as the filter leaves it.
    std::u16string FilterText(std::u16string_view s) const;
    // The selected characters, from the lower end whichever way the selection was made.
    std::u16string SelectedText() const;

    void Assign(const TQelObject& source) override;
    std::vector<std::string> GetPictures() const override;
    void KeyDown(uint16_t& key, uint32_t shift) override;
    void KeyPress(char16_t& ch) override;
    void MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void MouseMove(uint32_t shift, int32_t x, int32_t y) override;
    void MouseUp(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void TopFormTick(int64_t time) override { BlinkCursor(time); }
    void BlinkCursor(int64_t time);
    void Draw() override;

    // Published, stored only.
    std::string CursorPicture;
    int32_t CursorShiftTop = 0;
    uint8_t Alpha = 0;
    int32_t Color = 0;
    std::u16string PasswordChar;
    int32_t SelectColor = 0;
    int32_t SelectBackColor = 0;
    int32_t TextShiftLeft = 0;
    int32_t TextShiftTop = 0;
    int32_t MaxLength = 0;
    int32_t MaxWidth = 0;
    bool ReadOnly = false;

    // 1-based: the cursor stands before character CursorPos; the selection is the
    // characters i with min(SelStart, SelEnd) <= i < max(SelStart, SelEnd), SelEnd being
    // the end that moves with the cursor.
    int32_t CursorPos = 1;
    int32_t SelStart = 0;
    int32_t SelEnd = 0;
    std::string CurrentCursor;
    bool DoubleClicked = false;

private:
    int32_t Length() const { return static_cast<int32_t>(text_.size()); }
    bool HasSelection() const { return SelStart != SelEnd; }
    // Positions outside the text (left by a shorter text) count as its end.
    void ClampPositions();
    // What is drawn: the text, or PasswordChar once per character.
    std::u16string Shown(std::u16string_view text) const;
    IQelTextFont* Font() const;
    int32_t WidthOf(std::u16string_view text) const;
    // The first i whose first i characters reach beyond x, or 0 when x lies beyond them all.
    int32_t CharAt(int32_t x) const;

    std::u16string text_;
    TInputMode inputMode_ = TInputMode::imNormal;
    std::string forbiddenChars_;
    std::string fontName_;
    mutable bool fontReported_ = false;
};
