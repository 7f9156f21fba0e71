// gallery: every control of the toolkit in each of its states, on the default skin.
//
//   gallery                 opens a real window (drag it by its top band; the bottom row reacts
//                           to the mouse; close it with its close button)
//   gallery --png FILE      draws the same picture into FILE without a display
//   --skin SCHEMA           another skin than skin/default/index.schema beside the program
#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cache/PathUtils.h"
#include "gt/GTBorder.h"
#include "gt/GTButton.h"
#include "gt/GTCheckBox.h"
#include "gt/GTComboBoxEx.h"
#include "gt/GTLabel.h"
#include "gt/GTLinkLabel.h"
#include "gt/GTMessages.h"
#include "gt/GTPainter.h"
#include "gt/GTPicture.h"
#include "gt/GTProgress.h"
#include "gt/GTRadioButton.h"
#include "gt/GTResourceManager.h"
#include "gt/GTSkinNames.h"
#include "gt/GTWindow.h"
#include "platform/Application.h"

namespace {

constexpr int WINDOW_WIDTH = 1260;
constexpr int WINDOW_HEIGHT = 860;
constexpr int TOP_BAND = 71;
constexpr GTColor TEXT = GTRgb(0x96, 0x96, 0x96);
constexpr GTColor HOT_TEXT = GTRgb(0xF6, 0xC2, 0x78);
constexpr const char* FACE = "微软雅黑";
constexpr std::uint32_t TIMER_PROGRESS = 1;

enum class Look { Normal, Hot, Pushed, Disabled };

class GalleryWindow : public GTWindow {
public:
    GalleryWindow() = default;

    int OnCreate() override {
        if (GTWindow::OnCreate() == -1) return -1;
        return CreateWidgets() ? 0 : -1;
    }

    bool CreateWidgets() override {
        m_background.SetSkin(skin::BNFRAME_BG, 240, 100, 240, 50);
        Root().AddChild(&m_background);
        m_topBand.SetSkin(skin::FRAME_TOP_BKG, 240, 0, 240, 0);
        Root().AddChild(&m_topBand);
        Text(24, 18, 700, 32, "GT 控件一览 · 默认皮肤", HOT_TEXT, 24, 700, true);
        Text(24, 46, 900, 20,
             "每个控件的每种状态：常态、悬停、按下、禁用（单选与复选：未选中与选中）。背景、顶栏与各面板均为九宫格 GTBorder。",
             TEXT, 14);

        BuildButtons();
        BuildToggles();
        BuildTexts();
        BuildPictures();
        BuildLiveRow();

        for (GTButton* b : { &m_minimize, &m_close }) Root().AddChild(b);
        m_minimize.SetSkinName(skin::LOGIN_ICON_BTNMIN);
        m_minimize.LoadSkin();
        m_close.SetSkinName(skin::LOGIN_ICON_BTNCLOSE);
        m_close.LoadSkin();
        m_minimize.Clicked.connect([this](GTWidget*) { Post(WM_SYSCOMMAND, SC_MINIMIZE); });
        m_close.Clicked.connect([this](GTWidget*) { Post(WM_CLOSE); });
        SetTimer(TIMER_PROGRESS, 60);
        return true;
    }

    void OnSize(int type, int width, int height) override {
        GTWindow::OnSize(type, width, height);
        m_background.SetGeometry(GTRect::FromSize(0, 0, width, height));
        m_topBand.SetGeometry(GTRect::FromSize(0, 0, width, TOP_BAND));
        m_close.SetGeometry(GTRect::FromSize(width - 20 - m_close.Width(), 8, m_close.Width(), m_close.Height()));
        m_minimize.SetGeometry(GTRect::FromSize(m_close.Geometry().left - 5 - m_minimize.Width(), 8,
                                                m_minimize.Width(), m_minimize.Height()));
        SetWindowRegion(platform::WindowRegion::RoundRect({ 0, 0, width, height }, 4, 4));
    }

    int OnHitTest(int x, int y) override {
        if (y >= TOP_BAND) return HTCLIENT;
        for (GTButton* b : { &m_minimize, &m_close }) {
            if (b->Geometry().Contains(x, y)) return HTCLIENT;
        }
        return HTCAPTION;
    }

    void OnTimer(std::uint32_t id) override {
        if (id != TIMER_PROGRESS) return;
        m_liveProgress.SetValue((m_liveProgress.Value() + 1) % 101);
    }

