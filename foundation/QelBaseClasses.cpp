// Named objects, engines, property access and the class registry.
#include "foundation/QelBaseClasses.h"

#include "foundation/QelLog.h"
#include "foundation/Text.h"

#include <cmath>

TQelException::TQelException(const std::string& message) : std::runtime_error(message)
{
    if (TQelLog* log = EngineLog())
        log->Add(message);
}

std::string QelErrorText(std::string_view where)
{
    return "Exception error in [" + std::string(where) + "]";
}

// ---------------------------------------------------------------------------------------

const std::vector<std::string> kBooleanNames = {"False", "True"};

std::string VariantToString(const TQelVariant& value)
{
    if (const auto* i = std::get_if<int64_t>(&value))
        return IntToStr(*i);
    if (const auto* s = std::get_if<std::string>(&value))
        return *s;
    return {};
}

int64_t VariantToInt(const TQelVariant& value)
{
    if (const auto* i = std::get_if<int64_t>(&value))
        return *i;
    if (const auto* s = std::get_if<std::string>(&value))
        return StrictInt(*s).value_or(0);
    return 0;
}

std::u16string PropUtf8ToWide(const std::string& text)
{
    return Utf8ToUtf16(text);
}

std::string PropWideToUtf8(const std::u16string& text)
{
    return Utf16ToUtf8(text);
}

const TQelPropInfo* TQelPropTable::Find(std::string_view name) const
{
    for (const TQelPropInfo& row : rows_)
        if (EqualsNoCase(row.Name, name))
            return &row;
    return base_ ? base_->Find(name) : nullptr;
}

std::vector<const TQelPropInfo*> TQelPropTable::All() const
{
    std::vector<const TQelPropInfo*> all = base_ ? base_->All() : std::vector<const TQelPropInfo*>();
    for (const TQelPropInfo& row : rows_)
        all.push_back(&row);
    return all;
}

// A number as a property takes it: a decimal integer, or a decimal real truncated
// toward zero.
static int64_t ParsePropNumber(const std::string& text)
{
    if (auto i = StrictInt(text))
        return *i;
    if (auto r = StrictReal(text); r && std::fabs(*r) < 9.2e18)
        return static_cast<int64_t>(std::trunc(*r));
    throw std::runtime_error("'" + text + "' is not a valid integer value");
}

void SetPropValue(TQelObject& object, const TQelPropInfo& property, const std::string& text)
{
    switch (property.Type) {
    case TQelPropType::Integer:
    case TQelPropType::Byte:
    case TQelPropType::Cardinal: {
        int64_t v = ParsePropNumber(text);
        int64_t lo = 0, hi = 0;
        if (property.Type == TQelPropType::Integer) { lo = INT32_MIN; hi = INT32_MAX; }
        else if (property.Type == TQelPropType::Byte) { lo = 0; hi = 255; }
        else { lo = 0; hi = UINT32_MAX; }
        if (v < lo || v > hi)
            throw std::runtime_error("Range check error: " + text);
        property.SetOrd(object, v);
        return;
    }
    case TQelPropType::Enumeration:
        for (size_t i = 0; i < property.EnumNames.size(); ++i)
            if (EqualsNoCase(property.EnumNames[i], text)) {
                property.SetOrd(object, static_cast<int64_t>(i));
                return;
            }
        throw std::runtime_error("Invalid property element: " + text);
    case TQelPropType::String:
    case TQelPropType::WideString:
        property.SetText(object, text);
        return;
    }
}

TQelVariant GetPropValue(const TQelObject& object, const TQelPropInfo& property)
{
    switch (property.Type) {
    case TQelPropType::Enumeration: {
        int64_t v = property.GetOrd(object);
        if (v >= 0 && v < static_cast<int64_t>(property.EnumNames.size()))
            return property.EnumNames[static_cast<size_t>(v)];
        return IntToStr(v);
    }
    case TQelPropType::String:
    case TQelPropType::WideString:
        return property.GetText(object);
    default:
        return property.GetOrd(object);
    }
}

// ---------------------------------------------------------------------------------------

const TQelPropTable& TQelObject::StaticProperties()
{
    static const TQelPropTable table = [] {
        TQelPropTable t;
        TQelPropsOf<TQelObject>(t)
            .Field("ParentName", &TQelObject::ParentName)
            .String("Name", &TQelObject::Name, &TQelObject::SetName)
            .Field("Tag", &TQelObject::Tag);
        return t;
    }();
    return table;
}

void TQelObject::Assign(const TQelObject& source)
{
    Tag = source.Tag;
    Engine = source.Engine;
}

