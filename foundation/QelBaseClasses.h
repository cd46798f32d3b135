// Named objects owned by an engine, created from a registered class name and changed
// through published properties given as text; the engine's exception with its logged
// error chains.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

class TQelEngine;
class TQelObject;

// ---------------------------------------------------------------------------------------
// Exceptions and error chains

// Every TQelException writes its message to the engine log the moment it is made, so one
// failure deep inside leaves a chain of lines, the innermost first.
class TQelException : public std::runtime_error {
public:
    explicit TQelException(const std::string& message);
};

// "Exception error in [" + where + "]"
std::string QelErrorText(std::string_view where);

// Runs body; whatever escapes it is replaced by a TQelException with the given message.
// The one place where engine entry points wrap their bodies.
template <class F>
decltype(auto) QelGuardMessage(const std::string& message, F&& body)
{
    try {
        return std::forward<F>(body)();
    } catch (...) {
        throw TQelException(message);
    }
}

// Runs body; whatever escapes it is logged as a TQelException with the given message (the
// chain in the engine log) and failed is returned instead: an operation whose caller takes
// a failure value rather than an exception.
template <class R, class F>
R QelGuardOr(const std::string& message, R failed, F&& body)
{
    try {
        return std::forward<F>(body)();
    } catch (...) {
        TQelException logged(message);
        return failed;
    }
}

template <class F>
decltype(auto) QelGuard(std::string_view where, F&& body)
{
    try {
        return std::forward<F>(body)();
    } catch (...) {
        throw TQelException(QelErrorText(where));
    }
}

// ---------------------------------------------------------------------------------------
// Published properties

enum class TQelPropType { Integer, Byte, Cardinal, Enumeration, String, WideString };

// A property value as read by name: integers as numbers, enumerations as identifiers,
// strings as (UTF-8) strings; empty when there was nothing to read.
using TQelVariant = std::variant<std::monostate, int64_t, std::string>;
std::string VariantToString(const TQelVariant& value);
int64_t VariantToInt(const TQelVariant& value);

struct TQelPropInfo {
    std::string Name;
    TQelPropType Type = TQelPropType::Integer;
    std::vector<std::string> EnumNames;  // identifiers by ordinal value
    std::function<int64_t(const TQelObject&)> GetOrd;  // numbers and enumerations
    std::function<void(TQelObject&, int64_t)> SetOrd;
    std::function<std::string(const TQelObject&)> GetText;  // strings; wide ones as UTF-8
    std::function<void(TQelObject&, const std::string&)> SetText;
};

// The published properties of one class, after those of its base class.
class TQelPropTable {
public:
    explicit TQelPropTable(const TQelPropTable* base = nullptr) : base_(base) {}

    // Found without regard to case; a class's own row hides its base's of that name.
    const TQelPropInfo* Find(std::string_view name) const;
    // The base's rows first, each class's in publishing order.
    std::vector<const TQelPropInfo*> All() const;
    void Add(TQelPropInfo info) { rows_.push_back(std::move(info)); }

private:
    const TQelPropTable* base_;
    std::vector<TQelPropInfo> rows_;
};

// Converts text by the property's type and writes it. Throws std::runtime_error for a
// number that does not parse or is out of the type's range, and for an unknown
// enumeration identifier.
void SetPropValue(TQelObject& object, const TQelPropInfo& property, const std::string& text);
TQelVariant GetPropValue(const TQelObject& object, const TQelPropInfo& property);

extern const std::vector<std::string> kBooleanNames;  // "False", "True"

// Declares the rows of class C's table. Getters and setters are anything std::invoke
// takes: data members, member functions or lambdas.
template <class C>
class TQelPropsOf {
public:
    explicit TQelPropsOf(TQelPropTable& table) : table_(table) {}

