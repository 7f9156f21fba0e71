// gt_repaint: how long a full repaint of a client window takes with the toolkit's painter.
//
//   gt_repaint [--runs N] [--png FILE]
//
// Paints a 1024 × 713 window the way a paint pass does: a painter buffered over the window's
// target, a nine-grid background and the pictures and texts of 39 controls from the default skin
// (bin/skin/default beside this program: the game window's own controls, a top bar, the update
// card and the confirmation dialog), then the one copy to the target. In the same run
// it times the floor for that: a plain Cairo fill of an off-screen surface of the same size and
// its copy to the same target. Both are measured N times, interleaved, after a warm-up; the
// program prints the medians and their ratio. --png writes one repainted frame to FILE.

#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cache/PathUtils.h"
#include "gt/GTPainter.h"
#include "gt/GTResourceManager.h"
#include "gt/GTSkinNames.h"

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 713;

class Scene {
public:
    explicit Scene(const GTResourceManager& skin) : m_skin(skin) {}

    void Paint(GTPainter& p) const {
        const int w = WIDTH, h = HEIGHT;
        // Window: background, title, window and tool buttons, bottom bar.
        p.DrawNineGrid(S(skin::MAINFRAME_BKG), GTRect { 0, 0, w, h }, 240, 100, 240, 50);
        Label(p, "Talvane", GTRect { 33, 7, 363, 27 }, 0xA5C0D1, 0x8820, 20, 700);
        int right = w - 21;
        right -= Button(p, std::string(skin::LOGIN_ICON_BTNCLOSE) + skin::STATE_NORMAL, right, 10, true) + 5;
        right -= Button(p, std::string(skin::LOGIN_ICON_BTNMAX) + skin::STATE_NORMAL, right, 10, true) + 5;
        right -= Button(p, std::string(skin::LOGIN_ICON_BTNMIN) + skin::STATE_NORMAL, right, 10, true);
        right -= Button(p, std::string(skin::TOOLBAR_BTNREFRESH) + skin::STATE_NORMAL, right, 10, true);
        right -= Button(p, std::string(skin::TOOLBAR_BTNCAPTURE) + skin::STATE_NORMAL, right, 10, true);
        Button(p, std::string(skin::TOOLBAR_BTNCAPTUREIMG) + skin::STATE_HOT, right, 15, true);
        int x = 24;
        for (const char* name : { skin::TOOLBAR_BTNCHARGE, skin::TOOLBAR_BTNFORUM, skin::TOOLBAR_BTNCUSTOM })
            x += Button(p, std::string(name) + (x == 24 ? skin::STATE_HOT : skin::STATE_NORMAL), x, h - 37,
                        false);
        Picture(p, skin::PUSHMSG_ICON, w - 318, h - 33);
        Label(p, "欢迎来到Talvane，祝您游戏愉快！", GTRect { w - 300, h - 35, w - 50, h - 15 }, 0x78C2F6,
              0x8824, 20, 400);

        // The launcher's top bar.
        p.DrawNineGrid(S(skin::FRAME_TOP_BKG), GTRect { 1, 40, w - 1, 111 }, 240, 0, 240, 0);
        Label(p, "Hi,欢迎您回来！", GTRect { 20, 52, 160, 72 }, 0x5E99C6, 0x8824, 20, 700);
        Button(p, std::string(skin::NAME_BTNNAME) + skin::STATE_HOT, 20, 73, false);
        Label(p, "talvane_player", GTRect { 22, 73, 170, 97 }, 0x969696, 0x8824, 20, 400);
        Picture(p, std::string(skin::BNFRAME_BTN_GAME) + skin::STATE_NORMAL_CHECKED, 240, 68);
        Picture(p, std::string(skin::BNFRAME_BTN_KX) + skin::STATE_HOT_UNCHECKED, 362, 68);
        right = w - 60;
        for (const char* name :
             { skin::BNFRAME_BTN_CUSTOMS, skin::BNFRAME_BTN_FORUM, skin::BNFRAME_BTN_NEWS })
            right -= Button(p, std::string(name) + skin::STATE_NORMAL, right, 73, true) + 5;

        // The update card.
        const int cx = 60, cy = 160;
        Picture(p, skin::PROGRESS_BKG, cx, cy);
        Picture(p, skin::PROGRESS_STATUS_1_2, cx + 20, cy + 6);
        Picture(p, skin::PROGRESS_STATUS_2_1, cx + 170, cy + 6);
        Picture(p, skin::PROGRESS_STATUS_3, cx + 400, cy + 6);
        const GTSlice* left = S(skin::PROGRESS_BAR_BG_LEFT);
        const GTSlice* rightEnd = S(skin::PROGRESS_BAR_BG_RIGHT);
        if (left && rightEnd) {
            p.DrawSlice(left, cx, cy + 34, left->width, 31);
            p.DrawSlice(S(skin::PROGRESS_BAR_BG_MID), cx + left->width, cy + 34,
                        515 - left->width - rightEnd->width, 31);
            p.DrawSlice(rightEnd, cx + 515 - rightEnd->width, cy + 34, rightEnd->width, 31);
        }
        p.DrawSlice(S(skin::PROGRESS_BAR), cx + 7, cy + 41, 515 * 125 / 300 - 14, 17);
        Picture(p, skin::PROGRESS_SPLIT, cx + 171, cy + 42);
        Picture(p, skin::PROGRESS_SPLIT, cx + 343, cy + 42);
        p.SetFont(GTFont { "微软雅黑", 20, 700 });
        p.DrawShadowText("41%", GTRect { cx + 232, cy + 40, cx + 282, cy + 60 }, 0x8824, GTRgb(25, 27, 28),
                         GTRgb(239, 219, 157), 2, 1);
        Label(p, "正在下载:剩余42个文件", GTRect { cx + 132, cy + 70, cx + 382, cy + 90 }, GTRgb(73, 73, 73),
              0x8824, 20, 400);

        // The confirmation dialog.
        const int tx = 640, ty = 160;
        Picture(p, skin::TIPS_BKG, tx, ty);
        Picture(p, skin::TIPS_MSG_EXIT, tx + 100, ty + 70);
        Button(p, std::string(skin::LOGIN_ICON_BTNCLOSE) + skin::STATE_NORMAL, tx + 322 - 5, ty + 5, true);
        Button(p, std::string(skin::TIPS_BTN_OK) + skin::STATE_HOT, tx + 30, ty + 209 - 12 - 32, false);
        Button(p, std::string(skin::TIPS_BTN_CANCEL) + skin::STATE_NORMAL, tx + 322 - 30 - 100,
               ty + 209 - 12 - 32, false);
    }

private:
    const GTSlice* S(const std::string& name) const { return m_skin.FindSlice(name); }

