#include "DelayProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

// Bytes a direction holds at most before it stops reading: a sender faster than its receiver
// then waits, as on a real link, instead of filling memory. 16 MiB in 25 ms is 670 MB/s, far
// above the rates measured here.
constexpr std::size_t HeldAtMost = 16u << 20;
constexpr std::size_t ReadSize = 256u << 10;

struct TChunk {
    TClock::time_point Due;
    std::string Bytes; // empty: the sender closed its side
};

// One direction of a connection: what was read from From, waiting for its time to go to To.
struct TPipe {
    int From = -1;
    int To = -1;
    std::mutex Mutex;
    std::condition_variable Changed;
    std::deque<TChunk> Chunks;
    std::size_t Held = 0;
    bool Stopped = false;

    void Stop()
    {
        {
            std::lock_guard lock(Mutex);
            Stopped = true;
        }
        Changed.notify_all();
    }
};

// A proxied connection: the client's socket and the server's, closed when both directions end.
struct TLink {
    int Client = -1;
    int Server = -1;
    TPipe Up, Down;
    ~TLink()
    {
        ::close(Client);
        ::close(Server);
    }
    void Break()
    {
        ::shutdown(Client, SHUT_RDWR);
        ::shutdown(Server, SHUT_RDWR);
        Up.Stop();
        Down.Stop();
    }
};

void Read(TPipe &pipe, std::chrono::milliseconds delay)
{
    std::vector<char> buffer(ReadSize);
    for (;;) {
        const ssize_t count = ::recv(pipe.From, buffer.data(), buffer.size(), 0);
        if (count < 0 && errno == EINTR)
            continue;
        TChunk chunk{TClock::now() + delay, count > 0 ? std::string(buffer.data(), std::size_t(count)) : std::string()};
        {
            std::unique_lock lock(pipe.Mutex);
            pipe.Changed.wait(lock, [&] { return pipe.Stopped || pipe.Held < HeldAtMost; });
            if (pipe.Stopped)
                return;
            pipe.Held += chunk.Bytes.size();
            pipe.Chunks.push_back(std::move(chunk));
        }
        pipe.Changed.notify_all();
        if (count <= 0)
            return;
    }
}

bool SendAll(int socket, const std::string &bytes)
{
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t count = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        sent += std::size_t(count);
    }
    return true;
}

void Write(TLink &link, TPipe &pipe)
{
    for (;;) {
        TChunk chunk;
        {
            std::unique_lock lock(pipe.Mutex);
            pipe.Changed.wait(lock, [&] { return pipe.Stopped || !pipe.Chunks.empty(); });
            if (pipe.Stopped)
                return;
            chunk = std::move(pipe.Chunks.front());
            pipe.Chunks.pop_front();
        }
        std::this_thread::sleep_until(chunk.Due);
        if (chunk.Bytes.empty()) { // passed on as the sender's half close
            ::shutdown(pipe.To, SHUT_WR);
            return;
        }
        if (!SendAll(pipe.To, chunk.Bytes)) {
            link.Break();
            return;
        }
        {
            std::lock_guard lock(pipe.Mutex);
            pipe.Held -= chunk.Bytes.size();
        }
        pipe.Changed.notify_all();
    }
}

sockaddr_in Address(const std::string &host, int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port));
    ::inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    return address;
}

} // namespace

struct TDelayProxy::TState {
    std::chrono::milliseconds Delay;
    std::mutex Mutex;
    bool Stopping = false;
    std::vector<int> Listeners;
    std::vector<std::thread> Acceptors;
    std::vector<std::thread> Pumps;
    std::vector<std::weak_ptr<TLink>> Links;

    void Accept(int listener, const std::string &targetAddress, int port)
    {
        for (;;) {
            const int client = ::accept(listener, nullptr, nullptr);
            if (client < 0) {
                if (errno == EINTR || errno == ECONNABORTED)
                    continue;
                return; // the listener was shut down
            }
            const int server = ::socket(AF_INET, SOCK_STREAM, 0);
            const sockaddr_in target = Address(targetAddress, port);
            if (::connect(server, reinterpret_cast<const sockaddr *>(&target), sizeof target) != 0) {
                ::close(server);
                ::close(client);
                continue;
            }
            // A chunk whose time has come goes out at once, not held back for more.
            const int on = 1;
            ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            ::setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            auto link = std::make_shared<TLink>();
            link->Client = client;
            link->Server = server;
            link->Up.From = link->Down.To = client;
            link->Up.To = link->Down.From = server;
            std::lock_guard lock(Mutex);
            if (Stopping) {
                link->Break();
                return;
            }
            Links.push_back(link);
            const std::chrono::milliseconds delay = Delay;
            Pumps.emplace_back([link, delay] { Read(link->Up, delay); });
            Pumps.emplace_back([link] { Write(*link, link->Up); });
            Pumps.emplace_back([link, delay] { Read(link->Down, delay); });
            Pumps.emplace_back([link] { Write(*link, link->Down); });
        }
    }
};

TDelayProxy::TDelayProxy(std::chrono::milliseconds delay) : state_(std::make_shared<TState>())
{
    state_->Delay = delay;
}

TDelayProxy::~TDelayProxy()
{
    {
        std::lock_guard lock(state_->Mutex);
        state_->Stopping = true;
        for (int listener : state_->Listeners)
            ::shutdown(listener, SHUT_RDWR);
    }
    for (std::thread &acceptor : state_->Acceptors)
        acceptor.join();
    for (int listener : state_->Listeners)
        ::close(listener);
    for (const std::weak_ptr<TLink> &weak : state_->Links)
        if (const std::shared_ptr<TLink> link = weak.lock())
            link->Break();
    for (std::thread &pump : state_->Pumps)
        pump.join();
}

std::string TDelayProxy::Forward(const std::string &listenAddress, const std::string &targetAddress, int port)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in address = Address(listenAddress, port);
    if (::bind(listener, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(listener, 64) != 0) {
        const std::string why = std::strerror(errno);
        ::close(listener);
        return "cannot listen on " + listenAddress + ":" + std::to_string(port) + ": " + why;
    }
    std::lock_guard lock(state_->Mutex);
    state_->Listeners.push_back(listener);
    TState *state = state_.get();
    state_->Acceptors.emplace_back([state, listener, targetAddress, port] { state->Accept(listener, targetAddress, port); });
    return {};
}
