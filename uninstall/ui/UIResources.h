#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

class GTImage;

// One resource carried inside the program: a number, a type ("XML" for layout documents, "PNG"
// for pictures) and its bytes. The build generates the program's table.
struct UIResourceEntry {
    int number;
    const char* type;
    const unsigned char* data;
    std::size_t size;
};

// The resources a window is built from, looked up by number and type. Pictures are decoded on
// first use and kept for the life of the set.
//
// User-interface thread only.
class UIResources {
public:
    explicit UIResources(std::span<const UIResourceEntry> table);
    UIResources(const UIResources&) = delete;
    UIResources& operator=(const UIResources&) = delete;
    ~UIResources();

    // The bytes of a resource; nothing (an empty view) when there is none of that number and type.
    std::string_view Find(int number, std::string_view type) const;
    // The "PNG" resource of that number decoded (premultiplied ARGB); nothing when it is missing
    // or no PNG.
    const GTImage* Image(int number) const;

private:
    std::span<const UIResourceEntry> m_table;
    mutable std::map<int, std::unique_ptr<GTImage>> m_images;
};

// Decodes PNG bytes into a picture; nothing for anything that is not a PNG.
std::unique_ptr<GTImage> DecodePng(std::string_view bytes);
