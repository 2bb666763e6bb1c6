#pragma once

#include <QByteArrayView>

#include <vector>

// Replaces pieces with the parts of text between occurrences of delimiter. A text with n
// delimiters always gives n + 1 pieces: empty pieces are kept, an empty text gives one empty
// piece and a trailing delimiter an empty last one. The pieces point into text; the vector
// is reused so that splitting millions of lines allocates nothing after the first.
void SplitText(QByteArrayView text, char delimiter, std::vector<QByteArrayView>& pieces);
