#include "gt/GTWidget.h"

#include <algorithm>

#include "gt/GTPainter.h"
#include "gt/GTRootWidget.h"

GTWidget::GTWidget() = default;

GTWidget::~GTWidget() {
    Detach();
    for (GTWidget* child : m_children) child->m_parent = nullptr;
}

void GTWidget::Detach() {
    if (m_parent) m_parent->RemoveChild(this);
}

bool GTWidget::OnMouseDown(const GTEvent&) {
    Invalidate();
    return true;
}

void GTWidget::OnGeometryChanged(const GTRect&, const GTRect&) { Layout(); }

void GTWidget::Layout() {
    Invalidate();
    for (GTWidget* child : m_children) {
        child->UpdateAbsolutePosition();
        child->Layout();
    }
}

void GTWidget::InvalidateArea(int x, int y, int width, int height) {
    InvalidateRect(GTRect::FromSize(x, y, width, height), false);
}

void GTWidget::Invalidate() { InvalidateRect(GTRect::FromSize(0, 0, Width(), Height()), false); }

void GTWidget::InvalidateRect(const GTRect& rect, bool defer) {
    if (!m_visible || !m_parent) return;
    m_parent->InvalidateRect(rect.Offset(m_geometry.left, m_geometry.top), defer);
}

void GTWidget::PaintSelf(GTPainter& painter) { PaintDebugFrame(painter); }

void GTWidget::PaintDebugFrame(GTPainter& painter) {
    if (m_debugFrame) painter.FrameRect(GTRect::FromSize(0, 0, Width(), Height()), GTRgb(255, 0, 0));
}

void GTWidget::Paint(GTPainter& painter) {
    if (!m_visible || !painter.RectVisible(m_geometry)) return;
    GTRect own = WindowRect();
    // The widget's own rectangle replaces the clip, so a child is not cut by its parent; it
    // stays within the area this paint pass covers.
    GTRect clip = own;
    if (GTRootWidget* root = Root(); root && root->PaintClip()) clip = clip.Intersect(*root->PaintClip());
    painter.Save();
    painter.SetOrigin(m_absolute.x, m_absolute.y);
    painter.SetClipRect(clip);
    PaintSelf(painter);
    PaintChildren(painter);
    painter.Restore();
}

void GTWidget::PaintChildren(GTPainter& painter) {
    // A painting widget may not change the list, but take a copy in case one hides itself.
    for (GTWidget* child : std::vector<GTWidget*>(m_children)) {
        if (child->m_visible) child->Paint(painter);
    }
}

GTWindow* GTWidget::GetHostWindow() { return m_parent ? m_parent->GetHostWindow() : nullptr; }

void GTWidget::SetGeometry(const GTRect& rect) {
    if (rect == m_geometry) {
        UpdateAbsolutePosition();
        return;
    }
    GTRect old = m_geometry;
    Invalidate();
    m_geometry = rect;
    UpdateAbsolutePosition();
    OnGeometryChanged(old, rect);
    Invalidate();
}

GTRect GTWidget::WindowRect() const { return GTRect::FromSize(m_absolute.x, m_absolute.y, Width(), Height()); }

void GTWidget::UpdateAbsolutePosition() {
    m_absolute = m_parent ? GTPoint { m_parent->m_absolute.x + m_geometry.left, m_parent->m_absolute.y + m_geometry.top }
                          : GTPoint { m_geometry.left, m_geometry.top };
}

void GTWidget::UpdateAbsolutePositions() {
    UpdateAbsolutePosition();
    for (GTWidget* child : m_children) child->UpdateAbsolutePositions();
}

bool GTWidget::AddChild(GTWidget* child) {
    if (!child || child == this) return false;
    if (std::find(m_children.begin(), m_children.end(), child) != m_children.end()) return true;
    if (child->m_parent) child->m_parent->RemoveChild(child);
    m_children.push_back(child);
    child->m_parent = this;
    // A child placed before it was added gets its window position now, with its subtree.
    child->UpdateAbsolutePositions();
    child->OnAttached();
    child->Invalidate();
    return true;
}

bool GTWidget::RemoveChild(GTWidget* child) {
    auto found = std::find(m_children.begin(), m_children.end(), child);
    if (found == m_children.end()) return false;
    child->Invalidate();
    if (GTRootWidget* root = Root()) root->ForgetSubtree(child);
    m_children.erase(found);
    child->m_parent = nullptr;
    return true;
}

GTRootWidget* GTWidget::Root() {
    GTWidget* top = this;
    while (top->m_parent) top = top->m_parent;
    return dynamic_cast<GTRootWidget*>(top);
}

std::string GTWidget::GetProperty(const std::string& name) const {
    auto found = m_properties.find(name);
    return found == m_properties.end() ? std::string() : found->second;
}

bool GTWidget::SetProperty(const std::string& name, const std::string& value) {
    auto found = m_properties.find(name);
    if (found == m_properties.end() || found->second == value) return false;
    found->second = value;
    return true;
}

bool GTWidget::AddProperty(const std::string& name, const std::string& value) {
    return m_properties.emplace(name, value).second;
}

void GTWidget::PutProperty(const std::string& name, const std::string& value) { m_properties[name] = value; }

void GTWidget::SetVisible(bool visible) {
    if (visible == m_visible) return;
    if (!visible) {
        Invalidate();
        if (GTRootWidget* root = Root()) root->ForgetSubtree(this);
        m_visible = false;
    } else {
        m_visible = true;
        Invalidate();
    }
}

void GTWidget::SetDebugFrame(std::int32_t debugFrame) {
    if (debugFrame == m_debugFrame) return;
    m_debugFrame = debugFrame;
    Invalidate();
}

GTWidget* GTWidget::HitTest(int x, int y) {
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        GTWidget* child = *it;
        if (!child->m_visible) continue;
        const GTRect& g = child->m_geometry;
        int cx = x - g.left, cy = y - g.top;
        if (cx >= 0 && cx < g.Width() && cy >= 0 && cy < g.Height()) return child->HitTest(cx, cy);
    }
    return this;
}

GTPoint GTWidget::WindowToWidget(int x, int y) const {
    for (const GTWidget* w = this; w; w = w->m_parent) {
        x -= w->m_geometry.left;
        y -= w->m_geometry.top;
    }
    return GTPoint { x, y };
}
