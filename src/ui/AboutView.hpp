#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "util/Subscription.hpp"

class QLabel;
class QPushButton;

namespace drawlume {

class AppLocalization;

// What the About window says about this build; an absent entry reads
// "Unknown" (version, build) or leaves its line out (copyright).
struct ApplicationInfo {
    std::optional<std::string> version;
    std::optional<std::string> build;
    std::optional<std::string> copyright;
    std::string websiteAddress;

    static ApplicationInfo current();
};

// The About window's contents: icon, name, version and build, copyright,
// the website link and a close button bound to Return. Every text follows
// the language setting.
class AboutView final : public QWidget {
    Q_OBJECT

public:
    AboutView(AppLocalization& localization, ApplicationInfo info, std::function<void()> dismiss,
              std::function<void(const std::string&)> openAddress, QWidget* parent = nullptr);

    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    AppLocalization& localization_;
    ApplicationInfo info_;
    std::function<void()> dismiss_;
    std::function<void(const std::string&)> openAddress_;
    Subscription languageSubscription_;
    QLabel* name_;
    QLabel* version_;
    QLabel* copyright_;
    QLabel* websiteLabel_;
    QPushButton* website_;
    QPushButton* close_;
};

}  // namespace drawlume
