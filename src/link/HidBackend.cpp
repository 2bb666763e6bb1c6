#include "link/HidBackend.h"

HidLanguageIds HidHandle::getLanguageIds(std::u16string&)
{
    return HidLanguageIds::NotApplicable;
}

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
