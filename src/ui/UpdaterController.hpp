#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include "settings/UserDefaults.hpp"
#include "ui/FeedDownload.hpp"

namespace drawlume {

struct UpdateCheckResult {
    enum class Outcome { updateAvailable, upToDate, failed };
    Outcome outcome = Outcome::failed;
    QString currentVersion;
    QString latestVersion;
    QUrl downloadUrl;
    QString error;  // in words, when the check failed
};

// Checks an appcast feed for a newer release. A check the user asks for
// answers in every case (newer, up to date, or what went wrong); automatic
// checks run only after the user has turned them on, so an agent started with
// the defaults makes no network connection at all.
class UpdaterController : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kDefaultFeedUrl = "https://updates.drawlume.app/appcast.xml";
    // Settings: a feed address that replaces the compiled-in one, and the
    // switch for automatic checks (off unless stored as true).
    static constexpr const char* kFeedUrlKey = "updateFeedURL";
    static constexpr const char* kAutomaticChecksKey = "automaticallyCheckForUpdates";
    static constexpr int kAutomaticCheckIntervalMs = 24 * 60 * 60 * 1000;
    static constexpr int kTransferTimeoutMs = 15000;

    // networkModule: the file of the download module, loaded at the first check.
    UpdaterController(UserDefaults& defaults, QString currentVersion, QString networkModule,
                      QObject* parent = nullptr);
    ~UpdaterController() override;

    // Called once at launch: schedules automatic checks when they are on.
    void startUpdater();
    // The user's "Check for updates": always ends in checkFinished(..., true).
    void checkForUpdates();

    QUrl feedUrl() const;
    bool automaticallyChecksForUpdates() const;
    void setAutomaticallyChecksForUpdates(bool enabled);

signals:
    void checkFinished(const drawlume::UpdateCheckResult& result, bool requestedByUser);

private:
    void check(bool requestedByUser);
    void finish(const QByteArray& body, const QString& error);
    // The module's entry, loaded at the first check; why not, when it cannot be.
    DownloadFeedEntry loadDownload(QString& whyNot);
    void scheduleAutomaticChecks();

    UserDefaults& defaults_;
    const QString currentVersion_;
    const QString networkModule_;
    DownloadFeedEntry download_ = nullptr;
    QPointer<QObject> pending_;
    bool pendingRequestedByUser_ = false;
    QTimer automaticTimer_;
};

}  // namespace drawlume
