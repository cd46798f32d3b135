// The grid: a scrolling table of rows of text cells with an optional header row, a
// selection cursor, keyboard paging and a slider that scrolls it.
//
// The game fills a grid in code: ClearRows, then one AddCells write per row (one entry per
// column, `Text="..."`), then a Position write for the row to select; it reads the choice
// back with Position or SelectedText. OnMouseDown is queued when the selection is set or
// moved, OnDblClick on a double click on a row.
#pragma once

#include "interface/QelLabel.h"
#include "interface/QelScrollLink.h"

#include <string>
#include <vector>

class TQelSlider;

// How a cell's text and picture are placed; columns give it to their new cells.
struct TCellLook {
    std::string FontName;
    int32_t Color = 0;
    TTextAlignment Alignment = TTextAlignment::taLeft;
    TTextLayout Layout = TTextLayout::tlTop;
    int32_t TextShiftLeft = 0;
    int32_t TextShiftTop = 0;
    TPictureHAlignType PictureHAlign = TPictureHAlignType::phaLeft;
    TPictureVAlignType PictureVAlign = TPictureVAlignType::pvaTop;
    int32_t PictureShiftLeft = 0;
    int32_t PictureShiftTop = 0;
};

struct TColumn {
    int32_t Width = 0;
    TCellLook Look;
};

struct TCell {
    TCellLook Look;
    std::u16string Text;
    std::string Picture;
};

class TQelGrid : public TQelFocusedObject, public IQelScrollable {
public:
    const char* ClassName() const override { return "TQelGrid"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    // Selects a data row, scrolling it into view; every write queues OnMouseDown.
    void SetPosition(int32_t value);
    int32_t Position() const { return position_; }
    void SetLinkedObjectName(const std::string& value);
    const std::string& LinkedObjectName() const { return linkedObjectName_; }
    void SetFixedRow(bool value);
    bool FixedRow() const { return fixedRow_; }
    // Cell lists: entries each ended by ";", each a list of name="value" attributes.
    // A malformed number fails the whole write before anything changes.
    void SetAddColumns(const std::string& value);
    const std::string& AddColumns() const { return addColumns_; }
    void SetColumns(const std::string& value);
    const std::string& ColumnsText() const { return columnsText_; }
    void SetAddCells(const std::string& value);
    const std::string& AddCellsText() const { return addCells_; }
    void SetCells(const std::string& value);
    const std::string& CellsText() const { return cellsText_; }

    // Empties the data rows (a header row stays) and selects row 0.
    void ClearRows();
    // The text of the given column of the selected data row; empty when there is none.
    std::string SelectedText(int32_t column = 0) const;
    // The number of data row slots shown.
    int32_t VisibleRows() const;

    const std::vector<TColumn>& Columns() const { return columns_; }
    const std::vector<TCell>& Cells() const { return cells_; }
    int32_t ColumnCount() const { return static_cast<int32_t>(columns_.size()); }
    int32_t RowCount() const { return rowCount_; }
    int32_t TopRow() const { return topRow_; }
    int32_t MouseOverRow() const { return mouseOverRow_; }
    TQelSlider* LinkedSlider() const { return linkedSlider_; }

    // The slider link.
    void AttachSlider(TQelSlider& slider) override;
    int32_t MaxOnLink() const override { return rowCount_ - 1; }
    std::optional<int32_t> MaxOnWrite() const override { return LastDataRow(); }
    void FollowSlider(int32_t position) override { SetPosition(position); }

    void Assign(const TQelObject& source) override;
    std::vector<std::string> GetPictures() const override;
    void ForgetObject(const TQelObject* dying) override;
    void KeyDown(uint16_t& key, uint32_t shift) override;
    void MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void MouseMove(uint32_t shift, int32_t x, int32_t y) override;
    void MouseWheel(uint32_t shift, int32_t delta, TPoint pos, bool& handled) override;
    void Draw() override;

    // Published, stored only.
    std::string CursorPicture;
    uint8_t NotActiveCursorAlpha = 0;
    int32_t RowsHeight = 0;
    int32_t BorderWidth = 0;
    std::string FixedFontName;
    int32_t FixedColor = 0;
    int32_t DivisorHeight = 0;
    int32_t RowMouseOverColor = 0;
    std::string Delimiter;

private:
    // The index of the last data row: the rows less the header, less one.
    int32_t LastDataRow() const { return rowCount_ - (fixedRow_ ? 2 : 1); }
    // Tells the linked slider the grid's Position; the slider passes it back through
    // SetPosition, clamped to its range.
    void TellSlider();
    void StepKey(uint16_t key);
    void DrawCell(IQelGraphic4& host, size_t index);

    int32_t position_ = 0;
    std::string linkedObjectName_;
    bool fixedRow_ = false;
    std::string addColumns_;
    std::string columnsText_;
    std::string addCells_;
    std::string cellsText_;
    std::vector<TColumn> columns_;
    std::vector<TCell> cells_;
    int32_t rowCount_ = 0;
    int32_t topRow_ = 0;
    int32_t mouseOverRow_ = -1;
    TQelSlider* linkedSlider_ = nullptr;
};
