#include <gtest/gtest.h>

#include <memory>

#include <sigc++/sigc++.h>

#include "gt/GTLinkLabel.h"
#include "gt/GTMessages.h"
#include "gt/GTRootWidget.h"
#include "tests/gt/WidgetTestSupport.h"

using gttest::ImageWindowSurface;
using gttest::Painted;
using gttest::Probe;
using gttest::TestWindow;
using platform::MouseButton;

namespace {

constexpr GTColor RED = GTRgb(200, 0, 0);
constexpr GTColor BLUE = GTRgb(0, 0, 200);
constexpr GTColor GREEN = GTRgb(0, 160, 0);

void Place(GTWidget& parent, GTWidget& child, int x, int y, int width, int height) {
    child.SetGeometry(GTRect::FromSize(x, y, width, height));
    parent.AddChild(&child);
}

}  // namespace

//   +-------+            under (red) at 10,10 60×40, over (blue) at 40,20 60×40, added later:
//   |  +----|--+         the overlap (40..70 × 20..50) shows blue and belongs to `over`.
//   +--|----+  |
//      +-------+
TEST(WidgetRoutingTest, LaterSiblingIsPaintedOnTopAndTakesThePress) {
    TestWindow window;
    Probe under(RED), over(BLUE);
    Place(window.Root(), under, 10, 10, 60, 40);
    Place(window.Root(), over, 40, 20, 60, 40);

    window.Press(50, 30);
    ASSERT_EQ(over.Count(GTEvent::MouseDown), 1);
    EXPECT_EQ(under.Count(GTEvent::MouseDown), 0);
    // Delivered in the receiver's own coordinates.
    EXPECT_EQ(over.Last().x, 10);
    EXPECT_EQ(over.Last().y, 10);
    EXPECT_EQ(window.Root().PressTarget(), &over);
    window.Release(50, 30);

    ImageWindowSurface surface(200, 150);
    window.PaintInto(surface);
    EXPECT_EQ(surface.At(50, 30), Painted(BLUE));
    EXPECT_EQ(surface.At(15, 15), Painted(RED));
    EXPECT_EQ(surface.WhereColor(Painted(BLUE)), GTRect::FromSize(40, 20, 60, 40));
}

TEST(WidgetRoutingTest, DisabledWidgetSwallowsThePressAndPassesHoverToItsParent) {
    TestWindow window;
    Probe panel(GREEN), disabled(RED);
    Place(window.Root(), panel, 20, 20, 100, 80);
    Place(panel, disabled, 10, 10, 30, 30);
    disabled.SetWidgetEnabled(false);

    window.Press(35, 35);
    EXPECT_TRUE(disabled.seen.empty());
    EXPECT_TRUE(panel.seen.empty());
    // Nobody got it, yet the window holds the mouse until the release.
    EXPECT_TRUE(window.IsMouseCaptured());
    EXPECT_TRUE(window.IsButtonHeld());
    EXPECT_EQ(window.Root().PressTarget(), nullptr);
    window.Release(35, 35);
    EXPECT_FALSE(window.IsMouseCaptured());
    EXPECT_TRUE(disabled.seen.empty());

    window.Move(36, 36);
    EXPECT_TRUE(disabled.seen.empty());
    EXPECT_EQ(window.Root().HoverWidget(), &panel);
    EXPECT_EQ(panel.Types(), (std::vector<int> { GTEvent::MouseEnter, GTEvent::MouseMove }));
    EXPECT_EQ(panel.Last().x, 16);
}

