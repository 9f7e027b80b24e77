#pragma once
// Publishing passwords: kept in the desktop keyring (QtKeychain) and, for this session, in
// memory. Where no keyring answers, the password lives only as long as the program runs and is
// asked for again next time. Never written to a plain file. Needs a Qt application object (the
// keyring answers through its event loop).
#include "PublishSettings.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>

// The keyring entry a feed's password is filed under: "user@host:port" with the protocol.
std::string SecretName(const TPublishSettings &settings);

class TPublishSecret {
public:
    // wait: how long a keyring may take to answer before it counts as none for this call (zero:
    // the keyring is asked, its answer not awaited).
    explicit TPublishSecret(std::chrono::milliseconds wait = std::chrono::seconds(10)) : wait_(wait) {}

    // The password from this session, else from the keyring; none when neither has it.
    std::optional<std::string> Find(const std::string &name);
    // Keeps the password for the session and offers it to the keyring; true when the keyring
    // took it.
    bool Remember(const std::string &name, const std::string &password);
    // Drops a password that turned out wrong, here and in the keyring.
    void Forget(const std::string &name);

private:
    std::chrono::milliseconds wait_;
    std::map<std::string, std::string> session_;
};
