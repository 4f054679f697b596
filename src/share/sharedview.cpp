#include "share/sharedview.h"

#include <cstdio>

namespace zelvano {

namespace {

    void appendJsonString(std::string& out, const std::string& text)
    {
        out += '"';
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (byte < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                out += escaped;
            } else {
                out += c;
            }
        }
        out += '"';
    }

    std::string cssColour(Rgb colour)
    {
        char text[8];
        std::snprintf(text, sizeof text, "#%02X%02X%02X", colour.red, colour.green, colour.blue);
        return text;
    }

    void appendField(std::string& out, const char* name, const std::string& value)
    {
        out += '"';
        out += name;
        out += "\":";
        appendJsonString(out, value);
    }

    void appendContent(std::string& out, const LecternContent& content)
    {
        out += '{';
        appendField(out, "figure", content.figure);
        out += ',';
        appendField(out, "marks", content.marksAndGap());
        out += ',';
        appendField(out, "caption", content.caption);
        out += ',';
        appendField(out, "figureColour", cssColour(content.figureColour));
        out += ',';
        appendField(out, "captionColour", cssColour(content.captionColour));
        out += ',';
        appendField(out, "background", cssColour(content.background));
        out += '}';
    }

} // namespace

SharedView sharedView(std::int32_t seconds, const BellSettings& settings, bool remainingLarge)
{
    return { lecternContent(seconds, settings, { true, remainingLarge }),
        lecternContent(seconds, settings, { true, !remainingLarge }) };
}

std::string sharedViewJson(const SharedView& view)
{
    std::string out = "{\"chosen\":";
    appendContent(out, view.chosen);
    out += ",\"swapped\":";
    appendContent(out, view.swapped);
    out += ',';
    appendField(out, "description", view.chosen.description);
    out += '}';
    return out;
}

} // namespace zelvano
