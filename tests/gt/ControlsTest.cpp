#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gt/GTBorder.h"
#include "gt/GTButton.h"
#include "gt/GTCheckBox.h"
#include "gt/GTComboBoxEx.h"
#include "gt/GTLabel.h"
#include "gt/GTLinkLabel.h"
#include "gt/GTMessages.h"
#include "gt/GTPicture.h"
#include "gt/GTProgress.h"
#include "gt/GTRadioButton.h"
#include "platform/ShellOpen.h"
#include "tests/gt/WidgetTestSupport.h"
#include "tests/support/TempDir.h"

using gttest::ImageWindowSurface;
using gttest::Stored;
using gttest::TestWindow;
using platform::MouseButton;

namespace {

// Block colours of the test skin.
constexpr std::uint32_t BTN_NORMAL = Stored(200, 0, 0);
constexpr std::uint32_t BTN_HOT = Stored(0, 200, 0);
constexpr std::uint32_t BTN_PUSHED = Stored(0, 0, 200);
constexpr std::uint32_t BTN_DISABLE = Stored(128, 128, 128);
constexpr std::uint32_t BARE_NORMAL = Stored(200, 200, 0);
constexpr std::uint32_t CHK_NORMAL_CHECKED = Stored(250, 100, 0);
constexpr std::uint32_t CHK_HOT_CHECKED = Stored(250, 180, 0);
constexpr std::uint32_t CHK_NORMAL_UNCHECKED = Stored(0, 100, 250);
constexpr std::uint32_t CHK_HOT_UNCHECKED = Stored(0, 180, 250);
constexpr std::uint32_t CHK_DISABLE = Stored(90, 90, 90);
constexpr std::uint32_t BAR_FILL = Stored(240, 240, 240);
constexpr std::uint32_t BAR_LEFT = Stored(60, 0, 0);
constexpr std::uint32_t BAR_MID = Stored(0, 60, 0);
constexpr std::uint32_t BAR_RIGHT = Stored(0, 0, 60);

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gttest::LoadSolidSkin(m_dir.Path(), {
                                                            { "btn.normal", 200, 0, 0 },
                                                            { "btn.hot", 0, 200, 0 },
                                                            { "btn.pushed", 0, 0, 200 },
                                                            { "btn.disable", 128, 128, 128 },
                                                            { "bare.normal", 200, 200, 0, 30, 12 },
                                                            { "chk.normal.checked", 250, 100, 0, 12, 12 },
                                                            { "chk.hot.checked", 250, 180, 0, 12, 12 },
                                                            { "chk.normal.unchecked", 0, 100, 250, 12, 12 },
                                                            { "chk.hot.unchecked", 0, 180, 250, 12, 12 },
                                                            { "chk.disable", 90, 90, 90, 12, 12 },
                                                            { "bar.left", 60, 0, 0, 10, 20 },
                                                            { "bar.mid", 0, 60, 0, 10, 20 },
                                                            { "bar.right", 0, 0, 60, 10, 20 },
                                                            { "bar.fill", 240, 240, 240, 10, 20 },
                                                            { "pic.icon", 150, 0, 150, 16, 16 },
                                                        }));
    }
    void TearDown() override { GTResourceManager::Instance().Clear(); }

    // Paints the whole window and answers the colour at a point.
    std::uint32_t ColorAt(TestWindow& window, int x, int y) {
        ImageWindowSurface surface(window.GetClientRect().Width(), window.GetClientRect().Height());
        window.PaintInto(surface);
        return surface.At(x, y);
    }

    test::TempDir m_dir;
};

template <typename Button>
void AddButton(TestWindow& window, Button& button, const std::string& skin, int x = 20, int y = 20) {
    button.SetGeometry(GTRect::FromSize(x, y, 1, 1));
    button.SetSkinName(skin);
    button.LoadSkin();
    button.Layout();
    window.Root().AddChild(&button);
}

}  // namespace

