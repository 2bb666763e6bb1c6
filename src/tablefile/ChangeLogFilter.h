#pragma once

#include <QtGlobal>

// A data packet lists its change log in one attribute, CHANGE_LOG of the PARAMS element: three
// numbers for every row, so more than a hundred megabytes in one start tag for a file of ten
// million rows. The XML parser would hold that tag whole and scan it again as each block
// arrives, yet the reader has no use for it. This filter stands in front of the parser and
// takes the digits and blanks of that value out of the bytes.
//
// Taking digits and blanks out of an attribute value changes neither whether the packet is
// well formed nor anything the reader looks at, and anything else in the value (a reference,
// a stray '<') is passed on with all that follows, so the parser judges the packet as before.
// The filter follows the markup only up to the end of the PARAMS start tag; from there, or as
// soon as it meets the row data or markup it does not follow (a comment, CDATA, a document
// type), every byte goes through untouched.
class ChangeLogFilter {
public:
    // Filters the next length bytes of the file in place; returns how many are left.
    qsizetype filter(char* data, qsizetype length);

private:
    enum class State {
        Content,               // character data, or before and after the root element
        MarkupStart,           // just after '<'
        ProcessingInstruction,
        InstructionQuestion,   // after a '?' inside a processing instruction
        EndTag,
        TagName,
        InTag,                 // between attributes
        AttributeName,
        AttributeValue,
        PassThrough,
    };

    bool nameIs(const char* expected) const;
    void startName(char c);
    void addToName(char c);
    void endTagName();
    void closeTag();

    State m_state = State::Content;
    char m_quote = 0;
    bool m_inParams = false;
    bool m_dropping = false;
    // The tag or attribute name being read; a name longer than the buffer matches nothing.
    char m_name[12] = {};
    int m_nameLength = 0;
};
