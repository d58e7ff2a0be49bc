// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What zentaro-cli and zentaro-sim share in reading their command lines with CLI11: the
// numbers they take, options whose values they check themselves (so that each program keeps
// its own messages), and the layout of --help. Header-only: zentaro-sim is built where the
// rest of src/cli is not (the fuzzing build).

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zentaro::command_line {

// The whole text as a number in base, or in hexadecimal after 0x; at most max. No sign,
// blank or octal: "010" is ten.
inline std::optional<uint64_t> ParseNumber(std::string_view text, uint64_t max, int base = 10) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value > max) {
        return std::nullopt;
    }
    return value;
}

// Takes an option's value: stores it and returns "", or returns why it cannot.
using TakeValue = std::function<std::string(const std::string&)>;

// An option with one value, checked by take as soon as it is read, so that the first bad
// argument is the one reported. Given again, it is taken again.
inline CLI::Option* AddValue(CLI::App& app, const std::string& names, const std::string& valueName,
                             const std::string& help, TakeValue take) {
    return app
        .add_option_function<std::string>(
            names,
            [take = std::move(take)](const std::string& value) {
                if (std::string error = take(value); !error.empty()) {
                    throw CLI::ValidationError(std::move(error));
                }
            },
            help)
        ->type_name(valueName)
        ->trigger_on_parse();
}

struct ParseFault {
    enum class Kind { kNone, kNoValue, kUnknown, kOther };
    Kind kind = Kind::kNone;
    // kNoValue: the option as typed; kUnknown: the argument; else the message.
    std::string text;
};

// Parses the arguments (without the program name) with app, which must allow extras: what
// it does not know comes back as kUnknown instead of CLI11's message.
inline ParseFault Parse(CLI::App& app, const std::vector<std::string>& args) {
    std::vector<std::string> reversed(args.rbegin(), args.rend());  // as CLI11 takes them
    // Options are "--name" and "-n" on every system: on Windows CLI11 would otherwise take a
    // path such as "/images/firmware.hex" for a "/name" option.
    app.allow_windows_style_options(false);
    try {
        app.parse(reversed);
    } catch (const CLI::ArgumentMismatch& error) {
        // CLI11 takes whatever follows an option as its value, so a value is missing only
        // when the option is the last argument.
        if (!args.empty() && app.get_option_no_throw(args.back()) != nullptr) {
            return {ParseFault::Kind::kNoValue, args.back()};
        }
        return {ParseFault::Kind::kOther, error.what()};
    } catch (const CLI::ParseError& error) {
        return {ParseFault::Kind::kOther, error.what()};
    }
    const std::vector<std::string> unknown = app.remaining();
    if (!unknown.empty()) {
        return {ParseFault::Kind::kUnknown, unknown.front()};
    }
    return {};
}

// --help in sections: the App's description, one section for each group of options with
// its heading and an optional note after the entries, and the App's footer. An entry is its
// names and value in a column of their own and its description beside them, or below when
// they fill the column; its description keeps its own line breaks. Options in a row that
// share a description make one entry. Options without a group are left out.
class HelpFormatter : public CLI::Formatter {
public:
    struct Layout {
        size_t indent = 2;                         // before an entry's names
        size_t column = 25;                        // where descriptions start
        std::string headingEnd;                    // after a group's name in its heading
        std::map<std::string, std::string> notes;  // by group
    };

    explicit HelpFormatter(Layout layout) : layout_(std::move(layout)) {}

    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
        std::string help = app->get_description() + "\n";
        for (const std::string& group : app->get_groups()) {
            const std::vector<const CLI::Option*> options =
                app->get_options([&group](const CLI::Option* option) {
                    return option->get_group() == group && option->nonpositional();
                });
            if (!group.empty() && !options.empty()) {
                help += "\n" + make_group(group, false, options);
            }
        }
        return help + "\n" + app->get_footer() + "\n";
    }

    std::string make_group(std::string group, bool,
                           std::vector<const CLI::Option*> options) const override {
        std::string text = group + layout_.headingEnd + "\n";
        for (auto first = options.begin(); first != options.end();) {
            const auto otherHelp = [&](const CLI::Option* option) {
                return option->get_description() != (*first)->get_description();
            };
            const auto end = std::find_if(first, options.end(), otherHelp);
            std::string names;
            for (auto option = first; option != end; ++option) {
                names += (names.empty() ? "" : ", ") + make_option_name(*option, false) +
                         make_option_opts(*option);
            }
            text += Entry(names, (*first)->get_description());
            first = end;
        }
        const auto note = layout_.notes.find(group);
        return note == layout_.notes.end() ? text : text + note->second;
    }

    std::string make_option_name(const CLI::Option* option, bool) const override {
        std::string names;
        for (const std::string& name : option->get_snames()) {
            names += (names.empty() ? "-" : ", -") + name;
        }
        for (const std::string& name : option->get_lnames()) {
            names += (names.empty() ? "--" : ", --") + name;
        }
        return names;
    }

    std::string make_option_opts(const CLI::Option* option) const override {
        const std::string value = option->get_type_size() == 0 ? "" : option->get_type_name();
        return value.empty() ? "" : " " + value;
    }

private:
    std::string Entry(const std::string& names, const std::string& description) const {
        std::string text = std::string(layout_.indent, ' ') + names;
        // At least one blank between the names and the description.
        if (text.size() < layout_.column) {
            text.resize(layout_.column, ' ');
        } else {
            text += "\n" + std::string(layout_.column, ' ');
        }
        for (const char c : description) {
            text += c;
            if (c == '\n') {
                text += std::string(layout_.column, ' ');
            }
        }
        return text + "\n";
    }

    Layout layout_;
};

}  // namespace zentaro::command_line
