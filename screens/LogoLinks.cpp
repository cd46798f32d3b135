// The logo labels of "AddLogo.xml" and the safety test in front of the desktop's opener.
#include "screens/LogoLinks.h"

#include "foundation/DataSource.h"
#include "foundation/Files.h"
#include "foundation/QelLog.h"
#include "foundation/QelParser.h"
#include "foundation/Services.h"
#include "foundation/Text.h"
#include "graphics/SurfEngine.h"
#include "interface/QelForm.h"
#include "interface/QelInterfaceEngine.h"
#include "screens/LanguageWindow.h"
#include "text/QelFont.h"
#include "text/QelFontEngine.h"

#include <array>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr const char* kLogoPrefix = "AddLogo";
constexpr const char* kLogoScript = "ExecMethod Method=\"AddLogoMouseUp\";";
constexpr const char* kLogoFont = "QelUnicode";
constexpr const char* kOpaque = "255";

constexpr std::array<TScreenMethod<TLogoLinks>, 1> kMethods{{
    {"AddLogoMouseUp", &TLogoLinks::AddLogoMouseUp},
}};

// Addresses the desktop opens in a browser or a mail program, never as a program.
bool IsWebAddress(std::string_view target)
{
    for (std::string_view scheme : {"http://", "https://", "mailto:"})
        if (StartsWithNoCase(target, scheme) && target.size() > scheme.size()) {
            // Spaces and control characters have no place in an address; an opener
            // might cut the text there and read the rest as something else.
            for (unsigned char ch : target)
                if (ch <= ' ' || ch == 0x7F)
                    return false;
            return true;
        }
    return false;
}

bool IsDocumentName(std::string_view name)
{
    const std::string lower = AsciiLower(name);
    for (std::string_view extension : {".htm", ".html", ".pdf", ".txt"})
        if (lower.ends_with(extension))
            return true;
    return false;
}

std::string PercentEncodedPath(const fs::path& path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char ch : path.string()) {
        const bool plain = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
                           ch == '/' || ch == '-' || ch == '_' || ch == '.' || ch == '~';
        if (plain) {
            encoded += static_cast<char>(ch);
        } else {
            encoded += '%';
            encoded += kHex[ch >> 4];
            encoded += kHex[ch & 0x0F];
        }
    }
    return encoded;
}

// The "URL=" line of an internet shortcut.
std::string ShortcutAddress(const fs::path& file)
{
    std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(file);
    if (!bytes)
        return {};
    std::istringstream lines(std::string(bytes->begin(), bytes->end()));
    for (std::string line; std::getline(lines, line);) {
        const std::string trimmed = Trim(line);
        if (StartsWithNoCase(trimmed, "URL="))
            return Trim(std::string_view(trimmed).substr(4));
    }
    return {};
}

int32_t AttributeInt(const TQelXMLTag& tag, std::string_view name, bool& ok)
{
    const std::optional<int64_t> value = StrictInt(Trim(tag.AttributeValue(name)));
    if (!value || *value < INT32_MIN || *value > INT32_MAX) {
        ok = false;
        return 0;
    }
    return static_cast<int32_t>(*value);
}

}  // namespace

std::optional<std::string> SafeLinkTarget(const TLogoLink& link, const fs::path& programFolder, std::string* why)
{
    auto refuse = [&](const std::string& reason) -> std::optional<std::string> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (!link.InProgramFolder)
        return IsWebAddress(link.Target) ? std::optional<std::string>(link.Target)
                                         : refuse("only http:, https: and mailto: addresses open");
    if (!IsBareFileName(link.Target))
        return refuse("a document of the program folder is named by its bare name");
    const fs::path file = programFolder / link.Target;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return refuse("there is no such document in the program folder");
    if (AsciiLower(link.Target).ends_with(".url")) {
        const std::string address = ShortcutAddress(file);
        if (!IsWebAddress(address))
            return refuse("the shortcut's address is not an http:, https: or mailto: address");
        return address;
    }
    if (!IsDocumentName(link.Target))
        return refuse("only documents (htm, html, pdf, txt) of the program folder open");
    return "file://" + PercentEncodedPath(fs::absolute(file, ec).lexically_normal());
}