TEST(WidgetRoutingTest, RefusedPressBubblesToTheParentAndUnacceptedPressIsNotCaptured) {
    TestWindow window;
    Probe parent(GREEN, true), child(RED, false);
    Place(window.Root(), parent, 20, 20, 100, 80);
    Place(parent, child, 10, 10, 30, 30);

    window.Press(35, 35);
    ASSERT_EQ(child.Count(GTEvent::MouseDown), 1);
    ASSERT_EQ(parent.Count(GTEvent::MouseDown), 1);
    EXPECT_EQ(parent.Last().x, 15);  // parent coordinates
    EXPECT_EQ(window.Root().PressTarget(), &parent);
    EXPECT_TRUE(window.IsMouseCaptured());
    // Drags and the release go to the taker, wherever the mouse is.
    window.Move(300, -40);
    window.Release(300, -40);
    EXPECT_EQ(parent.Types(), (std::vector<int> { GTEvent::MouseDown, GTEvent::MouseDrag, GTEvent::MouseUp }));
    EXPECT_EQ(parent.Last().x, 280);
    EXPECT_EQ(parent.Last().y, -60);
    EXPECT_FALSE(parent.Last().cancelled);
    EXPECT_EQ(child.Count(GTEvent::MouseUp), 0);
    EXPECT_FALSE(window.IsMouseCaptured());

    // Nobody takes it now: no capture, and the drag and release reach nobody.
    parent.acceptPress = false;
    parent.seen.clear();
    child.seen.clear();
    window.Press(35, 35);
    EXPECT_FALSE(window.IsMouseCaptured());
    EXPECT_FALSE(window.IsButtonHeld());
    window.Move(40, 40);
    window.Release(40, 40);
    EXPECT_EQ(parent.Count(GTEvent::MouseUp) + child.Count(GTEvent::MouseUp), 0);
    EXPECT_EQ(parent.Count(GTEvent::MouseDrag) + child.Count(GTEvent::MouseDrag), 0);
}

TEST(WidgetRoutingTest, DoubleClickMarksTheSameWidgetOnlyWhenItTookThePreviousPress) {
    struct Case {
        const char* what;
        bool secondOnB;
        std::uint32_t expected;
    };
    const Case cases[] = {
        { "double click on the widget that took the first press", false,
          GTEvent::DOUBLE_CLICK | GTEvent::SAME_WIDGET | GTEvent::LEFT_BUTTON },
        { "double click on another widget", true, GTEvent::DOUBLE_CLICK | GTEvent::LEFT_BUTTON },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestWindow window;
        Probe a(RED), b(BLUE);
        Place(window.Root(), a, 0, 0, 50, 50);
        Place(window.Root(), b, 60, 0, 50, 50);
        window.Click(10, 10);
        int x = c.secondOnB ? 70 : 10;
        window.Press(x, 10, MouseButton::Left, true);
        Probe& second = c.secondOnB ? b : a;
        ASSERT_FALSE(second.seen.empty());
        EXPECT_EQ(second.Last().type, GTEvent::MouseDown);
        EXPECT_EQ(second.Last().flags, c.expected);
        window.Release(x, 10);
    }
}

TEST(WidgetRoutingTest, RightButtonDoubleClickMakesNoEvent) {
    TestWindow window;
    Probe a(RED);
    Place(window.Root(), a, 0, 0, 50, 50);
    window.Press(10, 10, MouseButton::Right);
    window.Release(10, 10, MouseButton::Right);
    ASSERT_EQ(a.Count(GTEvent::MouseDown), 1);
    EXPECT_EQ(a.seen.front().flags, GTEvent::RIGHT_BUTTON);
    window.Press(10, 10, MouseButton::Right, true);
    EXPECT_EQ(a.Count(GTEvent::MouseDown), 1);
    EXPECT_FALSE(window.IsMouseCaptured());
}

TEST(WidgetRoutingTest, SecondButtonWhileOneIsHeldGoesToThePressTarget) {
    TestWindow window;
    Probe a(RED), b(BLUE);
    Place(window.Root(), a, 0, 0, 50, 50);
    Place(window.Root(), b, 60, 0, 50, 50);
    window.Press(10, 10);
    window.Press(70, 10, MouseButton::Right);
    EXPECT_EQ(a.Count(GTEvent::MouseDown), 2);
    EXPECT_EQ(a.Last().x, 70);
    EXPECT_EQ(a.Last().flags, GTEvent::LEFT_BUTTON | GTEvent::RIGHT_BUTTON);
    EXPECT_TRUE(b.seen.empty());
}

