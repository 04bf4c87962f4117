#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.hpp"

namespace flyback::catalogue {

// Upper case without blanks: "ee 13" and "EE13" are one name.
std::string NameKey(std::string_view name);

// "E13/7/4 (EF12.6)" without its parenthesis: "E13/7/4".
std::string_view WithoutParenthesis(std::string_view name);

// The name as a Chinese reader sees it: the catalogue's English remarks in
// the parenthesis worded in Chinese ("RM8 (with centre hole)" → "RM8（带中心孔）",
// "E14/3.5/5 (planar)" → "E14/3.5/5（平面）", a file's own core "(file)" → "（文件）");
// a name without a remark is shown as it is. Files and JSON keep the name.
std::string CoreCaption(std::string_view name);

// A family as a Chinese reader sees it: "planar E" → "平面 E"; the others are
// the drawings' own letters.
std::string FamilyCaption(std::string_view family);

// Every key a core is found by: its name, the name without its parenthesis,
// each part name in the parenthesis ("EF12.6"; a remark such as "with centre
// hole", which names no part, is not one) and its aliases.
std::vector<std::string> CoreNameKeys(const Core& core);

// The names of the `count` cores whose names or aliases lie nearest to
// `name` (fewest letters to change, ignoring case and blanks), nearest
// first: what to suggest for a name that finds nothing.
std::vector<std::string> NearestCoreNames(const Catalogue& catalogue, std::string_view name,
                                          std::size_t count = 3);

}  // namespace flyback::catalogue
