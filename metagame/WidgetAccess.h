// The two calls the records use to reach a widget by its flat name: set a property from
// text and read one back. The interface engine provides them; tests record them.
#pragma once

#include "foundation/QelBaseClasses.h"

#include <string>

class IWidgetAccess {
public:
    virtual ~IWidgetAccess() = default;
    // False when no object has that name (then nothing happens).
    virtual bool SetObjectProperty(const std::string& objectName, const std::string& propName,
                                   const std::string& value) = 0;
    // Empty when no object has that name.
    virtual TQelVariant GetObjectValue(const std::string& objectName, const std::string& propName) const = 0;
};

// Property access through an engine of named objects (the interface engine derives from it).
class TEngineWidgetAccess final : public IWidgetAccess {
public:
    explicit TEngineWidgetAccess(TQelEngine& engine) : engine_(engine) {}
    bool SetObjectProperty(const std::string& objectName, const std::string& propName,
                           const std::string& value) override
    {
        return engine_.SetObjectProperty(objectName, propName, value);
    }
    TQelVariant GetObjectValue(const std::string& objectName, const std::string& propName) const override
    {
        return engine_.GetObjectValue(objectName, propName);
    }

private:
    TQelEngine& engine_;
};

// Headless runs and tools: no widget exists, every write finds nothing.
class TNoWidgets final : public IWidgetAccess {
public:
    bool SetObjectProperty(const std::string&, const std::string&, const std::string&) override { return false; }
    TQelVariant GetObjectValue(const std::string&, const std::string&) const override { return {}; }
};

// The Caption of a widget as UTF-8 text; empty when the widget does not exist.
inline std::string GetCaption(const IWidgetAccess& widgets, const std::string& name)
{
    return VariantToString(widgets.GetObjectValue(name, "Caption"));
}

inline void SetCaption(IWidgetAccess& widgets, const std::string& name, const std::string& text)
{
    widgets.SetObjectProperty(name, "Caption", text);
}

inline void SetEnabled(IWidgetAccess& widgets, const std::string& name, bool enabled)
{
    widgets.SetObjectProperty(name, "Enabled", enabled ? "True" : "False");
}
