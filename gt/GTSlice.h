#pragma once

#include <string>

class GTImage;

// A named rectangle of a skin picture. The skin owns every slice; whoever looks one up holds a
// plain pointer that stays valid for the life of the process.
class GTSlice {
public:
    GTSlice() = default;
    GTSlice(std::string name, int x, int y, int width, int height, const GTImage* image)
        : name(std::move(name)), x(x), y(y), width(width), height(height), image(image) {}
    GTSlice(const GTSlice&) = default;
    GTSlice& operator=(const GTSlice&) = default;
    virtual ~GTSlice() = default;

    // Image-set name, a full stop and image name, e.g. "login_icon.btnclose".
    std::string name;
    int x { 0 };
    int y { 0 };
    int width { 0 };
    int height { 0 };
    // Not owned. A slice without a picture is never drawn.
    const GTImage* image { nullptr };
};

// Nine parts of a slice in reading order plus the way to draw them. The parts are usually cut by
// GTResourceManager::GetNineGrid; the painter's DrawGrid draws them.
struct NineGrid {
    enum Part { TopLeft = 0, Top, TopRight, Left, Centre, Right, BottomLeft, Bottom, BottomRight, PartCount };
    enum Mode {
        Horizontal = 0,  // three parts side by side: Left, Centre, Right (bars of fixed height)
        Vertical = 1,    // three parts stacked: Top, Centre, Bottom
        Full = 3,        // all nine parts
        Frame = 4,       // all but the centre: a frame with a transparent middle
    };

    const GTSlice* parts[PartCount] {};
    int mode { Full };
};
