// Player name cleaning and escaping.
#include "metagame/PlayerName.h"

#include "foundation/Text.h"
#include "metagame/Player.h"

namespace {

bool IsControl(unsigned char c)
{
    return c < 0x20 || c == 0x7F;
}

struct TEntity {
    std::string_view Text;
    char Character;
};

constexpr TEntity kEntities[] = {{"&amp;", '&'}, {"&quot;", '"'}, {"&lt;", '<'}, {"&gt;", '>'}};

}  // namespace

std::string SanitizePlayerName(std::string_view typed)
{
    std::string out;
    out.reserve(typed.size());
    for (char c : typed)
        if (!IsControl(static_cast<unsigned char>(c)))
            out += c;
    return out;
}

std::string TypedPlayerName(std::string_view caption)
{
    // Trimmed again after the cut, which may end on a space inside the name.
    return Trim(CutPlayerName(Trim(SanitizePlayerName(caption))));
}

std::string EncodeNameValue(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        bool named = false;
        for (const TEntity& entity : kEntities)
            if (entity.Character == c) {
                out += entity.Text;
                named = true;
                break;
            }
        if (named)
            continue;
        if (IsControl(u))
            out += "&#" + IntToStr(u) + ";";
        else
            out += c;
    }
    return out;
}

std::string DecodeNameValue(std::string_view stored)
{
    std::string out;
    out.reserve(stored.size());
    size_t i = 0;
    while (i < stored.size()) {
        if (stored[i] != '&') {
            out += stored[i++];
            continue;
        }
        std::string_view rest = stored.substr(i);
        bool decoded = false;
        for (const TEntity& entity : kEntities)
            if (rest.starts_with(entity.Text)) {
                out += entity.Character;
                i += entity.Text.size();
                decoded = true;
                break;
            }
        if (decoded)
            continue;
        // "&#n;" for the control characters the encoder writes that way.
        size_t semicolon = rest.find(';');
        if (rest.starts_with("&#") && semicolon != std::string_view::npos && semicolon > 2 && semicolon <= 5) {
            auto code = StrictInt(rest.substr(2, semicolon - 2));
            if (code && *code >= 0 && *code < 0x80 && IsControl(static_cast<unsigned char>(*code))) {
                out += static_cast<char>(*code);
                i += semicolon + 1;
                continue;
            }
        }
        out += stored[i++];
    }
    return out;
}

std::string NameCellText(std::string_view name)
{
    std::string shown;
    for (char c : name) {
        if (c == '"')
            shown += "''";
        else if (!IsControl(static_cast<unsigned char>(c)))
            shown += c;
    }
    return "Text=\"" + shown + "\";";
}
