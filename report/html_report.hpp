#pragma once

#include <string>
#include <string_view>

#include "report/design_record.hpp"

namespace flyback::report {

// The design report as one self-contained HTML page: UTF-8, lang="zh-CN",
// inline CSS for screen and A4 paper, no script and nothing fetched. Every text
// from the user is escaped. `date` is printed as given (for example
// "2026-12-07").
// `lastPress`: the inputs in the boxes have changed since the press, and the
// report says that it holds the last press, not them.
std::string HtmlReport(const DesignRecord& record, std::string_view date, bool lastPress = false);

// `text` escaped for HTML element content and attribute values, made valid
// UTF-8 first.
std::string HtmlEscape(std::string_view text);

}  // namespace flyback::report
