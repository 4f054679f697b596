// What sharing the view with phones costs and how soon a device hears of a change, with the
// program's own ShareServer on loopback and the devices' ends in a child process (so that their
// reading is not counted as the server's): the server's CPU per minute at one view a second with
// 0, 1 and 16 devices, and the delay from publish() to a device's receipt of that view (p50, p99;
// for 16 devices, the last of them to hear). Prints one JSON object.

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "benchjson.h"
#include "share/shareserver.h"

using namespace zelvano;
using Clock = std::chrono::steady_clock;

namespace {

double nowMs()
{
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

// The process's CPU time to the nanosecond (getrusage counts in scheduler ticks).
double cpuMs()
{
    timespec time {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_nsec) / 1e6;
}

// The seconds of the time sent in each whole message of text ("data: {"chosen":{"figure":...).
std::vector<int> figures(const std::string& text)
{
    std::vector<int> seconds;
    const std::string start = "data: {\"chosen\":{\"figure\":\"";
    for (std::size_t at = text.find(start); at != std::string::npos;
         at = text.find(start, at + 1)) {
        int minutes = 0, secs = 0;
        if (std::sscanf(text.c_str() + at + start.size(), "%d:%d", &minutes, &secs) == 2)
            seconds.push_back(minutes * 60 + secs);
    }
    return seconds;
}

// The devices: each opens the update stream and reads; every first receipt of a view is stamped.
// Writes "seconds milliseconds" per receipt (the latest device's) to the pipe when the server ends.
[[noreturn]] void devices(
    int count, const std::string& host, std::uint16_t port, const std::string& path, int pipe)
{
    std::vector<pollfd> sockets;
    for (int i = 0; i < count; ++i) {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        inet_pton(AF_INET, host.c_str(), &address.sin_addr);
        if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            _exit(1);
        const std::string request = "GET " + path + "events HTTP/1.1\r\nHost: " + host + ":"
            + std::to_string(port) + "\r\n\r\n";
        if (::write(s, request.data(), request.size()) < 0)
            _exit(1);
        sockets.push_back({ s, POLLIN, 0 });
    }
    std::vector<std::map<int, double>> heard(sockets.size());
    std::vector<std::string> pending(sockets.size());
    std::size_t open = sockets.size();
    while (open > 0 && ::poll(sockets.data(), sockets.size(), 20000) > 0) {
        const double at = nowMs();
        for (std::size_t i = 0; i < sockets.size(); ++i) {
            if (!(sockets[i].revents & (POLLIN | POLLHUP)))
                continue;
            char buffer[65536];
            const ssize_t got = ::read(sockets[i].fd, buffer, sizeof buffer);
            if (got <= 0) {
                ::close(sockets[i].fd);
                sockets[i].fd = -1;
                --open;
                continue;
            }
            pending[i].append(buffer, static_cast<std::size_t>(got));
            const std::size_t end = pending[i].rfind("\n\n");
            if (end == std::string::npos)
                continue;
            for (const int seconds : figures(pending[i].substr(0, end)))
                heard[i].emplace(seconds, at);
            pending[i].erase(0, end + 2);
        }
    }
    std::string out;
    if (!heard.empty())
        for (const auto& [seconds, at] : heard.front()) {
            double last = at;
            for (const auto& device : heard)
                if (const auto found = device.find(seconds); found != device.end())
                    last = std::max(last, found->second);
            out += std::to_string(seconds) + " " + std::to_string(last) + "\n";
        }
    if (::write(pipe, out.data(), out.size()) < 0)
        _exit(1);
    _exit(0);
}

struct Run
{
    double cpuMsPerMinute;
    std::vector<double> delaysMs;
};

// Views one intervalMs apart for views views, with count devices watching.
Run run(int count, int views, int intervalMs)
{
    ShareServer server;
    const ShareStart started = server.start("127.0.0.1");
    if (!started.started)
        std::exit(1);
    const std::string url = server.url();
    const std::string path = url.substr(url.find('/', 7));
    int fds[2];
    if (::pipe(fds) != 0)
        std::exit(1);
    const pid_t child = count > 0 ? ::fork() : 1;
    if (child == 0) {
        ::close(fds[0]);
        devices(count, "127.0.0.1", started.port, path, fds[1]);
    }
    ::close(fds[1]);
    while (server.deviceCount() < count)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    std::map<int, double> published;
    const double cpuBefore = cpuMs();
    const auto start = Clock::now();
    for (int i = 1; i <= views; ++i) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(i * intervalMs));
        published[i] = nowMs();
        server.publish(sharedView(i, {}, false));
    }
    const double cpu = cpuMs() - cpuBefore;
    const double minutes = views * intervalMs / 60000.0;
    server.stop();

    Run result { cpu / minutes, {} };
    if (count > 0) {
        std::string text;
        char buffer[4096];
        for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(got));
        ::waitpid(child, nullptr, 0);
        int seconds = 0;
        double at = 0;
        for (const char* line = text.c_str(); std::sscanf(line, "%d %lf", &seconds, &at) == 2;) {
            if (const auto sent = published.find(seconds); sent != published.end())
                result.delaysMs.push_back(at - sent->second);
            line = std::strchr(line, '\n');
            if (!line)
                break;
            ++line;
        }
    }
    ::close(fds[0]);
    return result;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    JsonObject out;
    for (const int count : { 0, 1, 16 }) {
        const Run cost = run(count, seconds, 1000);
        out.add(("cpu_ms_per_min_" + std::to_string(count)).c_str(), cost.cpuMsPerMinute);
        if (count == 0)
            continue;
        const Run delay = run(count, 400, 25);
        out.add(("delay_p50_ms_" + std::to_string(count)).c_str(), percentile(delay.delaysMs, 0.5));
        out.add(
            ("delay_p99_ms_" + std::to_string(count)).c_str(), percentile(delay.delaysMs, 0.99));
        out.add(("delay_samples_" + std::to_string(count)).c_str(),
            static_cast<int>(delay.delaysMs.size()));
    }
    std::printf("%s\n", out.text().c_str());
    return 0;
}
