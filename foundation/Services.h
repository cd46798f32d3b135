// Small services the platform provides to the engine and the game, each with a plain
// stand-in for tests and headless runs. No platform type crosses these interfaces.
#pragma once

#include <string>
#include <vector>

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // Modal: returns when the player has closed the box.
    virtual void Show(const std::string& title, const std::string& text) = 0;
};

class IClipboard {
public:
    virtual ~IClipboard() = default;
    virtual std::string GetText() = 0;  // UTF-8, empty when there is none
    virtual void SetText(const std::string& text) = 0;
};

class IUrlOpener {
public:
    virtual ~IUrlOpener() = default;
    virtual bool Open(const std::string& url) = 0;
};

// Remembers every box instead of showing it: tests and headless runs never block.
class TRecordingMessageBox final : public IMessageBox {
public:
    struct Shown {
        std::string Title, Text;
    };
    void Show(const std::string& title, const std::string& text) override { Boxes.push_back({title, text}); }
    std::vector<Shown> Boxes;
};

class TMemoryClipboard final : public IClipboard {
public:
    std::string GetText() override { return Text; }
    void SetText(const std::string& text) override { Text = text; }
    std::string Text;
};

class TRecordingUrlOpener final : public IUrlOpener {
public:
    bool Open(const std::string& url) override
    {
        Opened.push_back(url);
        return true;
    }
    std::vector<std::string> Opened;
};
