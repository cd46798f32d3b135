// Feeds arbitrary bytes to the text-keeping XML editor: unchanged, a kept text must be the
// input to the byte; then every element is changed in a way the input picks, and the
// result must read back as the changed document.
#include "foundation/XmlTextEdit.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// Changes each element by one of a few edits, chosen by the bytes of the input in turn.
void Edit(TQelXMLTag& tag, std::string_view choices, size_t& next)
{
    for (size_t i = 0; i < tag.Children.size(); ++i) {
        const unsigned char choice = choices.empty() ? 0 : static_cast<unsigned char>(choices[next++ % choices.size()]);
        TQelXMLTag& child = *tag.Children[i];
        switch (choice % 8) {
        case 0:
            if (!child.Attributes.empty())
                child.Attributes.front()->SetValue("changed");
            break;
        case 1:
            child.AddAttribute("Added", "1");
            break;
        case 2:
            child.DeleteAttribute(0);
            break;
        case 3:
            child.SetText(child.Text.empty() ? "new text" : std::string());
            break;
        case 4:
            child.AddChild("New")->AddAttribute("X", "1");
            break;
        case 5:
            tag.Children.insert(
                tag.Children.begin() + static_cast<long>(i), std::make_unique<TQelXMLTag>("Before", &tag, ""));
            ++i;
            break;
        default:
            break;
        }
        Edit(child, choices, next);
    }
    if (!choices.empty() && choices[next++ % choices.size()] % 5 == 0 && !tag.Children.empty())
        tag.DeleteChild(0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    {
        TXmlTextEdit unchanged(text);
        if (unchanged.KeepsText() && unchanged.Text() != text)
            std::abort();
    }
    TXmlTextEdit edit(text);
    size_t next = 0;
    Edit(edit.Document(), text.substr(0, 64), next);
    const std::string written = edit.Text();
    TQelParser back, fixed;
    back.LoadFromText(written);
    fixed.LoadFromText(edit.Document().SaveToString());
    if (back.SaveToString() != fixed.SaveToString())
        std::abort();
    return 0;
}