    void OnPaint(platform::WindowSurface& surface, const platform::WindowRect& area) override {
        GTWindow::OnPaint(surface, area);
        // The still "hovered" link learns where its text lies from its first paint.
        if (m_hoveredLink && !m_hoveredLink->IsHover()) HoverStillLink();
    }

    void OnDestroy() override {
        KillTimer(TIMER_PROGRESS);
        if (platform::Application* app = platform::Application::Current()) app->MainWindowDestroyed();
    }

    // Draws the whole window into a picture (no display needed); true when it was written.
    bool WritePng(const std::string& path) {
        // The links learn where their text lies in a first pass; then the hovered copy shows hover.
        Render(nullptr);
        HoverStillLink();
        return Render(path.c_str());
    }

private:
    void HoverStillLink() {
        const GTRect& hit = m_hoveredLink->Links().front().hitRect;
        if (!hit.IsEmpty())
            m_hoveredLink->OnMouseEnter(GTEvent::Mouse(GTEvent::MouseEnter, hit.left + 1, hit.top + 1, 0));
    }

    bool Render(const char* path) {
        int width = Root().Width(), height = Root().Height();
        cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
        cairo_t* cr = cairo_create(image);
        {
            GTRect all = GTRect::FromSize(0, 0, width, height);
            GTPainter painter(cr, all);
            Root().InvalidateRect(all, true);
            Root().Paint(painter);
        }
        cairo_destroy(cr);
        bool written = !path || cairo_surface_write_to_png(image, path) == CAIRO_STATUS_SUCCESS;
        cairo_surface_destroy(image);
        return written;
    }

    template <typename T>
    T& Keep(std::unique_ptr<T> widget) {
        T& ref = *widget;
        m_owned.push_back(std::move(widget));
        return ref;
    }

    GTLabel& Text(int x, int y, int width, int height, const std::string& text, GTColor color, int size = 14,
                  int weight = 400, bool shadow = false) {
        auto& label = Keep(std::make_unique<GTLabel>());
        label.SetText(text);
        label.SetFont(size, weight, FACE);
        label.SetTextColor(color);
        label.SetShadowColor(GTRgb(0, 0, 0));
        label.SetShadow(shadow);
        label.SetGeometry(GTRect::FromSize(x, y, width, height));
        Root().AddChild(&label);
        return label;
    }

    void Title(int x, int y, const std::string& text) { Text(x, y, 560, 22, text, HOT_TEXT, 15, 700); }

    // A frame behind a section.
    void Panel(int x, int y, int width, int height) {
        auto& panel = Keep(std::make_unique<GTBorder>());
        panel.SetSkin(skin::CHATPANEL_CTRLFRAME, 5, 5, 5, 5);
        panel.SetGeometry(GTRect::FromSize(x, y, width, height));
        panel.SetWidgetEnabled(false);
        Root().AddChild(&panel);
    }

    static void Apply(GTButton& button, Look look) {
        switch (look) {
            case Look::Normal: break;
            case Look::Hot: button.SetHot(true); break;
            case Look::Pushed: button.OnKeyDown(GTEvent::Key(GTEvent::KeyDown, GT_VK_SPACE, 1, 0, 0)); break;
            case Look::Disabled: button.SetEnabled(false); break;
        }
    }

    // A copy of a control that shows one state and does not react to the mouse.
    template <typename T>
    T& Still(int x, int y, const std::string& skinName, const std::string& caption = {}) {
        auto& control = Keep(std::make_unique<T>());
        control.SetGeometry(GTRect::FromSize(x, y, 0, 0));
        control.SetSkinName(skinName);
        control.SetCaption(caption);
        control.SetTextColor(TEXT);
        control.LoadSkin();
        control.Layout();
        control.SetWidgetEnabled(false);
        Root().AddChild(&control);
        return control;
    }

    // One row of a button table: the skin names drawn side by side in each of the four states,
    // centred on the row.
    int ButtonRow(int y, int cell, const std::string& label, const std::vector<std::string>& names,
                  const std::string& caption = {}) {
        int rowHeight = 24;
        std::vector<GTButton*> made;
        const Look looks[] = { Look::Normal, Look::Hot, Look::Pushed, Look::Disabled };
        for (int column = 0; column < 4; ++column) {
            int x = 190 + column * cell;
            for (const std::string& name : names) {
                GTButton& b = caption.empty() ? Still<GTButton>(x, y, name) : Still<GTComboBoxEx>(x, y, name, caption);
                if (!caption.empty()) b.SetFont(FACE);
                Apply(b, looks[column]);
                x += b.Width() + 4;
                rowHeight = std::max(rowHeight, b.Height());
                made.push_back(&b);
            }
        }
        for (GTButton* b : made) {
            const GTRect& g = b->Geometry();
            b->SetGeometry(g.Offset(0, (rowHeight - g.Height()) / 2));
        }
        Text(36, y, 150, rowHeight, label, TEXT, 13);
        return y + rowHeight + 8;
    }