TEST_F(ControlsTest, ButtonStateMachine) {
    using Act = std::function<void(TestWindow&, GTButton&)>;
    struct Case {
        const char* what;
        Act act;
        GTButton::State state;
        int clicks;
        std::uint32_t color;
    };
    // The button covers 20..40 × 20..30; (25, 25) is inside, (100, 100) outside.
    const Case cases[] = {
        { "untouched", [](TestWindow&, GTButton&) {}, GTButton::Normal, 0, BTN_NORMAL },
        { "hovered", [](TestWindow& w, GTButton&) { w.Move(25, 25); }, GTButton::Hot, 0, BTN_HOT },
        { "hovered then left",
          [](TestWindow& w, GTButton&) {
              w.Move(25, 25);
              w.Move(100, 100);
          },
          GTButton::Normal, 0, BTN_NORMAL },
        { "pressed", [](TestWindow& w, GTButton&) { w.Press(25, 25); }, GTButton::Pushed, 0, BTN_PUSHED },
        { "clicked", [](TestWindow& w, GTButton&) { w.Click(25, 25); }, GTButton::Normal, 1, BTN_NORMAL },
        { "dragged out",
          [](TestWindow& w, GTButton&) {
              w.Press(25, 25);
              w.Move(100, 100);
          },
          GTButton::Normal, 0, BTN_NORMAL },
        { "dragged out and released outside",
          [](TestWindow& w, GTButton&) {
              w.Press(25, 25);
              w.Move(100, 100);
              w.Release(100, 100);
          },
          GTButton::Normal, 0, BTN_NORMAL },
        { "dragged out and back in",
          [](TestWindow& w, GTButton&) {
              w.Press(25, 25);
              w.Move(100, 100);
              w.Move(26, 25);
          },
          GTButton::Pushed, 0, BTN_PUSHED },
        { "dragged out, back in and released",
          [](TestWindow& w, GTButton&) {
              w.Press(25, 25);
              w.Move(100, 100);
              w.Move(26, 25);
              w.Release(26, 25);
          },
          GTButton::Normal, 1, BTN_NORMAL },
        { "right press with the default trigger", [](TestWindow& w, GTButton&) { w.Press(25, 25, MouseButton::Right); },
          GTButton::Normal, 0, BTN_NORMAL },
        { "right click with the default trigger",
          [](TestWindow& w, GTButton&) {
              w.Press(25, 25, MouseButton::Right);
              w.Release(25, 25, MouseButton::Right);
          },
          GTButton::Hot, 0, BTN_HOT },
        { "right click with a right trigger",
          [](TestWindow& w, GTButton& b) {
              b.SetTriggerMask(GTEvent::RIGHT_BUTTON);
              w.Press(25, 25, MouseButton::Right);
              w.Release(25, 25, MouseButton::Right);
          },
          GTButton::Normal, 1, BTN_NORMAL },
        { "space held",
          [](TestWindow& w, GTButton& b) {
              w.Root().SetFocusWidget(&b);
              w.Key(true, GT_VK_SPACE);
          },
          GTButton::Pushed, 0, BTN_PUSHED },
        { "space pressed and released",
          [](TestWindow& w, GTButton& b) {
              w.Root().SetFocusWidget(&b);
              w.Key(true, GT_VK_SPACE);
              w.Key(false, GT_VK_SPACE);
          },
          GTButton::Normal, 1, BTN_NORMAL },
        { "enter",
          [](TestWindow& w, GTButton& b) {
              w.Root().SetFocusWidget(&b);
              w.Key(true, GT_VK_RETURN);
          },
          GTButton::Normal, 1, BTN_NORMAL },
        { "disabled and clicked, hovered and keyed",
          [](TestWindow& w, GTButton& b) {
              b.SetEnabled(false);
              w.Move(25, 25);
              w.Click(25, 25);
              w.Root().SetFocusWidget(&b);
              EXPECT_FALSE(w.Root().OnKeyDown(GTEvent::Key(GTEvent::KeyDown, GT_VK_RETURN, 1, 0, 0)));
              EXPECT_FALSE(w.Root().OnKeyDown(GTEvent::Key(GTEvent::KeyDown, GT_VK_SPACE, 1, 0, 0)));
              EXPECT_FALSE(w.Root().OnKeyUp(GTEvent::Key(GTEvent::KeyUp, GT_VK_SPACE, 1, 0, 0)));
              b.SetHot(true);
          },
          GTButton::Disabled, 0, BTN_DISABLE },
        { "disabled and enabled again",
          [](TestWindow& w, GTButton& b) {
              b.SetEnabled(false);
              b.SetEnabled(true);
          },
          GTButton::Normal, 0, BTN_NORMAL },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestWindow window;
        GTButton button;
        int clicks = 0;
        GTWidget* sender = nullptr;
        button.Clicked.connect([&](GTWidget* w) {
            ++clicks;
            sender = w;
        });
        AddButton(window, button, "btn");
        ASSERT_EQ(button.Geometry(), GTRect::FromSize(20, 20, 20, 10));
        c.act(window, button);
        EXPECT_EQ(button.GetState(), c.state);
        EXPECT_EQ(clicks, c.clicks);
        if (clicks) {
            EXPECT_EQ(sender, &button);
        }
        EXPECT_EQ(ColorAt(window, 30, 25), c.color);
    }
}

