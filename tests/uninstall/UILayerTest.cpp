// The uninstaller's UI layer: layout documents, controls, notifications, the caption band and
// painting, without a display; the text field, corners and dragging on a real one.

#include <cairo.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gt/GTMessages.h"
#include "platform/SyntheticDesktop.h"
#include "platform/SyntheticInput.h"
#include "platform/TextField.h"
#include "tests/gt/WidgetTestSupport.h"
#include "uninstall/ui/UIAnimation.h"
#include "uninstall/ui/UIControls.h"
#include "uninstall/ui/UIResources.h"
#include "uninstall/ui/UIRichEdit.h"
#include "uninstall/ui/UIWindow.h"

using namespace std::chrono_literals;
namespace synthetic = platform::synthetic;

namespace {

// A PNG of one opaque colour.
std::string SolidPng(int width, int height, std::uint32_t rgb) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
    cairo_paint(cr);
    cairo_destroy(cr);
    std::string bytes;
    cairo_surface_write_to_png_stream(
        surface,
        [](void* closure, const unsigned char* data, unsigned int length) {
            static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
            return CAIRO_STATUS_SUCCESS;
        },
        &bytes);
    cairo_surface_destroy(surface);
    return bytes;
}

// Resources made by a test: layouts and pictures by number.
class TestResources {
public:
    void Add(int number, const char* type, std::string bytes) {
        m_bytes.push_back(std::make_unique<std::string>(std::move(bytes)));
        const std::string& kept = *m_bytes.back();
        m_table.push_back({ number, type, reinterpret_cast<const unsigned char*>(kept.data()), kept.size() });
    }
    std::unique_ptr<UIResources> Make() const { return std::make_unique<UIResources>(m_table); }

private:
    std::vector<std::unique_ptr<std::string>> m_bytes;
    std::vector<UIResourceEntry> m_table;
};

constexpr std::uint32_t NORMAL = 0x204080, HOT = 0x20A040, PUSHED = 0xA04020, DISABLED = 0x505050;
constexpr std::uint32_t BOX_OFF = 0x303030, BOX_ON = 0xE0C040, BAR = 0xF0A000, GROUND = 0x102030;

//  0,0 ┌────────────── 240 ───────────────┐
//      │ title (Label)   box   btnTop      │ caption band: 40 rows
//      │ note (Text)                       │
//   40 ├─ top: 40 fixed ──────────────────┤
//   80 ├─ middle: flexible ─┬─────────────┤   a: 50 wide, b: the rest, bar: 60 wide
//  150 ├─ bottom: 30 fixed ─┴─────────────┤
//  180 └──────────────────────────────────┘
const char* const LAYOUT = R"xml(<?xml version="1.0" encoding="utf-8"?>
<Window size="240,180" caption="0,0,0,40" roundcorner="4,4">
  <Font name="微软雅黑" size="14"/>
  <Font name="新宋体" size="12" bold="true"/>
  <Default name="Button" value="normalimage=&quot;1&quot; hotimage=&quot;2&quot; pushedimage=&quot;3&quot; disabledimage=&quot;4&quot;"/>
  <VerticalLayout name="root" bkcolor="#FF102030">
    <Label name="title" float="true" pos="0,0,100,20" text="drag here"/>
    <Text name="note" float="true" pos="0,20,100,40" text="not here"/>
    <CheckBox name="box" float="true" pos="110,10,130,30" normalimage="5" selectedimage="6"/>
    <Button name="btnTop" float="true" pos="150,5,210,35" text="OK"/>
    <Control name="top" height="40"/>
    <HorizontalLayout name="middle">
      <Control name="a" width="50"/>
      <Control name="b"/>
      <Progress name="bar" width="60" foreimage="7"/>
    </HorizontalLayout>
    <Control name="bottom" height="30"/>
    <Sparkle name="custom" float="true" pos="5,155,25,175"/>
    <Mystery name="lost" float="true" pos="0,0,10,10"><Button name="inside"/></Mystery>
    <Container name="panel" float="true" pos="120,90,230,140" visible="false">
      <RichEdit name="edit" maxchar="5" text="hello world"/>
    </Container>
  </VerticalLayout>
