#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gt/GTTypes.h"

// The value forms of layout attributes. Every parser accepts any text: what it cannot read
// becomes the stated fallback, so a broken layout shows a broken window, never a crash.

// "l,t,r,b" (as many numbers as given; the rest 0). Numbers may be negative.
GTRect ParseUIRect(std::string_view text);
// "w,h" or "x,y".
GTSize ParseUISize(std::string_view text);
// "true" (any case) or a number other than 0.
bool ParseUIBool(std::string_view text);
// Decimal with an optional sign; 0 for no digits.
int ParseUIInt(std::string_view text);

// "#AARRGGBB" or "#RRGGBB" (opaque), "0x" allowed instead of "#"; 0 (fully transparent: no
// colour) for anything else.
std::uint32_t ParseUIColor(std::string_view text);
// 0xAARRGGBB as the painter's colour (0x00BBGGRR; alpha dropped).
GTColor UIColorToGT(std::uint32_t argb);

// A picture reference: a bare resource number ("131"), or quoted pairs
// "res='130' dest='4,0,541,402' source='0,0,10,10'". Without dest the picture fills the
// control; without source the whole picture is used.
struct UIImageRef {
    int number { 0 };
    bool hasDest { false };
    GTRect dest;
    bool hasSource { false };
    GTRect source;

    bool IsSet() const { return number > 0; }
};
UIImageRef ParseUIImageRef(std::string_view text);

// Attribute pairs written in one text: name="value" name2='value2' (either quote).
std::vector<std::pair<std::string, std::string>> ParseUIAttributeList(std::string_view text);
