#pragma once

#include <cstdint>
#include <string_view>

// The strict integer conversion shared by the dictionary reader and the
// word-not-found dialog: optional leading blanks, an optional sign, decimal
// digits; or "$", "x", "X", "0x" and up to eight hexadecimal digits giving the 32
// bits of a signed integer. Nothing may follow. Anything else, the empty text and
// a decimal value outside 32 bits throw ConvertError("'<text>' is not a valid
// integer value").
std::int32_t StrToInt(std::string_view text);
