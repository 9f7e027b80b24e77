#include "ConnectionTest.h"

#include <algorithm>

std::string TestConnection(const TPublishSettings &settings, const std::string &password,
                           const TTransferHooks &hooks)
{
    try {
        TTransfer transfer(settings, password, hooks);
        std::vector<std::string> names = transfer.List({});
        std::sort(names.begin(), names.end());
        const std::string where = "Connected to " + settings.Host + ":" + std::to_string(EffectivePort(settings)) +
                                  " as " + settings.User + ". The remote folder " +
                                  (settings.RemoteFolder.empty() ? std::string("(the login's own)") : settings.RemoteFolder);
        if (names.empty())
            return where + " is empty.";
        constexpr std::size_t shown = 10;
        std::string text = where + " holds " + std::to_string(names.size()) + (names.size() == 1 ? " entry: " : " entries: ");
        for (std::size_t index = 0; index < names.size() && index < shown; ++index)
            text += (index ? ", " : "") + names[index];
        if (names.size() > shown)
            text += " and " + std::to_string(names.size() - shown) + " more";
        return text + ".";
    } catch (const TPublishError &error) {
        // The transfer words its failures for a publish; nothing was being published here.
        std::string message = error.what();
        const std::string publishing = "Publishing failed";
        if (message.rfind(publishing, 0) == 0)
            message.replace(0, publishing.size(), "The connection test failed");
        return message;
    }
}
