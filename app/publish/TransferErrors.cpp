#include "TransferErrors.h"

namespace {

std::string Reason(const TTransferFailure &failure)
{
    const std::string &host = failure.Host;
    switch (failure.HostKey) {
    case THostKeyVerdict::Changed:
        return "the host key of " + host + " has CHANGED since it was trusted. This may be an "
               "attack, or the server was reinstalled; nothing was sent. If the change is "
               "expected, remove the old key from your known_hosts file";
    case THostKeyVerdict::Refused:
        return "the host key of " + host + " was not trusted; nothing was sent";
    default:
        break;
    }
    switch (failure.Code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return "host not found: " + host;
    case CURLE_COULDNT_CONNECT:
        return host + " refused the connection (is the host and port right, is the server running?)";
    case CURLE_LOGIN_DENIED:
        return "authentication failed at " + host + ": check the user name and password or key";
    case CURLE_REMOTE_ACCESS_DENIED:
        return "permission denied on the server (check the remote folder and its rights)";
    case CURLE_REMOTE_DISK_FULL:
        return "the server's disk is full, or your quota there is used up";
    case CURLE_OPERATION_TIMEDOUT:
        return "the server did not answer in time";
    case CURLE_ABORTED_BY_CALLBACK:
        return "cancelled";
    case CURLE_PEER_FAILED_VERIFICATION:
        return "the server's identity could not be verified (its certificate or host key)";
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_UPLOAD_FAILED:
    case CURLE_SSH:
        return "the connection to " + host + " broke";
    case CURLE_HTTP_RETURNED_ERROR:
        switch (failure.Response) {
        case 401: return "authentication failed at " + host + ": check the user name and password";
        case 403: return "permission denied on the server (check the remote folder and its rights)";
        case 404:
        case 409: return "the remote folder does not exist on the server";
        case 507: return "the server's disk is full, or your quota there is used up";
        default: return "the server answered HTTP " + std::to_string(failure.Response);
        }
    default:
        break;
    }
    // FTP replies that name the cause.
    if (failure.Response == 530)
        return "authentication failed at " + host + ": check the user name and password";
    if (failure.Response == 550 || failure.Response == 553)
        return "permission denied on the server (check the remote folder and its rights)";
    if (failure.Response == 452 || failure.Response == 552)
        return "the server's disk is full, or your quota there is used up";
    return curl_easy_strerror(failure.Code);
}

} // namespace

std::string TransferErrorMessage(const TTransferFailure &failure)
{
    std::string message = "Publishing failed while " + failure.What + ": " + Reason(failure) + ".";
    if (!failure.Detail.empty() && failure.Code != CURLE_ABORTED_BY_CALLBACK &&
        failure.HostKey != THostKeyVerdict::Changed && failure.HostKey != THostKeyVerdict::Refused)
        message += "\n(" + failure.Detail + ")";
    return message;
}
