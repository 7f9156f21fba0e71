#pragma once

#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <functional>
#include <string>
#include <vector>

#include "gt/GTPainter.h"
#include "tests/gt/SurfacePixels.h"
#include "gt/GTResourceManager.h"
#include "gt/GTWidget.h"
#include "gt/GTWindow.h"
#include "platform/MessageQueue.h"
#include "platform/WindowSurface.h"
#include "tests/gt/PngWriter.h"

namespace gttest {

// What an opaque skin colour becomes once decoded (channels premultiplied by a shift of 8).
constexpr std::uint32_t Stored(int r, int g, int b) {
    return 0xFF000000u | static_cast<std::uint32_t>((r * 255) >> 8) << 16 |
           static_cast<std::uint32_t>((g * 255) >> 8) << 8 | static_cast<std::uint32_t>((b * 255) >> 8);
}

// A paint colour as the painter writes it into an opaque buffer.
constexpr std::uint32_t Painted(GTColor c) {
    return 0xFF000000u | static_cast<std::uint32_t>(GTRed(c)) << 16 | static_cast<std::uint32_t>(GTGreen(c)) << 8 |
           static_cast<std::uint32_t>(GTBlue(c));
}

// The drawing target of a window without a desktop: an off-screen ARGB32 picture into which a
// paint pass presents what it drew.
class ImageWindowSurface : public platform::WindowSurface {
public:
    static constexpr std::uint32_t BACKGROUND = 0xFF101010;

    ImageWindowSurface(int width, int height)
        : m_image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)) {
        Fill(BACKGROUND);
    }
    ~ImageWindowSurface() override { cairo_surface_destroy(m_image); }
    ImageWindowSurface(const ImageWindowSurface&) = delete;
    ImageWindowSurface& operator=(const ImageWindowSurface&) = delete;

    int Width() const override { return cairo_image_surface_get_width(m_image); }
    int Height() const override { return cairo_image_surface_get_height(m_image); }
    bool Present(cairo_surface_t* image, int x, int y) override {
        cairo_t* cr = cairo_create(m_image);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(cr, image, x, y);
        cairo_rectangle(cr, x, y, cairo_image_surface_get_width(image), cairo_image_surface_get_height(image));
        cairo_fill(cr);
        cairo_destroy(cr);
        ++presents;
        return true;
    }
    bool PushLayered(cairo_surface_t* image) override { return Present(image, 0, 0); }

    void Fill(std::uint32_t argb) { test::FillPixels(m_image, argb); }
    std::uint32_t At(int x, int y) { return test::PixelAt(m_image, x, y); }
    // Bounding box of the pixels that match; empty when there are none.
    GTRect Where(const std::function<bool(std::uint32_t)>& match) { return test::PixelsWhere(m_image, match); }
    GTRect WhereColor(std::uint32_t argb) {
        return Where([argb](std::uint32_t pixel) { return pixel == argb; });
    }
    bool WritePng(const std::string& path) { return cairo_surface_write_to_png(m_image, path.c_str()) == 0; }

    int presents { 0 };

private:
    cairo_surface_t* m_image;
};

// A window without a desktop window. Its repaint requests are recorded instead of reaching a
// desktop; the input entry points are fed as the desktop would.
class TestWindow : public GTWindow {
public:
    explicit TestWindow(int width = 200, int height = 150) {
        platform::MessageQueue::Instance().BindToCurrentThread();
        OnSize(platform::SIZE_RESTORED, width, height);
        Deliver();
        redraws.clear();
    }

    void RedrawArea(const GTRect& rect) override { redraws.push_back(rect); }

    // Delivers the posted messages (the repaint requests among them).
    void Deliver() { platform::MessageQueue::Instance().Pump(); }

    static platform::MouseInput Input(int x, int y, platform::MouseButton button, std::uint32_t state) {
        platform::MouseInput input;
        input.button = button;
        input.x = x;
        input.y = y;
        input.screenX = x + 400;
        input.screenY = y + 300;
        input.state = state;
        return input;
    }
    void Press(int x, int y, platform::MouseButton button = platform::MouseButton::Left, bool doubleClick = false) {
        platform::MouseInput input = Input(x, y, button, m_held);
        input.doubleClick = doubleClick;
        m_held |= ButtonBit(button);
        OnMouseDown(input);
    }
    void Release(int x, int y, platform::MouseButton button = platform::MouseButton::Left) {
        platform::MouseInput input = Input(x, y, button, m_held);
        m_held &= ~ButtonBit(button);
        OnMouseUp(input);
    }
    void Move(int x, int y) { OnMouseMove(Input(x, y, platform::MouseButton::Left, m_held)); }
    void Click(int x, int y) {
        Press(x, y);
        Release(x, y);
    }
    void Key(bool down, std::uint32_t code) {
        platform::KeyInput input;
        input.keyCode = code;
        if (down) {
            OnKeyDown(input);
        } else {
            OnKeyUp(input);
        }
    }
    // A full paint pass over `area` (the whole window by default) into `surface`.
    void PaintInto(ImageWindowSurface& surface, const GTRect* area = nullptr) {
        GTRect all = GetClientRect();
        const GTRect& r = area ? *area : all;
        OnPaint(surface, platform::WindowRect { r.left, r.top, r.right, r.bottom });
    }

