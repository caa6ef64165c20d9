#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

namespace drawlume {

// The newest release an appcast feed offers: an RSS document whose items each
// carry a version and a download address (an enclosure, else the item's link).
// Versions are read from elements or enclosure attributes named
// "shortVersionString" or "version", whatever their namespace.
struct AppcastRelease {
    QString version;
    QUrl downloadUrl;
};

struct AppcastParseResult {
    std::optional<AppcastRelease> newest;
    QString error;  // in words, when the feed could not be used
};

AppcastParseResult parseAppcast(const QByteArray& document);

// Compares dotted version numbers part by part, numerically ("1.10" > "1.9");
// missing parts count as 0. Negative, zero or positive like strcmp.
int compareVersions(const QString& left, const QString& right);

}  // namespace drawlume
