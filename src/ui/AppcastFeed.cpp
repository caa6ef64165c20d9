#include "ui/AppcastFeed.hpp"

#include <QStringList>
#include <QXmlStreamReader>

namespace drawlume {

namespace {

bool isVersionName(QStringView name) {
    return name == u"shortVersionString" || name == u"version";
}

// Within one item, a short version string wins over a build version.
void offerVersion(QStringView name, const QString& value, QString& version, bool& haveShort) {
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty()) {
        return;
    }
    if (name == u"shortVersionString") {
        version = trimmed;
        haveShort = true;
    } else if (!haveShort) {
        version = trimmed;
    }
}

}  // namespace

int compareVersions(const QString& left, const QString& right) {
    const QStringList a = left.split(u'.');
    const QStringList b = right.split(u'.');
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const qulonglong x = i < a.size() ? a[i].toULongLong() : 0;
        const qulonglong y = i < b.size() ? b[i].toULongLong() : 0;
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return 0;
}

AppcastParseResult parseAppcast(const QByteArray& document) {
    AppcastParseResult result;
    QXmlStreamReader xml(document);
    bool inItem = false;
    bool sawItem = false;
    QString version;
    bool haveShort = false;
    QUrl download;
    QUrl link;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QStringView name = xml.name();
            if (name == u"item") {
                inItem = true;
                sawItem = true;
                version.clear();
                haveShort = false;
                download.clear();
                link.clear();
            } else if (inItem && name == u"enclosure") {
                for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                    if (attribute.name() == u"url") {
                        download = QUrl(attribute.value().toString().trimmed());
                    } else if (isVersionName(attribute.name())) {
                        offerVersion(attribute.name(), attribute.value().toString(), version,
                                     haveShort);
                    }
                }
            } else if (inItem && isVersionName(name)) {
                const QString elementName = name.toString();
                offerVersion(elementName, xml.readElementText(), version, haveShort);
            } else if (inItem && name == u"link") {
                link = QUrl(xml.readElementText().trimmed());
            }
        } else if (xml.isEndElement() && xml.name() == u"item") {
            inItem = false;
            const QUrl address = download.isValid() && !download.isEmpty() ? download : link;
            if (!version.isEmpty() && address.isValid() && !address.isEmpty() &&
                (!result.newest || compareVersions(version, result.newest->version) > 0)) {
                result.newest = AppcastRelease{version, address};
            }
        }
    }
    if (xml.hasError()) {
        result.newest.reset();
        result.error = QStringLiteral("The update feed is not valid XML (%1, line %2).")
                           .arg(xml.errorString())
                           .arg(xml.lineNumber());
    } else if (!result.newest) {
        result.error = sawItem ? QStringLiteral("The update feed lists no usable release.")
                               : QStringLiteral("The update feed lists no releases.");
    }
    return result;
}

}  // namespace drawlume
