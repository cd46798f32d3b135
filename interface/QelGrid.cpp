// The grid: cell lists read into columns and cells, row geometry, the selection and its
// scrolling by keys, clicks, the wheel and a linked slider, and drawing.
#include "interface/QelGrid.h"

#include "foundation/QelParser.h"
#include "foundation/Text.h"
#include "interface/QelInterfaceEngine.h"
#include "interface/QelSlider.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <utility>

namespace {

constexpr uint16_t kKeyPageUp = 33;
constexpr uint16_t kKeyPageDown = 34;
constexpr uint16_t kKeyEnd = 35;
constexpr uint16_t kKeyHome = 36;
constexpr uint16_t kKeyUp = 38;
constexpr uint16_t kKeyDown = 40;

using TAttributes = std::vector<std::pair<std::string, std::string>>;

int32_t ToInt32(const std::string& value)
{
    const auto v = StrictInt(value);
    if (!v || *v < INT32_MIN || *v > INT32_MAX)
        throw std::runtime_error("'" + value + "' is not a valid integer value");
    return static_cast<int32_t>(*v);
}

template <class E>
void SetEnum(E& field, const std::vector<std::string>& names, const std::string& value)
{
    // Compared exactly; an unknown identifier leaves the field as it was.
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == value)
            field = static_cast<E>(i);
}

// The attributes a cell list may give, by exact name, and where each one goes. A column
// takes Width and the look; a cell takes the look, Text and Picture.
struct TCellTarget {
    int32_t* Width = nullptr;
    TCellLook* Look = nullptr;
    TCell* Cell = nullptr;
    std::u16string Delimiter;
};

struct TCellAttribute {
    const char* Name;
    bool Integer;
    std::function<void(TCellTarget&, const std::string&)> Apply;
};

const std::vector<TCellAttribute>& CellAttributes()
{
    static const std::vector<TCellAttribute> rows = {
        {"Width", true, [](TCellTarget& t, const std::string& v) { if (t.Width) *t.Width = ToInt32(v); }},
        {"FontName", false, [](TCellTarget& t, const std::string& v) { t.Look->FontName = v; }},
        {"Color", true, [](TCellTarget& t, const std::string& v) { t.Look->Color = ToInt32(v); }},
        {"Alignment", false,
         [](TCellTarget& t, const std::string& v) { SetEnum(t.Look->Alignment, kTextAlignmentNames, v); }},
        {"Layout", false, [](TCellTarget& t, const std::string& v) { SetEnum(t.Look->Layout, kTextLayoutNames, v); }},
        {"TextShiftLeft", true, [](TCellTarget& t, const std::string& v) { t.Look->TextShiftLeft = ToInt32(v); }},
        {"TextShiftTop", true, [](TCellTarget& t, const std::string& v) { t.Look->TextShiftTop = ToInt32(v); }},
        {"PictureHAlign", false,
         [](TCellTarget& t, const std::string& v) { SetEnum(t.Look->PictureHAlign, kPictureHAlignNames, v); }},
        {"PictureVAlign", false,
         [](TCellTarget& t, const std::string& v) { SetEnum(t.Look->PictureVAlign, kPictureVAlignNames, v); }},
        {"PictureShiftLeft", true,
         [](TCellTarget& t, const std::string& v) { t.Look->PictureShiftLeft = ToInt32(v); }},
        {"PictureShiftTop", true,
         [](TCellTarget& t, const std::string& v) { t.Look->PictureShiftTop = ToInt32(v); }},
        {"Text", false,
         [](TCellTarget& t, const std::string& v) {
             if (t.Cell)
                 t.Cell->Text = GroupDigits(Utf8ToUtf16(v), t.Delimiter);
         }},
        {"Picture", false, [](TCellTarget& t, const std::string& v) { if (t.Cell) t.Cell->Picture = v; }},
    };
    return rows;
}

// The entries of a cell list, each ended by ";" outside double quotes (text after the
// last one is ignored), each read as the attributes of a tag. Every number is checked
// before the caller changes anything, so a bad list changes nothing.
std::vector<TAttributes> ParseCellList(const std::string& text)
{
    std::vector<TAttributes> entries;
    TQelXMLTag holder("CellList", nullptr, {});
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        if (text[i] != ';' || quoted)
            continue;
        const TQelXMLTag* tag = holder.AddTagByString("Cell " + text.substr(start, i - start));
        TAttributes attributes;
        for (const auto& a : tag->Attributes) {
            for (const TCellAttribute& row : CellAttributes())
                if (row.Name == a->Name && row.Integer)
                    ToInt32(a->Value);
            attributes.emplace_back(a->Name, a->Value);
        }
        entries.push_back(std::move(attributes));
        start = i + 1;
    }
    return entries;
}

