#pragma once

#include <cmath>
#include <cstdio>
#include <string>

// The little JSON the benchmark programs hand to bench/run-benchmarks: objects of numbers,
// strings and arrays, written in the order added.
class JsonArray;

class JsonObject
{
public:
    void add(const char* key, double value) { addRaw(key, number(value)); }
    void add(const char* key, int value) { addRaw(key, std::to_string(value)); }
    void add(const char* key, const std::string& value) { addRaw(key, quoted(value)); }
    void add(const char* key, const JsonArray& value);
    void add(const char* key, const JsonObject& value) { addRaw(key, value.text()); }
    std::string text() const { return "{" + m_body + "}"; }

    static std::string number(double value)
    {
        if (!std::isfinite(value))
            return "null";
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.6g", value);
        return buffer;
    }

    // Keys and values here are plain ASCII without control characters.
    static std::string quoted(const std::string& text)
    {
        std::string out = "\"";
        for (const char c : text) {
            if (c == '"' || c == '\\')
                out += '\\';
            out += c;
        }
        return out + "\"";
    }

private:
    void addRaw(const char* key, const std::string& value)
    {
        if (!m_body.empty())
            m_body += ", ";
        m_body += quoted(key) + ": " + value;
    }

    std::string m_body;
};

class JsonArray
{
public:
    void add(double value) { addRaw(JsonObject::number(value)); }
    void add(const JsonObject& value) { addRaw(value.text()); }
    std::string text() const { return "[" + m_body + "]"; }

private:
    void addRaw(const std::string& value)
    {
        if (!m_body.empty())
            m_body += ", ";
        m_body += value;
    }

    std::string m_body;
};

inline void JsonObject::add(const char* key, const JsonArray& value) { addRaw(key, value.text()); }
