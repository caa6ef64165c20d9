#pragma once

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace drawlume::e2e {

// The options of a subcommand: "--name value" pairs for the names it declares with
// values, bare "--name" for its flags, and the other words in order. Any other
// option makes it invalid: a misspelt --expect must not turn a check into no check.
class Options {
public:
    Options(int argc, char** argv, const std::set<std::string>& valued,
            const std::set<std::string>& flags = {});
    bool valid() const { return valid_; }
    std::string text(const std::string& name, const std::string& fallback = "") const {
        return values_.contains(name) ? values_.at(name) : fallback;
    }
    long number(const std::string& name, long fallback) const {
        return std::strtol(text(name, std::to_string(fallback)).c_str(), nullptr, 10);
    }
    bool flag(const std::string& name) const { return values_.contains(name); }
    const std::vector<std::string>& words() const { return words_; }

private:
    bool valid_ = true;
    std::map<std::string, std::string> values_;  // a flag's value is empty
    std::vector<std::string> words_;
};

// The subcommands of the e2e tool, each given the arguments after its name; each
// returns the tool's exit status.
int companionCommand(int argc, char** argv);
int readCommand(int argc, char** argv);
int grabCommand(int argc, char** argv);
int soakCommand(int argc, char** argv);
int libinputCommand(int argc, char** argv);

}  // namespace drawlume::e2e