TEST(WidgetRoutingTest, RepeatedMovePositionIsDroppedButDragsAreNot) {
    TestWindow window;
    Probe a(RED);
    Place(window.Root(), a, 0, 0, 100, 100);
    window.Move(10, 10);
    window.Move(10, 10);
    EXPECT_EQ(a.Types(), (std::vector<int> { GTEvent::MouseEnter, GTEvent::MouseMove }));
    window.Move(11, 10);
    EXPECT_EQ(a.Count(GTEvent::MouseMove), 2);

    window.Press(11, 10);
    window.Move(20, 20);
    window.Move(20, 20);
    EXPECT_EQ(a.Count(GTEvent::MouseDrag), 2);
    window.Release(20, 20);
}

TEST(WidgetRoutingTest, HoverChangesSendLeaveThenEnterAndWindowLeaveClearsIt) {
    TestWindow window;
    Probe a(RED), b(BLUE);
    Place(window.Root(), a, 0, 0, 50, 50);
    Place(window.Root(), b, 60, 0, 50, 50);
    window.Move(10, 10);
    window.Move(70, 10);
    EXPECT_EQ(a.Types(), (std::vector<int> { GTEvent::MouseEnter, GTEvent::MouseMove, GTEvent::MouseLeave }));
    EXPECT_EQ(b.Types(), (std::vector<int> { GTEvent::MouseEnter, GTEvent::MouseMove }));
    EXPECT_EQ(b.seen.front().x, 10);
    // Over the root itself nothing is hovered.
    window.Move(55, 60);
    EXPECT_EQ(b.Last().type, GTEvent::MouseLeave);
    EXPECT_EQ(window.Root().HoverWidget(), nullptr);

    window.Move(70, 10);
    window.OnMouseLeave();
    EXPECT_EQ(b.Last().type, GTEvent::MouseLeave);
    EXPECT_EQ(window.Root().HoverWidget(), nullptr);
}

TEST(WidgetRoutingTest, LostCaptureCancelsThePress) {
    TestWindow window;
    Probe a(RED);
    Place(window.Root(), a, 0, 0, 50, 50);
    window.Press(10, 10);
    window.OnCaptureLost();
    ASSERT_EQ(a.Last().type, GTEvent::MouseUp);
    EXPECT_TRUE(a.Last().cancelled);
    EXPECT_FALSE(window.IsMouseCaptured());
    EXPECT_EQ(window.Root().PressTarget(), nullptr);
}

TEST(WidgetRoutingTest, KeysGoToTheFocusWidgetOnly) {
    TestWindow window;
    Probe a(RED);
    Place(window.Root(), a, 0, 0, 50, 50);
    window.Key(true, 'A');
    EXPECT_TRUE(a.seen.empty());
    window.Root().SetFocusWidget(&a);
    window.Key(true, 'A');
    ASSERT_EQ(a.Count(GTEvent::KeyDown), 1);
}

TEST(WidgetInvalidationTest, InvalidationsCoalesceIntoOneRepaintRequest) {
    TestWindow window;
    Probe a(RED), b(BLUE);
    Place(window.Root(), a, 10, 10, 20, 20);
    Place(window.Root(), b, 100, 50, 20, 20);
    window.Deliver();
    window.redraws.clear();

    a.InvalidateArea(2, 3, 4, 5);
    b.Invalidate();
    EXPECT_TRUE(window.Root().IsPosted());
    window.Deliver();
    ASSERT_EQ(window.redraws.size(), 1u);
    EXPECT_EQ(window.redraws[0], (GTRect { 12, 13, 120, 70 }));
    EXPECT_TRUE(window.Root().DirtyRect().IsEmpty());
    EXPECT_FALSE(window.Root().IsPosted());

    // Invisible widgets and widgets outside a tree ask for nothing.
    Probe loose;
    loose.Invalidate();
    b.SetVisible(false);
    window.Deliver();
    window.redraws.clear();
    b.Invalidate();
    window.Deliver();
    EXPECT_TRUE(window.redraws.empty());
}

