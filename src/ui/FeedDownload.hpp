#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

namespace drawlume {

// The update check's download lives in a module of its own, loaded at the
// first check: Qt's network library and what it pulls in (Kerberos, proxy
// lookup) stay out of an agent that never checks, which is every agent with
// the default settings.

// What a download of the feed ends with: its body, or why there is none.
using FeedDownloadDone = std::function<void(const QByteArray& body, const QString& error)>;

// The module's entry, found by its C name: starts a GET of url as a child of
// owner, following only redirects that keep it as safe, and calls done once
// on owner's thread. Returns the transfer; invoking its "abort" ends it, and
// done is then called with the error.
using DownloadFeedEntry = QObject* (*)(QObject* owner, const QUrl& url, int timeoutMs,
                                       const FeedDownloadDone& done);
inline constexpr const char* kDownloadFeedEntryName = "drawlume_download_feed";

}  // namespace drawlume
