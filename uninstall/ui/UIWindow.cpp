#include "uninstall/ui/UIWindow.h"

#include <tinyxml.h>

#include <algorithm>

#include "gt/GTMessages.h"
#include "uninstall/ui/UIAnimation.h"
#include "uninstall/ui/UIControls.h"
#include "uninstall/ui/UIResources.h"
#include "uninstall/ui/UIRichEdit.h"

namespace {

// Controls of a layout nest at most this deep; a deeper document is cut there.
constexpr int MAX_DEPTH = 32;

std::unique_ptr<UIControl> MakeStandardControl(const std::string& type) {
    if (type == "Control") return std::make_unique<UIControl>();
    if (type == "Container") return std::make_unique<UIContainer>(UIContainer::Flow::Stack);
    if (type == "VerticalLayout") return std::make_unique<UIContainer>(UIContainer::Flow::Vertical);
    if (type == "HorizontalLayout") return std::make_unique<UIContainer>(UIContainer::Flow::Horizontal);
    if (type == "Label") return std::make_unique<UILabel>(false);
    if (type == "Text") return std::make_unique<UILabel>(true);
    if (type == "Button") return std::make_unique<UIButton>();
    if (type == "CheckBox") return std::make_unique<UICheckBox>();
    if (type == "Progress") return std::make_unique<UIProgress>();
    if (type == "RichEdit") return std::make_unique<UIRichEdit>();
    return nullptr;
}

}  // namespace

UIWindow::UIWindow(const UIResources& resources) : m_resources(resources) {}

UIWindow::~UIWindow() {
    // Children before their parents, while the desktop window (holding native parts) still exists.
    m_timers.clear();
    while (!m_controls.empty()) m_controls.pop_back();
}

bool UIWindow::LoadLayout(int number, const std::string& type, const Builder& builder) {
    if (m_loaded) return false;
    m_layoutNumber = number;
    m_layoutType = type;
    m_builder = builder;
    if (!Build()) return false;
    if (!Host()) OnSize(SIZE_RESTORED, m_size.width, m_size.height);
    SendNotify(nullptr, UI_NOTIFY_WINDOWINIT);
    return true;
}

bool UIWindow::Create(int number, const std::string& type, const Builder& builder, const GTRect& rect,
                      const std::string& title, std::uint32_t style, std::uint32_t exStyle) {
    if (m_loaded) return false;
    m_layoutNumber = number;
    m_layoutType = type;
    m_builder = builder;
    return CreateHostWindow(rect, title, exStyle, style, nullptr);
}

int UIWindow::OnCreate() {
    if (GTWindow::OnCreate() == -1) return -1;
    if (!m_loaded && !Build()) return -1;
    // The layout decides the size; the corner stays where it was asked to be.
    const GTRect at = GetWindowRect();
    MoveWindow(GTRect::FromSize(at.left, at.top, m_size.width, m_size.height));
    for (const auto& control : m_controls) control->OnHostCreated();
    SendNotify(nullptr, UI_NOTIFY_WINDOWINIT);
    return IsWindow() ? 0 : -1;
}

