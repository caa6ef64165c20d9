#include "localization/CheckedFormat.hpp"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "util/Utf8.hpp"

namespace drawlume {

namespace {

constexpr int kMaximumWidth = 100;
constexpr size_t kMaximumArguments = 32;

enum class Kind { integer, unsignedInteger, floating, text };

// One conversion, checked, as it will be printed.
struct Conversion {
    size_t literalStart = 0;  // literal text before it, in the format
    size_t literalEnd = 0;
    size_t argument = 0;  // 0-based
    Kind kind = Kind::integer;
    std::string flags;
    int width = -1;
    int precision = -1;
    char conversion = 'd';
};

class FormatChecker {
public:
    FormatChecker(std::string_view format, size_t argumentCount)
        : format_(format), argumentCount_(argumentCount) {}

    bool check(std::vector<Conversion>& conversions, size_t& tailStart) {
        size_t literalStart = 0;
        size_t at = 0;
        size_t nextSequential = 0;
        std::vector<bool> used(argumentCount_, false);
        while ((at = format_.find('%', at)) != std::string_view::npos) {
            const size_t start = at++;
            if (at < format_.size() && format_[at] == '%') {
                // A literal percent sign: the literal so far plus one '%'.
                conversions.push_back(literal(literalStart, at));
                literalStart = ++at;
                continue;
            }
            Conversion conversion;
            conversion.literalStart = literalStart;
            conversion.literalEnd = start;
            if (!readConversion(at, conversion, nextSequential)) {
                return false;
            }
            if (conversion.argument >= argumentCount_) {
                return fail(start, "refers to argument " + std::to_string(conversion.argument + 1) +
                                       " of " + std::to_string(argumentCount_));
            }
            used[conversion.argument] = true;
            conversions.push_back(conversion);
            literalStart = at;
        }
        tailStart = literalStart;
        for (size_t index = 0; index < argumentCount_; ++index) {
            if (!used[index]) {
                return fail(format_.size(), "argument " + std::to_string(index + 1) + " of " +
                                                std::to_string(argumentCount_) + " is not used");
            }
        }
        return true;
    }

    const std::string& problem() const { return problem_; }

private:
    static Conversion literal(size_t start, size_t end) {
        Conversion conversion;
        conversion.literalStart = start;
        conversion.literalEnd = end;
        conversion.conversion = '%';
        return conversion;
    }

    bool fail(size_t offset, const std::string& message) {
        problem_ = "at byte " + std::to_string(offset) + ": " + message;
        return false;
    }

    // Digits at the position, as a number capped just above the limit.
    int readNumber(size_t& at) const {
        int value = 0;
        while (at < format_.size() && format_[at] >= '0' && format_[at] <= '9') {
            value = std::min(value * 10 + (format_[at] - '0'), kMaximumWidth + 1);
            ++at;
        }
        return value;
    }

    bool readConversion(size_t& at, Conversion& conversion, size_t& nextSequential) {
        const size_t start = at - 1;
        // A position is digits followed by '$'; otherwise the digits are a width.
        size_t probe = at;
        const int position = readNumber(probe);
        const bool positional = probe > at && probe < format_.size() && format_[probe] == '$';
        if (positional) {
            if (position == 0 || position > static_cast<int>(kMaximumArguments)) {
                return fail(start, "names no argument");
            }
            at = probe + 1;
        }
        if (!positionalMode_) {
            positionalMode_ = positional;
        }
        if (positional != *positionalMode_) {
            return fail(start, "mixes numbered and unnumbered arguments");
        }
        conversion.argument = positional ? static_cast<size_t>(position - 1) : nextSequential++;

        while (at < format_.size() &&
               std::string_view("-+ #0'").find(format_[at]) != std::string_view::npos) {
            conversion.flags.push_back(format_[at++]);
        }
        if (at < format_.size() && format_[at] >= '0' && format_[at] <= '9') {
            conversion.width = readNumber(at);
        }
        if (at < format_.size() && format_[at] == '.') {
            ++at;
            conversion.precision = readNumber(at);
        }
        if (conversion.width > kMaximumWidth || conversion.precision > kMaximumWidth) {
            return fail(start, "width or precision above " + std::to_string(kMaximumWidth));
        }
        if (at < format_.size() && format_[at] == '*') {
            return fail(start, "takes its width or precision from an argument");
        }
        const size_t lengthStart = at;
        while (at < format_.size() &&
               std::string_view("hljztLq").find(format_[at]) != std::string_view::npos) {
            ++at;
        }
        const std::string_view length = format_.substr(lengthStart, at - lengthStart);
        if (at >= format_.size()) {
            return fail(start, "the format ends inside a conversion");
        }
        conversion.conversion = format_[at++];
        return classify(start, length, conversion);
    }

