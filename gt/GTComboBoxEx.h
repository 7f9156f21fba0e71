#pragma once

#include "gt/GTButton.h"

// The button that opens a pop-up menu: it stays hot while its menu is open, whatever the mouse
// does meanwhile (release, move, enter and leave are ignored then).
class GTComboBoxEx : public GTButton {
public:
    GTComboBoxEx() = default;

    virtual void OnMenuOpened();
    virtual void OnMenuClosed();
    bool IsMenuOpen() const { return m_menuOpen; }

    // Overridden from GTButton:
    void OnMouseUp(const GTEvent& event, bool cancelled) override;
    void OnMouseMove(const GTEvent& event) override;
    void OnMouseEnter(const GTEvent& event) override;
    void OnMouseLeave(const GTEvent& event) override;

private:
    bool m_menuOpen { false };
};