void ApplyAttributes(TCellTarget target, const TAttributes& attributes)
{
    for (const auto& [name, value] : attributes)
        for (const TCellAttribute& row : CellAttributes())
            if (row.Name == name)
                row.Apply(target, value);
}

}  // namespace

const TQelPropTable& TQelGrid::StaticProperties()
{
    using C = TQelGrid;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelFocusedObject::StaticProperties());
        TQelPropsOf<C>(t)
            .Integer("Position", &C::Position, &C::SetPosition)
            .String("LinkedObjectName", &C::LinkedObjectName, &C::SetLinkedObjectName)
            .Field("CursorPicture", &C::CursorPicture)
            .Field("NotActiveCursorAlpha", &C::NotActiveCursorAlpha)
            .Field("RowsHeight", &C::RowsHeight)
            .Field("BorderWidth", &C::BorderWidth)
            .Boolean("FixedRow", &C::FixedRow, &C::SetFixedRow)
            .Field("FixedFontName", &C::FixedFontName)
            .Field("FixedColor", &C::FixedColor)
            .Field("DivisorHeight", &C::DivisorHeight)
            .Field("RowMouseOverColor", &C::RowMouseOverColor)
            .String("AddColumns", &C::AddColumns, &C::SetAddColumns)
            .String("Columns", &C::ColumnsText, &C::SetColumns)
            .String("AddCells", &C::AddCellsText, &C::SetAddCells)
            .String("Cells", &C::CellsText, &C::SetCells)
            .Field("Delimiter", &C::Delimiter);
        return t;
    }();
    return table;
}

// ---------------------------------------------------------------------------------------
// Cell lists

void TQelGrid::SetAddColumns(const std::string& value)
{
    if (value.empty())
        return;
    const std::vector<TAttributes> entries = ParseCellList(value);
    addColumns_ = value;
    for (const TAttributes& entry : entries) {
        TColumn& column = columns_.emplace_back();
        column.Width = width_ - 2 * BorderWidth;
        ApplyAttributes({&column.Width, &column.Look, nullptr, {}}, entry);
    }
}

void TQelGrid::SetColumns(const std::string& value)
{
    columnsText_ = value;
    if (value.empty())
        return;
    const std::vector<TAttributes> entries = ParseCellList(value);
    const size_t count = ColumnCount();
    for (size_t i = 0; i < entries.size() && i < columns_.size(); ++i) {
        TColumn& column = columns_[i];
        ApplyAttributes({&column.Width, &column.Look, nullptr, {}}, entries[i]);
        if (entries[i].empty())
            continue;
        for (size_t k = i; k < cells_.size(); k += count)
            cells_[k].Look = column.Look;
    }
}

void TQelGrid::SetAddCells(const std::string& value)
{
    if (value.empty())
        return;
    const std::vector<TAttributes> entries = ParseCellList(value);
    addCells_ = value;
    cellsText_ = value;
    const int32_t count = ColumnCount();
    if (count <= 0)
        return;
    for (const TAttributes& entry : entries) {
        TCell& cell = cells_.emplace_back();
        cell.Look = columns_[(cells_.size() - 1) % static_cast<size_t>(count)].Look;
        ApplyAttributes({nullptr, &cell.Look, &cell, Utf8ToUtf16(Delimiter)}, entry);
    }
    rowCount_ += static_cast<int32_t>(entries.size()) / count;
    if (linkedSlider_)
        linkedSlider_->StoreMax(LastDataRow());
    Invalidate();
}

void TQelGrid::SetCells(const std::string& value)
{
    cellsText_ = value;
    if (value.empty())
        return;
    const std::vector<TAttributes> entries = ParseCellList(value);
    for (size_t i = 0; i < entries.size() && i < cells_.size(); ++i)
        ApplyAttributes({nullptr, &cells_[i].Look, &cells_[i], Utf8ToUtf16(Delimiter)}, entries[i]);
}

void TQelGrid::ClearRows()
{
    if (fixedRow_) {
        cells_.resize(std::min(cells_.size(), columns_.size()));
        rowCount_ = 1;
    } else {
        cells_.clear();
        rowCount_ = 0;
    }
    topRow_ = 0;
    position_ = 0;
    if (linkedSlider_)
        linkedSlider_->StorePosition(0);
    Invalidate();
}

