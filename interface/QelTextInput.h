// What the one-line edit and the memo share: the text and its font, the selection ends,
// the colours, the blinking cursor picture, the focus rule and the clipboard.
#pragma once

#include "interface/QelInterfaceObject.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Clipboard text as an edit or memo may take it: up to its first NUL, line breaks and
// TABs as spaces, without control characters.
std::u16string PastableText(std::string_view clipboard);
// Whether a character is text rather than a control key (C0, DEL, C1).
bool IsTextChar(char16_t c);

class TQelTextInput : public TQelFocusedObject {
public:
    const std::u16string& Caption() const { return text_; }
    void SetFontName(const std::string& value);
    const std::string& FontName() const { return fontName_; }

    // Gaining the focus selects the whole text, losing it clears the selection.
    void SetFocused(bool value) override;
    virtual void SelectAll() = 0;

    void Assign(const TQelObject& source) override;
    std::vector<std::string> GetPictures() const override;
    void MouseUp(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void TopFormTick(int64_t time) override { BlinkCursor(time); }
    // The cursor picture shows and hides in turn while focused, and stays while pressed.
    void BlinkCursor(int64_t time);

    // Published, stored only.
    std::string CursorPicture;
    uint8_t Alpha = 0;
    int32_t Color = 0;
    int32_t SelectColor = 0;
    int32_t SelectBackColor = 0;
    int32_t TextShiftLeft = 0;
    int32_t TextShiftTop = 0;
    bool ReadOnly = false;

    // 1-based text positions; SelEnd is the end that moves with the cursor.
    int32_t SelStart = 0;
    int32_t SelEnd = 0;
    std::string CurrentCursor;
    bool DoubleClicked = false;

protected:
    // The editing keys both take (virtual key codes) and the Ctrl letters as typed.
    static constexpr uint16_t kKeyEnd = 35;
    static constexpr uint16_t kKeyHome = 36;
    static constexpr uint16_t kKeyLeft = 37;
    static constexpr uint16_t kKeyUp = 38;
    static constexpr uint16_t kKeyRight = 39;
    static constexpr uint16_t kKeyDown = 40;
    static constexpr uint16_t kKeyDelete = 46;
    static constexpr char16_t kCtrlA = 1;
    static constexpr char16_t kCtrlC = 3;
    static constexpr char16_t kCtrlV = 22;
    static constexpr char16_t kCtrlX = 24;

    // After the font name changed (the memo lays its lines out again).
    virtual void FontChanged() { }
    // The font by FontName; a named font that is missing is logged once, as
    // "Error <class> [Name:<name>]: no font named ...": without it the text can neither be
    // measured nor drawn, and no character is taken.
    IQelTextFont* Font() const;
    int32_t WidthOf(std::u16string_view text) const;
    int32_t Length() const { return static_cast<int32_t>(text_.size()); }
    bool HasSelection() const { return SelStart != SelEnd; }
    // The clipboard's text as pastable characters the font can draw; nothing without a
    // clipboard or a font.
    std::optional<std::u16string> ClipboardText() const;
    // Puts a non-empty text on the clipboard.
    void ToClipboard(const std::u16string& text) const;
    bool HasClipboard() const;

    std::u16string text_;
    std::string fontName_;
    mutable bool fontReported_ = false;
};
