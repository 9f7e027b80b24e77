#pragma once
// Publish Settings' Test Connection: logs in with the settings as they stand, lists the remote
// folder and says what it found, without changing anything on the server.
#include "PublishSettings.h"
#include "Transfer.h"

#include <string>

// "Connected to HOST:PORT as USER. The remote folder F holds N files: a, b, c." or why not.
std::string TestConnection(const TPublishSettings &settings, const std::string &password,
                           const TTransferHooks &hooks);
