#pragma once

#include <string_view>

#include "catalogue/catalogue.hpp"
#include "catalogue/csv.hpp"

namespace flyback::catalogue {

// The rows of one of the catalogue's CSV files added to `catalogue`; a row
// that cannot be read is left out and named in its problems as
// "origin:line: field: why". The built-in data and a user's files are read
// by the same rules but one: a built-in row must say where its values come
// from, while a user's row that does not is sourced to its file and line.
enum class Sources { FileAndLineIfNone, MustBeGiven };

void AddCores(const CsvTable& table, std::string_view origin, Catalogue& catalogue,
              Sources sources = Sources::FileAndLineIfNone);
void AddMaterials(const CsvTable& table, std::string_view origin, Catalogue& catalogue,
                  Sources sources = Sources::FileAndLineIfNone);
void AddWires(const CsvTable& table, std::string_view origin, Catalogue& catalogue,
              Sources sources = Sources::FileAndLineIfNone);

}  // namespace flyback::catalogue
