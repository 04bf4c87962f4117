#include "catalogue/csv.hpp"

namespace flyback::catalogue {
namespace {

// Reads one record starting at `pos`; false at the end of the text.
bool ReadRecord(std::string_view text, std::size_t& pos, int& line,
                std::vector<std::string>& fields, std::string& problem) {
    if (pos >= text.size()) return false;
    fields.assign(1, std::string());
    bool quoted = false;
    const int startLine = line;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (quoted) {
            if (c == '"' && pos + 1 < text.size() && text[pos + 1] == '"') {
                fields.back() += '"';
                ++pos;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n') ++line;
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '\n' || (c == '\r' && (pos + 1 == text.size() || text[pos + 1] != '\n'))) {
            // A line ends in LF, CR LF, or a lone CR as old spreadsheets write.
            ++pos;
            ++line;
            return true;
        } else if (c != '\r') {
            fields.back() += c;
        }
    }
    if (quoted) problem = "line " + std::to_string(startLine) + ": a quoted field is not closed";
    ++line;
    return true;
}

}  // namespace

int CsvTable::Column(std::string_view name) const {
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (header[i] == name) return static_cast<int>(i);
    }
    return -1;
}

CsvTable ReadCsv(std::string_view text) {
    CsvTable table;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte order mark
    std::size_t pos = 0;
    int line = 1;
    std::vector<std::string> fields;
    if (!ReadRecord(text, pos, line, table.header, table.problem)) return table;
    for (int start = line; ReadRecord(text, pos, line, fields, table.problem); start = line) {
        const bool blank = fields.size() == 1 && fields[0].empty();
        if (!blank) table.rows.push_back({start, fields});
    }
    return table;
}

}  // namespace flyback::catalogue