    void StateHeader(int y, int cell, int first = 190) {
        const char* names[] = { "常态 normal", "悬停 hot", "按下 pushed", "禁用 disable" };
        for (int i = 0; i < 4; ++i) Text(first + i * cell, y, cell - 8, 20, names[i], HOT_TEXT, 12);
    }

    void BuildButtons() {
        Panel(16, 84, 660, 478);
        Title(30, 90, "按钮 GTButton");
        const int cell = 118;
        StateHeader(114, cell);
        int y = 140;
        y = ButtonRow(y, cell, "窗口按钮",
                      { skin::LOGIN_ICON_BTNMIN, skin::LOGIN_ICON_BTNMAX, skin::LOGIN_ICON_BTNRESTORE,
                        skin::LOGIN_ICON_BTNCLOSE });
        y = ButtonRow(y, cell, "新闻", { skin::BNFRAME_BTN_NEWS });
        y = ButtonRow(y, cell, "论坛", { skin::BNFRAME_BTN_FORUM });
        y = ButtonRow(y, cell, "客服", { skin::BNFRAME_BTN_CUSTOMS });
        y = ButtonRow(y, cell, "刷新 · 截图", { skin::TOOLBAR_BTNREFRESH, skin::TOOLBAR_BTNCAPTURE });
        y = ButtonRow(y, cell, "充值", { skin::TOOLBAR_BTNCHARGE });
        y = ButtonRow(y, cell, "工具栏论坛", { skin::TOOLBAR_BTNFORUM });
        y = ButtonRow(y, cell, "工具栏客服", { skin::TOOLBAR_BTNCUSTOM });
        y = ButtonRow(y, cell, "确定", { skin::TIPS_BTN_OK });
        y = ButtonRow(y, cell, "取消", { skin::TIPS_BTN_CANCEL });
        ButtonRow(y, cell, "提示层关闭", { skin::KX_SHADOW_BTNCLOSE });

        Panel(16, 570, 1228, 160);
        Title(30, 576, "宽按钮与下拉按钮 GTButton · GTComboBoxEx");
        const int wide = 256;
        StateHeader(598, wide);
        y = 622;
        y = ButtonRow(y, wide, "清除缓存", { skin::TOOLBAR_BTNCLEARCACHE });
        y = ButtonRow(y, wide, "截图另存", { skin::TOOLBAR_BTNCAPTUREIMG });
        ButtonRow(y, wide, "账号（下拉）", { skin::NAME_BTNNAME }, "玩家一号");
    }

    void BuildToggles() {
        const int x0 = 692;
        Panel(684, 84, 560, 232);
        Title(x0 + 6, 90, "单选按钮 GTRadioButton · 复选框 GTCheckBox");
        const char* heads[] = { "未选中", "未选中悬停", "选中", "选中悬停", "禁用" };
        for (int i = 0; i < 5; ++i) Text(x0 + 6 + i * 108, 112, 104, 20, heads[i], HOT_TEXT, 12);
        struct Row {
            const char* name;
            bool radio;
        };
        const Row rows[] = { { skin::BNFRAME_BTN_GAME, true }, { skin::BNFRAME_BTN_KX, true },
                             { skin::BNFRAME_BTN_KX, false } };
        int y = 134;
        for (const Row& row : rows) {
            for (int i = 0; i < 5; ++i) {
                int x = x0 - 2 + i * 108;
                GTCheckBox& c = row.radio ? Still<GTRadioButton>(x, y, row.name) : Still<GTCheckBox>(x, y, row.name);
                c.SetChecked(i == 2 || i == 3);
                if (i == 1 || i == 3) c.SetHot(true);
                if (i == 4) c.SetEnabled(false);
            }
            y += 54;
        }
        Text(x0 + 6, 292, 540, 18, "上两行为单选（页面切换），下一行同一图片作复选框", TEXT, 12);
    }

