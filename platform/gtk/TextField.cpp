#include "platform/TextField.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>

namespace platform {

struct TextField::Impl {
    TextField* owner { nullptr };
    // Both referenced by us: the desktop window may go first and take its children with it.
    GtkWidget* scroller { nullptr };
    GtkWidget* view { nullptr };
    GtkTextBuffer* buffer { nullptr };
    GtkWidget* container { nullptr };
    WindowRect rect;
    int maxLength { 0 };
    bool cutting { false };

    static void OnInsertText(GtkTextBuffer* buffer, GtkTextIter* location, gchar* text, gint length,
                             Impl* self);
    static void OnChanged(GtkTextBuffer*, Impl* self);
    static void OnContainerDestroyed(GtkWidget*, Impl* self) { self->container = nullptr; }
};

namespace {

std::string CssColor(std::uint32_t argb) {
    char text[64];
    std::snprintf(text, sizeof text, "rgba(%u,%u,%u,%.3f)", (argb >> 16) & 0xFF, (argb >> 8) & 0xFF,
                  argb & 0xFF, ((argb >> 24) & 0xFF) / 255.0);
    return text;
}

// CSS string literal for a family list: every family quoted on its own.
std::string CssFamilies(const std::string& families) {
    std::string out;
    std::size_t start = 0;
    while (start <= families.size()) {
        std::size_t comma = families.find(',', start);
        if (comma == std::string::npos) comma = families.size();
        std::string name = families.substr(start, comma - start);
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        if (!name.empty() && name.find_first_of("\"\\;{}") == std::string::npos) {
            if (!out.empty()) out += ", ";
            out += name == "sans-serif" || name == "serif" || name == "monospace" ? name : "\"" + name + "\"";
        }
        start = comma + 1;
    }
    return out.empty() ? "sans-serif" : out;
}

void ApplyLook(GtkWidget* scroller, GtkWidget* view, const TextFieldLook& look) {
    const std::string color = CssColor(look.textColor | 0xFF000000u);
    char size[32];
    std::snprintf(size, sizeof size, "%.1fpx", look.fontPixels);
    // No ground of its own: the window's picture shows through, as under the original
    // transparent rich edit.
    const std::string css =
        "scrolledwindow, scrolledwindow undershoot, scrolledwindow overshoot, textview, "
        "textview text { background: none; background-color: transparent; border: none; "
        "box-shadow: none; }\n"
        "textview, textview text { color: " +
        color + "; caret-color: " + color + "; font-family: " + CssFamilies(look.fontFamily) +
        "; font-size: " + size +
        "; }\n"
        "textview text selection { background-color: rgba(217,165,90,0.45); color: #ffffff; }\n";
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    for (GtkWidget* widget : { scroller, view }) {
        gtk_style_context_add_provider(gtk_widget_get_style_context(widget), GTK_STYLE_PROVIDER(provider),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
    }
    g_object_unref(provider);
}

}  // namespace

std::size_t CountCharacters(std::string_view utf8) {
    std::size_t count = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80) ++count;
    }
    return count;
}

std::string_view CutToCharacters(std::string_view utf8, std::size_t characters) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;
        if (seen == characters) return utf8.substr(0, i);
        ++seen;
    }
    return utf8;
}

void TextField::Impl::OnInsertText(GtkTextBuffer* buffer, GtkTextIter* location, gchar* text, gint length,
                                   Impl* self) {
    if (self->maxLength <= 0 || self->cutting) return;
    const std::string_view inserted(text, length < 0 ? std::char_traits<char>::length(text) : length);
    const std::size_t have = static_cast<std::size_t>(gtk_text_buffer_get_char_count(buffer));
    const std::size_t limit = static_cast<std::size_t>(self->maxLength);
    if (have + CountCharacters(inserted) <= limit) return;
    // Too long: this insertion stops here, and what fits goes in instead.
    g_signal_stop_emission_by_name(buffer, "insert-text");
    const std::string_view fits = CutToCharacters(inserted, have >= limit ? 0 : limit - have);
    if (fits.empty()) {
        if (self->view) gtk_widget_error_bell(self->view);
        return;
    }
    self->cutting = true;
    gtk_text_buffer_insert(buffer, location, fits.data(), static_cast<gint>(fits.size()));
    self->cutting = false;
}

void TextField::Impl::OnChanged(GtkTextBuffer*, Impl* self) {
    if (self->owner && self->owner->onChanged) self->owner->onChanged();
}