</Window>)xml";

TestResources LayoutResources(const std::string& layout = LAYOUT) {
    TestResources resources;
    resources.Add(200, "XML", layout);
    resources.Add(1, "PNG", SolidPng(60, 30, NORMAL));
    resources.Add(2, "PNG", SolidPng(60, 30, HOT));
    resources.Add(3, "PNG", SolidPng(60, 30, PUSHED));
    resources.Add(4, "PNG", SolidPng(60, 30, DISABLED));
    resources.Add(5, "PNG", SolidPng(20, 20, BOX_OFF));
    resources.Add(6, "PNG", SolidPng(20, 20, BOX_ON));
    resources.Add(7, "PNG", SolidPng(60, 10, BAR));
    resources.Add(9, "PNG", "not a picture at all");
    return resources;
}

// A layout window without a desktop window that records its notifications, with the state a
// check box had when its click arrived.
class RecordingWindow : public UIWindow {
public:
    using UIWindow::UIWindow;

    struct Heard {
        std::string type;
        std::string sender;
        bool boxSelected;
    };
    std::vector<Heard> heard;

    static platform::MouseInput At(int x, int y, std::uint32_t state = 0) {
        platform::MouseInput input;
        input.x = x;
        input.y = y;
        input.screenX = x + 100;
        input.screenY = y + 100;
        input.state = state;
        return input;
    }
    void Click(int x, int y) { Click(x, y, x, y); }
    // A whole paint pass into `surface`.
    void PaintInto(gttest::ImageWindowSurface& surface) {
        OnPaint(surface, platform::WindowRect { 0, 0, surface.Width(), surface.Height() });
    }
    void Click(int x, int y, int releaseX, int releaseY) {
        OnMouseMove(At(x, y));
        OnMouseDown(At(x, y));
        OnMouseMove(At(releaseX, releaseY, platform::InputState::LeftButton));
        OnMouseUp(At(releaseX, releaseY, platform::InputState::LeftButton));
    }

protected:
    void Notify(UINotify& notify) override {
        auto* box = Find<UICheckBox>("box");
        heard.push_back(
            { notify.type, notify.sender ? notify.sender->Name() : "", box && box->IsSelected() });
    }
};

UIWindow::Builder SparkleBuilder() {
    return [](const std::string& type) -> std::unique_ptr<UIControl> {
        if (type == "Sparkle") return std::make_unique<UIAnimation>();
        return nullptr;
    };
}

class UILayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::MessageQueue::Instance().BindToCurrentThread();
        ASSERT_TRUE(m_window.LoadLayout(200, "XML", SparkleBuilder()));
    }

    GTRect Where(const char* name) {
        UIControl* control = m_window.FindControl(name);
        return control ? control->WindowRect() : GTRect { -1, -1, -1, -1 };
    }

    TestResources m_source = LayoutResources();
    std::unique_ptr<UIResources> m_resources = m_source.Make();
    RecordingWindow m_window { *m_resources };
};

}  // namespace