TEST(WidgetInvalidationTest, DeferredAreasWaitForTheNextPaint) {
    TestWindow window;
    Probe a(RED), b(BLUE);
    Place(window.Root(), a, 10, 10, 20, 20);
    Place(window.Root(), b, 100, 50, 20, 20);
    ImageWindowSurface surface(200, 150);
    window.PaintInto(surface);
    window.Deliver();
    window.redraws.clear();

    a.InvalidateRect(GTRect::FromSize(0, 0, 20, 20), true);
    // Once deferred, later invalidations wait too.
    b.Invalidate();
    EXPECT_TRUE(window.Root().IsDeferred());
    EXPECT_FALSE(window.Root().IsPosted());
    window.Deliver();
    EXPECT_TRUE(window.redraws.empty());
    EXPECT_EQ(window.Root().DirtyRect(), (GTRect { 10, 10, 120, 70 }));

    // A paint of the waiting area paints it and clears the state.
    a.color = GREEN;
    GTRect area { 10, 10, 120, 70 };
    window.PaintInto(surface, &area);
    EXPECT_EQ(surface.At(15, 15), Painted(GREEN));
    EXPECT_TRUE(window.Root().DirtyRect().IsEmpty());
    EXPECT_FALSE(window.Root().IsDeferred());

    // A paint of another area asks for the waiting one to be painted as well.
    a.InvalidateRect(GTRect::FromSize(0, 0, 20, 20), true);
    GTRect elsewhere { 150, 100, 200, 150 };
    window.PaintInto(surface, &elsewhere);
    ASSERT_EQ(window.redraws.size(), 1u);
    EXPECT_EQ(window.redraws[0], (GTRect { 10, 10, 30, 30 }));
}

TEST(WidgetPaintTest, PaintPassDrawsVisibleWidgetsInsideTheAreaOnly) {
    TestWindow window;
    window.Root().SetFillBackground(true);
    window.Root().SetBackgroundColor(GTRgb(255, 255, 255));
    Probe panel(GREEN), inner(RED), hidden(BLUE);
    Place(window.Root(), panel, 20, 20, 100, 80);
    Place(panel, inner, 10, 10, 30, 30);
    Place(panel, hidden, 50, 10, 30, 30);
    hidden.SetVisible(false);
    inner.SetDebugFrame(1);

    ImageWindowSurface surface(200, 150);
    window.PaintInto(surface);
    EXPECT_EQ(surface.At(5, 5), Painted(GTRgb(255, 255, 255)));
    EXPECT_EQ(surface.At(25, 25), Painted(GREEN));
    // The debug frame outlines the inner widget in red; inside it the widget's own colour.
    EXPECT_EQ(surface.At(30, 30), Painted(GTRgb(255, 0, 0)));
    EXPECT_EQ(surface.At(59, 45), Painted(GTRgb(255, 0, 0)));
    EXPECT_EQ(surface.At(35, 35), Painted(RED));
    EXPECT_EQ(surface.At(75, 35), Painted(GREEN));  // the hidden child is not drawn

    // A partial paint changes nothing outside its area.
    surface.Fill(ImageWindowSurface::BACKGROUND);
    GTRect area { 30, 30, 40, 40 };
    window.PaintInto(surface, &area);
    EXPECT_EQ(surface.Where([](std::uint32_t p) { return p != ImageWindowSurface::BACKGROUND; }), area);
}

TEST(WidgetTreeTest, ChildrenPropertiesAndGeometry) {
    TestWindow window;
    Probe parent, child;
    parent.SetGeometry(GTRect::FromSize(30, 40, 100, 100));
    child.SetGeometry(GTRect::FromSize(5, 6, 10, 10));
    EXPECT_TRUE(parent.AddChild(&child));
    EXPECT_TRUE(parent.AddChild(&child));
    EXPECT_FALSE(parent.AddChild(nullptr));
    EXPECT_EQ(parent.Children().size(), 1u);
    // Absolute positions follow the chain of parents, also for a subtree added later.
    window.Root().AddChild(&parent);
    EXPECT_EQ(child.AbsolutePosition(), (GTPoint { 35, 46 }));
    parent.SetGeometry(GTRect::FromSize(0, 0, 100, 100));
    EXPECT_EQ(child.AbsolutePosition(), (GTPoint { 5, 6 }));
    EXPECT_EQ(window.Root().HitTest(7, 8), &child);
    EXPECT_EQ(window.Root().HitTest(50, 50), &parent);
    EXPECT_EQ(window.Root().HitTest(150, 50), &window.Root());

    EXPECT_FALSE(child.SetProperty("Picture", "x"));
    EXPECT_EQ(child.GetProperty("Picture"), "");
    EXPECT_TRUE(child.AddProperty("Picture", "a"));
    EXPECT_FALSE(child.AddProperty("Picture", "b"));
    EXPECT_EQ(child.GetProperty("Picture"), "a");
    EXPECT_TRUE(child.SetProperty("Picture", "c"));
    EXPECT_EQ(child.GetProperty("picture"), "");
    EXPECT_EQ(window.Root().Name(), "RootWidget");
}

