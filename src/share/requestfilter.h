#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelvano {

// Where the page is served: the address shown in the sharing window, its port, and the random
// token every path starts with ("/<token>/").
struct ShareOrigin
{
    std::string address;
    std::uint16_t port = 0;
    std::string token;
};

// The only requests the server answers. Everything else is refused alike, whatever was wrong
// with it, so that nothing tells a stranger what listens here.
enum class ShareRequest {
    page, // GET /<token>/
    script, // GET /<token>/page.js
    style, // GET /<token>/page.css
    events, // GET /<token>/events: the update stream
    refused,
};

// The Host header must name the address shown or loopback, with the port, so a page of another
// site whose name was made to resolve to this machine cannot read it (DNS rebinding).
ShareRequest classifyRequest(std::string_view method, std::string_view target,
    std::string_view host, const ShareOrigin& origin);

} // namespace zelvano
