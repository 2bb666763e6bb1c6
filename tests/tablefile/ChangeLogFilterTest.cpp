#include "tablefile/ChangeLogFilter.h"

#include <gtest/gtest.h>

#include <QByteArray>

namespace {

struct FilterCase {
    const char* name;
    QByteArray in;
    QByteArray out;
};

void PrintTo(const FilterCase& c, std::ostream* os)
{
    *os << c.name;
}

QByteArray filterInPieces(const QByteArray& in, qsizetype piece)
{
    ChangeLogFilter filter;
    QByteArray out;
    for (qsizetype at = 0; at < in.size(); at += piece) {
        QByteArray block = in.mid(at, piece);
        out += block.left(filter.filter(block.data(), block.size()));
    }
    return out;
}

class ChangeLogFilterCases : public ::testing::TestWithParam<FilterCase> {};

// Every case gives the same bytes whether the file comes in one block, byte by byte, or in
// blocks of any other size.
TEST_P(ChangeLogFilterCases, DropsOnlyTheLogDigitsAndBlanks)
{
    const FilterCase& c = GetParam();
    for (qsizetype piece = 1; piece <= c.in.size(); ++piece)
        ASSERT_EQ(filterInPieces(c.in, piece), c.out) << "in blocks of " << piece;
}

const QByteArray kHead = "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                         "<FIELD attrname=\"No\" fieldtype=\"i4\"/></FIELDS>";
const QByteArray kTail = "</METADATA><ROWDATA><ROW RowState=\"4\" No=\"1\"/></ROWDATA></DATAPACKET>";

INSTANTIATE_TEST_SUITE_P(
    TableImport, ChangeLogFilterCases,
    ::testing::Values(
        FilterCase{"WrittenPacket", kHead + "<PARAMS CHANGE_LOG=\"1 0 4 2 0 4\"/>" + kTail,
                   kHead + "<PARAMS CHANGE_LOG=\"\"/>" + kTail},
        FilterCase{"SingleQuotesBlanksAndOtherAttributes",
                   "<PARAMS a='7' CHANGE_LOG = '1\t0\r\n4' b=\"8\">x</PARAMS>",
                   "<PARAMS a='7' CHANGE_LOG = '' b=\"8\">x</PARAMS>"},
        FilterCase{"AnythingElseInTheLogStaysWithAllAfterIt", "<PARAMS CHANGE_LOG=\"1 &#50; 3 <\"/>",
                   "<PARAMS CHANGE_LOG=\"&#50; 3 <\"/>"},
        FilterCase{"LogLookalikeInsideAnotherValue", "<PARAMS X='CHANGE_LOG=\"1\" >' CHANGE_LOG=\"2\"/>",
                   "<PARAMS X='CHANGE_LOG=\"1\" >' CHANGE_LOG=\"\"/>"},
        FilterCase{"OtherElementsAndNames", "<FIELD CHANGE_LOG=\"1\"/><PARAMSX CHANGE_LOG=\"1\"/><PARAMS CHANGE_LOGS=\"1\"/>",
                   "<FIELD CHANGE_LOG=\"1\"/><PARAMSX CHANGE_LOG=\"1\"/><PARAMS CHANGE_LOGS=\"1\"/>"},
        FilterCase{"InsideAProcessingInstruction", "<?pi <PARAMS CHANGE_LOG=\"1\"/> ?\?><PARAMS CHANGE_LOG=\"1\"/>",
                   "<?pi <PARAMS CHANGE_LOG=\"1\"/> ?\?><PARAMS CHANGE_LOG=\"\"/>"},
        FilterCase{"CommentLeavesTheRestAlone", "<!-- a-1-b --><PARAMS CHANGE_LOG=\"1\"/>",
                   "<!-- a-1-b --><PARAMS CHANGE_LOG=\"1\"/>"},
        FilterCase{"OnlyTheFirstParams", "<PARAMS/><PARAMS CHANGE_LOG=\"1\"/>", "<PARAMS/><PARAMS CHANGE_LOG=\"1\"/>"},
        FilterCase{"NothingAfterTheRowData", "<ROWDATA><PARAMS CHANGE_LOG=\"1\"/>",
                   "<ROWDATA><PARAMS CHANGE_LOG=\"1\"/>"},
        FilterCase{"EndTagsAndText", "</A x>1 2 > 3<PARAMS\nCHANGE_LOG=\"9\"/>",
                   "</A x>1 2 > 3<PARAMS\nCHANGE_LOG=\"\"/>"}),
    [](const ::testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.name); });

}  // namespace
