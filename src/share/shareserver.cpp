#include "share/shareserver.h"

#include <atomic>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <chrono>
#include <cstdio>
#include <list>
#include <random>
#include <string_view>

#include "share/requestfilter.h"
#include "share/sharepage.h"

namespace zelvano {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using namespace std::chrono_literals;

namespace {

    // Connections at once, devices included: the rest are closed as soon as they are accepted.
    constexpr int maxConnections = 64;
    // A request's line and headers; a page's request is well under 2 KiB.
    constexpr std::uint32_t headerLimit = 8192;
    // A request not whole within this is dropped, however slowly its bytes keep coming.
    constexpr auto requestTime = 5s;
    // A device that has not taken one message within this is no longer reading, and is dropped.
    constexpr auto writeTime = 10s;
    // Each device hears at least this often, so its page knows the program is still there: more
    // than the second between two views of a running talk, which then sends one message a second,
    // and well under the page's 2.5 s of silence before it calls the connection lost.
    constexpr auto heartbeat = 1500ms;
    // The system's buffer for each device's stream: small, so a device that stops reading stalls
    // the writes (and is dropped) after a few minutes of messages rather than hours.
    constexpr int sendBuffer = 16 * 1024;

    constexpr const char* securityHeaders
        = "Content-Security-Policy: default-src 'none'; script-src 'self'; style-src 'self'; "
          "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'\r\n"
          "Referrer-Policy: no-referrer\r\n"
          "Cache-Control: no-store\r\n"
          "X-Content-Type-Options: nosniff\r\n";

    std::string makeToken()
    {
        std::random_device source;
        std::string token;
        for (int i = 0; i < 4; ++i) {
            char word[9];
            std::snprintf(word, sizeof word, "%08x", static_cast<unsigned>(source()));
            token += word;
        }
        return token;
    }

    std::string_view view(beast::string_view text) { return { text.data(), text.size() }; }

    std::string streamMessage(const SharedView& view)
    {
        return "data: " + sharedViewJson(view) + "\n\n";
    }

    // The whole response, headers and body, written as it is: every answer is small and final.
    std::string response(const char* status, const char* type, const std::string& body)
    {
        return std::string("HTTP/1.1 ") + status + "\r\nContent-Type: " + type + "\r\n"
            + securityHeaders + "Content-Length: " + std::to_string(body.size())
            + "\r\nConnection: close\r\n\r\n" + body;
    }

    const std::string& refusal()
    {
        static const std::string text
            = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        return text;
    }

} // namespace

struct ShareServer::Core
{
    // One connection, while its coroutine runs: what stopping the server closes.
    struct Connection
    {
        beast::tcp_stream* stream;
        asio::steady_timer* wake;
    };

    asio::io_context io;
    tcp::acceptor acceptor { io };
    ShareOrigin origin;
    std::string latest; // the update stream's message for the latest view
    std::uint64_t generation = 0; // counts the views handed over
    std::list<Connection> connections;
    bool stopping = false;
    std::atomic<int> devices = 0;

    void publish(std::string message)
    {
        latest = std::move(message);
        ++generation;
        for (const auto& connection : connections)
            if (connection.wake)
                connection.wake->cancel();
    }

    void closeAll()
    {
        stopping = true;
        boost::system::error_code ignored;
        acceptor.close(ignored);
        for (const auto& connection : connections) {
            connection.stream->close();
            if (connection.wake)
                connection.wake->cancel();
        }
    }

