// Byte-string and number helpers shared by every data format: ASCII case folding,
// trimming, UTF-8/UTF-16 conversion and locale-independent number text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// ASCII letters A..Z only; every other byte is kept.
std::string AsciiLower(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);

// Removes leading and trailing bytes of value 32 or lower.
std::string_view TrimView(std::string_view s);
std::string Trim(std::string_view s);

// Malformed UTF-8 bytes become U+FFFD; characters beyond the 16-bit range become
// U+FFFD as well, since captions hold one 16-bit code per character.
std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);

// The game's integer reading: an optional sign and the leading decimal digits after
// trimming, 0 when there are none. Saturates at the 32-bit range.
int32_t LeadingInt(std::string_view s);
// A whole, well-formed decimal integer (after trimming), or nothing.
std::optional<int64_t> StrictInt(std::string_view s);
// A whole, well-formed decimal real with "." as separator (after trimming), or nothing.
std::optional<double> StrictReal(std::string_view s);
// "true"/"false" in any letter case, or nothing.
std::optional<bool> StrictBool(std::string_view s);

// Real to integer, halves to even; NaN gives 0 and the result saturates at the
// 32-bit range, so no data value can make the conversion undefined.
int32_t RoundHalfEven(double v);
// Real to integer toward zero, with the same guards.
int32_t TruncSafe(double v);

// A real with exactly the given number of decimals and "." as separator.
std::string FormatFixed(double v, int decimals);
std::string IntToStr(int64_t v);
