// The settings loader on any bytes: it must never crash, and a file it
// accepts must write back to a file that reads the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/SettingsDocument.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using drawlume::SettingsDocument;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    SettingsDocument::ParseResult parsed = SettingsDocument::parse(text);
    if (!parsed.document) {
        if (parsed.error.empty()) {
            std::abort();
        }
        return 0;
    }
    const std::string written = parsed.document->serialize();
    const SettingsDocument::ParseResult reread = SettingsDocument::parse(written);
    if (!reread.document || reread.document->serialize() != written) {
        std::abort();
    }
    // A change on top of whatever was read must also write cleanly.
    parsed.document->set("selectedMonitorIndex", int64_t{1});
    parsed.document->set(std::string(text.substr(0, 16)), std::string(text.substr(0, 32)));
    parsed.document->remove("selectedAppLanguage");
    (void)parsed.document->serialize();
    return 0;
}