std::string TQelGrid::SelectedText(int32_t column) const
{
    // A header row occupies the first cells; data row p is the row after it.
    const int64_t row = int64_t {position_} + (fixedRow_ ? 1 : 0);
    const int64_t index = row * ColumnCount() + column;
    if (position_ < 0 || column < 0 || column >= ColumnCount() || index >= static_cast<int64_t>(cells_.size()))
        return {};
    return Utf16ToUtf8(cells_[static_cast<size_t>(index)].Text);
}

// ---------------------------------------------------------------------------------------
// Writers and the slider link

int32_t TQelGrid::VisibleRows() const
{
    if (RowsHeight <= 0)
        return 0;
    const int64_t room = int64_t {height_} - 2 * int64_t {BorderWidth} -
                         (fixedRow_ ? int64_t {RowsHeight} + DivisorHeight : 0);
    return static_cast<int32_t>(std::clamp<int64_t>(room / RowsHeight, 0, rowCount_));
}

void TQelGrid::SetPosition(int32_t value)
{
    if (RowsHeight <= 0)
        return;
    // No row lies above the first one; a negative value would scroll the grid off its rows.
    value = std::max(value, 0);
    const int32_t old = position_;
    const int32_t visible = VisibleRows();
    if (value < position_) {
        if (topRow_ > 0 && value < topRow_)
            topRow_ = value;
        if (topRow_ < position_)
            position_ = value;
    } else {
        // A grid too low to show a row still keeps the selected row as its first.
        const int32_t shown = std::max(visible, 1);
        if (int64_t {value} >= int64_t {topRow_} + shown)
            topRow_ = std::max(value - shown + 1, 0);
        position_ = value;
    }
    QueueEvent(position_ != old ? SoundMouseDown : std::string(), OnMouseDown);
    Invalidate();
}

void TQelGrid::SetFixedRow(bool value)
{
    fixedRow_ = value;
    if (linkedSlider_)
        linkedSlider_->StoreMax(LastDataRow());
    if (fixedRow_ && topRow_ < position_)
        --position_;
}

void TQelGrid::SetLinkedObjectName(const std::string& value)
{
    linkedObjectName_ = value;
    TQelObject* target = Engine && !value.empty() ? Engine->GetObjectByName(value) : nullptr;
    linkedSlider_ = dynamic_cast<TQelSlider*>(target);
    if (linkedSlider_) {
        linkedSlider_->StoreMax(MaxOnLink());
        linkedSlider_->StoreLinkedTree(this);
    }
    Invalidate();
}

void TQelGrid::AttachSlider(TQelSlider& slider)
{
    linkedSlider_ = &slider;
    linkedObjectName_ = slider.Name();
}

void TQelGrid::TellSlider()
{
    if (linkedSlider_)
        linkedSlider_->SetPosition(position_);
}

void TQelGrid::ForgetObject(const TQelObject* dying)
{
    TQelFocusedObject::ForgetObject(dying);
    if (linkedSlider_ == dying)
        linkedSlider_ = nullptr;
}

void TQelGrid::Assign(const TQelObject& source)
{
    TQelFocusedObject::Assign(source);
    const auto* s = dynamic_cast<const TQelGrid*>(&source);
    if (!s)
        return;
    RowsHeight = s->RowsHeight;
    NotActiveCursorAlpha = s->NotActiveCursorAlpha;
    BorderWidth = s->BorderWidth;
    SetFixedRow(s->fixedRow_);
    FixedFontName = s->FixedFontName;
    FixedColor = s->FixedColor;
    DivisorHeight = s->DivisorHeight;
    RowMouseOverColor = s->RowMouseOverColor;
    SetAddColumns(s->addColumns_);
    SetColumns(s->columnsText_);
    SetAddCells(s->addCells_);
    SetCells(s->cellsText_);
    Delimiter = s->Delimiter;
}

std::vector<std::string> TQelGrid::GetPictures() const
{
    return {picture_, CursorPicture};
}

// ---------------------------------------------------------------------------------------
// Keys, mouse and wheel

