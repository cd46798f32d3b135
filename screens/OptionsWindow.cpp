// The options window's handlers.
#include "screens/OptionsWindow.h"

#include "audio/SoundEngine.h"
#include "foundation/Text.h"
#include "interface/QelInterfaceEngine.h"

#include <array>

namespace {

constexpr const char* kWindow = "WOptions";
constexpr const char* kMusicSlider = "WOptions_SMusicVolume";
constexpr const char* kSoundSlider = "WOptions_SSoundVolume";
constexpr const char* kFullScreenBox = "WOptions_CBFullScreen";
constexpr const char* kDepthBox = "WOptions_CB32bitColor";
constexpr const char* kHintsOffBox = "WOptions_CBHintsOff";
constexpr const char* kStaySelectBox = "WOptions_CBStaySelect";
constexpr const char* kClickSound = "Click";

const char* BoolText(bool value) { return value ? "True" : "False"; }

constexpr std::array<TScreenMethod<TOptionsWindow>, 6> kMethods{{
    {"WOptions_CBFullScreen_MouseUp", &TOptionsWindow::WOptions_CBFullScreen_MouseUp},
    {"WOptions_CB32bitColor_MouseUp", &TOptionsWindow::WOptions_CB32bitColor_MouseUp},
    {"WOptions_SMusicVolume_Change", &TOptionsWindow::WOptions_SMusicVolume_Change},
    {"WOptions_SSoundVolume_Change", &TOptionsWindow::WOptions_SSoundVolume_Change},
    {"WOptions_BOk_MouseUp", &TOptionsWindow::WOptions_BOk_MouseUp},
    {"WOptions_BCancel_MouseUp", &TOptionsWindow::WOptions_BCancel_MouseUp},
}};

}  // namespace

TOptionsWindow::TOptionsWindow(TScreenContext& context)
    : c_(context), methods_(context.Methods, *this, std::span<const TScreenMethod<TOptionsWindow>>(kMethods))
{
}

void TOptionsWindow::Open()
{
    pendingFullScreen_ = c_.Options.FullScreenMode;
    pendingBits_ = c_.Options.BitsPerPixel;
    openMusicVolume_ = c_.Options.MusicVolume;
    openSoundVolume_ = c_.Options.SoundVolume;
    clickOnRelease_ = false;
    Fill();
    c_.Interface.ShowModal(kWindow);
}

void TOptionsWindow::Fill()
{
    // Setting the sliders queues their change scripts; those must not count as the
    // player moving them.
    filling_ = true;
    TQelInterfaceEngine& ui = c_.Interface;
    const bool fullScreen = c_.Options.IsFullScreen();
    ui.SetObjectProperty(kMusicSlider, "Position", IntToStr(c_.Options.MusicVolume));
    ui.SetObjectProperty(kSoundSlider, "Position", IntToStr(c_.Options.SoundVolume));
    ui.SetObjectProperty(kFullScreenBox, "Checked", BoolText(fullScreen));
    ui.SetObjectProperty(kDepthBox, "Enabled", BoolText(fullScreen));
    ui.SetObjectProperty(kDepthBox, "Checked", BoolText(c_.Options.BitsPerPixel == 32));
    ui.SetObjectProperty(kHintsOffBox, "Checked", BoolText(c_.Options.HintsMode != 1));
    ui.SetObjectProperty(kStaySelectBox, "Checked", BoolText(c_.Options.StaySelect != 1));
    ui.RunScripts();
    filling_ = false;
}

void TOptionsWindow::MouseUp()
{
    if (!clickOnRelease_)
        return;
    clickOnRelease_ = false;
    c_.Sounds.PlaySound(kClickSound);
}

bool TOptionsWindow::Checked(const char* box) const
{
    return Trim(VariantToString(c_.Interface.GetObjectValue(box, "Checked"))) == "True";
}

int TOptionsWindow::Position(const char* slider) const
{
    return static_cast<int>(VariantToInt(c_.Interface.GetObjectValue(slider, "Position")));
}

void TOptionsWindow::WOptions_CBFullScreen_MouseUp()
{
    pendingFullScreen_ = Checked(kFullScreenBox) ? 1 : 0;
}

void TOptionsWindow::WOptions_CB32bitColor_MouseUp()
{
    pendingBits_ = Checked(kDepthBox) ? 32 : 16;
}

void TOptionsWindow::WOptions_SMusicVolume_Change()
{
    if (filling_)
        return;
    c_.Options.MusicVolume = std::clamp(Position(kMusicSlider), 0, 100);
    c_.Sounds.ApplyVolumes(c_.Options.MusicVolume, c_.Options.SoundVolume);
}

void TOptionsWindow::WOptions_SSoundVolume_Change()
{
    if (filling_)
        return;
    c_.Options.SoundVolume = std::clamp(Position(kSoundSlider), 0, 100);
    c_.Sounds.ApplyVolumes(c_.Options.MusicVolume, c_.Options.SoundVolume);
    c_.Sounds.PlaySound(kClickSound);
    clickOnRelease_ = true;
}

void TOptionsWindow::WOptions_BOk_MouseUp()
{
    if (pendingFullScreen_ != c_.Options.FullScreenMode)
        c_.Commands.ChangeWindowMode();
    c_.Options.HintsMode = Checked(kHintsOffBox) ? 0 : 1;
    c_.Options.StaySelect = Checked(kStaySelectBox) ? 0 : 1;
    c_.Commands.SaveOptions();
    if (c_.Options.IsFullScreen() && pendingBits_ != c_.Options.BitsPerPixel) {
        c_.Options.BitsPerPixel = pendingBits_;
        c_.Commands.SaveOptions();
        c_.Commands.ChangeDepth();
    }
    Close();
}

void TOptionsWindow::WOptions_BCancel_MouseUp()
{
    c_.Options.MusicVolume = openMusicVolume_;
    c_.Options.SoundVolume = openSoundVolume_;
    c_.Sounds.ApplyVolumes(c_.Options.MusicVolume, c_.Options.SoundVolume);
    pendingFullScreen_ = c_.Options.FullScreenMode;
    pendingBits_ = c_.Options.BitsPerPixel;
    Fill();
    Close();
}

void TOptionsWindow::Close()
{
    clickOnRelease_ = false;
    if (const auto* form = dynamic_cast<const TQelForm*>(c_.Interface.GetObjectByName(kWindow));
        form && c_.Interface.IsShown(form))
        c_.Interface.HideModal(kWindow);
}