TEST_F(ControlsTest, DisabledButtonStillTakesThePress) {
    TestWindow window;
    GTButton button;
    AddButton(window, button, "btn");
    button.SetEnabled(false);
    window.Press(25, 25);
    EXPECT_EQ(window.Root().PressTarget(), &button);
    EXPECT_TRUE(window.IsMouseCaptured());
}

TEST_F(ControlsTest, ButtonWithoutStatePicturesShowsTheNormalOneAndFallsBackTo16By14) {
    TestWindow window;
    GTButton bare, missing;
    AddButton(window, bare, "bare");
    AddButton(window, missing, "nothing", 100, 20);
    EXPECT_EQ(bare.Geometry(), GTRect::FromSize(20, 20, 30, 12));
    EXPECT_EQ(missing.Geometry(), GTRect::FromSize(100, 20, 16, 14));

    window.Move(25, 25);
    ASSERT_EQ(bare.GetState(), GTButton::Hot);
    EXPECT_EQ(ColorAt(window, 30, 25), BARE_NORMAL);
    window.Press(25, 25);
    ASSERT_EQ(bare.GetState(), GTButton::Pushed);
    EXPECT_EQ(ColorAt(window, 30, 25), BARE_NORMAL);
}

TEST_F(ControlsTest, StateChangesRepaintTheButtonOnly) {
    TestWindow window;
    GTButton button;
    AddButton(window, button, "btn");
    window.Deliver();
    window.redraws.clear();
    window.Move(25, 25);
    window.Move(26, 25);  // no change of state: nothing more to repaint
    window.Deliver();
    ASSERT_EQ(window.redraws.size(), 1u);
    EXPECT_EQ(window.redraws[0], button.Geometry());
}

TEST_F(ControlsTest, CheckBoxTogglesOnCompletedClicksAndShowsHotWhilePushed) {
    TestWindow window;
    GTCheckBox box;
    std::vector<bool> toggled;
    box.Toggled.connect([&](GTWidget* w) { toggled.push_back(static_cast<GTCheckBox*>(w)->IsChecked()); });
    int clicked = 0;
    box.Clicked.connect([&](GTWidget*) { ++clicked; });
    AddButton(window, box, "chk");
    // The picture plus 5 pixels before the (empty) caption.
    ASSERT_EQ(box.Geometry(), GTRect::FromSize(20, 20, 17, 12));

    EXPECT_EQ(ColorAt(window, 25, 25), CHK_NORMAL_UNCHECKED);
    window.Press(25, 25);
    EXPECT_EQ(box.GetState(), GTButton::Pushed);
    EXPECT_EQ(ColorAt(window, 25, 25), CHK_HOT_UNCHECKED);
    window.Release(25, 25);
    EXPECT_TRUE(box.IsChecked());
    EXPECT_EQ(box.GetState(), GTButton::Normal);
    EXPECT_EQ(ColorAt(window, 25, 25), CHK_NORMAL_CHECKED);
    window.Move(26, 25);
    EXPECT_EQ(ColorAt(window, 25, 25), CHK_HOT_CHECKED);

    // A release inside without the trigger leaves it hot and unchanged.
    window.Press(25, 25, MouseButton::Right);
    window.Release(25, 25, MouseButton::Right);
    EXPECT_EQ(box.GetState(), GTButton::Hot);
    EXPECT_TRUE(box.IsChecked());

    window.Root().SetFocusWidget(&box);
    window.Key(true, GT_VK_RETURN);
    window.Key(true, GT_VK_SPACE);
    window.Key(false, GT_VK_SPACE);
    EXPECT_EQ(toggled, (std::vector<bool> { true, false, true }));
    EXPECT_EQ(clicked, 0);

    box.SetEnabled(false);
    EXPECT_EQ(ColorAt(window, 25, 25), CHK_DISABLE);
    box.SetChecked(false);
    EXPECT_EQ(ColorAt(window, 25, 25), CHK_DISABLE);
}