    void BuildTexts() {
        const int x0 = 692;
        Panel(684, 324, 560, 108);
        Title(x0 + 6, 330, "文字 GTLabel · GTLinkLabel");
        Text(x0 + 6, 354, 260, 24, "普通文字 #969696", TEXT, 16);
        Text(x0 + 276, 354, 260, 24, "高亮文字 #F6C278", HOT_TEXT, 16);
        Text(x0 + 6, 378, 260, 24, "带阴影的文字", GTRgb(0xF0, 0xE6, 0xD2), 18, 700, true);
        Text(x0 + 276, 378, 260, 24, "Hi,欢迎您回来！", GTRgb(0x5E, 0x99, 0xC6), 20, 700);

        auto& normalLink = Keep(std::make_unique<GTLinkLabel>());
        normalLink.SetFont(FACE);
        normalLink.SetLink("链接：官方网站", "http://example.invalid/news/index", TEXT);
        normalLink.SetLinkColors(TEXT, HOT_TEXT);
        normalLink.SetGeometry(GTRect::FromSize(x0 + 6, 402, 260, 24));
        normalLink.SetWidgetEnabled(false);
        Root().AddChild(&normalLink);
        auto& hoveredLink = Keep(std::make_unique<GTLinkLabel>());
        hoveredLink.SetFont(FACE);
        hoveredLink.SetLink("链接悬停：官方论坛", "http://example.invalid/", TEXT);
        hoveredLink.SetLinkColors(TEXT, HOT_TEXT);
        hoveredLink.SetGeometry(GTRect::FromSize(x0 + 276, 402, 260, 24));
        hoveredLink.SetWidgetEnabled(false);
        Root().AddChild(&hoveredLink);
        m_hoveredLink = &hoveredLink;
    }

    GTPicture& Picture(int x, int y, const std::string& name) {
        auto& picture = Keep(std::make_unique<GTPicture>());
        picture.SetGeometry(GTRect::FromSize(x, y, 0, 0));
        Root().AddChild(&picture);
        picture.SetPicture(name);
        picture.SetWidgetEnabled(false);
        return picture;
    }

    void BuildPictures() {
        const int x0 = 692;
        Panel(684, 440, 560, 122);
        Title(x0 + 6, 446, "图片 GTPicture");
        Picture(x0 + 8, 470, skin::TIPS_MSG_EXIT);
        Picture(x0 + 208, 470, skin::TIPS_MSG_SWITCH);
        Picture(x0 + 410, 472, skin::PUSHMSG_ICON);
        Picture(x0 + 436, 472, skin::MENU_ICON);
        const char* steps[] = { skin::PROGRESS_STATUS_1, skin::PROGRESS_STATUS_1_2, skin::PROGRESS_STATUS_2,
                                skin::PROGRESS_STATUS_2_2, skin::PROGRESS_STATUS_3 };
        for (int i = 0; i < 5; ++i) Picture(x0 + 8 + i * 104, 524, steps[i]);
    }

    GTProgress& Progress(int x, int y, int width, int value) {
        auto& progress = Keep(std::make_unique<GTProgress>());
        progress.SetImages(skin::PROGRESS_BAR_BG_LEFT, skin::PROGRESS_BAR_BG_MID, skin::PROGRESS_BAR_BG_RIGHT,
                           skin::PROGRESS_BAR);
        progress.SetRange(0, 100);
        progress.SetValue(value);
        progress.SetGeometry(GTRect::FromSize(x, y, width, 31));
        progress.SetWidgetEnabled(false);
        Root().AddChild(&progress);
        return progress;
    }

