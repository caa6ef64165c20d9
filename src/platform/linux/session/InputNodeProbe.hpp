#pragma once

#include <string>
#include <vector>

namespace drawlume {

// The questions the permission check asks of the device nodes.
class InputNodeProbe {
public:
    virtual ~InputNodeProbe() = default;

    // Opens the node for writing as the agent will and closes it again:
    // 0, or the errno of the open.
    virtual int openForWriting(const std::string& path) = 0;
    // 0 when this process may read the node, or the errno saying why not.
    virtual int checkReadable(const std::string& path) = 0;
    // The name of the group that owns the node; empty for root's group or
    // when the node cannot be examined.
    virtual std::string owningGroup(const std::string& path) = 0;
    // The hidraw and event nodes of the Bluetooth HID devices present now:
    // those the agent must read and seize to serve a companion.
    virtual std::vector<std::string> companionNodes() = 0;
};

// The real nodes. The roots are parameters so that tests can lay out a tree.
class SystemInputNodeProbe final : public InputNodeProbe {
public:
    explicit SystemInputNodeProbe(std::string sysRoot = "/sys", std::string devRoot = "/dev");

    int openForWriting(const std::string& path) override;
    int checkReadable(const std::string& path) override;
    std::string owningGroup(const std::string& path) override;
    std::vector<std::string> companionNodes() override;

private:
    std::string sysRoot_;
    std::string devRoot_;
};

}  // namespace drawlume