    template <class Get, class Set>
    TQelPropsOf& Integer(std::string name, Get get, Set set) { return Number(std::move(name), TQelPropType::Integer, get, set); }
    template <class Get, class Set>
    TQelPropsOf& Byte(std::string name, Get get, Set set) { return Number(std::move(name), TQelPropType::Byte, get, set); }
    template <class Get, class Set>
    TQelPropsOf& Cardinal(std::string name, Get get, Set set) { return Number(std::move(name), TQelPropType::Cardinal, get, set); }
    template <class Get, class Set>
    TQelPropsOf& Boolean(std::string name, Get get, Set set) { return Enumeration(std::move(name), kBooleanNames, get, set); }

    template <class Get, class Set>
    TQelPropsOf& Enumeration(std::string name, std::vector<std::string> identifiers, Get get, Set set)
    {
        using T = std::decay_t<std::invoke_result_t<Get, const C&>>;
        TQelPropInfo info;
        info.Name = std::move(name);
        info.Type = TQelPropType::Enumeration;
        info.EnumNames = std::move(identifiers);
        info.GetOrd = [get](const TQelObject& o) { return static_cast<int64_t>(std::invoke(get, static_cast<const C&>(o))); };
        info.SetOrd = [set](TQelObject& o, int64_t v) { Assign(set, static_cast<C&>(o), static_cast<T>(v)); };
        table_.Add(std::move(info));
        return *this;
    }

    template <class Get, class Set>
    TQelPropsOf& String(std::string name, Get get, Set set) { return Text(std::move(name), TQelPropType::String, get, set); }
    template <class Get, class Set>
    TQelPropsOf& WideString(std::string name, Get get, Set set) { return Text(std::move(name), TQelPropType::WideString, get, set); }

    // A field read and written directly; its C++ type chooses the property type.
    template <class T>
    TQelPropsOf& Field(std::string name, T C::*field)
    {
        if constexpr (std::is_same_v<T, bool>)
            return Boolean(std::move(name), field, field);
        else if constexpr (std::is_same_v<T, uint8_t>)
            return Byte(std::move(name), field, field);
        else if constexpr (std::is_same_v<T, uint32_t>)
            return Cardinal(std::move(name), field, field);
        else if constexpr (std::is_integral_v<T>)
            return Integer(std::move(name), field, field);
        else if constexpr (std::is_same_v<T, std::u16string>)
            return WideString(std::move(name), field, field);
        else
            return String(std::move(name), field, field);
    }
    template <class E>
        requires std::is_enum_v<E>
    TQelPropsOf& Field(std::string name, E C::*field, std::vector<std::string> identifiers)
    {
        return Enumeration(std::move(name), std::move(identifiers), field, field);
    }

private:
    // A setter may be a data member (assigned) or something to call with the value.
    template <class Set, class T>
    static void Assign(Set set, C& object, T&& value)
    {
        if constexpr (std::is_member_object_pointer_v<Set>)
            object.*set = std::forward<T>(value);
        else
            std::invoke(set, object, std::forward<T>(value));
    }

    template <class Get, class Set>
    TQelPropsOf& Number(std::string name, TQelPropType type, Get get, Set set)
    {
        using T = std::decay_t<std::invoke_result_t<Get, const C&>>;
        TQelPropInfo info;
        info.Name = std::move(name);
        info.Type = type;
        info.GetOrd = [get](const TQelObject& o) { return static_cast<int64_t>(std::invoke(get, static_cast<const C&>(o))); };
        info.SetOrd = [set](TQelObject& o, int64_t v) { Assign(set, static_cast<C&>(o), static_cast<T>(v)); };
        table_.Add(std::move(info));
        return *this;
    }

    template <class Get, class Set>
    TQelPropsOf& Text(std::string name, TQelPropType type, Get get, Set set);

    TQelPropTable& table_;
};

// ---------------------------------------------------------------------------------------
// Objects, engines and the class registry

class TQelObject {
public:
    TQelObject() = default;
    virtual ~TQelObject() = default;
    TQelObject(const TQelObject&) = delete;
    TQelObject& operator=(const TQelObject&) = delete;