TEST(WidgetTreeTest, WidgetThatGoesLeavesTheTreeAndTheRootForgetsIt) {
    TestWindow window;
    auto doomed = std::make_unique<Probe>();
    Place(window.Root(), *doomed, 0, 0, 50, 50);
    window.Move(10, 10);
    window.Press(10, 10);
    window.Root().SetFocusWidget(doomed.get());
    doomed.reset();
    EXPECT_TRUE(window.Root().Children().empty());
    EXPECT_EQ(window.Root().HoverWidget(), nullptr);
    EXPECT_EQ(window.Root().PressTarget(), nullptr);
    EXPECT_EQ(window.Root().FocusWidget(), nullptr);
    window.Release(10, 10);
    window.Key(true, 13);
}

namespace {

struct Listener : sigc::trackable {
    int calls { 0 };
    void OnSignal(GTWidget*) { ++calls; }
};

}  // namespace

TEST(WidgetSignalTest, DestroyedTargetIsDisconnectedAndHandlerMayDisconnectItself) {
    sigc::signal<void(GTWidget*)> clicked;
    Probe sender;
    auto gone = std::make_unique<Listener>();
    Listener stays;
    clicked.connect(sigc::mem_fun(*gone, &Listener::OnSignal));
    sigc::connection once;
    int onceCalls = 0;
    once = clicked.connect([&](GTWidget*) {
        ++onceCalls;
        once.disconnect();
    });
    clicked.connect(sigc::mem_fun(stays, &Listener::OnSignal));

    gone.reset();
    clicked.emit(&sender);
    clicked.emit(&sender);
    EXPECT_EQ(onceCalls, 1);
    EXPECT_EQ(stays.calls, 2);
    EXPECT_EQ(clicked.size(), 1u);
}

TEST(WidgetCursorTest, LinkSetsTheHandAndLeavingRestoresTheArrow) {
    TestWindow window;
    GTLinkLabel link;
    link.SetFont("Tahoma");
    link.SetLink("open the page", "http://example.invalid/", GTRgb(0, 0, 255));
    Place(window.Root(), link, 10, 10, 180, 30);
    ImageWindowSurface surface(200, 150);
    window.PaintInto(surface);  // the link's place is known once it is drawn
    ASSERT_FALSE(link.Links().front().hitRect.IsEmpty());
    GTRect hit = link.Links().front().hitRect.Offset(10, 10);

    window.OnSetCursor(platform::HTCLIENT);
    window.Move(hit.left + 2, hit.top + 2);
    EXPECT_EQ(window.CurrentCursor(), platform::CursorKind::Hand);
    EXPECT_TRUE(link.IsHover());
    EXPECT_TRUE(link.Font().underline);
    window.OnSetCursor(platform::HTCLIENT);
    window.Move(hit.left + 3, hit.top + 2);
    EXPECT_EQ(window.CurrentCursor(), platform::CursorKind::Hand);
    // Past the end of the text but still over the label: no link, no hand.
    window.OnSetCursor(platform::HTCLIENT);
    window.Move(185, hit.top + 2);
    EXPECT_EQ(window.CurrentCursor(), platform::CursorKind::Arrow);
    EXPECT_FALSE(link.IsHover());
    EXPECT_FALSE(link.Font().underline);
}
