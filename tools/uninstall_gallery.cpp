// uninstall_gallery: the uninstaller's window in each of its four steps, drawn without a display
// from the program's own layout and pictures into one PNG (two by two).
//
//   uninstall_gallery --png FILE
//
// The reason field is the desktop's own editor and is not drawn here (only its frame is).

#include <cairo.h>

#include <cstdio>
#include <string>

#include "gt/GTTypes.h"
#include "platform/MessageQueue.h"
#include "platform/WindowSurface.h"
#include "uninstall/CUnInstallFrameWnd.h"
#include "uninstall/UninstallMessages.h"
#include "uninstall/UninstallResources.h"
#include "uninstall/ui/UIControls.h"

namespace {

constexpr int GAP = 12;

// The picture a paint pass presents into, at an offset on the sheet.
class SheetSurface : public platform::WindowSurface {
public:
    SheetSurface(cairo_surface_t* sheet, int x, int y, int width, int height)
        : m_sheet(sheet), m_x(x), m_y(y), m_width(width), m_height(height) {}
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    bool Present(cairo_surface_t* image, int x, int y) override {
        cairo_t* cr = cairo_create(m_sheet);
        cairo_rectangle(cr, m_x, m_y, m_width, m_height);
        cairo_clip(cr);
        cairo_set_source_surface(cr, image, m_x + x, m_y + y);
        cairo_paint(cr);
        cairo_destroy(cr);
        return true;
    }
    bool PushLayered(cairo_surface_t* image) override { return Present(image, 0, 0); }

private:
    cairo_surface_t* m_sheet;
    int m_x, m_y, m_width, m_height;
};

class GalleryWindow : public CUnInstallFrameWnd {
public:
    using CUnInstallFrameWnd::CUnInstallFrameWnd;
    void PaintAt(cairo_surface_t* sheet, int x, int y) {
        const GTSize size = LayoutSize();
        SheetSurface surface(sheet, x, y, size.width, size.height);
        OnPaint(surface, platform::WindowRect { 0, 0, size.width, size.height });
    }
};

void ShowStep(UIWindow& window, int step) {
    for (int i = 1; i <= 4; ++i) window.FindControl("uninstStep_" + std::to_string(i))->Show(i == step);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::string(argv[1]) != "--png") {
        std::fprintf(stderr, "usage: uninstall_gallery --png FILE\n");
        return 2;
    }
    platform::MessageQueue::Instance().BindToCurrentThread();
    UIResources resources(UninstallResourceTable());
    GalleryWindow window(resources);
    if (!window.LoadWithoutWindow()) {
        std::fprintf(stderr, "uninstall_gallery: the layout does not load\n");
        return 1;
    }
    const GTSize size = window.LayoutSize();
    cairo_surface_t* sheet =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 2 * size.width + 3 * GAP, 2 * size.height + 3 * GAP);
    cairo_t* cr = cairo_create(sheet);
    cairo_set_source_rgb(cr, 0.08, 0.08, 0.09);
    cairo_paint(cr);
    cairo_destroy(cr);

    auto place = [&](int index) {
        window.PaintAt(sheet, GAP + (index % 2) * (size.width + GAP),
                       GAP + (index / 2) * (size.height + GAP));
    };
    place(0);
    ShowStep(window, 2);
    window.Find<UICheckBox>("col1")->Selected(true);
    window.Find<UICheckBox>("col3")->Selected(true);
    place(1);
    ShowStep(window, 3);
    window.Post(WM_REMOVAL_PROGRESS, 62, 0);
    platform::MessageQueue::Instance().Pump();
    place(2);
    ShowStep(window, 4);
    place(3);

    const bool written = cairo_surface_write_to_png(sheet, argv[2]) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(sheet);
    SetUninstallCompleted(false);
    return written ? 0 : 1;
}