void TQelObject::SetName(const std::string& value)
{
    QelGuard("TQelObject.SetName", [&] {
        if (value == name_)
            return;
        if (Engine && Engine->GetObjectByName(value))
            throw TQelException("[TQelEngine.SetName] The name \"" + value + "\" is present!");
        name_ = value;
    });
}

void TQelObject::SetParent()
{
    QelGuard("TQelObject.SetParent", [&] { ParentObject = Engine ? Engine->GetObjectByName(ParentName) : nullptr; });
}

void TQelObject::ForgetObject(const TQelObject* dying)
{
    if (ParentObject == dying)
        ParentObject = nullptr;
}

TQelClassReg::TQelClassReg()
{
    Register<TQelObject>("TQelObject");
}

void TQelClassReg::Register(std::string name, std::function<std::unique_ptr<TQelObject>()> create)
{
    classes_.push_back({std::move(name), std::move(create)});
}

const TQelClass* TQelClassReg::GetClassByName(std::string_view name) const
{
    return QelGuard("TQelClassReg.GetClassByName", [&]() -> const TQelClass* {
        for (const TQelClass& c : classes_)
            if (c.Name == name)
                return &c;
        return nullptr;
    });
}

// ---------------------------------------------------------------------------------------

TQelEngine::~TQelEngine()
{
    // Objects may refer to one another; free them without walking links.
    Objects.clear();
}

int TQelEngine::AddObject(std::unique_ptr<TQelObject> object)
{
    return QelGuard("TQelEngine.AddObject", [&] {
        Objects.push_back(std::move(object));
        return static_cast<int>(Objects.size()) - 1;
    });
}

int TQelEngine::AddObject(const std::string& name, const std::string& parentName, const std::string& className)
{
    return QelGuard("TQelEngine.AddObject (ObjectName: \"" + name + "\") ", [&] {
        const TQelClass* cls = Classes().GetClassByName(className);
        if (!cls)
            return -1;
        int index = AddObject(cls->Create());
        TQelObject& object = *Objects[index];
        object.Engine = this;
        object.ParentName = parentName;
        object.SetName(name);
        return index;
    });
}

void TQelEngine::DeleteObject(int index)
{
    QelGuard("TQelEngine.DeleteObject", [&] {
        if (index < 0 || index >= static_cast<int>(Objects.size()))
            return;
        ObjectDeleting(*Objects[index]);
        Objects.erase(Objects.begin() + index);
    });
}

void TQelEngine::DeleteObject(const std::string& name)
{
    DeleteObject(GetObjectIndexByName(name));
}

void TQelEngine::ObjectDeleting(TQelObject& dying)
{
    for (auto& object : Objects)
        if (object.get() != &dying)
            object->ForgetObject(&dying);
}

int TQelEngine::GetObjectIndexByName(const std::string& name) const
{
    return QelGuard("TQelEngine.GetObjectIndexByName", [&] {
        for (size_t i = 0; i < Objects.size(); ++i)
            if (Objects[i]->Name() == name)
                return static_cast<int>(i);
        return -1;
    });
}

TQelObject* TQelEngine::GetObjectByName(const std::string& name) const
{
    return QelGuard("TQelEngine.GetObjectByName", [&]() -> TQelObject* {
        int index = GetObjectIndexByName(name);
        return index < 0 ? nullptr : Objects[index].get();
    });
}

void TQelEngine::SetParents()
{
    QelGuard("TQelEngine.SetParents", [&] {
        for (auto& object : Objects)
            object->SetParent();
    });
}

bool TQelEngine::SetObjectProperty(const std::string& objectName, const std::string& propName, const std::string& value)
{
    return QelGuard("TQelEngine.SetObjectProperty", [&] {
        TQelObject* object = GetObjectByName(objectName);
        if (!object)
            return false;
        QelGuardMessage("Exception error in [TQelEngine.SetObjectProperty (SetPropValue)] Object Name: \"" + objectName +
                            "\" Property: \"" + propName + "\" Value: " + value,
                        [&] {
                            const TQelPropInfo* property = object->Properties().Find(propName);
                            if (!property)
                                throw std::runtime_error("Unknown property: \"" + propName + "\"");
                            SetPropValue(*object, *property, value);
                        });
        return true;
    });
}

TQelVariant TQelEngine::GetObjectValue(const std::string& objectName, const std::string& propName) const
{
    return QelGuard("TQelEngine.GetObjectValue", [&]() -> TQelVariant {
        TQelObject* object = GetObjectByName(objectName);
        if (!object)
            return {};
        const TQelPropInfo* property = object->Properties().Find(propName);
        if (!property)
            throw std::runtime_error("Unknown property: \"" + propName + "\"");
        return GetPropValue(*object, *property);
    });
}

void TQelEngine::Clear()
{
    QelGuard("TQelEngine.Clear", [&] { Objects.clear(); });
}
