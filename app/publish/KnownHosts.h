#pragma once
// The known hosts file as OpenSSH keeps it: a server on port 22 is filed under its name, one on
// another port under "[name]:port", so two servers on one host keep their own keys. Entries in
// either form are read, hashed ones ("|1|salt|hash") too.
#include <string>

// "host" for port 22, "[host]:port" otherwise.
std::string KnownHostName(const std::string &host, int port);
// Whether the file has an entry filed under exactly this name (of any key).
bool KnownHostsHasName(const std::string &file, const std::string &name);
// Appends "NAME TYPE KEY" (the key in base64); the file and its folder are made when missing.
bool AddKnownHost(const std::string &file, const std::string &name, const std::string &keyType,
                  const std::string &keyBase64);
