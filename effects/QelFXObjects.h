// Vectors, errors and the small named-object model every effect object shares.
#pragma once

#include "foundation/Text.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Every reading or setup error of the effect system. Callers turn it into their own log
// line; nothing here writes to a log.
class EQelFXError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Three reals; one- and two-dimensional values use the first components.
struct TQelVector {
    float X = 0;
    float Y = 0;
    float Z = 0;

    float& operator[](int i) { return i <= 0 ? X : i == 1 ? Y : Z; }
    float operator[](int i) const { return i <= 0 ? X : i == 1 ? Y : Z; }
    friend bool operator==(const TQelVector&, const TQelVector&) = default;
};

inline TQelVector operator+(const TQelVector& a, const TQelVector& b) { return {a.X + b.X, a.Y + b.Y, a.Z + b.Z}; }
inline TQelVector operator-(const TQelVector& a, const TQelVector& b) { return {a.X - b.X, a.Y - b.Y, a.Z - b.Z}; }
inline TQelVector operator*(const TQelVector& a, float k) { return {a.X * k, a.Y * k, a.Z * k}; }
inline float SquaredLength(const TQelVector& v) { return v.X * v.X + v.Y * v.Y + v.Z * v.Z; }

// A decimal real with "." as separator whatever the locale (an optional leading "+").
// Throws EQelFXError "'text' is not a valid floating point value" otherwise.
double FXStrToFloat(std::string_view text);

// A real as the single-precision value effects keep, limited to the float range (a
// value beyond it would be undefined to convert).
float ClampToFloat(double v);

// The vector of a text such as "(1.5, 2)": the text between its first "(" and its last
// ")" split at ","; one to three parts, missing components 0. Throws EQelFXError
// "[StrToVect]: \"text\" string-to-vector convertation failed" otherwise.
TQelVector StrToVect(std::string_view text);

// Seconds as written in effect files to whole milliseconds: round(seconds x 1000),
// halves to even, limited to the 32-bit range.
int32_t SecondsToMs(double seconds);
// A non-negative real count of milliseconds as an unsigned 32-bit duration: rounded,
// NaN and negatives give 0, anything beyond the range gives the largest value.
uint32_t ToDurationMs(double ms);

// ---------------------------------------------------------------------------------------

// A named effect object. Names are cut to 32 characters; a new object is named after its
// class without the leading "T" and "_Default" (QelMorph_Default).
class TQelBaseObject {
public:
    static constexpr size_t kMaxNameLength = 32;

    virtual ~TQelBaseObject() = default;
    TQelBaseObject(const TQelBaseObject&) = delete;
    TQelBaseObject& operator=(const TQelBaseObject&) = delete;

    virtual const char* ClassName() const = 0;
    const std::string& Name() const { return name_; }
    virtual void SetName(std::string_view name);

    // A fresh object of the same class, so a collection can copy items it only knows by
    // their base.
    virtual std::unique_ptr<TQelBaseObject> Create() const = 0;
    // False when the source is not of a compatible class; copies the name, each class
    // adds its own fields.
    virtual bool Assign(const TQelBaseObject& source);
    // Finishes the setup after loading; false when the object cannot be used.
    virtual bool Validate() { return true; }

protected:
    TQelBaseObject() = default;
    // Called by each concrete class's constructor, where ClassName is already its own.
    void SetDefaultName();

private:
    std::string name_;
};

// A fresh object of the class of source with its fields copied, or nothing when the
// copy is refused.
template <class T>
std::unique_ptr<T> CloneFX(const T& source)
{
    std::unique_ptr<TQelBaseObject> made = source.Create();
    auto* typed = dynamic_cast<T*>(made.get());
    if (!typed || !typed->Assign(source))
        return nullptr;
    made.release();
    return std::unique_ptr<T>(typed);
}

// An owning list of effect objects, found by index or by name ignoring letter case.
template <class T>
class TQelStaticCollection {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    T* Item(int index) const
    {
        return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)].get() : nullptr;
    }
    int Add(std::unique_ptr<T> item)
    {
        items_.push_back(std::move(item));
        return Count() - 1;
    }
    // The first item of that name, ignoring letter case; -1 when none.
    int IndexOf(std::string_view name) const
    {
        for (size_t i = 0; i < items_.size(); ++i)
            if (EqualsNoCase(items_[i]->Name(), name))
                return static_cast<int>(i);
        return -1;
    }
    T* Find(std::string_view name) const { return Item(IndexOf(name)); }
    void Clear() { items_.clear(); }

    // Copies every item of source into fresh objects of the same classes; on a refused
    // copy the collection is left empty and the answer is false.
    bool Assign(const TQelStaticCollection& source)
    {
        Clear();
        for (const auto& item : source.items_) {
            std::unique_ptr<T> copy = CloneFX(*item);
            if (!copy) {
                Clear();
                return false;
            }
            items_.push_back(std::move(copy));
        }
        return true;
    }
    // Validates every item in order and stops at the first failure.
    bool Validate()
    {
        for (const auto& item : items_)
            if (!item->Validate())
                return false;
        return true;
    }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<std::unique_ptr<T>> items_;
};