TEST_F(UILayerTest, LayoutPlacesFloatingAndFlowingControlsAndKeepsTheDocumentsSize) {
    EXPECT_EQ(m_window.LayoutSize(), (GTSize { 240, 180 }));
    EXPECT_EQ(m_window.CaptionHeight(), 40);
    struct Case {
        const char* name;
        GTRect rect;
    };
    const Case cases[] = {
        { "root", { 0, 0, 240, 180 } },     { "title", { 0, 0, 100, 20 } },
        { "btnTop", { 150, 5, 210, 35 } },  { "top", { 0, 0, 240, 40 } },
        { "middle", { 0, 40, 240, 150 } },  { "a", { 0, 40, 50, 150 } },
        { "b", { 50, 40, 180, 150 } },      { "bar", { 180, 40, 240, 150 } },
        { "bottom", { 0, 150, 240, 180 } }, { "panel", { 120, 90, 230, 140 } },
        { "edit", { 120, 90, 230, 140 } },  { "custom", { 5, 155, 25, 175 } },
    };
    for (const Case& c : cases) EXPECT_EQ(Where(c.name), c.rect) << c.name;

    // Types by element name; the builder makes the custom one; an element nobody makes is left
    // out with what it holds.
    EXPECT_STREQ(m_window.FindControl("note")->GetClass().data(), "TextUI");
    EXPECT_TRUE(m_window.FindControl("box")->IsA("OptionUI"));
    EXPECT_NE(m_window.Find<UIAnimation>("custom"), nullptr);
    EXPECT_EQ(m_window.FindControl("lost"), nullptr);
    EXPECT_EQ(m_window.FindControl("inside"), nullptr);
    // Fonts by index; a size is the character height; an index out of range gives the first.
    EXPECT_EQ(m_window.Font(1).face, "新宋体");
    EXPECT_EQ(m_window.Font(1).height, -12);
    EXPECT_EQ(m_window.Font(1).weight, 700);
    EXPECT_EQ(m_window.Font(7).face, "微软雅黑");
    // Defaults give every Button its four pictures; "windowinit" came once.
    ASSERT_EQ(m_window.heard.size(), 1u);
    EXPECT_EQ(m_window.heard[0].type, UI_NOTIFY_WINDOWINIT);
    EXPECT_EQ(m_window.heard[0].sender, "");
}

TEST_F(UILayerTest, BrokenDocumentsLoadNothing) {
    const std::string cases[] = {
        "",                                                               // missing
        "<Window size=\"10,10\"><Control></Window>",                      // not well formed
        "<Dialog size=\"10,10\"><Control/></Dialog>",                     // not a window
        "<Window size=\"10,10\"><Font name=\"x\" size=\"9\"/></Window>",  // no root control
        "<Window size=\"10,10\"><Mystery><Control/></Mystery></Window>",  // root nobody makes
    };
    for (const std::string& layout : cases) {
        TestResources source;
        if (!layout.empty()) source.Add(300, "XML", layout);
        auto resources = source.Make();
        RecordingWindow window(*resources);
        EXPECT_FALSE(window.LoadLayout(300, "XML")) << layout;
        EXPECT_TRUE(window.heard.empty()) << layout;
        EXPECT_EQ(window.RootControl(), nullptr) << layout;
    }
    // A picture that is no PNG is simply not drawn.
    EXPECT_EQ(m_resources->Image(9), nullptr);
    EXPECT_EQ(m_resources->Image(42), nullptr);
    ASSERT_NE(m_resources->Image(1), nullptr);
    EXPECT_EQ(m_resources->Image(1)->Width(), 60);
}