    void BuildLiveRow() {
        Panel(16, 738, 1228, 80);
        Title(30, 744, "试一试（真实窗口中可操作）· 进度条 GTProgress");
        m_liveButton.SetSkinName(skin::TIPS_BTN_OK);
        m_liveButton.SetGeometry(GTRect::FromSize(30, 772, 0, 0));
        m_liveButton.LoadSkin();
        Root().AddChild(&m_liveButton);
        m_liveCheck.SetSkinName(skin::BNFRAME_BTN_KX);
        m_liveCheck.SetGeometry(GTRect::FromSize(140, 766, 0, 0));
        m_liveCheck.LoadSkin();
        m_liveCheck.Layout();
        Root().AddChild(&m_liveCheck);
        m_liveGame.SetSkinName(skin::BNFRAME_BTN_GAME);
        m_liveGame.SetGeometry(GTRect::FromSize(260, 766, 0, 0));
        m_liveGame.LoadSkin();
        m_liveGame.SetChecked(true);
        Root().AddChild(&m_liveGame);
        m_liveKx.SetSkinName(skin::BNFRAME_BTN_KX);
        m_liveKx.SetGeometry(GTRect::FromSize(374, 766, 0, 0));
        m_liveKx.LoadSkin();
        Root().AddChild(&m_liveKx);
        m_liveStatus.SetGeometry(GTRect::FromSize(494, 772, 250, 32));
        m_liveStatus.SetFont(14, 400, FACE);
        m_liveStatus.SetTextColor(TEXT);
        m_liveStatus.SetText("点一点左边的控件");
        Root().AddChild(&m_liveStatus);

        m_liveButton.Clicked.connect([this](GTWidget*) {
            ++m_clicks;
            m_liveStatus.SetText("确定按钮被点击 " + std::to_string(m_clicks) + " 次");
        });
        m_liveCheck.Toggled.connect([this](GTWidget*) {
            m_liveStatus.SetText(m_liveCheck.IsChecked() ? "复选框：选中" : "复选框：未选中");
        });
        auto choose = [this](GTWidget* chosen) {
            m_liveGame.SetChecked(chosen == &m_liveGame);
            m_liveKx.SetChecked(chosen == &m_liveKx);
            m_liveStatus.SetText(chosen == &m_liveGame ? "单选：游戏大厅" : "单选：平台");
        };
        m_liveGame.Chosen.connect(choose);
        m_liveKx.Chosen.connect(choose);

        Progress(760, 772, 150, 0);
        Progress(920, 772, 150, 45);
        m_liveProgress.SetImages(skin::PROGRESS_BAR_BG_LEFT, skin::PROGRESS_BAR_BG_MID, skin::PROGRESS_BAR_BG_RIGHT,
                                 skin::PROGRESS_BAR);
        m_liveProgress.SetRange(0, 100);
        m_liveProgress.SetValue(100);
        m_liveProgress.SetGeometry(GTRect::FromSize(1080, 772, 150, 31));
        Root().AddChild(&m_liveProgress);
    }

    GTBorder m_background;
    GTBorder m_topBand;
    GTButton m_minimize;
    GTButton m_close;
    GTButton m_liveButton;
    GTCheckBox m_liveCheck;
    GTRadioButton m_liveGame;
    GTRadioButton m_liveKx;
    GTLabel m_liveStatus;
    GTProgress m_liveProgress;
    GTLinkLabel* m_hoveredLink { nullptr };
    int m_clicks { 0 };
    std::vector<std::unique_ptr<GTWidget>> m_owned;
};

class GalleryApp : public platform::Application {
public:
    explicit GalleryApp(std::string schema) : m_schema(std::move(schema)) {}

protected:
    bool InitInstance() override {
        if (!InitToolkit()) {
            std::fprintf(stderr, "gallery: no display (use --png FILE to draw without one)\n");
            SetExitCode(1);
            return false;
        }
        SetApplicationName("GT gallery");
        GTResourceManager::Instance().LoadSchema(m_schema);
        platform::WindowRect work = platform::Window::PrimaryWorkArea();
        int x = work.left + std::max(0, (work.Width() - WINDOW_WIDTH) / 2);
        int y = work.top + std::max(0, (work.Height() - WINDOW_HEIGHT) / 2);
        if (!m_window.CreateHostWindow(GTRect::FromSize(x, y, WINDOW_WIDTH, WINDOW_HEIGHT), "GT 控件一览", 0,
                                       WS_POPUP | WS_VISIBLE | WS_MINIMIZEBOX | WS_SYSMENU, nullptr)) {
            SetExitCode(1);
            return false;
        }
        MainWindowCreated();
        return true;
    }

private:
    std::string m_schema;
    GalleryWindow m_window;
};

}  // namespace

int main(int argc, char** argv) {
    std::string png;
    std::string schema = AppPath(skin::SCHEMA_PATH);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) {
            png = argv[++i];
        } else if (std::strcmp(argv[i], "--skin") == 0 && i + 1 < argc) {
            schema = argv[++i];
        } else {
            std::fprintf(stderr, "usage: gallery [--png FILE] [--skin SCHEMA]\n");
            return 2;
        }
    }

    if (!png.empty()) {
        if (!GTResourceManager::Instance().LoadSchema(schema))
            std::fprintf(stderr, "gallery: the skin %s could not be read; drawing without pictures\n", schema.c_str());
        GalleryWindow window;
        window.OnCreate();
        window.OnSize(SIZE_RESTORED, WINDOW_WIDTH, WINDOW_HEIGHT);
        if (!window.WritePng(png)) {
            std::fprintf(stderr, "gallery: cannot write %s\n", png.c_str());
            return 1;
        }
        std::printf("%s\n", png.c_str());
        return 0;
    }
    GalleryApp app(schema);
    return app.Run(argc, argv);
}
