// The multi-line text entry. Its text keeps each line break as the two characters "%.";
// the text is laid out in lines that wrap at spaces to the memo's width.
#pragma once

#include "interface/QelTextInput.h"

#include <string>
#include <vector>

// One laid-out line: the characters shown (a wrapped line keeps its trailing space) and
// the text offset (0-based) of its first character.
struct TMemoString {
    std::u16string Text;
    int32_t Start = 0;
    friend bool operator==(const TMemoString&, const TMemoString&) = default;
};

class TQelMemo : public TQelTextInput {
public:
    const char* ClassName() const override { return "TQelMemo"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    void SetCaption(const std::u16string& value);
    int32_t CursorPosition() const { return cursorPosition_; }

    void SelectAll() override;
    void DeleteSelection();
    void CopySelection();
    void CutSelection();
    void PasteText();
    // Lays the text out again in MemoLines.
    void WrapLines();
    // Puts the cursor's line, column and pixel place to CursorPosition.
    void LocateCursor();
    // Moves the cursor to the text position nearest to (x, y), relative to the text's origin.
    void PlaceCursorAt(int32_t x, int32_t y);

    // A new size lays the text out again.
    void SetWidth(int32_t value) override;
    void SetHeight(int32_t value) override;
    void Refresh() override;
    void Assign(const TQelObject& source) override;
    void KeyDown(uint16_t& key, uint32_t shift) override;
    void KeyPress(char16_t& ch) override;
    void MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void MouseMove(uint32_t shift, int32_t x, int32_t y) override;
    void Draw() override;

    // Published, stored only.
    int32_t MaxCharsCount = 0;  // 0: typing is not limited
    int32_t MaxLinesCount = 0;  // 0: no limit

    // 1-based text positions, as CursorPosition + 1 for the cursor.
    std::vector<TMemoString> MemoLines;
    int32_t CursorLine = 0;
    int32_t CursorColumn = 0;
    int32_t CursorX = 0;
    int32_t CursorY = 0;

protected:
    void FontChanged() override { WrapLines(); }

private:
    int32_t LineCount() const { return static_cast<int32_t>(MemoLines.size()); }
    bool MarkerAt(int32_t position) const;
    int32_t FontHeight() const;
    // Keeps the cursor and selection inside the text and the cursor's line inside the lines.
    void ClampPositions();
    // Removes the character after the cursor, or the whole break marker starting there.
    void DeleteAtCursor();
    void StepLeft();
    void StepRight();
    void StepToLine(int32_t line);
    void CursorToEnd();
    // The cursor's column and pixel place on CursorLine for CursorPosition.
    void PlaceOnCursorLine(bool lineEmpty);
    // The text laid out would have more lines than MaxLinesCount allows.
    bool TooManyLines() const { return MaxLinesCount > 0 && LineCount() > MaxLinesCount; }

    int32_t cursorPosition_ = 0;
};
