#pragma once

#include <string>

// A font as the client's windows name it: a face from the original platform ("微软雅黑", "宋体",
// "新宋体", "Tahoma") and a height in pixels with the original sign rule:
// - height > 0: cell height (ascent + descent of the original face);
// - height < 0: character height (the em size), as -height;
// - height = 0: the default, 12.
// The painter maps the face to an installed font (see GTPainter.h, "Fonts") and turns the
// height into an em size with the original face's proportions, so a text takes about the room it
// took in the original.
struct GTFont {
    std::string face { "宋体" };
    int height { 12 };
    int weight { 400 };  // 400 normal, 700 bold
    bool italic { false };
    bool underline { false };

    friend bool operator==(const GTFont&, const GTFont&) = default;
};
