#pragma once
// Turns a failed libcurl transfer into a message the author can act on: host not found,
// refused, authentication, host key, permission, disk full, timeout, broken connection.
#include <curl/curl.h>
#include <string>

enum class THostKeyVerdict { NotAsked, Known, Changed, Refused };

struct TTransferFailure {
    CURLcode Code = CURLE_OK;
    long Response = 0;        // the HTTP status or the FTP reply code, 0 when none
    std::string Detail;       // libcurl's error buffer
    THostKeyVerdict HostKey = THostKeyVerdict::NotAsked;
    std::string Host;         // "host:port"
    std::string What;         // what was being done, e.g. "uploading feed.xml"
};

std::string TransferErrorMessage(const TTransferFailure &failure);
