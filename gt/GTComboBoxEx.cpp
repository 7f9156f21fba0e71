#include "gt/GTComboBoxEx.h"

void GTComboBoxEx::OnMenuOpened() {
    m_menuOpen = true;
    SetState(Hot);
}

void GTComboBoxEx::OnMenuClosed() {
    m_menuOpen = false;
    SetState(Normal);
}

void GTComboBoxEx::OnMouseUp(const GTEvent& event, bool cancelled) {
    if (!m_menuOpen) GTButton::OnMouseUp(event, cancelled);
}

void GTComboBoxEx::OnMouseMove(const GTEvent& event) {
    if (!m_menuOpen) GTButton::OnMouseMove(event);
}

void GTComboBoxEx::OnMouseEnter(const GTEvent& event) {
    if (!m_menuOpen) GTButton::OnMouseEnter(event);
}

void GTComboBoxEx::OnMouseLeave(const GTEvent& event) {
    if (!m_menuOpen) GTButton::OnMouseLeave(event);
}
