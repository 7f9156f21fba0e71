#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Window.h"

namespace platform {

// How a text field draws its text. The field itself has no background and no frame: the window
// paints whatever lies under it.
struct TextFieldLook {
    // A fontconfig family list ("Noto Sans CJK SC").
    std::string fontFamily;
    double fontPixels { 12.0 };
    // 0xAARRGGBB.
    std::uint32_t textColor { 0xFF000000u };
    // Space between the field's rectangle and its text on every side.
    int inset { 0 };
};

// A multi-line text field placed inside a window: the host toolkit's own editor, so the caret,
// selection, clipboard and the desktop's input method (Chinese typed through an IME) all work as
// in any other program. The field takes its own clicks and, while it has the keyboard, its own
// keys; the window hears nothing of them.
//
// Text is UTF-8. Lengths count characters, as the original rich edit counted them.
class TextField {
public:
    // Places a field at `rect` (the window's client coordinates), shown. Nothing when the window
    // has no desktop window.
    static std::unique_ptr<TextField> Create(Window& parent, const WindowRect& rect,
                                             const TextFieldLook& look);
    ~TextField();
    TextField(const TextField&) = delete;
    TextField& operator=(const TextField&) = delete;

    void SetBounds(const WindowRect& rect);
    WindowRect Bounds() const;
    void SetVisible(bool visible);
    bool IsVisible() const;
    // Shown and placed at its bounds on the screen: a field just shown or moved gets there at the
    // window's next frame.
    bool IsOnScreen() const;

    std::string Text() const;
    // Replaces the text; a text longer than the limit is cut to it.
    void SetText(std::string_view text);
    // The most characters the field holds; typing, pasting or an input method's commit that would
    // go beyond it is cut at the limit (a commit that does not fit at all is dropped). 0: no limit.
    void SetMaxLength(int characters);
    int MaxLength() const;

    // Gives the field the keyboard.
    void Focus();
    // Whether the field is the one of its window that takes the keys while the window has them.
    bool HasFocus() const;

    // Called after every change of the text, on the user-interface thread.
    std::function<void()> onChanged;

    struct Impl;

private:
    explicit TextField(Impl* impl) : m_impl(impl) {}
    Impl* m_impl;
};

// Characters in a UTF-8 text, and the text cut to at most `characters` whole characters.
std::size_t CountCharacters(std::string_view utf8);
std::string_view CutToCharacters(std::string_view utf8, std::size_t characters);

}  // namespace platform