    asio::awaitable<void> acceptLoop();
    asio::awaitable<void> serve(tcp::socket socket);
    asio::awaitable<void> sendUpdates(beast::tcp_stream& stream, Connection& self);
    asio::awaitable<void> answer(beast::tcp_stream& stream, const std::string& text);
};

asio::awaitable<void> ShareServer::Core::acceptLoop()
{
    asio::steady_timer pause(io);
    while (!stopping) {
        boost::system::error_code error;
        tcp::socket socket
            = co_await acceptor.async_accept(asio::redirect_error(asio::use_awaitable, error));
        if (stopping)
            break;
        if (error) {
            // Out of file handles, or a connection reset before it was taken: try again shortly
            // rather than spin.
            pause.expires_after(100ms);
            co_await pause.async_wait(asio::redirect_error(asio::use_awaitable, error));
            continue;
        }
        if (static_cast<int>(connections.size()) >= maxConnections) {
            socket.close(error);
            continue;
        }
        asio::co_spawn(io, serve(std::move(socket)), asio::detached);
    }
}

asio::awaitable<void> ShareServer::Core::answer(beast::tcp_stream& stream, const std::string& text)
{
    boost::system::error_code error;
    stream.expires_after(writeTime);
    co_await asio::async_write(
        stream, asio::buffer(text), asio::redirect_error(asio::use_awaitable, error));
    stream.socket().shutdown(tcp::socket::shutdown_send, error);
}

asio::awaitable<void> ShareServer::Core::serve(tcp::socket socket)
{
    beast::tcp_stream stream(std::move(socket));
    auto self = connections.insert(connections.end(), { &stream, nullptr });
    struct Forget
    {
        std::list<Connection>& list;
        std::list<Connection>::iterator entry;
        ~Forget() { list.erase(entry); }
    } forget { connections, self };

    boost::system::error_code error;
    stream.socket().set_option(tcp::socket::send_buffer_size(sendBuffer), error);
    beast::flat_buffer buffer(headerLimit);
    http::request_parser<http::empty_body> parser;
    parser.header_limit(headerLimit);
    parser.body_limit(0);
    stream.expires_after(requestTime);
    co_await http::async_read(
        stream, buffer, parser, asio::redirect_error(asio::use_awaitable, error));
    if (error || stopping)
        co_return; // too large, too slow, malformed or with a body: closed without a word

    const auto& request = parser.get();
    switch (classifyRequest(view(request.method_string()), view(request.target()),
        view(request[http::field::host]), origin)) {
    case ShareRequest::page:
        if (devices.load() >= maxShareDevices)
            co_await answer(stream,
                response("503 Service Unavailable", "text/html; charset=utf-8", shareFullHtml()));
        else
            co_await answer(
                stream, response("200 OK", "text/html; charset=utf-8", sharePageHtml()));
        break;
    case ShareRequest::script:
        co_await answer(
            stream, response("200 OK", "text/javascript; charset=utf-8", sharePageScript()));
        break;
    case ShareRequest::style:
        co_await answer(stream, response("200 OK", "text/css; charset=utf-8", sharePageStyle()));
        break;
    case ShareRequest::events:
        if (devices.load() >= maxShareDevices)
            co_await answer(stream, response("503 Service Unavailable", "text/plain", ""));
        else
            co_await sendUpdates(stream, *self);
        break;
    case ShareRequest::refused:
        co_await answer(stream, refusal());
        break;
    }
}

// The update stream: the latest view at once, then each new one as it comes, and the latest again
// after a second without one. A device still writing when several views come gets only the last.
asio::awaitable<void> ShareServer::Core::sendUpdates(beast::tcp_stream& stream, Connection& self)
{
    asio::steady_timer wake(io);
    self.wake = &wake;
    ++devices;
    struct Leave
    {
        std::atomic<int>& devices;
        ~Leave() { --devices; }
    } leave { devices };

    std::string message = std::string("HTTP/1.1 200 OK\r\nContent-Type: text/event-stream; "
                                      "charset=utf-8\r\n")
        + securityHeaders + "Connection: close\r\n\r\nretry: 1000\n\n";
    boost::system::error_code error;
    while (!stopping) {
        const std::uint64_t sending = generation;
        message += latest;
        stream.expires_after(writeTime);
        co_await asio::async_write(
            stream, asio::buffer(message), asio::redirect_error(asio::use_awaitable, error));
        if (error || stopping)
            break;
        message.clear();
        if (generation != sending)
            continue;
        wake.expires_after(heartbeat);
        co_await wake.async_wait(asio::redirect_error(asio::use_awaitable, error));
    }
    self.wake = nullptr;
}

ShareServer::ShareServer()
    : m_token(makeToken())
    , m_latestMessage(streamMessage(sharedView(0, {}, false)))
{ }

ShareServer::~ShareServer() { stop(); }

ShareStart ShareServer::start(const std::string& address)
{
    stop();
    boost::system::error_code error;
    const auto ip = asio::ip::make_address_v4(address, error);
    if (error)
        return {};
    auto core = std::make_unique<Core>();
    for (const std::uint16_t port : { defaultSharePort, std::uint16_t(0) }) {
        core->acceptor.close(error);
        core->acceptor.open(tcp::v4(), error);
#ifndef _WIN32
        // Lets the port be taken again at once after a stop, while closed connections linger.
        // Windows gives this option another meaning (taking a port another program holds).
        core->acceptor.set_option(tcp::acceptor::reuse_address(true), error);
#endif
        if (!error)
            core->acceptor.bind({ ip, port }, error);
        if (!error)
            core->acceptor.listen(asio::socket_base::max_listen_connections, error);
        if (!error)
            break;
    }
    if (error)
        return {};
    const std::uint16_t port = core->acceptor.local_endpoint(error).port();
    core->origin = { address, port, m_token };
    core->latest = m_latestMessage;
    asio::co_spawn(core->io, core->acceptLoop(), asio::detached);
    m_core = std::move(core);
    m_thread = std::thread([core = m_core.get()] {
        // Every operation reports its failures as error codes; anything thrown all the same
        // ends that connection only.
        for (;;) {
            try {
                core->io.run();
                return;
            } catch (...) { }
        }
    });
    return { true, port };
}

void ShareServer::stop()
{
    if (!m_core)
        return;
    asio::post(m_core->io, [core = m_core.get()] { core->closeAll(); });
    m_thread.join();
    m_core.reset();
}

void ShareServer::publish(const SharedView& view)
{
    std::string message = streamMessage(view);
    if (message == m_latestMessage)
        return;
    m_latestMessage = std::move(message);
    if (m_core)
        asio::post(m_core->io, [core = m_core.get(), message = m_latestMessage]() mutable {
            core->publish(std::move(message));
        });
}

int ShareServer::deviceCount() const { return m_core ? m_core->devices.load() : 0; }

std::string ShareServer::hostAndPort() const
{
    return m_core ? m_core->origin.address + ":" + std::to_string(m_core->origin.port) : "";
}

std::string ShareServer::url() const
{
    return m_core ? "http://" + hostAndPort() + "/" + m_token + "/" : "";
}

} // namespace zelvano
