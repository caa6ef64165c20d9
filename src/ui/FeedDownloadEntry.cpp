// The entry point of the network module, which the updater loads at its first
// check.
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "ui/FeedDownload.hpp"

// The updater finds it by this C name, so it keeps the C style.
// NOLINTNEXTLINE(readability-identifier-naming)
extern "C" __attribute__((visibility("default"))) QObject* drawlume_download_feed(
    QObject* owner, const QUrl& url, int timeoutMs, const drawlume::FeedDownloadDone& done) {
    auto* network = owner->findChild<QNetworkAccessManager*>(QString(), Qt::FindDirectChildrenOnly);
    if (network == nullptr) {
        network = new QNetworkAccessManager(owner);
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = network->get(request);
    QObject::connect(reply, &QNetworkReply::finished, owner, [reply, done] {
        reply->deleteLater();
        if (reply->error() != QNetworkReply::NoError) {
            done({}, reply->errorString());
        } else {
            done(reply->readAll(), {});
        }
    });
    return reply;
}