TLogoLinks::TLogoLinks(TScreenContext& context)
    : c_(context), methods_(context.Methods, *this, std::span<const TScreenMethod<TLogoLinks>>(kMethods))
{
}

std::string TLogoLinks::ResolveRegistryPath(const std::string& path) const
{
    // "ROOT\key\path.value": the root is dropped; key and value live in the settings file.
    const size_t slash = path.find('\\');
    if (slash == std::string::npos)
        return path;
    const std::string rest = path.substr(slash + 1);
    const size_t dot = rest.find('.');
    if (dot == std::string::npos)
        return path;
    return ReadSettingValue(c_.UserFolder / kSettingsFileName, rest.substr(0, dot), rest.substr(dot + 1)).value_or("");
}

void TLogoLinks::LoadLogoLinks(const fs::path& path)
{
    std::error_code ec;
    if (!fs::exists(path, ec))
        return;
    LogAndCarryOn(c_.Log, "Error LoadLogoLinks", [&] {
        std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(path);
        TQelParser document;
        if (bytes)
            document.LoadFromText(std::string(bytes->begin(), bytes->end()));
        if (document.ChildCount() == 0)
            throw TQelException(path.string() + "XML file does not has tags!");
        const TQelXMLTag& root = *document.GetChild(0);
        links_.assign(root.ChildCount(), TLogoLink{});
        pictures_.clear();
        for (size_t i = 0; i < root.ChildCount(); ++i) {
            const TQelXMLTag& entry = *root.GetChild(static_cast<long>(i));
            if (const TQelXMLTag* url = entry.GetChildByName("URL")) {
                const std::string text = Trim(url->Text);
                const std::string source = url->AttributeValue("Source");
                if (!url->GetAttributeByName("Source"))
                    links_[i] = {text, true};
                else if (EqualsNoCase(source, "registry"))
                    links_[i] = {ResolveRegistryPath(text), false};
                else
                    links_[i] = {text, false};
            }
            if (entry.Name == "Logo")
                PlaceLogo(i, entry);
        }
    });
}

std::string TLogoLinks::LoadLogoPicture(const std::string& name)
{
    const std::string lower = AsciiLower(Trim(name));
    if (lower.empty())
        return {};
    if (c_.Surfaces.IndexOfSurface(lower) < 0) {
        // A logo picture comes with the game's data or lies beside the program; either way
        // it is named by a bare name.
        const fs::path file = c_.ProgramFolder / lower;
        std::error_code ec;
        bool loaded = false;
        if (IsBareFileName(lower) && c_.Data.Exists(lower))
            loaded = c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, lower, lower);
        else if (IsBareFileName(lower) && fs::is_regular_file(file, ec))
            loaded = lower.ends_with("png") ? c_.Surfaces.LoadPngFromFile(lower, file)
                                            : c_.Surfaces.LoadJpgFromFile(lower, file);
        if (!loaded) {
            c_.Log.WriteLog("Error LoadLogoLinks: the picture \"" + name + "\" does not load");
            return {};
        }
        pictures_.push_back(lower);
    }
    return lower;
}

