// The game's handlers for the script command ExecMethod, by method name. Each screen
// registers its own handlers from its own file; the table outlives interface reloads.
#pragma once

#include <functional>
#include <map>
#include <string>

class TQelInterfaceEngine;

// A handler gets the engine that ran the script; ScriptSenderName() tells which widget.
using TQelMethod = std::function<void(TQelInterfaceEngine& engine)>;

class TQelMethodTable {
public:
    // False, and the first handler kept, when the name is taken: two screens answering
    // one button would be a fault of the screens, never something to settle silently.
    bool Register(const std::string& name, TQelMethod method) { return methods_.emplace(name, std::move(method)).second; }
    void Unregister(const std::string& name) { methods_.erase(name); }
    bool Has(const std::string& name) const { return methods_.count(name) != 0; }
    // Runs the handler of that exact name; false when there is none.
    bool Call(const std::string& name, TQelInterfaceEngine& engine) const
    {
        if (OnCall)
            OnCall(name);
        auto it = methods_.find(name);
        if (it == methods_.end())
            return false;
        // A copy, so a handler may register or remove handlers while it runs.
        TQelMethod method = it->second;
        method(engine);
        return true;
    }
    size_t Count() const { return methods_.size(); }

    // Told of every call, known handler or not (developer traces).
    std::function<void(const std::string& name)> OnCall;

private:
    std::map<std::string, TQelMethod> methods_;
};
