#include <QSignalSpy>
#include <QtTest>

#include "LocalHttpServer.hpp"
#include "settings/UserDefaults.hpp"
#include "ui/AppcastFeed.hpp"
#include "ui/UpdaterController.hpp"

namespace drawlume {

namespace {

const QByteArray kFeed =
    "<?xml version=\"1.0\"?>\n"
    "<rss version=\"2.0\" xmlns:up=\"http://example.invalid/appcast\">\n"
    "  <channel>\n"
    "    <title>Drawlume agent</title>\n"
    "    <item><title>0.1.0</title>\n"
    "      <enclosure url=\"https://example.invalid/drawlume-0.1.0.deb\" "
    "up:version=\"0.1.0\"/></item>\n"
    "    <item><title>0.10.2</title><up:shortVersionString>0.10.2</up:shortVersionString>\n"
    "      <up:version>412</up:version>\n"
    "      <enclosure url=\"https://example.invalid/drawlume-0.10.2.deb\"/></item>\n"
    "    <item><title>0.9.9</title><up:version>0.9.9</up:version>\n"
    "      <link>https://example.invalid/drawlume-0.9.9</link></item>\n"
    "  </channel>\n"
    "</rss>\n";

const QString kNetworkModule = QStringLiteral(DRAWLUME_NETWORK_MODULE);

}  // namespace

class UpdaterControllerTest : public QObject {
    Q_OBJECT

private:
    // Runs one user-requested check against the server and returns its result.
    UpdateCheckResult checkAgainst(const QUrl& feed, const QString& running,
                                   const QString& module = kNetworkModule) {
        InMemoryUserDefaults defaults;
        defaults.set(UpdaterController::kFeedUrlKey, feed.toString().toStdString());
        UpdaterController updater(defaults, running, module);
        QSignalSpy finished(&updater, &UpdaterController::checkFinished);
        updater.checkForUpdates();
        if (!finished.wait(10000)) {
            return {};
        }
        [&] { QCOMPARE(finished.first().at(1).toBool(), true); }();
        return finished.first().at(0).value<UpdateCheckResult>();
    }

private slots:
    void newestReleaseIsFoundByVersionNotByPosition() {
        testing::LocalHttpServer server;
        server.respond(200, kFeed);
        const UpdateCheckResult newer = checkAgainst(server.url(), "0.9.10");
        QCOMPARE(newer.outcome, UpdateCheckResult::Outcome::updateAvailable);
        QCOMPARE(newer.latestVersion, QStringLiteral("0.10.2"));
        QCOMPARE(newer.downloadUrl, QUrl("https://example.invalid/drawlume-0.10.2.deb"));

        const UpdateCheckResult same = checkAgainst(server.url(), "0.10.2");
        QCOMPARE(same.outcome, UpdateCheckResult::Outcome::upToDate);
        QCOMPARE(same.latestVersion, QStringLiteral("0.10.2"));
    }

    void badFeedsAreAnsweredInWords() {
        testing::LocalHttpServer server;
        server.respond(200, "<rss><channel><item><title>broken</channel>");
        const UpdateCheckResult malformed = checkAgainst(server.url(), "0.1.0");
        QCOMPARE(malformed.outcome, UpdateCheckResult::Outcome::failed);
        QVERIFY2(malformed.error.contains("not valid XML"), qPrintable(malformed.error));

        server.respond(200, "<rss><channel><item><title>no version</title></item></channel></rss>");
        const UpdateCheckResult empty = checkAgainst(server.url(), "0.1.0");
        QCOMPARE(empty.outcome, UpdateCheckResult::Outcome::failed);
        QVERIFY(!empty.error.isEmpty());

        // An installation that lost the download module still answers the user.
        const UpdateCheckResult unloadable =
            checkAgainst(server.url(), "0.1.0", kNetworkModule + ".missing");
        QCOMPARE(unloadable.outcome, UpdateCheckResult::Outcome::failed);
        QVERIFY2(unloadable.error.startsWith("The update check cannot run"),
                 qPrintable(unloadable.error));
    }

    void noConnectionAtLaunchUntilAutomaticChecksAreTurnedOn() {
        testing::LocalHttpServer server;
        server.respond(200, kFeed);
        InMemoryUserDefaults defaults;
        defaults.set(UpdaterController::kFeedUrlKey, server.url().toString().toStdString());
        defaults.set(UpdaterController::kAutomaticChecksKey, std::string("true"));  // not a Boolean
        UpdaterController updater(defaults, "0.1.0", kNetworkModule);
        QSignalSpy finished(&updater, &UpdaterController::checkFinished);
        updater.startUpdater();
        QTest::qWait(300);
        QCOMPARE(server.connections(), 0);
        QCOMPARE(finished.count(), 0);

        updater.setAutomaticallyChecksForUpdates(true);
        QVERIFY(finished.wait(10000));
        QCOMPARE(server.connections(), 1);
        QCOMPARE(finished.first().at(1).toBool(), false);

        UpdaterController relaunched(defaults, "0.1.0", kNetworkModule);
        QSignalSpy relaunchedFinished(&relaunched, &UpdaterController::checkFinished);
        relaunched.startUpdater();
        QVERIFY(relaunchedFinished.wait(10000));
        QCOMPARE(server.connections(), 2);
    }
};

}  // namespace drawlume

Q_DECLARE_METATYPE(drawlume::UpdateCheckResult)

QTEST_MAIN(drawlume::UpdaterControllerTest)
#include "UpdaterControllerTest.moc"
