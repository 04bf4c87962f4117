// Six arbitrary byte strings, typed by a hostile user, through the design
// record and its outputs. The HTML report must be valid UTF-8 whose every tag
// is one of the report's own, whatever the texts hold; every tab-separated row
// must have its four cells.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "record/design_record.hpp"
#include "report/html_report.hpp"
#include "report/tab_separated.hpp"

#include "six_texts.hpp"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckTagsAreOurs(const std::string& html) {
    static const std::set<std::string> kTags = {
        "!DOCTYPE", "html",  "head",  "meta", "title", "style", "body", "h1",   "h2", "p",
        "table",    "thead", "tbody", "tr",   "th",    "td",    "br",   "span", "ul", "li"};
    for (std::size_t open = html.find('<'); open != std::string::npos;
         open = html.find('<', open + 1)) {
        std::size_t begin = open + 1;
        if (begin < html.size() && html[begin] == '/') ++begin;
        const std::size_t end = html.find_first_of(" >", begin);
        Check(end != std::string::npos && kTags.count(html.substr(begin, end - begin)) == 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const SixTexts six(data, size);
    const flyback::numtext::InputTexts& inputs = six.inputs;

    const auto record = flyback::record::RecordPress(inputs);
    const std::string html = flyback::report::HtmlReport(record, six.texts[0]);
    Check(flyback::record::ValidUtf8(html) == html);
    CheckTagsAreOurs(html);

    const std::string tsv = flyback::report::TabSeparated(record);
    for (std::size_t start = 0, end; (end = tsv.find('\n', start)) != std::string::npos;
         start = end + 1) {
        Check(std::count(tsv.begin() + start, tsv.begin() + end, '\t') == 3);
    }
    return 0;
}
