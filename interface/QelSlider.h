// Sliders: a scroll bar or volume slider with a thumb dragged along a track, page steps
// beside the thumb and two arrow buttons; one can scroll a linked grid or tree.
#pragma once

#include "interface/QelInterfaceObject.h"

#include <memory>
#include <string>
#include <vector>

class IQelScrollable;
class TQelLabel;
class TQelSliderButton;

enum class TTrackBarOrientation { trHorizontal, trVertical };
extern const std::vector<std::string> kTrackBarOrientationNames;

class TQelSlider : public TQelInterfaceObject {
public:
    TQelSlider();
    ~TQelSlider() override;

    const char* ClassName() const override { return "TQelSlider"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    // Clamps to Min..Max; a change queues OnChange. A linked grid or tree follows.
    void SetPosition(int32_t value);
    int32_t Position() const { return position_; }
    // While linked to a grid the grid decides the value.
    void SetMax(int32_t value);
    int32_t Max() const { return max_; }
    // Links the object of that name, when there is one; a grid or tree links back.
    void SetLinkedObjectName(const std::string& value);
    const std::string& LinkedObjectName() const { return linkedObjectName_; }
    void SetOrientation(TTrackBarOrientation value);
    TTrackBarOrientation Orientation() const { return orientation_; }

    // The arrow buttons' pictures: Up is the first button (top or left), Down the second.
    void SetUpPicture(const std::string& value);
    const std::string& UpPicture() const;
    void SetUpMouseOverPicture(const std::string& value);
    const std::string& UpMouseOverPicture() const;
    void SetUpMouseDownPicture(const std::string& value);
    const std::string& UpMouseDownPicture() const;
    void SetDownPicture(const std::string& value);
    const std::string& DownPicture() const;
    void SetDownMouseOverPicture(const std::string& value);
    const std::string& DownMouseOverPicture() const;
    void SetDownMouseDownPicture(const std::string& value);
    const std::string& DownMouseDownPicture() const;

    // For the linked grid or tree: values taken as they are, without the writers' effects.
    void StoreMax(int32_t value) { max_ = value; }
    void StorePosition(int32_t value) { position_ = value; }
    void StoreLinkedTree(TQelObject* object) { linkedTree_ = object; }
    void StoreLinkedObjectName(const std::string& value) { linkedObjectName_ = value; }
    TQelObject* LinkedTree() const { return linkedTree_; }

    // Where the thumb stands along the picture, in pixels from the picture's edge.
    int32_t ThumbOffset() const;
    bool Dragging() const { return dragging_; }
    bool MouseOver() const { return mouseOver_; }
    const TQelLabel& UpButton() const;
    const TQelLabel& DownButton() const;

    // Every move or resize lays the arrow buttons out again.
    void UpdatePosition() override;
    std::vector<std::string> GetPictures() const override;
    void ForgetObject(const TQelObject* dying) override;
    void MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void MouseMove(uint32_t shift, int32_t x, int32_t y) override;
    void MouseUp(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void Draw() override;

    // Published, stored only.
    std::string BarPicture;
    std::string MouseOverBarPicture;
    int32_t BarShiftLeft = 0;
    int32_t BarShiftTop = 0;
    int32_t Min = 0;
    int32_t Step = 0;
    int32_t BigStep = 0;
    std::string ButtonsSound;
    std::string OnChange;

private:
    IQelScrollable* Scrollable() const;
    bool Vertical() const { return orientation_ == TTrackBarOrientation::trVertical; }
    // The buttons live outside the engine but draw, measure and invalidate through it.
    TQelSliderButton& Button(int index) const;
    void LayOutButtons();
    // Position for a pointer at `along` (X or Y) while the thumb is dragged.
    void DragTo(int32_t along);

    std::string linkedObjectName_;
    TQelObject* linkedTree_ = nullptr;
    int32_t max_ = 0;
    int32_t position_ = 0;
    TTrackBarOrientation orientation_ = TTrackBarOrientation::trHorizontal;
    std::unique_ptr<TQelSliderButton> buttons_[2];
    bool dragging_ = false;
    bool mouseOver_ = false;
};
