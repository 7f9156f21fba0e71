#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace uninstalltest {

// Sets an environment variable for as long as it lives; the previous value (or its absence)
// comes back afterwards. `name` must outlive the object (a string literal).
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

}  // namespace uninstalltest
