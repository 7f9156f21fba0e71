#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>

#include "gt/GTBorder.h"
#include "gt/GTButton.h"
#include "gt/GTMessages.h"
#include "gt/GTWindow.h"
#include "platform/SyntheticInput.h"
#include "tests/gt/WidgetTestSupport.h"
#include "tests/support/TempDir.h"

using namespace std::chrono_literals;
using gttest::Stored;
namespace synthetic = platform::synthetic;

namespace {

constexpr int CAPTION_HEIGHT = 30;

// A window with a background, one button under a caption band, counting paints and clicks.
class ButtonWindow : public GTWindow {
public:
    int OnCreate() override {
        if (GTWindow::OnCreate() == -1) return -1;
        return CreateWidgets() ? 0 : -1;
    }
    bool CreateWidgets() override {
        background.SetSkin("win.bkg", 0, 0, 0, 0);
        Root().AddChild(&background);
        button.SetGeometry(GTRect::FromSize(60, 60, 0, 0));
        button.SetSkinName("btn");
        button.LoadSkin();
        Root().AddChild(&button);
        button.Clicked.connect(sigc::mem_fun(*this, &ButtonWindow::OnButton));
        return true;
    }
    void OnSize(int type, int width, int height) override {
        GTWindow::OnSize(type, width, height);
        background.SetGeometry(GTRect::FromSize(0, 0, width, height));
    }
    int OnHitTest(int x, int y) override { return y < CAPTION_HEIGHT ? HTCAPTION : HTCLIENT; }
    void OnPaint(platform::WindowSurface& surface, const platform::WindowRect& area) override {
        ++paints;
        GTWindow::OnPaint(surface, area);
    }
    void OnButton(GTWidget*) { ++clicks; }

    // Screen position of a client point.
    GTPoint Screen(int x, int y) const {
        ClientToScreen(x, y);
        return GTPoint { x, y };
    }

    GTBorder background;
    GTButton button;
    int paints { 0 };
    int clicks { 0 };
};

class RealWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* reason = synthetic::WhyUnusable()) GTEST_SKIP() << reason;
        m_display = std::make_unique<synthetic::ExclusiveUse>();
        ASSERT_TRUE(gttest::LoadSolidSkin(m_dir.Path(), {
                                                            { "win.bkg", 40, 40, 48, 8, 8 },
                                                            { "btn.normal", 200, 0, 0, 80, 30 },
                                                            { "btn.hot", 0, 200, 0, 80, 30 },
                                                            { "btn.pushed", 0, 0, 200, 80, 30 },
                                                        }));
    }
    void TearDown() override {
        if (m_display) synthetic::Release(1);
        GTResourceManager::Instance().Clear();
    }

    // Opens the window and waits until it has been painted on the display.
    void Open(ButtonWindow& window, int x, int y) {
        ASSERT_TRUE(window.CreateHostWindow(GTRect::FromSize(x, y, 320, 200), "GT window test", 0,
                                            WS_POPUP | WS_VISIBLE, nullptr));
        window.BringToFront();
        ASSERT_TRUE(synthetic::PumpUntil([&] { return window.paints > 0; }, 10s));
    }

    test::TempDir m_dir;
    std::unique_ptr<synthetic::ExclusiveUse> m_display;
};

}  // namespace

TEST_F(RealWindowTest, ClickingTheButtonWithRealInputEmitsClicked) {
    ButtonWindow window;
    Open(window, 120, 140);
    ASSERT_EQ(window.button.Geometry(), GTRect::FromSize(60, 60, 80, 30));
    EXPECT_EQ(synthetic::ReadWindowPixel(*window.Host(), 100, 75), Stored(200, 0, 0));
    EXPECT_EQ(synthetic::ReadWindowPixel(*window.Host(), 10, 150), Stored(40, 40, 48));

    GTPoint centre = window.Screen(100, 75);
    synthetic::MoveTo(centre.x, centre.y);
    ASSERT_TRUE(synthetic::PumpUntil([&] { return window.button.GetState() == GTButton::Hot; }, 5s));
    // The hover reaches the screen through one repaint request.
    EXPECT_TRUE(synthetic::PumpUntil(
        [&] { return synthetic::ReadWindowPixel(*window.Host(), 100, 75) == Stored(0, 200, 0); }, 5s));

    synthetic::Press(1);
    ASSERT_TRUE(synthetic::PumpUntil([&] { return window.button.GetState() == GTButton::Pushed; }, 5s));
    EXPECT_TRUE(window.IsMouseCaptured());
    synthetic::Release(1);
    ASSERT_TRUE(synthetic::PumpUntil([&] { return window.clicks == 1; }, 5s));
    EXPECT_FALSE(window.IsMouseCaptured());
    EXPECT_EQ(window.button.GetState(), GTButton::Normal);
}