TEST_F(UILayerTest, AttributeValuesReadWhatTheyCanAndFallBackOnTheRest) {
    EXPECT_EQ(ParseUIColor("#FF969696"), 0xFF969696u);
    EXPECT_EQ(ParseUIColor("#98C570"), 0xFF98C570u);
    EXPECT_EQ(ParseUIColor("0x80102030"), 0x80102030u);
    EXPECT_EQ(ParseUIColor("#FF96"), 0u);
    EXPECT_EQ(ParseUIColor("#GG969696"), 0u);
    EXPECT_EQ(ParseUIColor("red"), 0u);
    EXPECT_EQ(UIColorToGT(0xFF102030), GTRgb(0x10, 0x20, 0x30));
    EXPECT_EQ(ParseUIRect("290,55,540,80"), (GTRect { 290, 55, 540, 80 }));
    EXPECT_EQ(ParseUIRect("-4, 2"), (GTRect { -4, 2, 0, 0 }));
    EXPECT_EQ(ParseUIRect("x,y"), (GTRect {}));
    EXPECT_TRUE(ParseUIBool("TRUE"));
    EXPECT_TRUE(ParseUIBool("1"));
    EXPECT_FALSE(ParseUIBool("yes"));

    UIImageRef bare = ParseUIImageRef("131");
    EXPECT_EQ(bare.number, 131);
    EXPECT_FALSE(bare.hasDest);
    UIImageRef full = ParseUIImageRef("res='130' dest='4,0,541,402' source=\"0,0,10,10\"");
    EXPECT_EQ(full.number, 130);
    ASSERT_TRUE(full.hasDest);
    EXPECT_EQ(full.dest, (GTRect { 4, 0, 541, 402 }));
    ASSERT_TRUE(full.hasSource);
    EXPECT_EQ(full.source, (GTRect { 0, 0, 10, 10 }));
    EXPECT_FALSE(ParseUIImageRef("res='").IsSet());
}

TEST_F(UILayerTest, ClicksReachTheWindowByNameAndACheckBoxsClickComesBeforeItChanges) {
    m_window.heard.clear();
    auto* box = m_window.Find<UICheckBox>("box");
    auto* button = m_window.Find<UIButton>("btnTop");
    ASSERT_TRUE(box && button);

    m_window.Click(180, 20);
    m_window.Click(120, 20);
    m_window.Click(120, 20);
    ASSERT_EQ(m_window.heard.size(), 3u);
    EXPECT_EQ(m_window.heard[0].type, UI_NOTIFY_CLICK);
    EXPECT_EQ(m_window.heard[0].sender, "btnTop");
    // Not selected when the first click arrived, selected at the second.
    EXPECT_EQ(m_window.heard[1].sender, "box");
    EXPECT_FALSE(m_window.heard[1].boxSelected);
    EXPECT_TRUE(m_window.heard[2].boxSelected);
    EXPECT_FALSE(box->IsSelected());

    // A press that leaves the button before the release, a disabled button, a click on a label:
    // no notification.
    m_window.Click(180, 20, 100, 100);
    EXPECT_EQ(button->GetState(), UIButton::State::Normal);
    button->SetEnabled(false);
    m_window.Click(180, 20);
    button->Activate();
    m_window.Click(30, 10);
    EXPECT_EQ(m_window.heard.size(), 3u);

    // A hidden control is out of reach.
    button->SetEnabled(true);
    button->Show(false);
    m_window.Click(180, 20);
    EXPECT_EQ(m_window.heard.size(), 3u);
}

TEST_F(UILayerTest, TheCaptionBandMovesTheWindowExceptOverButtonsCheckBoxesAndTexts) {
    struct Case {
        int x, y;
        int zone;
        const char* over;
    };
    const Case cases[] = {
        { 50, 10, HTCAPTION, "a label" },
        { 230, 2, HTCAPTION, "nothing but the root" },
        { 180, 20, HTCLIENT, "a button" },
        { 120, 20, HTCLIENT, "a check box" },
        { 50, 30, HTCLIENT, "a text" },
        { 50, 39, HTCLIENT, "a text, last caption row" },
        { 225, 39, HTCAPTION, "plain control, last caption row" },
        { 225, 40, HTCLIENT, "below the band" },
    };
    for (const Case& c : cases) EXPECT_EQ(m_window.OnHitTest(c.x, c.y), c.zone) << c.over;
}