    void Picture(GTPainter& p, const std::string& name, int x, int y) const {
        const GTSlice* slice = S(name);
        if (slice) p.DrawSlice(slice, x, y, slice->width, slice->height);
    }

    // Draws a button picture at (x, y), or with its right edge at x when `fromRight`; returns its width.
    int Button(GTPainter& p, const std::string& name, int x, int y, bool fromRight) const {
        const GTSlice* slice = S(name);
        if (!slice) return 0;
        p.DrawSlice(slice, fromRight ? x - slice->width : x, y, slice->width, slice->height);
        return slice->width;
    }

    void Label(GTPainter& p, const std::string& text, const GTRect& rect, GTColor color, unsigned format,
               int height, int weight) const {
        p.SetFont(GTFont { "微软雅黑", height, weight });
        p.SetTextColor(color);
        p.DrawText(text, rect, format);
    }

    const GTResourceManager& m_skin;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 500;
    std::string png;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--png" && i + 1 < argc)
            png = argv[++i];
        else {
            std::fprintf(stderr, "usage: gt_repaint [--runs N] [--png FILE]\n");
            return 2;
        }
    }

    GTResourceManager& skin = GTResourceManager::Instance();
    const std::string schema = AppPath(skin::SCHEMA_PATH);
    if (!skin.LoadSchema(schema) || skin.SliceCount() == 0) {
        std::fprintf(stderr, "gt_repaint: no skin at %s (build the default_skin target)\n", schema.c_str());
        return 1;
    }
    Scene scene(skin);

    // The window's target, as a paint hands it over.
    cairo_surface_t* window = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, WIDTH, HEIGHT);
    cairo_t* target = cairo_create(window);
    const GTRect area { 0, 0, WIDTH, HEIGHT };

    auto repaint = [&] {
        GTPainter painter(target, area);
        scene.Paint(painter);
    };
    cairo_surface_t* plainBuffer = cairo_image_surface_create(CAIRO_FORMAT_RGB24, WIDTH, HEIGHT);
    auto plain = [&] {
        cairo_t* cr = cairo_create(plainBuffer);
        cairo_set_source_rgb(cr, 0.06, 0.15, 0.11);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(plainBuffer);
        cairo_save(target);
        cairo_set_operator(target, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(target, plainBuffer, 0, 0);
        cairo_paint(target);
        cairo_restore(target);
        cairo_surface_flush(window);
    };

    for (int i = 0; i < 30; ++i) {
        repaint();
        plain();
    }
    std::vector<double> repaintMs, plainMs;
    using Clock = std::chrono::steady_clock;
    for (int i = 0; i < runs; ++i) {
        auto t0 = Clock::now();
        repaint();
        cairo_surface_flush(window);
        auto t1 = Clock::now();
        plain();
        auto t2 = Clock::now();
        repaintMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        plainMs.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    const double r = Median(repaintMs), f = Median(plainMs);
    std::printf("window %d x %d, %d runs\n", WIDTH, HEIGHT, runs);
    std::printf("full repaint (painter, skin, texts, copy): median %.3f ms\n", r);
    std::printf("plain fill and copy:                       median %.3f ms\n", f);
    std::printf("ratio: %.2f\n", r / f);
    std::printf("targets (repaint < 2 ms, ratio <= 4): %s\n", r < 2.0 && r / f <= 4.0 ? "met" : "NOT met");

    if (!png.empty()) {
        repaint();
        if (cairo_surface_write_to_png(window, png.c_str()) != CAIRO_STATUS_SUCCESS) {
            std::fprintf(stderr, "gt_repaint: cannot write %s\n", png.c_str());
            return 1;
        }
    }
    cairo_destroy(target);
    cairo_surface_destroy(window);
    cairo_surface_destroy(plainBuffer);
    return 0;
}