    bool classify(size_t start, std::string_view length, Conversion& conversion) {
        const bool integerLength = length.empty() || length == "hh" || length == "h" ||
                                   length == "l" || length == "ll" || length == "j" ||
                                   length == "z" || length == "t" || length == "q";
        switch (conversion.conversion) {
            case 'd':
            case 'i':
                conversion.kind = Kind::integer;
                return integerLength || fail(start, "has a length unfit for a whole number");
            case 'u':
            case 'o':
            case 'x':
            case 'X':
                conversion.kind = Kind::unsignedInteger;
                return integerLength || fail(start, "has a length unfit for a whole number");
            case 'f':
            case 'F':
            case 'e':
            case 'E':
            case 'g':
            case 'G':
            case 'a':
            case 'A':
                conversion.kind = Kind::floating;
                return length.empty() || length == "l" || length == "L" ||
                       fail(start, "has a length unfit for a number with a fraction");
            case 's':
            case '@':
                conversion.kind = Kind::text;
                if (!length.empty()) {
                    return fail(start, "asks for a wide text");
                }
                // printf leaves other flags on a text undefined.
                if (conversion.flags.find_first_not_of('-') != std::string::npos) {
                    return fail(start, "has a flag unfit for a text");
                }
                return true;
            default:
                return fail(start, std::string("has the conversion '") + conversion.conversion +
                                       "', which is not allowed");
        }
    }

    std::string_view format_;
    size_t argumentCount_;
    std::optional<bool> positionalMode_;
    std::string problem_;
};

bool kindFits(Kind kind, const FormatArgument& argument) {
    switch (kind) {
        case Kind::integer:
        case Kind::unsignedInteger:
            return std::holds_alternative<int64_t>(argument);
        case Kind::floating:
            return std::holds_alternative<double>(argument);
        case Kind::text:
            return std::holds_alternative<std::string_view>(argument);
    }
    return false;
}

const char* kindName(const FormatArgument& argument) {
    if (std::holds_alternative<int64_t>(argument)) {
        return "a whole number";
    }
    return std::holds_alternative<double>(argument) ? "a number with a fraction" : "a text";
}

// The conversion as a format of its own, with the length the value is passed in.
std::string singleConversionFormat(const Conversion& conversion) {
    std::string pattern = "%" + conversion.flags;
    if (conversion.width >= 0) {
        pattern += std::to_string(conversion.width);
    }
    if (conversion.kind == Kind::text) {
        return pattern + ".*s";
    }
    if (conversion.precision >= 0) {
        pattern += "." + std::to_string(conversion.precision);
    }
    if (conversion.kind != Kind::floating) {
        pattern += "ll";
    }
    return pattern + conversion.conversion;
}

template <typename... Values>
void appendFormatted(std::string& out, const std::string& pattern, Values... values) {
    char small[128];
    const int length = std::snprintf(small, sizeof small, pattern.c_str(), values...);
    if (length < 0) {
        return;
    }
    if (static_cast<size_t>(length) < sizeof small) {
        out.append(small, static_cast<size_t>(length));
        return;
    }
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(length) + 1);
    std::snprintf(out.data() + start, static_cast<size_t>(length) + 1, pattern.c_str(), values...);
    out.resize(start + static_cast<size_t>(length));
}

void appendConversion(std::string& out, const Conversion& conversion,
                      const FormatArgument& argument) {
    const std::string pattern = singleConversionFormat(conversion);
    switch (conversion.kind) {
        case Kind::integer:
            appendFormatted(out, pattern, static_cast<long long>(std::get<int64_t>(argument)));
            break;
        case Kind::unsignedInteger:
            appendFormatted(out, pattern,
                            static_cast<unsigned long long>(std::get<int64_t>(argument)));
            break;
        case Kind::floating:
            appendFormatted(out, pattern, std::get<double>(argument));
            break;
        case Kind::text: {
            const std::string_view text = std::get<std::string_view>(argument);
            // A precision cuts whole characters only.
            const size_t shown =
                conversion.precision >= 0
                    ? utf8PrefixLength(text, static_cast<size_t>(conversion.precision))
                    : text.size();
            appendFormatted(out, pattern, static_cast<int>(shown), text.empty() ? "" : text.data());
            break;
        }
    }
}

}  // namespace

std::optional<std::string> formatChecked(std::string_view format,
                                         std::span<const FormatArgument> arguments,
                                         std::string* problem) {
    if (arguments.size() > kMaximumArguments) {
        if (problem != nullptr) {
            *problem = "more than " + std::to_string(kMaximumArguments) + " arguments";
        }
        return std::nullopt;
    }
    FormatChecker checker(format, arguments.size());
    std::vector<Conversion> conversions;
    size_t tailStart = 0;
    bool valid = checker.check(conversions, tailStart);
    std::string why = checker.problem();
    for (const Conversion& conversion : conversions) {
        if (!valid) {
            break;
        }
        if (conversion.conversion != '%' &&
            !kindFits(conversion.kind, arguments[conversion.argument])) {
            valid = false;
            why = "conversion '%" + std::string(1, conversion.conversion) + "' cannot print " +
                  kindName(arguments[conversion.argument]) + " (argument " +
                  std::to_string(conversion.argument + 1) + ")";
        }
    }
    if (!valid) {
        if (problem != nullptr) {
            *problem = why;
        }
        return std::nullopt;
    }
    std::string out;
    out.reserve(format.size() + 16);
    for (const Conversion& conversion : conversions) {
        out.append(format.substr(conversion.literalStart,
                                 conversion.literalEnd - conversion.literalStart));
        if (conversion.conversion != '%') {
            appendConversion(out, conversion, arguments[conversion.argument]);
        }
    }
    out.append(format.substr(tailStart));
    return out;
}

}  // namespace drawlume
