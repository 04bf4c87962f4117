#include "catalogue/user_file.hpp"

#include "whole_file/whole_file.hpp"

namespace flyback::catalogue {

UserFile ReadUserFile(const std::filesystem::path& path, std::size_t limit) {
    whole_file::Read read = whole_file::ReadRegularFile(path.string(), limit);
    if (read.why == whole_file::Why::Missing) return {};
    if (!read.text) return {std::nullopt, read.problem + "; skipped"};
    return {std::move(read.text), {}};
}

}  // namespace flyback::catalogue
