#include "ui/UpdaterController.hpp"

#include <QLibrary>
#include <QMetaObject>
#include <utility>

#include "logging/LogMacros.hpp"
#include "ui/AppcastFeed.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/UpdaterController";
}

UpdaterController::UpdaterController(UserDefaults& defaults, QString currentVersion,
                                     QString networkModule, QObject* parent)
    : QObject(parent),
      defaults_(defaults),
      currentVersion_(std::move(currentVersion)),
      networkModule_(std::move(networkModule)) {
    automaticTimer_.setInterval(kAutomaticCheckIntervalMs);
    connect(&automaticTimer_, &QTimer::timeout, this, [this] { check(false); });
}

UpdaterController::~UpdaterController() {
    if (pending_) {
        QMetaObject::invokeMethod(pending_, "abort");
    }
}

QUrl UpdaterController::feedUrl() const {
    if (const auto stored = defaults_.object(kFeedUrlKey)) {
        if (const auto* text = std::get_if<std::string>(&*stored)) {
            QUrl url(QString::fromStdString(*text));
            if (url.isValid() && !url.scheme().isEmpty()) {
                return url;
            }
        }
    }
    return QUrl(QString::fromLatin1(kDefaultFeedUrl));
}

bool UpdaterController::automaticallyChecksForUpdates() const {
    const auto stored = defaults_.object(kAutomaticChecksKey);
    const bool* enabled = stored ? std::get_if<bool>(&*stored) : nullptr;
    return enabled != nullptr && *enabled;
}

void UpdaterController::setAutomaticallyChecksForUpdates(bool enabled) {
    defaults_.set(kAutomaticChecksKey, enabled);
    scheduleAutomaticChecks();
    if (enabled) {
        check(false);
    }
}

void UpdaterController::startUpdater() {
    scheduleAutomaticChecks();
    if (automaticallyChecksForUpdates()) {
        check(false);
    }
}

void UpdaterController::scheduleAutomaticChecks() {
    if (automaticallyChecksForUpdates()) {
        automaticTimer_.start();
    } else {
        automaticTimer_.stop();
    }
}

void UpdaterController::checkForUpdates() {
    check(true);
}

void UpdaterController::check(bool requestedByUser) {
    if (pending_) {
        // One request at a time; a user asking during an automatic check gets its answer.
        pendingRequestedByUser_ = pendingRequestedByUser_ || requestedByUser;
        return;
    }
    pendingRequestedByUser_ = requestedByUser;
    QString whyNot;
    if (download_ == nullptr) {
        download_ = loadDownload(whyNot);
    }
    if (download_ == nullptr) {
        // Answered from the event loop, as a download would be.
        QMetaObject::invokeMethod(
            this, [this, whyNot] { finish({}, whyNot); }, Qt::QueuedConnection);
        return;
    }
    const QUrl url = feedUrl();
    DDLogInfo("checkForUpdates()", "Checking for updates at " + url.toString().toStdString());
    pending_ =
        download_(this, url, kTransferTimeoutMs,
                  [this](const QByteArray& body, const QString& error) { finish(body, error); });
}

DownloadFeedEntry UpdaterController::loadDownload(QString& whyNot) {
    // The module stays loaded for the life of the process.
    QLibrary module(networkModule_);
    if (!module.load()) {
        whyNot = "The update check cannot run: " + module.errorString();
        return nullptr;
    }
    auto entry = reinterpret_cast<DownloadFeedEntry>(module.resolve(kDownloadFeedEntryName));
    if (entry == nullptr) {
        whyNot = "The update check cannot run: " + module.errorString();
    }
    return entry;
}

void UpdaterController::finish(const QByteArray& body, const QString& error) {
    const bool requestedByUser = pendingRequestedByUser_;
    pending_.clear();
    pendingRequestedByUser_ = false;

    UpdateCheckResult result;
    result.currentVersion = currentVersion_;
    if (!error.isEmpty()) {
        result.error = error;
    } else {
        const AppcastParseResult feed = parseAppcast(body);
        if (!feed.newest) {
            result.error = feed.error;
        } else {
            result.latestVersion = feed.newest->version;
            result.downloadUrl = feed.newest->downloadUrl;
            result.outcome = compareVersions(feed.newest->version, currentVersion_) > 0
                                 ? UpdateCheckResult::Outcome::updateAvailable
                                 : UpdateCheckResult::Outcome::upToDate;
        }
    }
    if (result.outcome == UpdateCheckResult::Outcome::failed) {
        DDLogWarn("checkForUpdates()", "Update check failed: " + result.error.toStdString());
    } else {
        DDLogInfo("checkForUpdates()", "Update check: newest release " +
                                           result.latestVersion.toStdString() + ", running " +
                                           currentVersion_.toStdString());
    }
    emit checkFinished(result, requestedByUser);
}

}  // namespace drawlume
