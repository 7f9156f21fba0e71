#pragma once

// The client's look, shared by the skin generators: a dark card table. Window chrome is charcoal
// with a gold hairline where a bar meets the body, window bodies are deep green felt, accents are
// warm gold, and light grounds are ivory playing cards.

#include <cstdint>

namespace skin_drawing {

struct Rgb {
    double r, g, b;
};

constexpr Rgb Hex(std::uint32_t v) {
    return Rgb { ((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0 };
}

// Chrome.
constexpr Rgb CHROME_TOP = Hex(0x2D2E31);
constexpr Rgb CHROME_BOTTOM = Hex(0x1B1C1F);
constexpr Rgb EDGE = Hex(0x060607);
constexpr Rgb HIGHLIGHT = Hex(0x45464B);
// Felt.
constexpr Rgb FELT = Hex(0x10261D);
constexpr Rgb FELT_DEEP = Hex(0x0A1913);
// Gold.
constexpr Rgb GOLD = Hex(0xD9A55A);
constexpr Rgb GOLD_HOT = Hex(0xF6C278);
constexpr Rgb GOLD_DIM = Hex(0x6E5431);
// Text: #969696 for normal text.
constexpr Rgb TEXT = Hex(0x969696);
// The ivory card.
constexpr Rgb CARD_TOP = Hex(0xF4EDDD);
constexpr Rgb CARD_BOTTOM = Hex(0xE3D6B8);
constexpr Rgb CARD_EDGE = Hex(0xAE8A52);
constexpr Rgb CARD_INK = Hex(0x5A4A33);

// Chinese text uses these; Latin text in pictures too, so both kinds sit alike.
inline const char* const SANS = "Noto Sans CJK SC";
inline const char* const SERIF = "Noto Serif CJK SC";

}  // namespace skin_drawing
