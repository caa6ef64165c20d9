#include "CompanionScript.hpp"

#include <fstream>
#include <sstream>

#include "CompanionReports.hpp"

namespace drawlume::e2e {
namespace {

bool parseMilliseconds(std::istringstream& words, int& milliseconds) {
    long value = -1;
    words >> value;
    if (!words || value < 0 || value > 600'000) {
        return false;
    }
    milliseconds = static_cast<int>(value);
    return true;
}

}  // namespace

bool parseScriptLine(const std::string& text, int line, std::vector<ScriptStep>& steps,
                     std::string& error) {
    const std::string content = text.substr(0, text.find('#'));
    std::istringstream words(content);
    std::string verb;
    if (!(words >> verb)) {
        return true;
    }
    ScriptStep step;
    step.line = line;
    if (verb == "sleep") {
        step.kind = ScriptStep::Kind::Sleep;
        if (!parseMilliseconds(words, step.milliseconds)) {
            error = "sleep needs milliseconds";
            return false;
        }
    } else if (verb == "wait") {
        step.kind = ScriptStep::Kind::WaitFile;
        if (!(words >> step.path) || !parseMilliseconds(words, step.milliseconds)) {
            error = "wait needs a file and milliseconds";
            return false;
        }
    } else if (verb == "touch") {
        step.kind = ScriptStep::Kind::TouchFile;
        if (!(words >> step.path)) {
            error = "touch needs a file";
            return false;
        }
    } else if (verb == "remove") {
        step.kind = ScriptStep::Kind::Remove;
    } else if (verb == "add") {
        step.kind = ScriptStep::Kind::Add;
    } else if (!parseReportLine(content, step.report, error)) {
        return false;
    }
    steps.push_back(step);
    return true;
}

bool readScriptFile(const std::string& path, std::vector<ScriptStep>& steps, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        std::string lineError;
        if (!parseScriptLine(text, line, steps, lineError)) {
            error = path + ":" + std::to_string(line) + ": " + lineError;
            return false;
        }
    }
    return true;
}

}  // namespace drawlume::e2e
