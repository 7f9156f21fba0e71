#include "gt/GTRootWidget.h"

#include "gt/GTMessages.h"
#include "gt/GTPainter.h"
#include "gt/GTWindow.h"

GTRootWidget::GTRootWidget(GTWindow* owner) : m_owner(owner) { SetName("RootWidget"); }

GTRootWidget::~GTRootWidget() {
    m_owner = nullptr;
    m_pressTarget = m_hover = m_lastPressTaker = m_focus = nullptr;
    // The widgets are the window's members and may outlive the root: unhook them.
    while (!Children().empty()) RemoveChild(Children().back());
}

bool GTRootWidget::OnMouseDown(const GTEvent& incoming) {
    GTEvent event = incoming;
    m_lastFlags = event.flags;
    m_lastPosition = GTPoint { event.x, event.y };

    // A second button while one is held goes to the widget holding the mouse.
    if (m_pressTarget) {
        GTPoint p = m_pressTarget->WindowToWidget(incoming.x, incoming.y);
        event.x = p.x;
        event.y = p.y;
        m_pressTarget->OnMouseDown(event);
        return true;
    }

    bool result = false;
    for (GTWidget* candidate = HitTest(incoming.x, incoming.y); candidate; candidate = candidate->Parent()) {
        if (candidate == this) break;
        if (!candidate->IsWidgetEnabled()) {
            // A disabled widget swallows the press: the window keeps the mouse, nobody gets it.
            result = true;
            break;
        }
        GTPoint p = candidate->WindowToWidget(incoming.x, incoming.y);
        event.x = p.x;
        event.y = p.y;
        if (candidate != m_lastPressTaker) event.flags &= ~GTEvent::SAME_WIDGET;
        if (candidate->OnMouseDown(event)) {
            m_pressTarget = candidate;
            m_lastPressTaker = candidate;
            return true;
        }
    }
    // A double click on nothing that takes it still holds the mouse while the second click
    // belongs to the widget that took the first.
    if (m_lastPressTaker && (event.flags & GTEvent::SAME_WIDGET)) result = true;
    m_pressTarget = nullptr;
    return result;
}

void GTRootWidget::OnMouseDrag(const GTEvent& incoming) {
    m_lastFlags = incoming.flags;
    m_lastPosition = GTPoint { incoming.x, incoming.y };
    if (!m_pressTarget) return;
    GTEvent event = incoming;
    GTPoint p = m_pressTarget->WindowToWidget(incoming.x, incoming.y);
    event.x = p.x;
    event.y = p.y;
    m_pressTarget->OnMouseDrag(event);
}

void GTRootWidget::OnMouseUp(const GTEvent& incoming, bool cancelled) {
    if (!m_pressTarget) return;
    GTWidget* target = m_pressTarget;
    m_pressTarget = nullptr;
    GTEvent event = incoming;
    GTPoint p = target->WindowToWidget(incoming.x, incoming.y);
    event.x = p.x;
    event.y = p.y;
    target->OnMouseUp(event, cancelled);
}

void GTRootWidget::CancelPress() {
    if (!m_pressTarget) return;
    GTEvent event = GTEvent::Mouse(GTEvent::MouseUp, m_lastPosition.x, m_lastPosition.y, m_lastFlags);
    OnMouseUp(event, true);
}

