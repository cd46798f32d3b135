// The tree: items of a small XML text shown as indented lines with expand and collapse
// pictures, item pictures and a selection bar; a slider may scroll it.
//
// The items live under the element "Items"; every element below it is an item with the
// attributes t (text), p (picture), c ("False": expanded) and s ("True": selected).
// Reading Text gives the items back with the expanded and selected states as changed.
#pragma once

#include "foundation/QelParser.h"
#include "interface/QelInterfaceObject.h"
#include "interface/QelScrollLink.h"

#include <memory>
#include <string>
#include <vector>

class TQelSlider;

// One shown line of the tree.
struct TTreeItem {
    TQelXMLTag* Item = nullptr;
    bool HasChildren = false;
    bool Collapsed = false;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t TextWidth = 0;
    std::u16string Text;
    std::string Picture;
    int32_t PictureWidth = 0;
    int32_t PictureHeight = 0;
};

class TQelTree : public TQelInterfaceObject, public IQelScrollable {
public:
    TQelTree();

    const char* ClassName() const override { return "TQelTree"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    void SetText(const std::string& value);
    std::string Text() const;
    void SetFontName(const std::string& value);
    const std::string& FontName() const { return fontName_; }
    void SetLineSpace(int32_t value);
    int32_t LineSpace() const { return lineSpace_; }
    void SetDeepIndent(int32_t value);
    int32_t DeepIndent() const { return deepIndent_; }
    void SetPicIndent(int32_t value);
    int32_t PicIndent() const { return picIndent_; }
    void SetTextIndent(int32_t value);
    int32_t TextIndent() const { return textIndent_; }
    void SetExpandedImage(const std::string& value);
    const std::string& ExpandedImage() const { return expandedImage_; }
    void SetLinkedObjectName(const std::string& value);
    const std::string& LinkedObjectName() const { return linkedObjectName_; }
    void SetHeight(int32_t value) override;

    // Lays the shown lines out again from the items.
    void Rebuild();
    void ScrollDown();
    void ScrollUp();
    // One line toward the first shown line n.
    void ScrollTo(int32_t n);
    // The item selected last by a click; none after a Text write.
    TQelXMLTag* SelectedNode() const { return selectedNode_; }
    void SelectNode(TQelXMLTag* item);
    void ToggleNode(TQelXMLTag* item);
    // Whether a is b's parent or one of its ancestors below "Items".
    bool IsAncestor(const TQelXMLTag* a, const TQelXMLTag* b) const;

    const std::vector<TTreeItem>& Lines() const { return lines_; }
    int32_t TopLine() const { return topLine_; }
    int32_t VisibleLines() const { return visibleLines_; }
    int32_t ShownCount() const { return shownCount_; }
    int32_t FilledCount() const { return filled_; }
    int32_t SelectedLine() const { return selectedLine_; }
    TQelSlider* LinkedSlider() const { return linkedSlider_; }

    // The slider link.
    void AttachSlider(TQelSlider& slider) override;
    int32_t MaxOnLink() const override { return shownCount_ - filled_; }
    std::optional<int32_t> MaxOnWrite() const override { return std::nullopt; }
    void FollowSlider(int32_t position) override { ScrollTo(position); }

    void Refresh() override;
    std::vector<std::string> GetPictures() const override;
    void ForgetObject(const TQelObject* dying) override;
    void MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void MouseWheel(uint32_t shift, int32_t delta, TPoint pos, bool& handled) override;
    void Draw() override;

    // Published, stored only.
    uint8_t Alpha = 255;
    int32_t Color = 0;
    int32_t ColorSelected = 0;
    std::string CollapsedImage;
    int32_t CursorColor = 0;
    uint8_t CursorAlpha = 255;

private:
    TQelXMLTag* Items() const;
    // Font height plus line space; 0 without a font.
    int32_t LineHeight() const;
    void UpdateVisibleLines();
    // Rebuilds, and goes back to the top when everything fits now but did not before.
    void RebuildAfterChange();
    void Walk(TQelXMLTag* item, int32_t depth, int32_t& counter, int32_t limit);
    int32_t CountShown(const TQelXMLTag* item) const;
    int32_t TextRoom() const;

    std::unique_ptr<TQelParser> document_;
    std::string fontName_;
    int32_t deepIndent_ = 30;
    int32_t picIndent_ = 3;
    int32_t textIndent_ = 3;
    int32_t lineSpace_ = 0;
    std::string expandedImage_;
    std::string linkedObjectName_;
    std::vector<TTreeItem> lines_;
    int32_t topLine_ = 0;
    int32_t visibleLines_ = 0;
    int32_t shownCount_ = 0;
    int32_t filled_ = 0;
    int32_t expandWidth_ = 0;
    int32_t expandHeight_ = 0;
    int32_t selectedLine_ = -1;
    TQelXMLTag* selectedNode_ = nullptr;
    TQelSlider* linkedSlider_ = nullptr;
};
