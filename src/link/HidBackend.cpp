#include "HidBackend.h"

#include "LinuxHidBackend.h"

#include <cerrno>
#include <cstring>

HidLanguageIds HidHandle::getLanguageIds(std::u16string&)
{
    return HidLanguageIds::NotApplicable;
}

// Both backends speak errno. The untranslated description keeps the history list the same
// whatever the C library's message locale is.
bool HidHandle::setInputBufferCount(int32_t count)
{
    if (count < 0)
        return false;
    m_inputBufferCount = count;
    return true;
}

bool HidHandle::getInputBufferCount(int32_t& count)
{
    count = m_inputBufferCount;
    return true;
}

QByteArray HidBackend::errorText(uint32_t error) const
{
    if (const char* text = strerrordesc_np(static_cast<int>(error)))
        return QByteArray(text);
    return "Unknown error " + QByteArray::number(error);
}

QByteArray HidBackend::accessProblem(const HidInterfaceInfo& device, uint32_t error) const
{
    if (error != EACCES && error != EPERM)
        return {};
    return "No permission to open " + device.path +
           " read-write; add a udev rule giving your user access";
}

std::shared_ptr<HidBackend> createPlatformHidBackend()
{
    return std::make_shared<LinuxHidBackend>();
}