bool UIWindow::Build() {
    const std::string_view text = m_resources.Find(m_layoutNumber, m_layoutType);
    if (text.empty()) return false;
    TiXmlDocument document;
    document.Parse(std::string(text).c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (document.Error()) return false;
    const TiXmlElement* window = document.RootElement();
    if (!window || std::string_view(window->Value()) != "Window") return false;
    ParseWindowAttributes(window);
    for (const TiXmlElement* child = window->FirstChildElement(); child;
         child = child->NextSiblingElement()) {
        if (std::string_view(child->Value()) == "Font") {
            GTFont font;
            if (const char* name = child->Attribute("name")) font.face = name;
            // The size is the character height in pixels.
            int size = ParseUIInt(child->Attribute("size") ? child->Attribute("size") : "12");
            font.height = -std::max(1, std::abs(size));
            if (const char* bold = child->Attribute("bold")) font.weight = ParseUIBool(bold) ? 700 : 400;
            if (const char* underline = child->Attribute("underline"))
                font.underline = ParseUIBool(underline);
            if (const char* italic = child->Attribute("italic")) font.italic = ParseUIBool(italic);
            m_fonts.push_back(font);
        } else if (std::string_view(child->Value()) == "Default") {
            const char* type = child->Attribute("name");
            const char* value = child->Attribute("value");
            if (type && value) m_defaults[type] = ParseUIAttributeList(value);
        } else if (!m_rootControl) {
            m_rootControl = BuildControl(child, 1);
        }
    }
    if (!m_rootControl) {
        m_controls.clear();
        m_fonts.clear();
        m_defaults.clear();
        return false;
    }
    Root().AddChild(m_rootControl);
    m_loaded = true;
    return true;
}

void UIWindow::ParseWindowAttributes(const void* element) {
    const auto* window = static_cast<const TiXmlElement*>(element);
    for (const TiXmlAttribute* a = window->FirstAttribute(); a; a = a->Next()) {
        const std::string_view name = a->Name();
        if (name == "size") {
            m_size = ParseUISize(a->Value());
        } else if (name == "caption") {
            m_caption = ParseUIRect(a->Value());
        } else if (name == "sizebox") {
            m_sizeBox = ParseUIRect(a->Value());
        } else if (name == "roundcorner") {
            m_roundCorner = ParseUISize(a->Value());
        } else if (name == "mininfo") {
            m_minSize = ParseUISize(a->Value());
        }
    }
    m_size.width = std::clamp(m_size.width, 1, 8192);
    m_size.height = std::clamp(m_size.height, 1, 8192);
}

UIControl* UIWindow::BuildControl(const void* element, int depth) {
    const auto* xml = static_cast<const TiXmlElement*>(element);
    const std::string type = xml->Value();
    std::unique_ptr<UIControl> made = MakeStandardControl(type);
    if (!made && m_builder) made = m_builder(type);
    if (!made) return nullptr;
    UIControl* control = made.get();
    m_controls.push_back(std::move(made));
    control->SetManager(this);
    if (auto defaults = m_defaults.find(type); defaults != m_defaults.end()) {
        for (const auto& [name, value] : defaults->second) control->SetAttribute(name, value);
    }
    for (const TiXmlAttribute* a = xml->FirstAttribute(); a; a = a->Next())
        control->SetAttribute(a->Name(), a->Value());
    auto* container = dynamic_cast<UIContainer*>(control);
    if (!container || depth >= MAX_DEPTH) return control;
    // Floating children lie above the flow: they are painted after it and hit before it,
    // wherever the document lists them.
    std::vector<UIControl*> floating;
    for (const TiXmlElement* child = xml->FirstChildElement(); child; child = child->NextSiblingElement()) {
        UIControl* built = BuildControl(child, depth + 1);
        if (!built) continue;
        if (built->IsFloat()) {
            floating.push_back(built);
        } else {
            container->Add(built);
        }
    }
    for (UIControl* built : floating) container->Add(built);
    return control;
}

void UIWindow::CenterWindow() {
    const GTRect at = GetWindowRect();
    const int cx = at.left + at.Width() / 2, cy = at.top + at.Height() / 2;
    platform::WindowRect area = platform::Window::WorkAreaAt(cx, cy);
    if (area.IsEmpty()) area = platform::Window::PrimaryWorkArea();
    if (area.IsEmpty()) return;
    const int left = area.left + (area.Width() - at.Width()) / 2;
    const int top = area.top + (area.Height() - at.Height()) / 2;
    MoveWindow(GTRect::FromSize(std::max(area.left, left), std::max(area.top, top), at.Width(), at.Height()));
}

UIControl* UIWindow::FindControl(std::string_view name) const {
    if (name.empty()) return nullptr;
    for (const auto& control : m_controls) {
        if (control->Name() == name) return control.get();
    }
    return nullptr;
}

UIControl* UIWindow::FindControlAt(int x, int y) {
    for (GTWidget* w = Root().HitTest(x, y); w; w = w->Parent()) {
        if (auto* control = dynamic_cast<UIControl*>(w)) return control;
    }
    return nullptr;
}

void UIWindow::SendNotify(UIControl* sender, const std::string& type) {
    UINotify notify { type, sender };
    Notify(notify);
}

GTFont UIWindow::Font(int index) const {
    if (index >= 0 && static_cast<std::size_t>(index) < m_fonts.size())
        return m_fonts[static_cast<std::size_t>(index)];
    if (!m_fonts.empty()) return m_fonts.front();
    GTFont font;
    font.height = -12;
    return font;
}

const GTImage* UIWindow::Image(int number) const { return m_resources.Image(number); }

std::uint32_t UIWindow::SetControlTimer(UIControl* control, std::uint32_t milliseconds) {
    const std::uint32_t id = ++m_nextTimer;
    m_timers[id] = control;
    SetTimer(id, milliseconds);
    return id;
}

void UIWindow::KillControlTimer(std::uint32_t id) {
    m_timers.erase(id);
    KillTimer(id);
}

void UIWindow::OnTimer(std::uint32_t id) {
    auto found = m_timers.find(id);
    if (found == m_timers.end()) return;
    if (auto* animation = dynamic_cast<UIAnimation*>(found->second)) animation->Advance();
}

int UIWindow::OnHitTest(int x, int y) {
    const int width = GetClientRect().Width(), height = GetClientRect().Height();
    // Resize zones, when the layout has a size box.
    const bool left = x < m_sizeBox.left, right = x >= width - m_sizeBox.right;
    const bool top = y < m_sizeBox.top, bottom = y >= height - m_sizeBox.bottom;
    if (top && left) return HTTOPLEFT;
    if (top && right) return HTTOPRIGHT;
    if (bottom && left) return HTBOTTOMLEFT;
    if (bottom && right) return HTBOTTOMRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;

    // The caption band: its right and bottom count from the window's right edge and top.
    const GTRect band { m_caption.left, m_caption.top, width - m_caption.right, m_caption.bottom };
    if (!band.Contains(x, y)) return HTCLIENT;
    UIControl* control = FindControlAt(x, y);
    if (control && (control->IsA("ButtonUI") || control->IsA("OptionUI") || control->IsA("TextUI")))
        return HTCLIENT;
    return HTCAPTION;
}

void UIWindow::OnSize(int type, int width, int height) {
    GTWindow::OnSize(type, width, height);
    if (m_rootControl) m_rootControl->SetGeometry(GTRect::FromSize(0, 0, width, height));
    if (type != SIZE_MINIMIZED && m_roundCorner.width > 0 && m_roundCorner.height > 0) {
        SetWindowRegion(platform::WindowRegion::RoundRect(platform::WindowRect { 0, 0, width, height },
                                                          m_roundCorner.width, m_roundCorner.height));
    }
}
