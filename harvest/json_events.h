#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>

// The browsers' JSON files are read as a stream of events instead of being built into a tree:
// memory stays at the size of the file, deep nesting costs no stack (the library keeps its own
// state), and a cut or damaged file still delivers every event up to the damage, so it is read
// as far as it is sound. Only this header and the readers built on it see the library.

// Deeper nesting ends the reading (the browsers' own reader stops at 200 levels); it bounds the
// memory a reader keeps per level.
const std::size_t kMaxJsonDepth = 512;

// The events that the readers pass over. A reader adds the container, key and string events it
// needs (the library calls them by name, no virtual functions are involved) and may stop the
// parse by returning false from any of them.
struct JsonEventsBase {
    using Json = nlohmann::json;
    bool null() { return true; }
    bool boolean(bool) { return true; }
    bool number_integer(Json::number_integer_t) { return true; }
    bool number_unsigned(Json::number_unsigned_t) { return true; }
    bool number_float(Json::number_float_t, const Json::string_t &) { return true; }
    bool binary(Json::binary_t &) { return true; }
    // Invalid UTF-8, a cut file, a stray byte: stop here, keeping what was delivered before.
    bool parse_error(std::size_t, const std::string &, const nlohmann::detail::exception &) { return false; }
};

// Feeds bytes (UTF-8 JSON, a byte order mark allowed) to events. True when the whole text is
// sound JSON and no event stopped it. The library reports faults to parse_error rather than
// throwing; the catch keeps any exception it might still raise from leaving the reader.
template <typename Events> bool readJsonEvents(const std::string &bytes, Events &events) {
    try {
        return JsonEventsBase::Json::sax_parse(bytes, &events);
    } catch (const nlohmann::json::exception &) {
        return false;
    }
}
