#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace drawlume::e2e {

// What a simulated companion does, one step a line ('#' starts a comment):
//   pen ... | mouse ... | keys ... | raw ...   send one report (see CompanionReports.hpp)
//   sleep MS                                  pause
//   wait FILE MS                              go on once FILE exists; fail after MS
//   touch FILE                                create FILE (tells a waiting reader)
//   remove                                    remove the device (Bluetooth disconnect)
//   add                                       create it again (reconnect)
struct ScriptStep {
    enum class Kind { Report, Sleep, WaitFile, TouchFile, Remove, Add };
    Kind kind = Kind::Report;
    std::vector<uint8_t> report;
    int milliseconds = 0;
    std::string path;
    int line = 0;
};

bool parseScriptLine(const std::string& text, int line, std::vector<ScriptStep>& steps,
                     std::string& error);
bool readScriptFile(const std::string& path, std::vector<ScriptStep>& steps, std::string& error);

}  // namespace drawlume::e2e