void GTRootWidget::OnMouseMove(const GTEvent& incoming) {
    GTWidget* found = nullptr;
    for (GTWidget* w = HitTest(incoming.x, incoming.y); w && w != this; w = w->Parent()) {
        if (w->IsWidgetEnabled()) {
            found = w;
            break;
        }
    }
    GTWindow* window = GetHostWindow();
    if (!found) {
        if (m_hover) {
            GTWidget* old = m_hover;
            m_hover = nullptr;
            old->OnMouseLeave(GTEvent::Mouse(GTEvent::MouseLeave, 0, 0, 0));
        }
        if (m_savedCursor != platform::CursorKind::None && window) window->SetCursor(m_savedCursor);
        m_savedCursor = platform::CursorKind::None;
        return;
    }
    if (found != m_hover) {
        GTWidget* old = m_hover;
        m_hover = found;
        if (old) old->OnMouseLeave(GTEvent::Mouse(GTEvent::MouseLeave, 0, 0, 0));
        // The leave handler may have changed the tree.
        if (m_hover != found) return;
        GTPoint p = found->WindowToWidget(incoming.x, incoming.y);
        GTEvent enter = incoming;
        enter.type = GTEvent::MouseEnter;
        enter.x = p.x;
        enter.y = p.y;
        found->OnMouseEnter(enter);
        if (m_hover != found) return;
    }
    GTPoint p = found->WindowToWidget(incoming.x, incoming.y);
    GTEvent move = incoming;
    move.x = p.x;
    move.y = p.y;
    found->OnMouseMove(move);
    if (m_hover != found) return;

    platform::CursorKind wanted = found->GetCursorAt(GTEvent::MouseMove, p.x, p.y);
    if (wanted != platform::CursorKind::None) {
        if (window) m_savedCursor = window->SetCursor(wanted);
    } else if (m_savedCursor != platform::CursorKind::None) {
        if (window) window->SetCursor(m_savedCursor);
        m_savedCursor = platform::CursorKind::None;
    }
}

void GTRootWidget::OnWindowMouseLeave() {
    if (!m_hover) return;
    GTWidget* old = m_hover;
    m_hover = nullptr;
    old->OnMouseLeave(GTEvent::Mouse(GTEvent::MouseLeave, 0, 0, 0));
}

bool GTRootWidget::OnKeyDown(const GTEvent& event) { return m_focus ? m_focus->OnKeyDown(event) : false; }

bool GTRootWidget::OnKeyUp(const GTEvent& event) { return m_focus ? m_focus->OnKeyUp(event) : false; }

bool GTRootWidget::RouteWheel(const GTEvent& event) { return m_focus ? m_focus->OnMouseWheel(event) : false; }

bool GTRootWidget::OnSetCursor() { return m_hover ? m_hover->OnSetCursor() : false; }

void GTRootWidget::InvalidateArea(int x, int y, int width, int height) {
    InvalidateRect(GTRect::FromSize(x, y, width, height), false);
}

void GTRootWidget::InvalidateRect(const GTRect& rect, bool defer) {
    m_dirty = m_dirty.IsEmpty() ? rect : m_dirty.Union(rect);
    if (defer || m_deferred) {
        m_deferred = true;
        return;
    }
    if (!m_posted && m_owner) {
        // Nothing travels with the message.
        m_owner->Post(WM_GT_REPAINT);
        m_posted = true;
    }
    m_dirtyFlag = true;
}

void GTRootWidget::FlushInvalid() {
    if (!m_dirtyFlag) return;
    if (m_owner) m_owner->RedrawArea(m_dirty);
    ClearDirty();
}

void GTRootWidget::Paint(GTPainter& painter) {
    if (m_dirty.IsEmpty()) return;
    m_paintClip = painter.ClipBox().Intersect(GTRect::FromSize(0, 0, Width(), Height()));
    if (m_fillBackground) painter.FillRect(m_dirty, m_backgroundColor);
    PaintChildren(painter);
    m_paintClip.reset();
    ClearDirty();
}

void GTRootWidget::ClearDirty() {
    m_dirty = GTRect();
    m_deferred = false;
    m_posted = false;
    m_dirtyFlag = false;
}

void GTRootWidget::ForgetSubtree(GTWidget* widget) {
    auto within = [widget](GTWidget* w) {
        for (; w; w = w->Parent()) {
            if (w == widget) return true;
        }
        return false;
    };
    if (within(m_pressTarget)) m_pressTarget = nullptr;
    if (within(m_hover)) m_hover = nullptr;
    if (within(m_lastPressTaker)) m_lastPressTaker = nullptr;
    if (within(m_focus)) m_focus = nullptr;
}