TEST_F(RealWindowTest, DraggingTheCaptionMovesTheWindow) {
    ButtonWindow window;
    Open(window, 100, 100);
    GTRect start = window.GetWindowRect();
    GTPoint grip = window.Screen(200, CAPTION_HEIGHT / 2);
    synthetic::MoveTo(grip.x, grip.y);
    synthetic::Press(1);
    for (int step = 1; step <= 4; ++step) synthetic::MoveTo(grip.x + 20 * step, grip.y + 15 * step);
    synthetic::Release(1);

    GTRect expected = start.Offset(80, 60);
    EXPECT_TRUE(synthetic::PumpUntil([&] { return window.GetWindowRect() == expected; }, 5s))
        << "window at " << window.GetWindowRect().left << "," << window.GetWindowRect().top << ", expected "
        << expected.left << "," << expected.top;
    // The press in the caption was the desktop's: the widgets saw nothing of it.
    EXPECT_EQ(window.clicks, 0);
    EXPECT_EQ(window.Root().PressTarget(), nullptr);
    EXPECT_FALSE(window.IsMouseCaptured());
}

namespace {

// Two halves: magenta on the left, red on the right.
class LayeredWindow : public GTWindow {
public:
    int OnCreate() override {
        if (GTWindow::OnCreate() == -1) return -1;
        Root().AddChild(&left);
        Root().AddChild(&right);
        return 0;
    }
    void OnSize(int type, int width, int height) override {
        GTWindow::OnSize(type, width, height);
        left.SetGeometry(GTRect::FromSize(0, 0, width / 2, height));
        right.SetGeometry(GTRect::FromSize(width / 2, 0, width / 2, height / 2));
    }
    void OnPaint(platform::WindowSurface& surface, const platform::WindowRect& area) override {
        ++paints;
        GTWindow::OnPaint(surface, area);
    }

    gttest::Probe left { GTRgb(255, 0, 255) };
    gttest::Probe right { GTRgb(200, 0, 0) };
    int paints { 0 };
};

std::uint32_t Alpha(std::optional<std::uint32_t> argb) { return argb ? *argb >> 24 : 0xFFFFFFFF; }

}  // namespace

TEST_F(RealWindowTest, LayeredWindowShowsTheKeyColourTransparentAndTheRestAtItsAlpha) {
    LayeredWindow window;
    ASSERT_TRUE(window.CreateHostWindow(GTRect::FromSize(300, 300, 200, 100), "layered", WS_EX_LAYERED,
                                        WS_POPUP | WS_VISIBLE, nullptr));
    window.SetLayeredAttributes(GTRgb(255, 0, 255), 180, LWA_COLORKEY | LWA_ALPHA);
    ASSERT_TRUE(synthetic::PumpUntil([&] { return window.paints > 0; }, 10s));
    ASSERT_TRUE(synthetic::PumpUntil([&] { return synthetic::ReadWindowPixel(*window.Host(), 150, 20).has_value(); }, 5s));
    EXPECT_EQ(Alpha(synthetic::ReadWindowPixel(*window.Host(), 20, 20)), 0u);
    std::optional<std::uint32_t> red = synthetic::ReadWindowPixel(*window.Host(), 150, 20);
    EXPECT_NEAR(static_cast<int>(Alpha(red)), 180, 1);
    EXPECT_NEAR(static_cast<int>((*red >> 16) & 0xFF), 200, 2);
}

