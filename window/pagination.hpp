#pragma once

// Where a laid-out document's pages end: between the rows of a table, never
// inside one, with at least a few rows of a table cut between pages on each
// side; between the lines of a paragraph, never through one; before a
// section that starts a page of its own. A page that starts inside a table
// repeats its head.

#include <vector>

class QTextDocument;

namespace flyback::window {

// A page's slice of the document: from `top` to `bottom`, below a repeated
// table head when it starts inside a table.
struct Slice {
    double top, bottom;
    double headTop = 0, headBottom = 0;  // equal when no head is repeated
};

std::vector<Slice> Paginate(const QTextDocument& document, double pageHeight);

}  // namespace flyback::window