void TQelGrid::StepKey(uint16_t key)
{
    const int32_t rows = rowCount_;
    const int32_t visible = VisibleRows();
    const int32_t last = LastDataRow();
    switch (key) {
    case kKeyUp:
        if (topRow_ > 0 && position_ == topRow_)
            --topRow_;
        if (position_ > topRow_)
            --position_;
        break;
    case kKeyDown:
        if (position_ < last && topRow_ + visible == position_ + 1)
            ++topRow_;
        // Never onto the empty slot a header grid has room for below its last row.
        if (position_ - topRow_ < visible - 1 && position_ < last)
            ++position_;
        break;
    case kKeyHome: topRow_ = position_ = 0; break;
    case kKeyEnd:
        topRow_ = visible < rows ? rows - visible - (fixedRow_ ? 1 : 0) : 0;
        position_ = last;
        break;
    case kKeyPageUp:
        if (topRow_ == 0)
            position_ = 0;
        if (fixedRow_ ? topRow_ - visible - 1 > 0 : topRow_ - visible + 1 > 0) {
            topRow_ -= visible - 1;
            position_ -= visible - 1;
        } else {
            position_ -= topRow_;
            topRow_ = 0;
        }
        break;
    case kKeyPageDown:
        if (fixedRow_) {
            if (topRow_ >= rows - visible - 1)
                position_ = rows - 2;
            if (topRow_ < rows - 2 * visible + 1) {
                topRow_ += visible - 1;
                position_ += visible - 1;
            } else if (rows != visible) {
                position_ += rows - visible - topRow_ - 1;
                topRow_ = rows - visible - 1;
            } else {
                position_ += rows - visible - topRow_;
                topRow_ = rows - visible;
            }
        } else {
            if (topRow_ == rows - visible)
                position_ = rows - 1;
            if (topRow_ < rows - 2 * visible + 1) {
                topRow_ += visible - 1;
                position_ += visible - 1;
            } else {
                position_ += rows - visible - topRow_;
                topRow_ = rows - visible;
            }
        }
        break;
    default: return;
    }
    // An empty grid, or one too low to show a row, has nowhere else to go.
    topRow_ = std::max(topRow_, 0);
    position_ = std::clamp(position_, 0, std::max(last, 0));
}

void TQelGrid::KeyDown(uint16_t& key, uint32_t shift)
{
    TQelFocusedObject::KeyDown(key, shift);
    if (!focused_)
        return;
    switch (key) {
    case kKeyUp:
    case kKeyDown:
    case kKeyHome:
    case kKeyEnd:
    case kKeyPageUp:
    case kKeyPageDown: break;
    default: return;
    }
    StepKey(key);
    QueueEvent(SoundMouseDown, OnMouseDown);
    TellSlider();
    Invalidate();
}

void TQelGrid::MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y)
{
    TQelFocusedObject::MouseDown(button, shift, x, y);
    const int32_t h = RowsHeight;
    if (!Inside(x, y) || h <= 0 || button != TQelMouseButton::Left)
        return;
    const int32_t visible = VisibleRows();
    const int64_t first = int64_t {AbsTop} + BorderWidth + (fixedRow_ ? int64_t {h} + DivisorHeight : 0);
    if (first < y && y < first + int64_t {visible} * h) {
        const int64_t row = (y - first) / h + topRow_;
        // A header grid has room for one slot more than it has data rows.
        if (row <= LastDataRow())
            position_ = static_cast<int32_t>(row);
    }
    TellSlider();
    Invalidate();
    if (shift & QelShift::kDouble) {
        const int64_t top = int64_t {AbsTop} + BorderWidth + DivisorHeight;
        if (top < y && y < top + int64_t {visible} * h)
            QueueEvent(SoundMouseDown, OnDblClick);
    }
}

void TQelGrid::MouseMove(uint32_t, int32_t x, int32_t y)
{
    mouseOverRow_ = -1;
    const int32_t h = RowsHeight;
    if (Inside(x, y) && h > 0) {
        const int64_t b = BorderWidth;
        if (fixedRow_) {
            const int64_t first = AbsTop + b + h + DivisorHeight;
            const int64_t slots = (int64_t {height_} - 2 * b - h - DivisorHeight) / h;
            if (first < y && y < first + slots * h)
                mouseOverRow_ = static_cast<int32_t>((y - AbsTop - b - DivisorHeight) / h);
        } else {
            const int64_t first = AbsTop + b;
            const int64_t slots = (int64_t {height_} - 2 * b) / h;
            if (first < y && y < first + slots * h)
                mouseOverRow_ = static_cast<int32_t>((y - first) / h);
        }
        Invalidate();
        MouseInside = true;
    } else {
        if (MouseInside)
            Invalidate();
        MouseInside = false;
    }
}

void TQelGrid::MouseWheel(uint32_t shift, int32_t delta, TPoint pos, bool& handled)
{
    TQelFocusedObject::MouseWheel(shift, delta, pos, handled);
    if (focused_) {
        StepKey(delta < 0 ? kKeyDown : kKeyUp);
        QueueEvent(SoundMouseDown, OnMouseDown);
        handled = true;
    }
    TellSlider();
    Invalidate();
}