    std::vector<GTRect> redraws;

private:
    static std::uint32_t ButtonBit(platform::MouseButton button) {
        switch (button) {
            case platform::MouseButton::Left: return platform::InputState::LeftButton;
            case platform::MouseButton::Middle: return platform::InputState::MiddleButton;
            case platform::MouseButton::Right: return platform::InputState::RightButton;
        }
        return 0;
    }
    std::uint32_t m_held { 0 };
};

// A widget that records the events reaching it and paints itself in one colour.
class Probe : public GTWidget {
public:
    struct Seen {
        int type;
        int x;
        int y;
        std::uint32_t flags;
        bool cancelled;
    };

    explicit Probe(GTColor color = GTRgb(200, 40, 40), bool acceptPress = true)
        : color(color), acceptPress(acceptPress) {}

    bool OnMouseDown(const GTEvent& e) override {
        Record(e);
        return acceptPress;
    }
    void OnMouseDrag(const GTEvent& e) override { Record(e); }
    void OnMouseUp(const GTEvent& e, bool cancelled) override { Record(e, cancelled); }
    void OnMouseMove(const GTEvent& e) override { Record(e); }
    void OnMouseEnter(const GTEvent& e) override { Record(e); }
    void OnMouseLeave(const GTEvent& e) override { Record(e); }
    bool OnKeyDown(const GTEvent& e) override {
        Record(e);
        return true;
    }
    void PaintSelf(GTPainter& painter) override {
        painter.FillRect(GTRect::FromSize(0, 0, Width(), Height()), color);
        PaintDebugFrame(painter);
    }

    std::vector<int> Types() const {
        std::vector<int> types;
        for (const Seen& s : seen) types.push_back(s.type);
        return types;
    }
    int Count(int type) const {
        int n = 0;
        for (const Seen& s : seen) n += s.type == type;
        return n;
    }
    const Seen& Last() const { return seen.back(); }

    GTColor color;
    bool acceptPress;
    std::vector<Seen> seen;

private:
    void Record(const GTEvent& e, bool cancelled = false) { seen.push_back({ e.type, e.x, e.y, e.flags, cancelled }); }
};

// One solid-colour picture of a test skin, named "set.image" (the image part may hold dots).
struct SkinBlock {
    std::string name;
    int r { 0 };
    int g { 0 };
    int b { 0 };
    int width { 20 };
    int height { 10 };
};

// Writes the blocks side by side into one PNG sheet in `directory`, with an image-set file
// holding one set per set name, and loads it into the process's skin (which is cleared first).
inline bool LoadSolidSkin(const std::filesystem::path& directory, const std::vector<SkinBlock>& blocks) {
    int sheetWidth = 0, sheetHeight = 0;
    for (const SkinBlock& block : blocks) {
        sheetWidth += block.width;
        sheetHeight = std::max(sheetHeight, block.height);
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(sheetWidth) * sheetHeight * 4, 0);
    std::map<std::string, std::string> sets;  // set name -> its Image elements
    std::vector<std::string> order;
    int x0 = 0;
    for (const SkinBlock& block : blocks) {
        for (int y = 0; y < block.height; ++y) {
            for (int x = x0; x < x0 + block.width; ++x) {
                std::uint8_t* p = &bytes[(static_cast<std::size_t>(y) * sheetWidth + x) * 4];
                p[0] = static_cast<std::uint8_t>(block.r);
                p[1] = static_cast<std::uint8_t>(block.g);
                p[2] = static_cast<std::uint8_t>(block.b);
                p[3] = 255;
            }
        }
        std::string::size_type dot = block.name.find('.');
        std::string set = block.name.substr(0, dot);
        std::string image = block.name.substr(dot + 1);
        if (!sets.count(set)) order.push_back(set);
        sets[set] += "  <Image Name=\"" + image + "\" XPos=\"" + std::to_string(x0) + "\" YPos=\"0\" Width=\"" +
                     std::to_string(block.width) + "\" Height=\"" + std::to_string(block.height) + "\"/>\n";
        x0 += block.width;
    }
    if (!test::WritePng(directory / "sheet.png", sheetWidth, sheetHeight, PNG_COLOR_TYPE_RGB_ALPHA, 8, bytes))
        return false;
    std::string xml;
    for (const std::string& set : order)
        xml += "<Imageset Name=\"" + set + "\" Imagefile=\"sheet.png\" RelativePath=\"1\">\n" + sets[set] +
               "</Imageset>\n";
    std::filesystem::path setFile = directory / "test.imageset";
    if (FILE* file = std::fopen(setFile.string().c_str(), "wb")) {
        std::fwrite(xml.data(), 1, xml.size(), file);
        std::fclose(file);
    } else {
        return false;
    }
    GTResourceManager::Instance().Clear();
    return GTResourceManager::Instance().LoadImageSet(setFile.string());
}

}  // namespace gttest
