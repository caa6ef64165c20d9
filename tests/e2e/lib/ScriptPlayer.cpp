#include "ScriptPlayer.hpp"

#include <fcntl.h>
#include <unistd.h>

#include "SysError.hpp"

namespace drawlume::e2e {
namespace {

constexpr int kCreateBudgetMs = 5000;

bool fileExists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

}  // namespace

bool createCompanion(UhidCompanion& companion, const UhidCompanion::Identity& identity,
                     const std::vector<uint8_t>& descriptor, const Deadline& deadline,
                     CompanionNodes& nodes, std::string& error, size_t twinCount) {
    return companion.create(identity, descriptor, deadline, error) &&
           waitForCompanionNodes(identity.uniq, twinCount, deadline, nodes, error);
}

bool playScript(UhidCompanion& companion, const std::vector<ScriptStep>& steps,
                const ScriptHooks& hooks, std::string& error) {
    for (const ScriptStep& step : steps) {
        const std::string where = "script line " + std::to_string(step.line) + ": ";
        switch (step.kind) {
            case ScriptStep::Kind::Report:
                if (!companion.send(step.report, error)) {
                    error = where + error;
                    return false;
                }
                if (hooks.afterReport) {
                    hooks.afterReport();
                }
                break;
            case ScriptStep::Kind::Sleep:
                sleepMs(step.milliseconds);
                companion.drainEvents();
                break;
            case ScriptStep::Kind::WaitFile: {
                const Deadline deadline = Deadline::afterMs(step.milliseconds);
                while (!fileExists(step.path)) {
                    if (deadline.expired()) {
                        error = where + step.path + " did not appear in time";
                        return false;
                    }
                    sleepMs(5);
                    companion.drainEvents();
                }
                break;
            }
            case ScriptStep::Kind::TouchFile: {
                const int fd = open(step.path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
                if (fd < 0) {
                    error = where + sysError("create " + step.path);
                    return false;
                }
                close(fd);
                break;
            }
            case ScriptStep::Kind::Remove:
                companion.destroy();
                break;
            case ScriptStep::Kind::Add: {
                CompanionNodes nodes;
                const Deadline deadline = Deadline::afterMs(kCreateBudgetMs);
                if (!companion.recreate(deadline, error) ||
                    !waitForCompanionNodes(companion.identity().uniq, kCompanionTwinCount, deadline,
                                           nodes, error)) {
                    error = where + error;
                    return false;
                }
                if (hooks.afterAdd) {
                    hooks.afterAdd(nodes);
                }
                break;
            }
        }
    }
    return true;
}

}  // namespace drawlume::e2e
