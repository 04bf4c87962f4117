#pragma once

// The two trees a design file is handled in, for the rooms of this library:
// written as a RapidJSON document (its writer keeps the shortest form of each
// double), read as an nlohmann::json one with every field's path at hand for
// the words of what is wrong.

#include <rapidjson/document.h>

#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/decimal_conversion.hpp"

namespace flyback::design_file {

using rapidjson::Value;
using Allocator = rapidjson::Document::AllocatorType;

// An object built key by key; numbers as doubles, none as null.
class Object {
  public:
    explicit Object(Allocator& a) : a_(a) {}
    Object& Add(std::string_view key, Value&& value) {
        value_.AddMember(Text(key), value, a_);
        return *this;
    }
    Object& Number(std::string_view key, double value) { return Add(key, Value(value)); }
    Object& Maybe(std::string_view key, const std::optional<double>& value) {
        return Add(key, value ? Value(*value) : Value());
    }
    Object& String(std::string_view key, std::string_view text) { return Add(key, Text(text)); }
    Value Take() { return std::move(value_); }
    Value Text(std::string_view text) {
        return Value(text.data(), static_cast<rapidjson::SizeType>(text.size()), a_);
    }

  private:
    Allocator& a_;
    Value value_{rapidjson::kObjectType};
};

inline Value Strings(Allocator& a, const std::vector<std::string>& texts) {
    Value array(rapidjson::kArrayType);
    for (const std::string& t : texts)
        array.PushBack(Value(t.data(), static_cast<rapidjson::SizeType>(t.size()), a), a);
    return array;
}

// A field that is missing or of the wrong type, by its path in the document.
struct Unreadable {
    std::string path;
    std::string what;
};

class Reader {
  public:
    Reader(const nlohmann::json& value, std::string path) : value_(value), path_(std::move(path)) {}

    Reader At(std::string_view key) const {
        if (!value_.is_object()) throw Unreadable{path_, "不是对象"};
        const auto found = value_.find(key);
        if (found == value_.end()) throw Unreadable{Path(key), "缺少"};
        return {*found, Path(key)};
    }
    bool Has(std::string_view key) const { return value_.is_object() && value_.contains(key); }
    double Number() const {
        if (!value_.is_number()) throw Unreadable{path_, "不是数"};
        return value_.get<double>();
    }
    std::optional<double> MaybeNumber() const {
        if (value_.is_null()) return std::nullopt;
        return Number();
    }
    int Whole() const {
        if (!value_.is_number_integer()) throw Unreadable{path_, "不是整数"};
        const auto whole = value_.get<std::int64_t>();
        if (whole < std::numeric_limits<int>::min() || whole > std::numeric_limits<int>::max())
            throw Unreadable{path_, "超出范围"};
        return static_cast<int>(whole);
    }
    std::string Text() const {
        if (!value_.is_string()) throw Unreadable{path_, "不是文字"};
        return value_.get<std::string>();
    }
    bool Truth() const {
        if (!value_.is_boolean()) throw Unreadable{path_, "不是 true 或 false"};
        return value_.get<bool>();
    }
    bool IsNull() const { return value_.is_null(); }
    std::vector<Reader> Items() const {
        if (!value_.is_array()) throw Unreadable{path_, "不是数组"};
        std::vector<Reader> items;
        for (std::size_t i = 0; i < value_.size(); ++i)
            items.emplace_back(value_[i], path_ + "[" + std::to_string(i) + "]");
        return items;
    }
    // An array of at most `most` items, refused whole before any is read.
    std::vector<Reader> Items(std::size_t most) const {
        if (value_.is_array() && value_.size() > most) {
            throw Unreadable{path_, "至多 " + std::to_string(most) + " 项，文件中有 " +
                                        std::to_string(value_.size()) + " 项"};
        }
        return Items();
    }
    const std::string& path() const { return path_; }

  private:
    std::string Path(std::string_view key) const {
        return path_.empty() ? std::string(key) : path_ + "." + std::string(key);
    }
    const nlohmann::json& value_;
    std::string path_;
};

template <class Names>
int IndexOf(const Names& names, const Reader& field) {
    const std::string text = field.Text();
    for (std::size_t i = 0; i < std::size(names); ++i) {
        if (names[i] == text) return static_cast<int>(i);
    }
    throw Unreadable{field.path(), "“" + text + "”不是可选的值"};
}

// Why a number is refused: "须在 1 至 100000 之间（文件中为 0）".
inline std::string BoundsText(double low, double high, double value, std::string_view unit = {}) {
    using runtime::decimal::ShortestText;
    const std::string u = unit.empty() ? std::string() : " " + std::string(unit);
    return "须在 " + ShortestText(low) + " 至 " + ShortestText(high) + u + " 之间（文件中为 " +
           ShortestText(value) + u + "）";
}

// A number a file gives, held to the bounds a typed one is, before any
// arithmetic takes it.
inline double Within(const Reader& field, double low, double high, std::string_view unit = {}) {
    const double value = field.Number();
    if (!(value >= low && value <= high))
        throw Unreadable{field.path(), BoundsText(low, high, value, unit)};
    return value;
}
template <class Column>
double Within(const Reader& field, const Column& column) {
    return Within(field, column.low, column.high, column.unit);
}
inline int WholeWithin(const Reader& field, int low, int high) {
    const int value = field.Whole();
    if (value < low || value > high) throw Unreadable{field.path(), BoundsText(low, high, value)};
    return value;
}

// A number files from before it existed leave out: they keep the default.
inline double NumberOr(const Reader& r, std::string_view key, double absent) {
    return r.Has(key) ? r.At(key).Number() : absent;
}

}  // namespace flyback::design_file
