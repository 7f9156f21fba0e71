#include "uninstall/ui/UIResources.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

#include "gt/GTImage.h"

namespace {

struct PngReader {
    std::string_view bytes;
    std::size_t offset { 0 };
};

cairo_status_t ReadPng(void* closure, unsigned char* data, unsigned int length) {
    auto* reader = static_cast<PngReader*>(closure);
    if (reader->bytes.size() - reader->offset < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, reader->bytes.data() + reader->offset, length);
    reader->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

UIResources::UIResources(std::span<const UIResourceEntry> table) : m_table(table) {}

UIResources::~UIResources() = default;

std::string_view UIResources::Find(int number, std::string_view type) const {
    for (const UIResourceEntry& entry : m_table) {
        if (entry.number == number && type == entry.type)
            return std::string_view(reinterpret_cast<const char*>(entry.data), entry.size);
    }
    return {};
}

const GTImage* UIResources::Image(int number) const {
    auto found = m_images.find(number);
    if (found != m_images.end()) return found->second.get();
    // A picture that does not decode is remembered as missing, so it is not tried again.
    auto& slot = m_images[number];
    slot = DecodePng(Find(number, "PNG"));
    return slot.get();
}

std::unique_ptr<GTImage> DecodePng(std::string_view bytes) {
    static const unsigned char signature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    if (bytes.size() < sizeof signature || std::memcmp(bytes.data(), signature, sizeof signature) != 0)
        return nullptr;
    PngReader reader { bytes };
    cairo_surface_t* decoded = cairo_image_surface_create_from_png_stream(ReadPng, &reader);
    if (cairo_surface_status(decoded) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(decoded);
        return nullptr;
    }
    const int width = cairo_image_surface_get_width(decoded);
    const int height = cairo_image_surface_get_height(decoded);
    auto image = std::make_unique<GTImage>(width, height);
    // Whatever the file's format, draw it into the picture's premultiplied ARGB32 pixels.
    cairo_t* cr = cairo_create(image->Surface());
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, decoded, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(decoded);
    cairo_surface_flush(image->Surface());
    image->MarkDirty();
    return image;
}
