// A screen's ExecMethod handlers: one table of {name, member} rows per screen file,
// registered while the screen object lives and removed when it goes.
#pragma once

#include "foundation/QelBaseClasses.h"
#include "interface/QelMethodTable.h"

#include <span>
#include <string>
#include <vector>

template <class TOwner>
struct TScreenMethod {
    const char* Name;
    void (TOwner::*Member)();
};

class TScreenMethods {
public:
    // Raises TQelException when a name is registered already: two screens must never
    // answer the same button.
    template <class TOwner>
    TScreenMethods(TQelMethodTable& table, TOwner& owner, std::span<const TScreenMethod<TOwner>> rows) : table_(table)
    {
        for (const TScreenMethod<TOwner>& row : rows) {
            auto member = row.Member;
            if (!table_.Register(row.Name, [&owner, member](TQelInterfaceEngine&) { (owner.*member)(); })) {
                Remove();
                throw TQelException(std::string("Exception error in [TScreenMethods] handler ") + row.Name +
                                    " registered twice");
            }
            names_.emplace_back(row.Name);
        }
    }
    ~TScreenMethods() { Remove(); }
    TScreenMethods(const TScreenMethods&) = delete;
    TScreenMethods& operator=(const TScreenMethods&) = delete;

private:
    void Remove()
    {
        for (const std::string& name : names_)
            table_.Unregister(name);
        names_.clear();
    }

    TQelMethodTable& table_;
    std::vector<std::string> names_;
};