TEST_F(ControlsTest, SetCheckedRepaintsOnlyOnChangeAndEmitsNothing) {
    TestWindow window;
    GTCheckBox box;
    int toggled = 0;
    box.Toggled.connect([&](GTWidget*) { ++toggled; });
    AddButton(window, box, "chk");
    window.Deliver();
    window.redraws.clear();
    box.SetChecked(false);
    window.Deliver();
    EXPECT_TRUE(window.redraws.empty());
    box.SetChecked(true);
    window.Deliver();
    EXPECT_EQ(window.redraws.size(), 1u);
    EXPECT_EQ(toggled, 0);
}

TEST_F(ControlsTest, CheckAndRadioNaturalSizesCountTheCaption) {
    // Without a window the caption counts 12 pixels a byte.
    GTCheckBox loose;
    loose.SetSkinName("chk");
    loose.LoadSkin();
    loose.SetCaption("ab");
    EXPECT_EQ(loose.GetNaturalSize(), (GTSize { 12 + 24 + 5, 12 }));
    // A check box's size follows at the next layout only.
    EXPECT_EQ(loose.Geometry(), GTRect());
    loose.Layout();
    EXPECT_EQ(loose.Geometry(), GTRect::FromSize(0, 0, 41, 12));

    GTRadioButton radio;
    radio.SetGap(3);
    radio.SetCaption("abc");
    radio.SetSkinName("chk");
    radio.LoadSkin();
    EXPECT_EQ(radio.Geometry(), GTRect::FromSize(0, 0, 12 + 36 + 3, 12));

    // In a window the caption is measured with the control's font.
    TestWindow window;
    GTCheckBox measured;
    measured.SetCaption("ab");
    window.Root().AddChild(&measured);
    measured.SetSkinName("chk");
    measured.LoadSkin();
    measured.Layout();
    int expected = 12 + GTPainter::MeasureText(measured.Font(), "ab").width + 5;
    EXPECT_EQ(measured.Width(), expected);

    GTCheckBox unskinned;
    EXPECT_EQ(unskinned.GetNaturalSize(), (GTSize { 16, 14 }));
}

TEST_F(ControlsTest, RadioButtonReportsEveryClickAndNeverChecksItself) {
    TestWindow window;
    GTRadioButton radio;
    int chosen = 0, toggled = 0;
    radio.Chosen.connect([&](GTWidget*) { ++chosen; });
    radio.Toggled.connect([&](GTWidget*) { ++toggled; });
    AddButton(window, radio, "chk");
    window.Click(25, 25);
    window.Click(25, 25);
    EXPECT_EQ(chosen, 2);
    EXPECT_EQ(toggled, 0);
    EXPECT_FALSE(radio.IsChecked());
    radio.SetChecked(true);
    window.Click(25, 25);
    EXPECT_TRUE(radio.IsChecked());
    EXPECT_EQ(chosen, 3);
}

TEST_F(ControlsTest, ComboBoxStaysHotWhileItsMenuIsOpen) {
    TestWindow window;
    GTComboBoxEx combo;
    int clicks = 0;
    combo.Clicked.connect([&](GTWidget* w) {
        ++clicks;
        static_cast<GTComboBoxEx*>(w)->OnMenuOpened();
    });
    AddButton(window, combo, "btn");
    window.Click(25, 25);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(combo.IsMenuOpen());
    EXPECT_EQ(combo.GetState(), GTButton::Hot);
    window.Move(100, 100);
    window.Move(27, 25);
    window.Move(100, 100);
    EXPECT_EQ(combo.GetState(), GTButton::Hot);
    combo.OnMenuClosed();
    EXPECT_EQ(combo.GetState(), GTButton::Normal);
    window.Move(25, 25);
    EXPECT_EQ(combo.GetState(), GTButton::Hot);
}