std::unique_ptr<TextField> TextField::Create(Window& parent, const WindowRect& rect,
                                             const TextFieldLook& look) {
    auto* container = static_cast<GtkWidget*>(parent.NativeContainer());
    if (!parent.IsAlive() || !container) return nullptr;
    auto* impl = new Impl();
    std::unique_ptr<TextField> field(new TextField(impl));
    impl->owner = field.get();
    impl->container = container;
    impl->rect = rect;

    impl->scroller = gtk_scrolled_window_new(nullptr, nullptr);
    g_object_ref_sink(impl->scroller);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(impl->scroller), GTK_POLICY_NEVER,
                                   GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(impl->scroller), GTK_SHADOW_NONE);
    impl->view = gtk_text_view_new();
    g_object_ref_sink(impl->view);
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(impl->view), GTK_WRAP_WORD_CHAR);
    gtk_text_view_set_accepts_tab(GTK_TEXT_VIEW(impl->view), FALSE);
    gtk_text_view_set_left_margin(GTK_TEXT_VIEW(impl->view), look.inset);
    gtk_text_view_set_right_margin(GTK_TEXT_VIEW(impl->view), look.inset);
    gtk_text_view_set_top_margin(GTK_TEXT_VIEW(impl->view), look.inset);
    gtk_text_view_set_bottom_margin(GTK_TEXT_VIEW(impl->view), look.inset);
    impl->buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(impl->view));
    g_object_ref(impl->buffer);
    ApplyLook(impl->scroller, impl->view, look);
    g_signal_connect(impl->buffer, "insert-text", G_CALLBACK(Impl::OnInsertText), impl);
    g_signal_connect(impl->buffer, "changed", G_CALLBACK(Impl::OnChanged), impl);
    g_signal_connect(container, "destroy", G_CALLBACK(Impl::OnContainerDestroyed), impl);

    gtk_container_add(GTK_CONTAINER(impl->scroller), impl->view);
    gtk_widget_set_size_request(impl->scroller, std::max(1, rect.Width()), std::max(1, rect.Height()));
    gtk_fixed_put(GTK_FIXED(container), impl->scroller, rect.left, rect.top);
    gtk_widget_show_all(impl->scroller);
    return field;
}

TextField::~TextField() {
    g_signal_handlers_disconnect_matched(m_impl->buffer, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, m_impl);
    if (m_impl->container) {
        g_signal_handlers_disconnect_matched(m_impl->container, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr,
                                             m_impl);
        gtk_widget_destroy(m_impl->scroller);
    }
    g_object_unref(m_impl->buffer);
    g_object_unref(m_impl->view);
    g_object_unref(m_impl->scroller);
    delete m_impl;
}

void TextField::SetBounds(const WindowRect& rect) {
    m_impl->rect = rect;
    if (!m_impl->container) return;
    gtk_widget_set_size_request(m_impl->scroller, std::max(1, rect.Width()), std::max(1, rect.Height()));
    gtk_fixed_move(GTK_FIXED(m_impl->container), m_impl->scroller, rect.left, rect.top);
}

WindowRect TextField::Bounds() const { return m_impl->rect; }

void TextField::SetVisible(bool visible) {
    if (m_impl->container) gtk_widget_set_visible(m_impl->scroller, visible);
}

bool TextField::IsVisible() const { return m_impl->container && gtk_widget_get_visible(m_impl->scroller); }

bool TextField::IsOnScreen() const {
    if (!m_impl->container || !gtk_widget_get_mapped(m_impl->scroller)) return false;
    GtkAllocation allocation;
    gtk_widget_get_allocation(m_impl->scroller, &allocation);
    return allocation.x == m_impl->rect.left && allocation.y == m_impl->rect.top &&
           allocation.width == m_impl->rect.Width() && allocation.height == m_impl->rect.Height();
}

std::string TextField::Text() const {
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(m_impl->buffer, &start, &end);
    gchar* text = gtk_text_buffer_get_text(m_impl->buffer, &start, &end, FALSE);
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

void TextField::SetText(std::string_view text) {
    // The editor takes only valid UTF-8: broken bytes become replacement characters.
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    std::string_view kept(valid);
    if (m_impl->maxLength > 0) kept = CutToCharacters(kept, static_cast<std::size_t>(m_impl->maxLength));
    gtk_text_buffer_set_text(m_impl->buffer, kept.data(), static_cast<gint>(kept.size()));
    g_free(valid);
}

void TextField::SetMaxLength(int characters) { m_impl->maxLength = std::max(0, characters); }

int TextField::MaxLength() const { return m_impl->maxLength; }

void TextField::Focus() {
    if (m_impl->container) gtk_widget_grab_focus(m_impl->view);
}

bool TextField::HasFocus() const { return m_impl->container && gtk_widget_is_focus(m_impl->view); }

}  // namespace platform