TEST_F(UILayerTest, ButtonsCheckBoxesAndProgressDrawTheLookOfTheirState) {
    gttest::ImageWindowSurface surface(240, 180);
    auto paint = [&] {
        m_window.PaintInto(surface);
        return std::array<std::uint32_t, 3> { surface.At(200, 30), surface.At(125, 25), surface.At(181, 60) };
    };
    auto* button = m_window.Find<UIButton>("btnTop");
    auto* box = m_window.Find<UICheckBox>("box");
    auto* bar = m_window.Find<UIProgress>("bar");
    ASSERT_TRUE(button && box && bar);
    const auto solid = [](std::uint32_t rgb) { return 0xFF000000u | rgb; };

    auto pixels = paint();
    EXPECT_EQ(pixels[0], solid(NORMAL));
    EXPECT_EQ(pixels[1], solid(BOX_OFF));
    EXPECT_EQ(pixels[2], solid(GROUND));  // the bar at 0 shows the ground

    m_window.OnMouseMove(RecordingWindow::At(200, 30));
    EXPECT_EQ(paint()[0], solid(HOT));
    m_window.OnMouseDown(RecordingWindow::At(200, 30));
    EXPECT_EQ(paint()[0], solid(PUSHED));
    m_window.OnMouseUp(RecordingWindow::At(200, 30, platform::InputState::LeftButton));
    button->SetEnabled(false);
    box->Selected(true);
    bar->SetValue(50);
    pixels = paint();
    EXPECT_EQ(pixels[0], solid(DISABLED));
    EXPECT_EQ(pixels[1], solid(BOX_ON));
    // Half of 60 columns: the fore picture up to column 209, the ground after it.
    EXPECT_EQ(surface.At(209, 45), solid(BAR));
    EXPECT_EQ(surface.At(210, 45), solid(GROUND));
    bar->SetValue(500);
    EXPECT_EQ(bar->Value(), 100);
}

TEST_F(UILayerTest, TheTextFieldKeepsItsTextAndLimitWithoutADesktopWindow) {
    auto* edit = m_window.Find<UIRichEdit>("edit");
    ASSERT_NE(edit, nullptr);
    // maxchar 5 was read before the text: the text is cut at five characters.
    EXPECT_EQ(edit->GetText(), "hello");
    edit->SetLimitText(4);
    edit->SetText("说一句话吧");
    EXPECT_EQ(edit->GetText(), "说一句话");
    EXPECT_EQ(edit->Field(), nullptr);
}

// ---- on a display ----

namespace {

class UILayerDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* reason = synthetic::WhyUnusable()) GTEST_SKIP() << reason;
        m_display = std::make_unique<synthetic::ExclusiveUse>();
    }
    void TearDown() override {
        if (m_display) synthetic::Release(1);
    }

    // Opens the test layout at (x, y) and waits until it shows.
    void Open(RecordingWindow& window, int x, int y) {
        ASSERT_TRUE(window.Create(200, "XML", SparkleBuilder(), GTRect::FromSize(x, y, 400, 300),
                                  "layout test", WS_POPUP | WS_VISIBLE));
        window.BringToFront();
        ASSERT_TRUE(synthetic::PumpUntil(
            [&] { return synthetic::ReadWindowPixel(*window.Host(), 60, 60) == 0xFF000000u + GROUND; }, 10s));
    }
    GTPoint Screen(const UIWindow& window, int x, int y) {
        window.ClientToScreen(x, y);
        return { x, y };
    }

    TestResources m_source = LayoutResources();
    std::unique_ptr<UIResources> m_resources = m_source.Make();
    std::unique_ptr<synthetic::ExclusiveUse> m_display;
};

}  // namespace

