#include "share/requestfilter.h"

#include <array>

namespace zelvano {

namespace {

    // Compares every byte whatever the first difference, so the time taken tells nothing of the
    // token.
    bool sameSecret(std::string_view given, std::string_view secret)
    {
        if (given.size() != secret.size())
            return false;
        unsigned char difference = 0;
        for (std::size_t i = 0; i < secret.size(); ++i)
            difference |= static_cast<unsigned char>(given[i] ^ secret[i]);
        return difference == 0;
    }

    bool hostAllowed(std::string_view host, const ShareOrigin& origin)
    {
        const std::string port = std::to_string(origin.port);
        if (host.size() <= port.size() || !host.ends_with(port)
            || host[host.size() - port.size() - 1] != ':')
            return false;
        host.remove_suffix(port.size() + 1);
        return host == origin.address || host == "127.0.0.1" || host == "localhost";
    }

} // namespace

ShareRequest classifyRequest(std::string_view method, std::string_view target,
    std::string_view host, const ShareOrigin& origin)
{
    if (method != "GET" || origin.token.empty() || !hostAllowed(host, origin))
        return ShareRequest::refused;
    if (target.size() < origin.token.size() + 2 || target[0] != '/'
        || !sameSecret(target.substr(1, origin.token.size()), origin.token)
        || target[origin.token.size() + 1] != '/')
        return ShareRequest::refused;
    const std::string_view rest = target.substr(origin.token.size() + 2);
    constexpr std::array<std::pair<std::string_view, ShareRequest>, 4> paths { {
        { "", ShareRequest::page },
        { "page.js", ShareRequest::script },
        { "page.css", ShareRequest::style },
        { "events", ShareRequest::events },
    } };
    for (const auto& [path, request] : paths)
        if (rest == path)
            return request;
    return ShareRequest::refused;
}

} // namespace zelvano
