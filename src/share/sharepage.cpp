#include "share/sharepage.h"

#include "core/texts.h"

namespace zelvano {

namespace {

    std::string escapedHtml(const char* text)
    {
        std::string out;
        for (const char* c = text; *c; ++c) {
            switch (*c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += *c;
            }
        }
        return out;
    }

    std::string documentHead()
    {
        return "<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"utf-8\">\n"
               "<meta name=\"viewport\" "
               "content=\"width=device-width,initial-scale=1,viewport-fit=cover\">\n"
               "<meta name=\"color-scheme\" content=\"dark\">\n<title>"
            + escapedHtml(texts::sharePageTitle)
            + "</title>\n<link rel=\"stylesheet\" href=\"page.css\">\n";
    }

} // namespace

const std::string& sharePageHtml()
{
    static const std::string html = documentHead()
        + "<script src=\"page.js\" defer></script>\n</head><body>\n"
          "<main id=\"face\">\n<div id=\"figure\"></div>\n"
          "<div id=\"caption\"><span id=\"marks\"></span><span id=\"text\"></span></div>\n"
          "<div id=\"lost\" hidden>"
        + escapedHtml(texts::shareConnectionLost) + "</div>\n</main>\n<p id=\"hint\">"
        + escapedHtml(texts::shareTapHint) + "</p>\n<button id=\"fullscreen\" type=\"button\">"
        + escapedHtml(texts::shareFullscreenButton) + "</button>\n</body></html>\n";
    return html;
}

const std::string& shareFullHtml()
{
    static const std::string html = documentHead() + "</head><body>\n<p id=\"full\">"
        + escapedHtml(texts::shareTooManyDevices) + "</p>\n</body></html>\n";
    return html;
}

// The page keeps one update stream open. Each message is the whole view; the program sends one
// at every change and at least one every 1.5 s, so a page that has heard nothing for 2.5 s has
// lost the program: it greys the time, says so, and opens the stream anew until it hears again,
// which also covers a phone waking from sleep or a network that came back. Nothing runs between
// messages but a check once a second, and the page is repainted only when what it shows changes.
const std::string& sharePageScript()
{
    static const std::string script = R"js("use strict";
(function () {
    const face = document.getElementById("face");
    const figure = document.getElementById("figure");
    const marks = document.getElementById("marks");
    const text = document.getElementById("text");
    const lost = document.getElementById("lost");
    const fullscreen = document.getElementById("fullscreen");
    const silenceMs = 2500;
    let latest = null;
    let swapped = false;
    let heardAt = 0;
    let connectedAt = 0;
    let source = null;
    let painted = "";

    function isLost() {
        return Date.now() - heardAt > silenceMs;
    }

    function paint() {
        const view = latest === null ? null : (swapped ? latest.swapped : latest.chosen);
        const key = JSON.stringify(view) + isLost();
        if (key === painted)
            return;
        painted = key;
        lost.hidden = !isLost();
        face.classList.toggle("lost", isLost());
        if (view === null)
            return;
        document.body.style.backgroundColor = view.background;
        figure.textContent = view.figure;
        figure.style.color = view.figureColour;
        marks.textContent = view.marks;
        marks.style.color = view.figureColour;
        text.textContent = view.caption;
        text.style.color = view.captionColour;
        lost.style.color = view.captionColour;
        face.title = latest.description;
    }

    function connect() {
        if (source !== null)
            source.close();
        connectedAt = Date.now();
        source = new EventSource("events");
        source.onmessage = function (event) {
            latest = JSON.parse(event.data);
            heardAt = Date.now();
            paint();
        };
        source.onerror = function () {
            heardAt = 0;
            paint();
        };
    }

    function check() {
        paint();
        const stuck = source === null || source.readyState === EventSource.CLOSED || isLost();
        if (stuck && Date.now() - connectedAt > 3000)
            connect();
    }

    function keepScreenOn() {
        if (navigator.wakeLock && document.visibilityState === "visible")
            navigator.wakeLock.request("screen").catch(function () {});
    }

    face.addEventListener("click", function () {
        swapped = !swapped;
        paint();
    });
    const root = document.documentElement;
    const enterFullscreen = root.requestFullscreen || root.webkitRequestFullscreen;
    if (enterFullscreen)
        fullscreen.addEventListener("click", function () {
            const asked = enterFullscreen.call(root);
            if (asked && asked.catch)
                asked.catch(function () {});
        });
    else
        fullscreen.hidden = true;
    document.addEventListener("visibilitychange", function () {
        if (document.visibilityState !== "visible")
            return;
        keepScreenOn();
        if (isLost())
            connect();
    });
    keepScreenOn();
    connect();
    setInterval(check, 1000);
})();
)js";
    return script;
}

// Sized to the screen, not to pixels, so a phone held either way and a tablet all show the time as
// large as it fits, with nothing to scroll.
const std::string& sharePageStyle()
{
    static const std::string style = R"css(html, body { margin: 0; height: 100%; overflow: hidden; }
body { background: #000; color: #F2F2F2; font-family: sans-serif; -webkit-user-select: none;
    user-select: none; touch-action: manipulation; }
#face { display: flex; flex-direction: column; align-items: center; justify-content: center;
    height: 100%; cursor: pointer; }
#figure { font-size: min(30vw, 52vh); line-height: 1; font-weight: bold; white-space: nowrap;
    font-variant-numeric: tabular-nums; }
#caption { font-size: min(5.5vw, 9vh); margin-top: 0.4em; white-space: nowrap; }
#lost { font-size: min(7vw, 10vh); margin-top: 0.4em; }
.lost #figure, .lost #caption { opacity: 0.3; }
#hint { position: fixed; left: 0.8em; bottom: 0.6em; margin: 0; font-size: min(3vw, 3vh);
    color: #777; }
#fullscreen { position: fixed; right: 0.6em; bottom: 0.5em; font-size: min(4vw, 4vh);
    background: transparent; color: #999; border: 1px solid #555; border-radius: 0.3em;
    padding: 0.3em 0.7em; }
#full { margin: 1em; font-size: min(6vw, 6vh); }
[hidden] { display: none !important; }
)css";
    return style;
}

} // namespace zelvano