void TLogoLinks::PlaceLogo(size_t index, const TQelXMLTag& entry)
{
    TQelInterfaceEngine& ui = c_.Interface;
    const TQelXMLTag* position = entry.GetChildByName("Position");
    const TQelXMLTag* parentTag = entry.GetChildByName("Parent");
    if (!position || !parentTag || !position->GetAttributeByName("x") || !position->GetAttributeByName("y"))
        return;
    bool ok = true;
    const int32_t x = AttributeInt(*position, "x", ok);
    const int32_t y = AttributeInt(*position, "y", ok);
    const std::string parentName = Trim(parentTag->Text);
    auto* parent = dynamic_cast<TQelForm*>(ui.GetObjectByName(parentName));
    if (!ok || !parent)
        return;
    const std::string name = kLogoPrefix + std::to_string(index);
    if (!ui.GetObjectByName(name)) {
        if (ui.AddObject(name, parentName, "TQelLabel") < 0)
            return;
        ui.SetObjectProperty(name, "Alpha", kOpaque);
        ui.SetObjectProperty(name, "PictureAlpha", kOpaque);
        ui.SetParents();
        parent->CollectChilds();
        parent->Refresh();
    }
    ui.SetObjectProperty(name, "Left", std::to_string(x));
    ui.SetObjectProperty(name, "Top", std::to_string(y));

    std::string picture;
    if (const TQelXMLTag* tag = entry.GetChildByName("Picture"))
        picture = LoadLogoPicture(tag->Text);
    ui.SetObjectProperty(name, "Picture", picture);
    if (int32_t w = 0, h = 0; !picture.empty() && c_.Surfaces.GetSurfaceSize(picture, w, h)) {
        ui.SetObjectProperty(name, "Width", std::to_string(w));
        ui.SetObjectProperty(name, "Height", std::to_string(h));
    }
    std::string over = picture, down = picture;
    if (const TQelXMLTag* tag = entry.GetChildByName("PictureMouseOn"))
        if (std::string loaded = LoadLogoPicture(tag->Text); !loaded.empty())
            over = loaded;
    if (const TQelXMLTag* tag = entry.GetChildByName("PictureMouseDown"))
        if (std::string loaded = LoadLogoPicture(tag->Text); !loaded.empty())
            down = loaded;
    ui.SetObjectProperty(name, "MouseOverPicture", over);
    ui.SetObjectProperty(name, "MouseDownPicture", down);
    ui.SetObjectProperty(name, "Visible", "True");

    std::string caption;
    if (const TQelXMLTag* tag = entry.GetChildByName("Caption")) {
        caption = Trim(tag->Text);
        if (!picture.empty())
            ui.SetObjectProperty(name, "AutoSize", "asPicture");
        ui.SetObjectProperty(name, "FontName", kLogoFont);
        if (const TQelFont* font = c_.Fonts.GetFontByName(kLogoFont)) {
            ui.SetObjectProperty(name, "Width", std::to_string(font->GetTextWidth(Utf8ToUtf16(caption))));
            ui.SetObjectProperty(name, "Height", std::to_string(font->Height));
        }
    }
    ui.SetObjectProperty(name, "Caption", caption);
    if (const TQelXMLTag* colour = entry.GetChildByName("Color")) {
        bool colourOk = true;
        if (colour->GetAttributeByName("Caption"))
            if (const int32_t value = AttributeInt(*colour, "Caption", colourOk); colourOk)
                ui.SetObjectProperty(name, "Color", std::to_string(value));
        colourOk = true;
        if (colour->GetAttributeByName("MouseOverCaption"))
            if (const int32_t value = AttributeInt(*colour, "MouseOverCaption", colourOk); colourOk)
                ui.SetObjectProperty(name, "MouseOverColor", std::to_string(value));
    }
    if (entry.GetChildByName("URL"))
        ui.SetObjectProperty(name, "OnMouseUp", kLogoScript);
}

void TLogoLinks::AddLogoMouseUp()
{
    const std::string& sender = c_.Interface.ScriptSenderName();
    if (!sender.starts_with(kLogoPrefix))
        return;
    const std::optional<int64_t> number = StrictInt(std::string_view(sender).substr(std::string_view(kLogoPrefix).size()));
    if (!number || *number < 0 || static_cast<uint64_t>(*number) >= links_.size())
        return;
    const TLogoLink& link = links_[static_cast<size_t>(*number)];
    std::string why;
    const std::optional<std::string> target = SafeLinkTarget(link, c_.ProgramFolder, &why);
    if (!target) {
        c_.Log.WriteLog("Error AddLogoMouseUp: \"" + link.Target + "\" not opened: " + why);
        return;
    }
    if (!opener_ || !opener_->Open(*target))
        c_.Log.WriteLog("Error AddLogoMouseUp: the desktop did not open \"" + *target + "\"");
}