// ---------------------------------------------------------------------------------------
// Drawing

void TQelGrid::Draw()
{
    DrawBasePicture();
    IQelGraphic4* host = Host();
    if (!host)
        return;
    const int32_t h = RowsHeight;
    const int32_t count = ColumnCount();
    if (count < 1 || rowCount_ < 1 || h < 1 || cells_.empty())
        return;
    const TQelSize cursor = PictureSize(CursorPicture);
    const int64_t k = int64_t {position_} - topRow_;
    const int64_t offset = fixedRow_ ? h * (k + 1) + DivisorHeight + (h - cursor.Height) / 2
                                     : k * h + (h - cursor.Height) / 2;
    const int32_t cx = AbsLeft + BorderWidth;
    const auto cy = static_cast<int32_t>(std::clamp<int64_t>(AbsTop + BorderWidth + offset, INT32_MIN, INT32_MAX));
    if (!CursorPicture.empty()) {
        if (focused_)
            host->Draw(CursorPicture, BumpMapPicture(), BlendingMode, cx, cy, PictureAlpha(), nullptr);
        else
            host->DrawColoredAlpha(CursorPicture, {}, cx, cy, 0, NotActiveCursorAlpha);
    }
    const int32_t visible = VisibleRows();
    auto drawRow = [&](int64_t row) {
        for (int64_t i = row * count; i < (row + 1) * count; ++i)
            if (i >= 0 && i < static_cast<int64_t>(cells_.size()))
                DrawCell(*host, static_cast<size_t>(i));
    };
    if (fixedRow_) {
        drawRow(0);
        for (int32_t s = 1; s <= visible; ++s)
            drawRow(int64_t {topRow_} + s);
    } else {
        for (int32_t s = 0; s < visible; ++s)
            drawRow(int64_t {topRow_} + s);
    }
}

void TQelGrid::DrawCell(IQelGraphic4& host, size_t index)
{
    const size_t count = columns_.size();
    const TCell& cell = cells_[index];
    const TCellLook& look = cell.Look;
    IQelTextFont* font = FindFont(look.FontName);
    if (!font)
        return;
    const bool header = fixedRow_ && index < count;
    const auto b = static_cast<int32_t>(index / count) - topRow_;
    const size_t c = index % count;
    const int32_t w = columns_[c].Width;
    const int32_t h = RowsHeight;
    const int32_t y = index < count ? AbsTop + BorderWidth
                                    : AbsTop + BorderWidth + b * h + (fixedRow_ ? DivisorHeight : 0);
    int32_t x = AbsLeft + BorderWidth;
    for (size_t i = 0; i < c; ++i)
        x += columns_[i].Width;
    int32_t colour = b == mouseOverRow_ ? RowMouseOverColor : look.Color;
    if (header)
        colour = FixedColor;
    if (!cell.Picture.empty()) {
        const TQelSize p = PictureSize(cell.Picture);
        int32_t px = look.PictureShiftLeft, py = look.PictureShiftTop;
        if (look.PictureHAlign == TPictureHAlignType::phaCenter)
            px += (w - p.Width) / 2;
        else if (look.PictureHAlign == TPictureHAlignType::phaRight)
            px += w - p.Width;
        if (look.PictureVAlign == TPictureVAlignType::pvaCenter)
            py += (h - p.Height) / 2;
        else if (look.PictureVAlign == TPictureVAlignType::pvaBottom)
            py += h - p.Height;
        host.Draw(cell.Picture, BumpMapPicture(), BlendingMode, x + px, y + py, PictureAlpha(), nullptr);
    }
    const int32_t tw = font->GetTextWidth(cell.Text);
    const int32_t fh = font->Height();
    int32_t tx = look.TextShiftLeft, ty = look.TextShiftTop;
    switch (look.Alignment) {
    case TTextAlignment::taLeft: break;
    case TTextAlignment::taCenter: tx += (w - tw) / 2; break;
    case TTextAlignment::taRight: tx += w - tw; break;
    case TTextAlignment::taJustify: tx = 0; break;
    }
    if (look.Layout == TTextLayout::tlCenter)
        ty += (h - fh) / 2;
    else if (look.Layout == TTextLayout::tlBottom)
        ty += h - fh;
    font->DrawText(x + tx, y + ty, colour, 255, cell.Text, 0);
}
