#pragma once

#include <sigc++/signal.h>

#include <cstdint>
#include <string>

#include "gt/GTFont.h"
#include "gt/GTTypes.h"
#include "gt/GTWidget.h"

class GTSlice;

// A skinned push button: one picture per state, looked up as base name + ".normal", ".hot",
// ".pushed", ".disable", with an optional caption. Its size is its normal picture's.
//
// State machine (nothing changes while disabled; presses are still taken then):
// - press inside with a matching trigger: pushed;
// - drag: inside with the trigger pushed, inside without it hot, outside normal;
// - release: outside (or cancelled) normal; inside with the trigger normal and Clicked;
//   inside without it hot;
// - enter hot, leave normal, move hot inside and normal outside;
// - space down pushed, space up normal and Clicked, Enter normal and Clicked.
class GTButton : public GTWidget {
public:
    enum State : std::int32_t { Normal = 0, Hot = 1, Pushed = 2, Disabled = 3 };

    GTButton();

    // The button was clicked (argument: the button).
    sigc::signal<void(GTWidget*)> Clicked;

    virtual void SetEnabled(bool enabled);
    // Not in the disabled state.
    virtual bool IsEnabled() const;
    virtual bool CanFocus() const;
    // Whether the event's flags share a bit with the trigger mask.
    virtual bool MatchesTrigger(const GTEvent& event) const;
    virtual void ResetState();
    // Hot or normal; ignored while disabled.
    virtual void SetHot(bool hot);
    virtual bool IsHot() const;
    // The normal picture's size; 16 × 14 without one.
    virtual GTSize GetNaturalSize();
    // Looks the state pictures up again from the base name, then lays the button out.
    virtual void LoadSkin();
    // The picture of the current state, or the normal picture when that one is missing.
    virtual const GTSlice* CurrentSlice() const;

    State GetState() const { return m_state; }
    std::uint32_t TriggerMask() const { return m_triggerMask; }
    void SetTriggerMask(std::uint32_t mask) { m_triggerMask = mask; }
    const std::string& SkinName() const { return m_skinName; }
    void SetSkinName(const std::string& baseName) { m_skinName = baseName; }
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& caption);
    // The font by face, 20 pixels high, normal weight.
    void SetFont(const std::string& face);
    void SetTextFont(const GTFont& font);
    const GTFont& Font() const { return m_font; }
    void SetTextColor(GTColor color);
    GTColor TextColor() const { return m_textColor; }
    void SetTextFormat(unsigned format);
    unsigned TextFormat() const { return m_textFormat; }

    // Overridden from GTWidget:
    bool OnMouseDown(const GTEvent& event) override;
    void OnMouseDrag(const GTEvent& event) override;
    void OnMouseUp(const GTEvent& event, bool cancelled) override;
    void OnMouseMove(const GTEvent& event) override;
    void OnMouseEnter(const GTEvent& event) override;
    void OnMouseLeave(const GTEvent& event) override;
    bool OnKeyDown(const GTEvent& event) override;
    bool OnKeyUp(const GTEvent& event) override;
    void OnRefresh() override;
    void Layout() override;
    void PaintSelf(GTPainter& painter) override;

protected:
    // Invalidates the button when the state changes.
    void SetState(State state);
    bool IsInside(const GTEvent& event) const;
    // What a completed click does (release inside with the trigger, Enter, space released).
    virtual void OnClickCompleted();
    // Caption width with the button's font; 12 pixels a byte without a window to measure on.
    int CaptionWidth();

    const GTSlice* m_normal { nullptr };
    const GTSlice* m_hot { nullptr };
    const GTSlice* m_pushed { nullptr };
    const GTSlice* m_disabled { nullptr };

private:
    State m_state { Normal };
    std::uint32_t m_triggerMask { GTEvent::LEFT_BUTTON };
    std::string m_skinName;
    std::string m_caption;
    GTFont m_font;
    GTColor m_textColor { GTRgb(0, 0, 0) };
    unsigned m_textFormat;
};
