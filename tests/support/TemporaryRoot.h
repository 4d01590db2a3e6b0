#pragma once

#include "TemporaryFolder.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace Quorvane::Testing {

// Points TMPDIR at a fresh folder while it lives, so what a run puts in the temporary root
// (spill folders) can be looked at and is gone with it; puts TMPDIR back as it was.
class TemporaryRoot
{
public:
    TemporaryRoot()
    {
        if (const char *previous = std::getenv("TMPDIR"))
            m_previous = previous;
        ::setenv("TMPDIR", m_folder.path().c_str(), 1);
    }
    ~TemporaryRoot()
    {
        if (m_previous)
            ::setenv("TMPDIR", m_previous->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }
    TemporaryRoot(const TemporaryRoot &) = delete;
    TemporaryRoot &operator=(const TemporaryRoot &) = delete;

    std::string path() const { return m_folder.path().string(); }
    std::size_t entryCount() const { return m_folder.entryCount(); }

private:
    TemporaryFolder m_folder;
    std::optional<std::string> m_previous;
};

} // namespace Quorvane::Testing
