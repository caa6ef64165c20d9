#include "ui/UpdaterController.hpp"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <utility>

#include "logging/LogMacros.hpp"
#include "ui/AppcastFeed.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/UpdaterController";
}

UpdaterController::UpdaterController(UserDefaults& defaults, QString currentVersion,
                                     QObject* parent)
    : QObject(parent), defaults_(defaults), currentVersion_(std::move(currentVersion)) {
    automaticTimer_.setInterval(kAutomaticCheckIntervalMs);
    connect(&automaticTimer_, &QTimer::timeout, this, [this] { check(false); });
}

UpdaterController::~UpdaterController() {
    if (pending_) {
        pending_->abort();
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
    if (network_ == nullptr) {
        network_ = new QNetworkAccessManager(this);
    }
    const QUrl url = feedUrl();
    DDLogInfo("checkForUpdates()", "Checking for updates at " + url.toString().toStdString());
    QNetworkRequest request(url);
    request.setTransferTimeout(kTransferTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    pendingRequestedByUser_ = requestedByUser;
    QNetworkReply* reply = network_->get(request);
    pending_ = reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finish(reply); });
}

void UpdaterController::finish(QNetworkReply* reply) {
    reply->deleteLater();
    const bool requestedByUser = pendingRequestedByUser_;
    pending_.clear();
    pendingRequestedByUser_ = false;

    UpdateCheckResult result;
    result.currentVersion = currentVersion_;
    if (reply->error() != QNetworkReply::NoError) {
        result.error = reply->errorString();
    } else {
        const AppcastParseResult feed = parseAppcast(reply->readAll());
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
