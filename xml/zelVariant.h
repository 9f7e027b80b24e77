#pragma once
// TzelVariant: a small tagged value with value semantics. It holds nothing (empty), an
// integer, a floating-point number, a boolean or an 8-bit string. Attribute values and
// the dataset's field values travel in it. Copies are independent copies.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

class TzelVariant {
public:
    TzelVariant() = default;
    TzelVariant(int value) : value_(static_cast<int64_t>(value)) {}
    TzelVariant(int64_t value) : value_(value) {}
    TzelVariant(double value) : value_(value) {}
    TzelVariant(bool value) : value_(value) {}
    TzelVariant(const char *value) : value_(std::string(value ? value : "")) {}
    TzelVariant(std::string value) : value_(std::move(value)) {}
    TzelVariant(std::string_view value) : value_(std::string(value)) {}

    bool IsEmpty() const { return std::holds_alternative<std::monostate>(value_); }
    bool IsInteger() const { return std::holds_alternative<int64_t>(value_); }
    bool IsFloat() const { return std::holds_alternative<double>(value_); }
    bool IsBool() const { return std::holds_alternative<bool>(value_); }
    bool IsString() const { return std::holds_alternative<std::string>(value_); }

    // The held value; calling the wrong one throws std::bad_variant_access.
    int64_t Integer() const { return std::get<int64_t>(value_); }
    double Float() const { return std::get<double>(value_); }
    bool Bool() const { return std::get<bool>(value_); }
    const std::string &String() const { return std::get<std::string>(value_); }

    // The value as text: a string as it is, an integer in decimal, a boolean as
    // "True"/"False", a float in the shortest form that reads back the same, empty as "".
    std::string AsString() const;

    bool operator==(const TzelVariant &other) const = default;

    // The underlying std::variant, for std::visit.
    using Storage = std::variant<std::monostate, int64_t, double, bool, std::string>;
    const Storage &Raw() const { return value_; }

private:
    Storage value_;
};

inline std::string TzelVariant::AsString() const
{
    switch (value_.index()) {
    case 1: return std::to_string(std::get<int64_t>(value_));
    case 2: {
        char buffer[32];
        // %.17g reads back exactly; try shorter forms first so 0.1 stays "0.1".
        for (int digits = 1; digits <= 17; ++digits) {
            std::snprintf(buffer, sizeof buffer, "%.*g", digits, std::get<double>(value_));
            if (std::strtod(buffer, nullptr) == std::get<double>(value_))
                break;
        }
        return buffer;
    }
    case 3: return std::get<bool>(value_) ? "True" : "False";
    case 4: return std::get<std::string>(value_);
    default: return std::string();
    }
}
