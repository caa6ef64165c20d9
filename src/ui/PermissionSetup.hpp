#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace drawlume {

// How input access is set up on this machine: the commands that do it, for
// the user to paste with sudo or for the permission help to run as root
// through pkexec. Installed from the package, the rule, module entry and
// quirk are in place and only the module and the rule need applying; run
// from a build tree, the rule (asking this build's companion check), the
// module entry and the quirk are installed from the sources first.
struct PermissionSetup {
    // Runs a program to its end, then calls done with its exit status and
    // everything it wrote (-1 when it could not be started).
    using Runner =
        std::function<void(const QString& program, const QStringList& arguments,
                           std::function<void(int exitStatus, const QString& output)> done)>;

    bool installed = true;
    QString companionCheck;   // the program the rule asks about each node
    QString sourceDirectory;  // the build tree's sources
    bool canElevate = false;  // pkexec and a polkit daemon are there
    Runner run;

    // This agent's own: where it runs from, and pkexec through QProcess.
    static PermissionSetup current();

    // Each a line for a terminal (with sudo where root is needed), or, as
    // root, the same without sudo.
    QStringList commands(bool asRoot = false) const;
    // pkexec's exit statuses when the user dismissed or failed to authenticate.
    static bool wasCancelled(int exitStatus) { return exitStatus == 126 || exitStatus == 127; }
};

}  // namespace drawlume
