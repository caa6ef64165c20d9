#include "ui/PermissionSetup.hpp"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "program/HelperPrograms.hpp"

namespace drawlume {

namespace {

QString quoted(const QString& path) {
    QString text = path;
    text.replace('\'', QStringLiteral("'\\''"));
    return '\'' + text + '\'';
}

bool hasPolkitDaemon() {
    for (const char* daemon :
         {"/usr/lib/polkit-1/polkitd", "/usr/libexec/polkitd", "/usr/lib/policykit-1/polkitd"}) {
        if (QFile::exists(QString::fromLatin1(daemon))) {
            return true;
        }
    }
    return false;
}

void runWithQProcess(const QString& program, const QStringList& arguments,
                     std::function<void(int, const QString&)> done) {
    auto* process = new QProcess();
    process->setProcessChannelMode(QProcess::MergedChannels);
    auto finish = std::make_shared<std::function<void(int, const QString&)>>(std::move(done));
    QObject::connect(process, &QProcess::finished, process,
                     [process, finish](int status, QProcess::ExitStatus how) {
                         (*finish)(how == QProcess::NormalExit ? status : -1,
                                   QString::fromLocal8Bit(process->readAll()));
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, finish](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             (*finish)(-1, process->errorString());
                             process->deleteLater();
                         }
                     });
    process->start(program, arguments);
}

}  // namespace

PermissionSetup PermissionSetup::current() {
    PermissionSetup setup;
    const QString check = QString::fromStdString(companionCheckPath());
    const QString program = QString::fromStdString(agentProgramPath());
    // Beside the program: a build tree. Installed, it lives in lib/drawlume-agent.
    setup.installed = QFileInfo(check).absolutePath() != QFileInfo(program).absolutePath();
    setup.companionCheck = check;
    setup.sourceDirectory = QStringLiteral(DRAWLUME_SOURCE_DIR);
    setup.canElevate =
        !QStandardPaths::findExecutable(QStringLiteral("pkexec")).isEmpty() && hasPolkitDaemon();
    setup.run = runWithQProcess;
    return setup;
}

QStringList PermissionSetup::commands(bool asRoot) const {
    const QString sudo = asRoot ? QString() : QStringLiteral("sudo ");
    const QString load = sudo + "modprobe uinput";
    const QString apply = sudo + "udevadm control --reload && " + sudo +
                          "udevadm trigger --subsystem-match=misc --sysname-match=uinput && " +
                          sudo + "udevadm trigger --subsystem-match=hidraw && " + sudo +
                          "udevadm trigger --subsystem-match=input";
    if (installed) {
        return {load, apply};
    }
    const QString rule = sourceDirectory + "/packaging/udev/70-drawlume-agent.rules.in";
    const QString quirk = sourceDirectory + "/packaging/libinput/drawlume-agent.quirks";
    const QString overrides = QStringLiteral("/etc/libinput/local-overrides.quirks");
    return {
        "sed " + quoted("s|@DRAWLUME_COMPANION_CHECK@|" + companionCheck + "|") + " " +
            quoted(rule) + " | " + sudo +
            "tee /etc/udev/rules.d/70-drawlume-agent.rules >/dev/null",
        // The quirk is appended once, however often this runs.
        "echo uinput | " + sudo + "tee /etc/modules-load.d/drawlume-agent.conf >/dev/null && " +
            sudo + "mkdir -p /etc/libinput && { grep -qs 'Drawlume agent pen' " + overrides +
            " || " + sudo + "tee -a " + overrides + " <" + quoted(quirk) + " >/dev/null; }",
        load + " && " + apply,
    };
}

}  // namespace drawlume
