#pragma once
// A TCP proxy that makes a loopback connection behave like a long link: every chunk of data it
// receives, in either direction, is passed on a fixed time after it arrived, in order. Nothing
// limits the rate, as this kernel's loopback has no netem to delay packets with.
#include <chrono>
#include <memory>
#include <string>

class TDelayProxy {
public:
    explicit TDelayProxy(std::chrono::milliseconds delay);
    ~TDelayProxy(); // stops listening, ends the connections still open
    TDelayProxy(const TDelayProxy &) = delete;
    TDelayProxy &operator=(const TDelayProxy &) = delete;

    // Listens on listenAddress:port and forwards each connection to targetAddress:port; "" when
    // it listens, else why not.
    std::string Forward(const std::string &listenAddress, const std::string &targetAddress, int port);

private:
    struct TState;
    std::shared_ptr<TState> state_;
};
