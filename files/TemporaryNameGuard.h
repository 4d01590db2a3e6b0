#pragma once

namespace Quorvane {

// While a guard lives, SIGINT, SIGTERM, SIGHUP and SIGBUS first remove the temporary file it names
// (unlinkat(folder, name)) and then take their earlier course, so a save that is ended by
// them leaves no temporary file behind. Once the temporary has been renamed into place the
// removal finds nothing: the new file stays. Signals the program ignores stay ignored.
// At most a few guards live at once (a list file and its removed items).
class TemporaryNameGuard
{
public:
    TemporaryNameGuard(int folder, const char *name);
    ~TemporaryNameGuard();
    TemporaryNameGuard(const TemporaryNameGuard &) = delete;
    TemporaryNameGuard &operator=(const TemporaryNameGuard &) = delete;

private:
    int m_slot;
};

} // namespace Quorvane
