// Message boxes, clipboard and address opening through SDL.
#include "platform/SdlServices.h"

#include <SDL.h>

#include <cstdio>

void TSdlMessageBox::Show(const std::string& title, const std::string& text)
{
    const char* caption = title.empty() ? "Glimmora" : title.c_str();
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text.c_str(), parent_) != 0)
        std::fprintf(stderr, "%s: %s\n", caption, text.c_str());
}

void TConsoleMessageBox::Show(const std::string& title, const std::string& text)
{
    std::fprintf(stderr, "%s: %s\n", title.empty() ? "Glimmora" : title.c_str(), text.c_str());
}

std::string TSdlClipboard::GetText()
{
    if (!SDL_HasClipboardText())
        return {};
    char* text = SDL_GetClipboardText();
    if (!text)
        return {};
    std::string result(text);
    SDL_free(text);
    return result;
}

void TSdlClipboard::SetText(const std::string& text)
{
    SDL_SetClipboardText(text.c_str());
}

bool TSdlUrlOpener::Open(const std::string& url)
{
    return SDL_OpenURL(url.c_str()) == 0;
}
