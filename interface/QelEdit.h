// The one-line text entry: caret, selection, clipboard, length and width limits, allowed
// characters and a blinking cursor picture.
#pragma once

#include "interface/QelTextInput.h"

#include <string>
#include <vector>

enum class TInputMode { imNormal, imNumbersOnly };
extern const std::vector<std::string> kInputModeNames;

class TQelEdit : public TQelTextInput {
public:
    const char* ClassName() const override { return "TQelEdit"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    // The text passes the filter (InputMode, ForbiddenChars); the cursor goes to its end.
    void SetCaption(const std::u16string& value);
    void SetInputMode(TInputMode value);
    TInputMode InputMode() const { return inputMode_; }
    void SetForbiddenChars(const std::string& value);
    const std::string& ForbiddenChars() const { return forbiddenChars_; }
    void SelectAll() override;
    void DeleteSelection();
    void CopySelection();
    void CutSelection();
    void PasteText();
    // The text as the filter leaves it.
    std::u16string FilterText(std::u16string_view s) const;
    // The selected characters, from the lower end whichever way the selection was made.
    std::u16string SelectedText() const;

    void Assign(const TQelObject& source) override;
    void KeyDown(uint16_t& key, uint32_t shift) override;
    void KeyPress(char16_t& ch) override;
    void MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void MouseMove(uint32_t shift, int32_t x, int32_t y) override;
    void Draw() override;

    // Published, stored only.
    int32_t CursorShiftTop = 0;
    std::u16string PasswordChar;
    int32_t MaxLength = 0;
    int32_t MaxWidth = 0;

    // 1-based: the cursor stands before character CursorPos; the selection is the
    // characters i with min(SelStart, SelEnd) <= i < max(SelStart, SelEnd), SelEnd being
    // the end that moves with the cursor.
    int32_t CursorPos = 1;

private:
    // Positions outside the text (left by a shorter text) count as its end.
    void ClampPositions();
    // What is drawn: the text, or PasswordChar once per character.
    std::u16string Shown(std::u16string_view text) const;
    // The first i whose first i characters reach beyond x, or 0 when x lies beyond them all.
    int32_t CharAt(int32_t x) const;

    TInputMode inputMode_ = TInputMode::imNormal;
    std::string forbiddenChars_;
};
