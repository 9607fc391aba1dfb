#pragma once

#include <cstdlib>
#include <optional>
#include <string>

// Sets the optical drive map (TAMBEROL_DRIVES, "E=/tmp/x;F=...") for one scope and puts back what was there.
class DriveEnv {
public:
    // An empty map means no drive at all, so the machine's own drives never leak into a test.
    explicit DriveEnv(const std::string& map) {
        if (const char* old = std::getenv("TAMBEROL_DRIVES")) m_old = old;
        setenv("TAMBEROL_DRIVES", map.c_str(), 1);
    }
    ~DriveEnv() {
        if (m_old)
            setenv("TAMBEROL_DRIVES", m_old->c_str(), 1);
        else
            unsetenv("TAMBEROL_DRIVES");
    }
    DriveEnv(const DriveEnv&) = delete;
    DriveEnv& operator=(const DriveEnv&) = delete;

private:
    std::optional<std::string> m_old;
};