TEST_F(ControlsTest, ProgressBarIsInsetSevenPixelsAndScaledByTheRange) {
    struct Case {
        const char* what;
        int value;
        int minimum;
        int maximum;
        GTRect bar;  // window coordinates; empty when no bar shows
    };
    // The control covers 10..110 × 10..30.
    const Case cases[] = {
        { "full", 200, 0, 200, GTRect { 17, 17, 103, 23 } },
        { "half", 100, 0, 200, GTRect { 17, 17, 53, 23 } },
        { "value against the range, not its distance from the minimum", 50, 50, 150, GTRect { 17, 17, 53, 23 } },
        { "too little to show", 10, 0, 100, GTRect {} },
        { "empty range", 5, 7, 7, GTRect {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestWindow window;
        GTProgress progress;
        progress.SetGeometry(GTRect::FromSize(10, 10, 100, 20));
        progress.SetImages("bar.left", "bar.mid", "bar.right", "bar.fill");
        progress.SetRange(c.minimum, c.maximum);
        progress.SetValue(c.value);
        window.Root().AddChild(&progress);
        ImageWindowSurface surface(200, 150);
        window.PaintInto(surface);
        EXPECT_EQ(surface.WhereColor(BAR_FILL), c.bar);
        EXPECT_EQ(surface.At(11, 11), BAR_LEFT);
        EXPECT_EQ(surface.At(60, 11), BAR_MID);
        EXPECT_EQ(surface.At(108, 11), BAR_RIGHT);
    }
}

TEST_F(ControlsTest, ProgressTrackNeedsAllThreeParts) {
    TestWindow window;
    GTProgress progress;
    progress.SetGeometry(GTRect::FromSize(10, 10, 100, 20));
    progress.SetImages("bar.left", "bar.missing", "bar.right", "");
    window.Root().AddChild(&progress);
    ImageWindowSurface surface(200, 150);
    window.PaintInto(surface);
    EXPECT_TRUE(surface.WhereColor(BAR_LEFT).IsEmpty());
    EXPECT_TRUE(surface.WhereColor(BAR_RIGHT).IsEmpty());
}

TEST_F(ControlsTest, PictureTakesTheSizeOfItsSliceAndStretchesIt) {
    TestWindow window;
    GTPicture picture, unknown;
    picture.SetGeometry(GTRect::FromSize(30, 40, 5, 5));
    window.Root().AddChild(&picture);
    picture.SetPicture("pic.icon");
    EXPECT_EQ(picture.Geometry(), GTRect::FromSize(30, 40, 16, 16));
    unknown.SetGeometry(GTRect::FromSize(60, 40, 5, 5));
    unknown.SetPicture("pic.none");
    EXPECT_EQ(unknown.Geometry(), GTRect::FromSize(60, 40, 0, 0));

    ImageWindowSurface surface(200, 150);
    window.PaintInto(surface);
    EXPECT_EQ(surface.WhereColor(Stored(150, 0, 150)), GTRect::FromSize(30, 40, 16, 16));
}

TEST_F(ControlsTest, BorderStretchesItsPictureOverTheWidget) {
    TestWindow window;
    GTBorder border;
    border.SetGeometry(GTRect::FromSize(5, 5, 100, 60));
    border.SetSkin("btn.hot", 0, 0, 0, 0);
    window.Root().AddChild(&border);
    ImageWindowSurface surface(200, 150);
    window.PaintInto(surface);
    EXPECT_EQ(surface.WhereColor(BTN_HOT), GTRect::FromSize(5, 5, 100, 60));
}

TEST_F(ControlsTest, LabelShadowIsDrawnTwoRightAndOneDown) {
    TestWindow window;
    GTLabel plain, shadowed;
    for (GTLabel* label : { &plain, &shadowed }) {
        label->SetText("国");
        label->SetFont(40, 700, "微软雅黑");
        label->SetTextColor(GTRgb(255, 255, 255));
        label->SetShadowColor(GTRgb(0, 0, 255));
    }
    shadowed.SetShadow(true);
    plain.SetGeometry(GTRect::FromSize(0, 0, 90, 60));
    shadowed.SetGeometry(GTRect::FromSize(100, 0, 90, 60));
    window.Root().AddChild(&plain);
    window.Root().AddChild(&shadowed);
    ImageWindowSurface surface(200, 150);
    window.PaintInto(surface);

    GTRect plainText = surface.WhereColor(0xFFFFFFFF);
    GTRect shadow = surface.WhereColor(0xFF0000FF);
    ASSERT_FALSE(plainText.IsEmpty());
    ASSERT_FALSE(shadow.IsEmpty());
    // Only the shadowed label has shadow pixels, and they lie right of and below its text.
    EXPECT_GE(shadow.left, 100);
    GTRect shadowedText = surface.Where([](std::uint32_t p) { return p == 0xFFFFFFFF; }).Intersect(
        GTRect { 100, 0, 200, 60 });
    EXPECT_EQ(shadow.right - shadowedText.right, 2);
    EXPECT_EQ(shadow.bottom - shadowedText.bottom, 1);
}

TEST_F(ControlsTest, LinkOpensItsTargetOnAClickOverTheText) {
    std::vector<std::string> opened;
    platform::ScopedShellOpener opener([&](const std::string& target) {
        opened.push_back(target);
        return true;
    });
    TestWindow window;
    GTLinkLabel link, empty;
    link.SetFont("Tahoma");
    link.SetLink("news", "http://news.example.invalid/index", GTRgb(150, 150, 150));
    link.SetGeometry(GTRect::FromSize(10, 10, 150, 30));
    empty.SetLink("no target", "", GTRgb(150, 150, 150));
    empty.SetGeometry(GTRect::FromSize(10, 60, 150, 30));
    window.Root().AddChild(&link);
    window.Root().AddChild(&empty);
    ImageWindowSurface surface(200, 150);
    window.PaintInto(surface);
    GTRect hit = link.Links().front().hitRect.Offset(10, 10);
    ASSERT_FALSE(hit.IsEmpty());
    // The text is centred vertically in the label.
    EXPECT_EQ(hit.top - 10, (30 - hit.Height()) / 2);

    window.Click(hit.left + 1, hit.top + 1);
    window.Click(hit.right + 5, hit.top + 1);  // beside the text
    window.Press(hit.left + 1, hit.top + 1);   // released elsewhere: no click on the link
    window.Release(190, 140);
    GTRect emptyHit = empty.Links().front().hitRect.Offset(10, 60);
    window.Click(emptyHit.left + 1, emptyHit.top + 1);
    EXPECT_EQ(opened, (std::vector<std::string> { "http://news.example.invalid/index" }));
}

namespace {

class RefreshCounter : public GTWidget {
public:
    void OnRefresh() override { ++refreshes; }
    int refreshes { 0 };
};

}  // namespace

TEST_F(ControlsTest, RefreshMessageLooksTheSkinUpAgain) {
    TestWindow window;
    GTButton button;
    AddButton(window, button, "btn");
    RefreshCounter extra, extraChild, inTree;
    extra.AddChild(&extraChild);
    window.Root().AddChild(&inTree);
    window.AddRefreshWidget(&extra);
    ASSERT_EQ(ColorAt(window, 25, 25), BTN_NORMAL);

    ASSERT_TRUE(gttest::LoadSolidSkin(m_dir.Path(), { { "btn.normal", 10, 200, 200, 24, 12 } }));
    window.Post(WM_GT_REFRESH);
    window.Deliver();
    EXPECT_EQ(button.Geometry(), GTRect::FromSize(20, 20, 24, 12));
    EXPECT_EQ(ColorAt(window, 25, 25), Stored(10, 200, 200));
    EXPECT_EQ(extra.refreshes, 1);
    EXPECT_EQ(extraChild.refreshes, 1);
    EXPECT_EQ(inTree.refreshes, 1);
}
