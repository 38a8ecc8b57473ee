// SPDX-License-Identifier: MIT
// catalogue.cpp - the twenty formats as JSON for the web page, from the
// command's own catalogue: each format's label and column names.
#include "format_catalogue.h"

#include <emscripten.h>

#include <string>

namespace {

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string catalogueJson() {
    std::string json = "[";
    for (const ptx::Format &format : ptx::kCatalogue) {
        json += json.size() > 1 ? ",{\"label\":" : "{\"label\":";
        json += quoted(format.label) + ",\"columns\":[";
        for (const ptx::Column &column : format.columns)
            json += (json.back() == '[' ? "" : ",") + quoted(column.name);
        json += "]}";
    }
    return json + "]";
}

} // namespace

// [{"label": "All", "columns": ["X", ...]}, ...], by format number.
extern "C" EMSCRIPTEN_KEEPALIVE const char *ptxport_catalogue() {
    static const std::string json = catalogueJson();
    return json.c_str();
}
