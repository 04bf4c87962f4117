#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace flyback::catalogue {

// A CSV table (RFC 4180: fields in double quotes may hold commas and doubled
// quotes), with the line each row starts on, for error messages.
struct CsvTable {
    std::vector<std::string> header;
    struct Row {
        int line;
        std::vector<std::string> fields;
    };
    std::vector<Row> rows;
    std::string problem;  // why the text could not be read whole, or empty

    // The column of `name`, or -1.
    int Column(std::string_view name) const;
};

CsvTable ReadCsv(std::string_view text);

}  // namespace flyback::catalogue