TEST_F(UILayerDisplayTest, TheWindowTakesTheLayoutsSizeWithRoundCornersAndDragsByItsCaption) {
    RecordingWindow window(*m_resources);
    Open(window, 100, 100);
    EXPECT_EQ(window.GetWindowRect(), GTRect::FromSize(100, 100, 240, 180));
    // Corners cut by a 4 × 4 ellipse; the edge next to a corner is kept.
    ASSERT_TRUE(window.Host()->HasRegion());
    EXPECT_FALSE(window.Host()->Region().Contains(0, 0));
    EXPECT_FALSE(window.Host()->Region().Contains(239, 179));
    EXPECT_TRUE(window.Host()->Region().Contains(2, 0));
    EXPECT_TRUE(window.Host()->Region().Contains(0, 2));

    // A press on the caption's label moves the window ...
    GTPoint grip = Screen(window, 50, 10);
    synthetic::MoveTo(grip.x, grip.y);
    synthetic::Press(1);
    for (int step = 1; step <= 4; ++step) synthetic::MoveTo(grip.x + 10 * step, grip.y + 5 * step);
    synthetic::Release(1);
    EXPECT_TRUE(synthetic::PumpUntil(
        [&] { return window.GetWindowRect() == GTRect::FromSize(140, 120, 240, 180); }, 5s));

    // ... a press on its button clicks it and leaves the window where it is.
    window.heard.clear();
    GTPoint button = Screen(window, 180, 20);
    synthetic::MoveTo(button.x, button.y);
    synthetic::Press(1);
    synthetic::MoveTo(button.x + 3, button.y + 2);
    synthetic::Release(1);
    ASSERT_TRUE(synthetic::PumpUntil([&] { return !window.heard.empty(); }, 5s));
    EXPECT_EQ(window.heard[0].sender, "btnTop");
    EXPECT_EQ(window.GetWindowRect(), GTRect::FromSize(140, 120, 240, 180));
}

TEST_F(UILayerDisplayTest, TheTextFieldTakesInputMethodTextUpToItsLimitAndHidesWithItsContainer) {
    // The input method of the test display: the toolkit's own, which composes any character
    // from its code (Ctrl+Shift+U, hexadecimal digits, space), as IMEs hand over composed text.
    setenv("GTK_IM_MODULE", "gtk-im-context-simple", 1);
    RecordingWindow window(*m_resources);
    Open(window, 80, 80);
    auto* edit = window.Find<UIRichEdit>("edit");
    ASSERT_TRUE(edit && edit->Field());
    EXPECT_FALSE(edit->Field()->IsVisible());
    edit->SetText("");
    edit->SetLimitText(3);
    window.FindControl("panel")->Show(true);
    ASSERT_TRUE(edit->Field()->IsVisible());
    EXPECT_EQ(edit->Field()->Bounds(), (platform::WindowRect { 120, 90, 230, 140 }));
    ASSERT_TRUE(synthetic::PumpUntil([&] { return edit->Field()->IsOnScreen(); }, 5s));

    // Click into the field: it takes the keyboard.
    GTPoint inside = Screen(window, 170, 110);
    synthetic::MoveTo(inside.x, inside.y);
    synthetic::Press(1);
    synthetic::Release(1);
    ASSERT_TRUE(synthetic::PumpUntil([&] { return edit->Field()->HasFocus(); }, 5s));

    auto compose = [](const char* hex) {
        synthetic::TypeKey("u", { "Control_L", "Shift_L" });
        for (const char* c = hex; *c; ++c) synthetic::TypeKey(std::string(1, *c));
        synthetic::TypeKey("space");
    };
    compose("4e2d");  // 中
    compose("6587");  // 文
    ASSERT_TRUE(synthetic::PumpUntil([&] { return edit->GetText() == "中文"; }, 5s)) << edit->GetText();
    synthetic::TypeKey("a");
    synthetic::TypeKey("b");
    synthetic::TypeKey("c");
    // Only one more fits.
    ASSERT_TRUE(synthetic::PumpUntil([&] { return edit->GetText() == "中文a"; }, 5s)) << edit->GetText();
    // A commit that does not fit is dropped; the keys after it still count.
    compose("597d");
    synthetic::TypeKey("BackSpace");
    EXPECT_TRUE(synthetic::PumpUntil([&] { return edit->GetText() == "中文"; }, 5s)) << edit->GetText();

    window.FindControl("panel")->Show(false);
    EXPECT_FALSE(edit->Field()->IsVisible());
    EXPECT_EQ(edit->GetText(), "中文");
}