    virtual const char* ClassName() const { return "TQelObject"; }
    // Every class keeps its table in StaticProperties(), built on its base class's, and
    // gives it back from Properties().
    static const TQelPropTable& StaticProperties();
    virtual const TQelPropTable& Properties() const { return StaticProperties(); }

    // Copies Tag and Engine, nothing else.
    virtual void Assign(const TQelObject& source);
    // Refuses a name another object of the engine already has.
    virtual void SetName(const std::string& value);
    // Resolves ParentObject from ParentName.
    void SetParent();
    // Called for every object when another one of its engine is about to be freed: clear
    // each link that points to it, so nothing is left pointing at freed memory.
    virtual void ForgetObject(const TQelObject* dying);

    const std::string& Name() const { return name_; }

    std::string ParentName;
    int32_t Tag = 0;
    TQelEngine* Engine = nullptr;
    TQelObject* ParentObject = nullptr;

private:
    std::string name_;
};

struct TQelClass {
    std::string Name;
    std::function<std::unique_ptr<TQelObject>()> Create;
};

// The classes that can be created by name. Each subsystem registers its own classes
// when the program starts, before any file is read.
class TQelClassReg {
public:
    TQelClassReg();  // holds TQelObject from the start

    template <class C>
    void Register(std::string name)
    {
        Register(std::move(name), [] { return std::unique_ptr<TQelObject>(new C); });
    }
    void Register(std::string name, std::function<std::unique_ptr<TQelObject>()> create);
    // Exact, case-sensitive class name.
    const TQelClass* GetClassByName(std::string_view name) const;

private:
    std::vector<TQelClass> classes_;
};

using TQelObjects = std::vector<std::unique_ptr<TQelObject>>;

class TQelEngine {
public:
    explicit TQelEngine(const TQelClassReg& classes) : classes_(classes) {}
    virtual ~TQelEngine();
    TQelEngine(const TQelEngine&) = delete;
    TQelEngine& operator=(const TQelEngine&) = delete;

    int AddObject(std::unique_ptr<TQelObject> object);
    // -1 when no class of that name is registered.
    int AddObject(const std::string& name, const std::string& parentName, const std::string& className);
    void DeleteObject(int index);
    virtual void DeleteObject(const std::string& name);
    int GetObjectIndexByName(const std::string& name) const;
    TQelObject* GetObjectByName(const std::string& name) const;
    void SetParents();
    // False when no object has that name.
    bool SetObjectProperty(const std::string& objectName, const std::string& propName, const std::string& value);
    // Empty when no object has that name.
    TQelVariant GetObjectValue(const std::string& objectName, const std::string& propName) const;
    virtual void Clear();

    const TQelClassReg& Classes() const { return classes_; }

    TQelObjects Objects;

protected:
    // Called before an object is freed; the default makes every other object forget it.
    // Engines that keep their own lists of objects extend it.
    virtual void ObjectDeleting(TQelObject& dying);

private:
    const TQelClassReg& classes_;
};

// ---------------------------------------------------------------------------------------

std::u16string PropUtf8ToWide(const std::string& text);
std::string PropWideToUtf8(const std::u16string& text);

template <class C>
template <class Get, class Set>
TQelPropsOf<C>& TQelPropsOf<C>::Text(std::string name, TQelPropType type, Get get, Set set)
{
    using T = std::decay_t<std::invoke_result_t<Get, const C&>>;
    TQelPropInfo info;
    info.Name = std::move(name);
    info.Type = type;
    info.GetText = [get](const TQelObject& o) -> std::string {
        if constexpr (std::is_same_v<T, std::u16string>)
            return PropWideToUtf8(std::invoke(get, static_cast<const C&>(o)));
        else
            return std::string(std::invoke(get, static_cast<const C&>(o)));
    };
    info.SetText = [set](TQelObject& o, const std::string& v) {
        if constexpr (std::is_same_v<T, std::u16string>)
            Assign(set, static_cast<C&>(o), PropUtf8ToWide(v));
        else
            Assign(set, static_cast<C&>(o), v);
    };
    table_.Add(std::move(info));
    return *this;
}
