// Feeds arbitrary bytes to the XML reader, then writes and re-reads what it built.
#include "foundation/QelParser.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TQelParser document;
    document.LoadFromText(std::string_view(reinterpret_cast<const char*>(data), size));
    std::string text = document.SaveToString();
    TQelParser again;
    again.LoadFromText(text);
    // Selectors come from data too (interface files); exercise them on what was read.
    if (document.ChildCount() > 0) {
        std::string_view selector(reinterpret_cast<const char*>(data), size < 24 ? size : 24);
        document.FindChild(selector);
        document.GetChild(0)->FindAttribute(selector);
        document.FindChildByName(selector);
    }
    return 0;
}
