#include "uninstall/ui/UIControl.h"

#include <cairo.h>

#include <algorithm>

#include "gt/GTImage.h"
#include "gt/GTPainter.h"
#include "uninstall/ui/UIWindow.h"

void UIControl::SetAttribute(const std::string& name, const std::string& value) {
    if (name == "name") {
        SetName(value);
    } else if (name == "pos") {
        m_pos = ParseUIRect(value);
        if (m_fixedWidth == 0) m_fixedWidth = std::max(0, m_pos.Width());
        if (m_fixedHeight == 0) m_fixedHeight = std::max(0, m_pos.Height());
    } else if (name == "float") {
        m_float = ParseUIBool(value);
    } else if (name == "width") {
        m_fixedWidth = std::max(0, ParseUIInt(value));
    } else if (name == "height") {
        m_fixedHeight = std::max(0, ParseUIInt(value));
    } else if (name == "visible") {
        SetVisible(ParseUIBool(value));
    } else if (name == "bkcolor") {
        m_bkColor = ParseUIColor(value);
    } else if (name == "bkimage") {
        m_bkImage = ParseUIImageRef(value);
    } else if (name == "bordercolor") {
        m_borderColor = ParseUIColor(value);
    } else if (name == "bordersize") {
        m_borderSize = std::max(0, ParseUIInt(value));
    } else {
        PutProperty(name, value);
    }
}

void UIControl::Show(bool visible) {
    if (visible == IsVisible()) return;
    SetVisible(visible);
    // A flowing control that appears or goes changes its siblings' places.
    if (!m_float && Parent()) Parent()->Layout();
    BroadcastShownChanged();
}

bool UIControl::IsShown() const {
    for (const GTWidget* w = this; w; w = w->Parent()) {
        if (!w->IsVisible()) return false;
    }
    return true;
}

void UIControl::BroadcastShownChanged() {
    OnShownChanged();
    for (GTWidget* child : Children()) {
        if (auto* control = dynamic_cast<UIControl*>(child)) control->BroadcastShownChanged();
    }
}

void UIControl::PaintSelf(GTPainter& painter) {
    const GTRect own = GTRect::FromSize(0, 0, Width(), Height());
    if (m_bkColor >> 24) {
        if ((m_bkColor >> 24) == 0xFF) {
            painter.FillRect(own, UIColorToGT(m_bkColor));
        } else {
            cairo_t* cr = painter.Context();
            cairo_save(cr);
            cairo_set_source_rgba(cr, ((m_bkColor >> 16) & 0xFF) / 255.0, ((m_bkColor >> 8) & 0xFF) / 255.0,
                                  (m_bkColor & 0xFF) / 255.0, (m_bkColor >> 24) / 255.0);
            cairo_rectangle(cr, 0, 0, own.Width(), own.Height());
            cairo_fill(cr);
            cairo_restore(cr);
        }
    }
    DrawImage(painter, m_bkImage);
    PaintContent(painter);
    if (m_borderSize > 0 && (m_borderColor >> 24)) {
        for (int i = 0; i < m_borderSize; ++i)
            painter.FrameRect(GTRect { i, i, own.right - i, own.bottom - i }, UIColorToGT(m_borderColor));
    }
    PaintDebugFrame(painter);
}

void UIControl::DrawImage(GTPainter& painter, const UIImageRef& ref) const {
    DrawImage(painter, ref, ref.hasDest ? ref.dest : GTRect::FromSize(0, 0, Width(), Height()));
}

void UIControl::DrawImage(GTPainter& painter, const UIImageRef& ref, const GTRect& into) const {
    if (!ref.IsSet() || !m_manager) return;
    const GTImage* image = m_manager->Image(ref.number);
    if (!image) return;
    GTRect source = ref.hasSource ? ref.source : GTRect::FromSize(0, 0, image->Width(), image->Height());
    source = source.Intersect(GTRect::FromSize(0, 0, image->Width(), image->Height()));
    if (source.IsEmpty() || into.IsEmpty()) return;
    // A picture larger than its place is cut, not squeezed; a smaller one is stretched.
    GTRect dest = into;
    if (source.Width() > dest.Width()) source.right = source.left + dest.Width();
    if (source.Height() > dest.Height()) source.bottom = source.top + dest.Height();
    painter.DrawImage(*image, source, dest);
}

// ---- containers ----

std::string_view UIContainer::GetClass() const {
    switch (m_flow) {
        case Flow::Vertical:
            return "VerticalLayoutUI";
        case Flow::Horizontal:
            return "HorizontalLayoutUI";
        case Flow::Stack:
            break;
    }
    return "ContainerUI";
}

bool UIContainer::IsA(std::string_view className) const {
    return className == GetClass() || className == "ContainerUI" || UIControl::IsA(className);
}

void UIContainer::SetAttribute(const std::string& name, const std::string& value) {
    if (name == "inset") {
        m_inset = ParseUIRect(value);
    } else {
        UIControl::SetAttribute(name, value);
    }
}

void UIContainer::Add(UIControl* child) {
    if (!child) return;
    AddChild(child);
    child->SetManager(Manager());
}

void UIContainer::Layout() {
    const GTRect inner { m_inset.left, m_inset.top, Width() - m_inset.right, Height() - m_inset.bottom };
    std::vector<UIControl*> flowing;
    for (GTWidget* child : Children()) {
        auto* control = dynamic_cast<UIControl*>(child);
        if (!control) continue;
        if (control->IsFloat()) {
            const GTRect& pos = control->FloatPos();
            const int width = control->FixedWidth() > 0 ? control->FixedWidth() : pos.Width();
            const int height = control->FixedHeight() > 0 ? control->FixedHeight() : pos.Height();
            control->SetGeometry(
                GTRect::FromSize(pos.left, pos.top, std::max(0, width), std::max(0, height)));
        } else if (control->IsVisible()) {
            flowing.push_back(control);
        }
    }

    if (m_flow == Flow::Stack) {
        for (UIControl* control : flowing) control->SetGeometry(inner);
    } else {
        const bool vertical = m_flow == Flow::Vertical;
        const int room = vertical ? inner.Height() : inner.Width();
        int fixed = 0, shares = 0;
        for (UIControl* control : flowing) {
            const int size = vertical ? control->FixedHeight() : control->FixedWidth();
            if (size > 0) {
                fixed += size;
            } else {
                ++shares;
            }
        }
        const int free = std::max(0, room - fixed);
        int at = vertical ? inner.top : inner.left;
        int handedOut = 0, shared = 0;
        for (UIControl* control : flowing) {
            int size = vertical ? control->FixedHeight() : control->FixedWidth();
            if (size <= 0) {
                // Equal shares; the last one takes what rounding left over.
                ++shared;
                size = shared == shares ? free - handedOut : free / shares;
                handedOut += size;
            }
            if (vertical) {
                const int width = control->FixedWidth() > 0 ? control->FixedWidth() : inner.Width();
                control->SetGeometry(GTRect::FromSize(inner.left, at, width, size));
            } else {
                const int height = control->FixedHeight() > 0 ? control->FixedHeight() : inner.Height();
                control->SetGeometry(GTRect::FromSize(at, inner.top, size, height));
            }
            at += size;
        }
    }
    UIControl::Layout();
}
