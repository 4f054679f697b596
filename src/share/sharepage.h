#pragma once

#include <string>

namespace zelvano {

// The page the phones are sent, built into the program with its texts from the program's own:
// the document, its script and its style, each served from the token's folder so that a policy
// allowing nothing but this origin's own files covers them. The script repaints only when the
// time it was sent changes, and checks once a second that the program is still heard from.
const std::string& sharePageHtml();
const std::string& sharePageScript();
const std::string& sharePageStyle();
// What a device is sent instead of the page while as many devices as allowed are watching.
const std::string& shareFullHtml();

} // namespace zelvano
