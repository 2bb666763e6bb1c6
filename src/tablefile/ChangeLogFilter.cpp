#include "tablefile/ChangeLogFilter.h"

#include <cstring>

namespace {

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDroppable(char c)
{
    return (c >= '0' && c <= '9') || isXmlSpace(c);
}

}  // namespace

bool ChangeLogFilter::nameIs(const char* expected) const
{
    return std::strlen(expected) == size_t(m_nameLength) && std::memcmp(m_name, expected, size_t(m_nameLength)) == 0;
}

void ChangeLogFilter::startName(char c)
{
    m_nameLength = 0;
    addToName(c);
}

void ChangeLogFilter::addToName(char c)
{
    if (m_nameLength < int(sizeof m_name))
        m_name[m_nameLength] = c;
    if (m_nameLength <= int(sizeof m_name))
        ++m_nameLength;
}

void ChangeLogFilter::endTagName()
{
    m_inParams = nameIs("PARAMS");
    m_state = nameIs("ROWDATA") ? State::PassThrough : State::InTag;
    m_nameLength = 0;
}

void ChangeLogFilter::closeTag()
{
    // Only the first PARAMS tag can hold the log; nothing after it needs looking at.
    m_state = m_inParams ? State::PassThrough : State::Content;
}

qsizetype ChangeLogFilter::filter(char* data, qsizetype length)
{
    char* out = data;
    const char* in = data;
    const char* const end = data + length;
    while (in != end) {
        const char c = *in;
        switch (m_state) {
        case State::PassThrough:
            if (out != in)
                std::memmove(out, in, size_t(end - in));
            return (out - data) + (end - in);
        case State::Content:
            if (c == '<')
                m_state = State::MarkupStart;
            break;
        case State::MarkupStart:
            if (c == '?') {
                m_state = State::ProcessingInstruction;
            } else if (c == '!') {
                m_state = State::PassThrough;
            } else if (c == '/') {
                m_state = State::EndTag;
            } else {
                m_state = State::TagName;
                m_nameLength = 0;
                continue;  // the byte is the name's first
            }
            break;
        case State::ProcessingInstruction:
            if (c == '?')
                m_state = State::InstructionQuestion;
            break;
        case State::InstructionQuestion:
            if (c == '>')
                m_state = State::Content;
            else if (c != '?')
                m_state = State::ProcessingInstruction;
            break;
        case State::EndTag:
            if (c == '>')
                m_state = State::Content;
            break;
        case State::TagName:
            if (isXmlSpace(c) || c == '/' || c == '>') {
                endTagName();
                if (m_state == State::InTag)
                    continue;  // the byte is read again between attributes
            } else {
                addToName(c);
            }
            break;
        case State::InTag:
            if (c == '>') {
                closeTag();
            } else if (c == '"' || c == '\'') {
                m_quote = c;
                m_dropping = m_inParams && nameIs("CHANGE_LOG");
                m_nameLength = 0;
                m_state = State::AttributeValue;
            } else if (!isXmlSpace(c) && c != '/' && c != '=') {
                startName(c);
                m_state = State::AttributeName;
            }
            break;
        case State::AttributeName:
            if (isXmlSpace(c) || c == '=' || c == '/' || c == '>' || c == '"' || c == '\'') {
                m_state = State::InTag;
                continue;  // the attribute's name is kept until its value begins
            }
            addToName(c);
            break;
        case State::AttributeValue:
            if (m_dropping && isDroppable(c)) {
                while (in != end && isDroppable(*in))
                    ++in;
                continue;
            }
            m_dropping = false;
            if (c == m_quote)
                m_state = State::InTag;
            break;
        }
        *out++ = c;
        ++in;
    }
    return out - data;
}
