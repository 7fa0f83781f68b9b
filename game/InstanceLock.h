// InstanceLock: one running copy of the program per user: an exclusive lock on a file, released by the system when
// the process ends however it ends, so a crashed run never blocks the next start.
#pragma once

#include <string>

class InstanceLock
{
public:
    static constexpr const char* kFileName = "tidewell.lock";

    InstanceLock() = default;
    ~InstanceLock() { Release(); }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Locks the file at `path` (created when missing). False when another holder has it or it cannot be opened.
    bool Acquire(const std::string& path);
    void Release();
    // The last Acquire failed because the file could not be opened (not because another copy holds it).
    bool CouldNotOpen() const { return m_bOpenFailed; }

    // The lock file of the user's session: in $XDG_RUNTIME_DIR, or the system's temporary folder.
    static std::string DefaultPath();

private:
    int m_iFd = -1;
    bool m_bOpenFailed = false;
};
