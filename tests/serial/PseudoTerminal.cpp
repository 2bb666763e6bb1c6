#include "PseudoTerminal.h"

// termios2 and BOTHER, which the C library's <termios.h> does not offer alongside them.
#include <asm/termbits.h>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    m_near = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_near < 0 || grantpt(m_near) != 0 || unlockpt(m_near) != 0)
        throw std::runtime_error("no pseudo-terminal");
    m_path = QString::fromLocal8Bit(ptsname(m_near));
    m_far = ::open(ptsname(m_near), O_RDWR | O_NOCTTY);
}

PseudoTerminal::~PseudoTerminal()
{
    ::close(m_far);
    ::close(m_near);
}

void PseudoTerminal::write(const QByteArray& bytes)
{
    if (::write(m_near, bytes.constData(), size_t(bytes.size())) != bytes.size())
        throw std::runtime_error("write to the pseudo-terminal failed");
}

PseudoTerminal::LineSettings PseudoTerminal::lineSettings() const
{
    // On the near end the terminal ioctls act on the far end's settings.
    termios2 line{};
    if (ioctl(m_near, TCGETS2, &line) != 0)
        throw std::runtime_error("TCGETS2 failed");
    LineSettings result;
    result.baud = line.c_ospeed;
    result.stopBits = (line.c_cflag & CSTOPB) ? 2 : 1;
    result.rtsCts = line.c_cflag & CRTSCTS;
    result.xonXoff = (line.c_iflag & IXON) && (line.c_iflag & IXOFF);
    return result;
}