TEST_F(RealWindowTest, LayeredWindowShowsThePushedPictureWithItsAlpha) {
    LayeredWindow window;
    ASSERT_TRUE(window.CreateHostWindow(GTRect::FromSize(300, 300, 200, 100), "layered", WS_EX_LAYERED,
                                        WS_POPUP | WS_VISIBLE, nullptr));
    window.left.SetVisible(false);
    window.PaintLayered();
    // Nothing paints a pushed window: the picture is its whole content.
    ASSERT_TRUE(synthetic::PumpUntil(
        [&] { return synthetic::ReadWindowPixel(*window.Host(), 150, 20) == gttest::Painted(GTRgb(200, 0, 0)); }, 5s));
    EXPECT_EQ(window.paints, 0);
    EXPECT_EQ(Alpha(synthetic::ReadWindowPixel(*window.Host(), 20, 20)), 0u);
    EXPECT_EQ(Alpha(synthetic::ReadWindowPixel(*window.Host(), 150, 80)), 0u);
}

TEST(WindowRegionTest, RoundedRegionCutsTheCornersAndLeavesOutTheLastRowAndColumn) {
    //   row 0:  .#######.      (x 0..9; the last column, x 9, is never inside)
    //   row 1:  ########.
    //   ...
    //   row 6:  .#######.
    //   row 7:  .........      (the last row is never inside)
    platform::WindowRegion region = platform::WindowRegion::RoundRect({ 0, 0, 10, 8 }, 4, 4);
    struct Case {
        int x, y;
        bool inside;
    };
    const Case cases[] = { { 0, 0, false }, { 1, 0, true }, { 7, 0, true }, { 8, 0, false }, { 0, 1, true },
                           { 8, 1, true },  { 9, 1, false }, { 0, 6, false }, { 1, 6, true }, { 4, 7, false } };
    for (const Case& c : cases) EXPECT_EQ(region.Contains(c.x, c.y), c.inside) << c.x << "," << c.y;
    EXPECT_EQ(region.Bounds(), (platform::WindowRect { 0, 0, 9, 7 }));

    platform::WindowRegion bottomOnly = platform::WindowRegion::RoundBottomRect({ 0, 0, 10, 8 }, 4, 4);
    EXPECT_TRUE(bottomOnly.Contains(0, 0));
    EXPECT_FALSE(bottomOnly.Contains(0, 6));
}

namespace {

class RefreshWindow : public LayeredWindow {
public:
    void OnRefresh() override { ++refreshes; }
    int refreshes { 0 };
};

}  // namespace

TEST_F(RealWindowTest, ChildWindowSitsInItsParentAndHearsTheRefresh) {
    RefreshWindow parent, child;
    ASSERT_TRUE(parent.CreateHostWindow(GTRect::FromSize(200, 200, 240, 160), WS_POPUP | WS_VISIBLE, nullptr));
    ASSERT_TRUE(child.CreateHostWindow(GTRect::FromSize(40, 30, 100, 60), WS_CHILD | WS_VISIBLE, &parent));
    ASSERT_TRUE(synthetic::PumpUntil([&] { return child.paints > 0 && parent.paints > 0; }, 10s));
    int x = 0, y = 0;
    child.ClientToScreen(x, y);
    GTRect parentRect = parent.GetWindowRect();
    EXPECT_EQ(x, parentRect.left + 40);
    EXPECT_EQ(y, parentRect.top + 30);
    EXPECT_EQ(child.GetClientRect(), GTRect::FromSize(0, 0, 100, 60));
    // The child's left half is magenta, the parent's right half red above its middle.
    EXPECT_EQ(synthetic::ReadWindowPixel(*child.Host(), 10, 10), gttest::Painted(GTRgb(255, 0, 255)));
    EXPECT_EQ(synthetic::ReadWindowPixel(*parent.Host(), 200, 10), gttest::Painted(GTRgb(200, 0, 0)));

    // A top-level window passes the refresh on; a child window only when asked to.
    parent.Post(WM_GT_REFRESH);
    ASSERT_TRUE(synthetic::PumpUntil([&] { return parent.refreshes == 1; }, 5s));
    EXPECT_EQ(child.refreshes, 1);
    child.Post(WM_GT_REFRESH);
    ASSERT_TRUE(synthetic::PumpUntil([&] { return child.refreshes == 2; }, 5s));
    EXPECT_EQ(parent.refreshes, 1);

    parent.DestroyWindow();
    EXPECT_FALSE(child.IsWindow());
}
