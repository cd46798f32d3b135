// Labels (text in a bitmap font over a picture that follows the mouse; with scripts, the
// game's buttons), check boxes and radio buttons.
#pragma once

#include "interface/QelInterfaceObject.h"

#include <string>
#include <vector>

enum class TTextAlignment { taLeft, taCenter, taRight, taJustify };
enum class TTextLayout { tlTop, tlCenter, tlBottom };
enum class TBoxPlace { bpLeft, bpRight };

extern const std::vector<std::string> kTextAlignmentNames;
extern const std::vector<std::string> kTextLayoutNames;
extern const std::vector<std::string> kBoxPlaceNames;

// One line of a label's text (one word for rich labels).
struct TTextBlock {
    std::u16string Text;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Color = 0;
    int32_t MouseOverColor = 0;
    int32_t DisabledColor = 0;
    int32_t BlockColor = 0;
    uint8_t Alpha = 255;
    std::string FontName;
    int32_t Width = 0;
    int32_t SpaceCount = 0;  // spaces in the line; a space in the last place is not counted
    bool Floating = false;   // the line is indented beside the picture
};

// The caption with the second character of delimiter before every third digit, counted
// from the right, of each run of four or more digits.
std::u16string GroupDigits(std::u16string_view text, std::u16string_view delimiter);

class TQelLabel : public TQelInterfaceObject {
public:
    TQelLabel();

    const char* ClassName() const override { return "TQelLabel"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    void SetWidth(int32_t value) override;
    void SetPicture(const std::string& value) override;
    void UpdatePictureOffset() override;
    std::vector<std::string> GetPictures() const override;
    void Refresh() override;
    void ForgetObject(const TQelObject* dying) override;

    void SetCaption(const std::u16string& value);
    // The caption as given (before digit grouping).
    const std::u16string& Caption() const { return caption_; }
    // What is shown: the caption with its digits grouped when Delimiter is set.
    const std::u16string& DisplayedCaption() const { return shown_; }
    void SetFontName(const std::string& value);
    const std::string& FontName() const { return fontName_; }
    void SetMouseOverPicture(const std::string& value);
    const std::string& MouseOverPicture() const { return mouseOverPicture_; }
    void SetFormatCaption(const std::u16string& value);
    const std::u16string& FormatCaption() const { return formatCaption_; }
    void SetSourcesList(const std::string& value);
    const std::string& SourcesList() const { return sourcesList_; }
    void SetDelimiter(const std::u16string& value);
    const std::u16string& Delimiter() const { return delimiter_; }
    void SetAlpha(uint8_t value);
    uint8_t Alpha() const { return alpha_; }
    void SetAlignment(TTextAlignment value);
    TTextAlignment Alignment() const { return alignment_; }
    void SetLayout(TTextLayout value);
    TTextLayout Layout() const { return layout_; }
    void SetLineSpace(int32_t value);
    int32_t LineSpace() const { return lineSpace_; }
    void SetTextShiftLeft(int32_t value);
    int32_t TextShiftLeft() const { return textShiftLeft_; }
    void SetTextShiftTop(int32_t value);
    int32_t TextShiftTop() const { return textShiftTop_; }
    void SetFloating(bool value);
    bool Floating() const { return floating_; }
    void SetCharShiftAngle(int32_t value);
    int32_t CharShiftAngle() const { return charShiftAngle_; }

    // Cuts the displayed caption into lines that fit the text width.
    virtual void MakeTextBlocks();
    virtual void ApplyBlockColors();
    void PositionBlocks();
    // The width the text may use.
    virtual int32_t GetTextWidth() const;
    IQelTextFont* Font() const;
    const std::vector<TTextBlock>& Lines() const { return lines_; }
    bool MouseOver() const { return mouseOver_; }
    bool IsPressed() const { return pressed_; }
    TPoint MouseOverOffset() const { return mouseOverOffset_; }

    void MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void MouseMove(uint32_t shift, int32_t x, int32_t y) override;
    void MouseUp(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void KeyDown(uint16_t& key, uint32_t shift) override;
    void Draw() override;

    bool MakeTB = false;
    std::string MouseDownPicture;
    std::string MouseDownBumpMapPicture;
    int32_t Color = 0;
    int32_t MouseOverColor = 0;
    int32_t TextDownShiftLeft = 0;
    int32_t TextDownShiftTop = 0;
    bool Enabled = true;
    int32_t DisabledColor = 0x808080;
    std::u16string Hint;

protected:
    // Rebuilds the lines and their places after the text or the box changed.
    void Relayout();
    void RebuildFromSources();
    void UpdateDestinations();
    // Draws every line with its base point moved by (dx, dy); justification and slant
    // only where allowed.
    void DrawLines(int32_t colour, int32_t dx, int32_t dy, bool allowSlant);
    void DrawJustified(IQelTextFont& font, const TTextBlock& line, int32_t x, int32_t y, int32_t colour,
                       int32_t indent);
    void DrawSlanted(IQelTextFont& font, const TTextBlock& line, int32_t x, int32_t y, int32_t colour);
    // The picture used to measure the picture offset.
    virtual std::string MeasuredPicture() const;

    std::vector<TTextBlock> lines_;
    bool mouseOver_ = false;
    bool pressed_ = false;
    TPoint mouseOverOffset_;

private:
    std::u16string caption_;
    std::u16string shown_;
    std::string fontName_ = "QelUnicode";
    std::string mouseOverPicture_;
    std::u16string formatCaption_;
    std::string sourcesList_;
    std::u16string delimiter_;
    uint8_t alpha_ = 255;
    TTextAlignment alignment_ = TTextAlignment::taLeft;
    TTextLayout layout_ = TTextLayout::tlTop;
    int32_t lineSpace_ = 0;
    int32_t textShiftLeft_ = 0;
    int32_t textShiftTop_ = 0;
    bool floating_ = false;
    int32_t charShiftAngle_ = 0;
    std::vector<TQelLabel*> sources_;
    std::vector<TQelLabel*> destinations_;
    // A caption rebuilt from sources that leads back to this label stops here.
    bool rebuilding_ = false;
};

class TQelCheckBox : public TQelLabel {
public:
    const char* ClassName() const override { return "TQelCheckBox"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    void SetChecked(bool value);
    bool Checked() const { return checked_; }
    int32_t GetTextWidth() const override;
    void MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void MouseUp(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void Draw() override;

    TBoxPlace BoxPlace = TBoxPlace::bpLeft;

private:
    bool checked_ = false;
};

class TQelRadioButton : public TQelLabel {
public:
    const char* ClassName() const override { return "TQelRadioButton"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    // Checking one unchecks the others of its RadioGroup on the same form.
    void SetChecked(bool value);
    bool Checked() const { return checked_; }
    void MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void MouseUp(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void UpdatePictureOffset() override;
    void Draw() override;

    int32_t CheckedColor = 0;
    TBoxPlace BoxPlace = TBoxPlace::bpLeft;
    int32_t RadioGroup = 0;

private:
    bool checked_ = false;
};
