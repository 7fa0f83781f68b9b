// InstanceLock: flock on a file in the user's runtime folder.
#include "game/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

bool InstanceLock::Acquire(const std::string& path)
{
    Release();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    m_bOpenFailed = fd < 0;
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
    {
        ::close(fd);
        return false;
    }
    m_iFd = fd;
    return true;
}

void InstanceLock::Release()
{
    if (m_iFd < 0)
        return;
    ::flock(m_iFd, LOCK_UN);
    ::close(m_iFd);
    m_iFd = -1;
}

std::string InstanceLock::DefaultPath()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && ::access(runtime, W_OK) == 0)
        return std::string(runtime) + "/" + kFileName;
    const char* temp = std::getenv("TMPDIR");
    std::string folder = temp && *temp ? temp : "/tmp";
    return folder + "/tidewell-" + std::to_string(::getuid()) + ".lock";
}
