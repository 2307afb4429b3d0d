#include "model/Snapshot.h"

#include "model/Saturating.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

using nlohmann::json;

namespace {

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The canonical 8-4-4-4-12 form, either letter case.
std::optional<QUuid> parseUuid(const std::string& text) {
    if (text.size() != 36) return std::nullopt;
    for (size_t i = 0; i < text.size(); ++i) {
        bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphen ? text[i] != '-' : !isHex(text[i])) return std::nullopt;
    }
    return QUuid::fromString(QLatin1StringView(text.data(), static_cast<qsizetype>(text.size())));
}

std::optional<QUuid> parseUuid(const json& value) {
    if (!value.is_string()) return std::nullopt;
    return parseUuid(value.get_ref<const std::string&>());
}

// Whole numbers written with a fraction part still count; anything else does not fit.
std::optional<int64_t> wholeNumber(double d) {
    if (!std::isfinite(d) || d != std::floor(d) || d < -9.2e18 || d > 9.2e18) return std::nullopt;
    return static_cast<int64_t>(d);
}

std::optional<int64_t> parseInteger(const json& value) {
    if (value.is_number_integer() && !value.is_number_unsigned()) return value.get<int64_t>();
    if (value.is_number_unsigned()) {
        auto u = value.get<uint64_t>();
        if (u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return std::nullopt;
        return static_cast<int64_t>(u);
    }
    if (value.is_number_float()) return wholeNumber(value.get<double>());
    return std::nullopt;
}

std::optional<double> parseDate(const json& value) {
    if (!value.is_number()) return std::nullopt;
    double d = value.get<double>();
    if (!std::isfinite(d)) return std::nullopt;
    return d;
}

const json* member(const json& object, const char* key) {
    auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

std::optional<Snapshot> snapshotFromJson(const json& j) {
    if (!j.is_object()) return std::nullopt;
    const json* id = member(j, "id");
    const json* rootPath = member(j, "rootPath");
    const json* takenAt = member(j, "takenAt");
    const json* folderSizes = member(j, "folderSizes");
    if (!id || !rootPath || !takenAt || !folderSizes) return std::nullopt;
    Snapshot s;
    auto uuid = parseUuid(*id);
    auto date = parseDate(*takenAt);
    if (!uuid || !date || !rootPath->is_string() || !folderSizes->is_object()) return std::nullopt;
    s.id = *uuid;
    s.takenAt = *date;
    s.rootPath = rootPath->get<std::string>();
    // The object's members come in key order: each one goes at the end, without a search.
    for (const auto& [path, bytes] : folderSizes->items()) {
        auto n = parseInteger(bytes);
        if (!n) return std::nullopt;
        s.folderSizes.emplace_hint(s.folderSizes.end(), path, *n);
    }
    return s;
}

std::optional<Snapshot::Summary> summaryFromJson(const json& j) {
    if (!j.is_object()) return std::nullopt;
    const json* id = member(j, "id");
    const json* rootPath = member(j, "rootPath");
    const json* takenAt = member(j, "takenAt");
    const json* totalSize = member(j, "totalSize");
    const json* folderCount = member(j, "folderCount");
    if (!id || !rootPath || !takenAt || !totalSize || !folderCount || !rootPath->is_string())
        return std::nullopt;
    auto uuid = parseUuid(*id);
    auto date = parseDate(*takenAt);
    auto total = parseInteger(*totalSize);
    auto count = parseInteger(*folderCount);
    if (!uuid || !date || !total || !count) return std::nullopt;
    return Snapshot::Summary{*uuid, rootPath->get<std::string>(), *date, *total, *count};
}

json summaryToJson(const Snapshot::Summary& s) {
    return json{{"id", Snapshot::uuidText(s.id)},
                {"rootPath", s.rootPath},
                {"takenAt", s.takenAt},
                {"totalSize", s.totalSize},
                {"folderCount", s.folderCount}};
}

// Paths are raw bytes; JSON text must be UTF-8, so bytes that are not become replacement characters.
std::string dump(const json& j) {
    return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

json parse(std::string_view text) {
    return json::parse(text.begin(), text.end(), nullptr, false);
}

// A JSON array whose every element decodes; one element that does not fails the whole list.
template <typename Decode>
auto decodeArray(std::string_view text, Decode decode)
    -> std::optional<std::vector<typename decltype(decode(json()))::value_type>> {
    json j = parse(text);
    if (!j.is_array()) return std::nullopt;
    std::vector<typename decltype(decode(json()))::value_type> list;
    for (const json& element : j) {
        auto item = decode(element);
        if (!item) return std::nullopt;
        list.push_back(std::move(*item));
    }
    return list;
}

// The length of the well-formed UTF-8 sequence at `i` (no overlong forms, surrogates or code points
// past U+10FFFF, as JSON requires), or 0.
size_t sequenceLength(std::string_view s, size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) return 1;
    size_t n = 0;
    uint32_t code = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        code = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        code = (code << 6) | (b & 0x3F);
    }
    if (n == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) return 0;
    if (n == 4 && (code < 0x10000 || code > 0x10FFFF)) return 0;
    return n;
}

// `text` with each byte that is not part of a well-formed sequence replaced by U+FFFD.
std::string validUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t n = sequenceLength(text, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

// Reads one snapshot object straight from the text, without building a document first: a snapshot
// of a large tree holds tens of thousands of folders. It accepts exactly what snapshotFromJson accepts
// of a parsed document: every key required, unknown keys (of any shape) ignored, a repeated key's last
// value kept.
class SnapshotReader : public nlohmann::json_sax<json> {
  public:
    std::optional<Snapshot> result() {
        if (!finished_ || !id_ || !rootPath_ || !takenAt_ || !sizesSeen_) return std::nullopt;
        auto uuid = parseUuid(*id_);
        if (!uuid) return std::nullopt;
        return Snapshot{*uuid, std::move(*rootPath_), *takenAt_, std::move(sizes_)};
    }

    bool null() override { return scalar(); }
    bool boolean(bool) override { return scalar(); }
    bool number_integer(number_integer_t n) override { return number(n, double(n)); }
    bool number_unsigned(number_unsigned_t n) override {
        return number(n > uint64_t(INT64_MAX) ? std::nullopt : std::optional(int64_t(n)), double(n));
    }
    bool number_float(number_float_t d, const string_t&) override { return number(wholeNumber(d), d); }
    bool string(string_t& text) override {
        if (depth_ == 2 && inSizes_) return false;
        if (depth_ == 1) {
            if (key_ == "id")
                id_ = std::move(text);
            else if (key_ == "rootPath")
                rootPath_ = std::move(text);
            else
                return scalar();
            return true;
        }
        return true;
    }
    bool binary(binary_t&) override { return false; }
    bool start_object(std::size_t) override {
        if (depth_ == 0) {
            depth_ = 1;
            return true;
        }
        if (depth_ == 2 && inSizes_) return false;
        if (depth_ == 1 && key_ == "folderSizes") {
            sizes_.clear(); // a repeated key: the last one holds
            sizesSeen_ = true;
            inSizes_ = true;
        } else if (depth_ == 1) {
            forget();
        }
        ++depth_;
        return true;
    }
    bool key(string_t& name) override {
        if (depth_ == 1)
            key_ = std::move(name);
        else if (depth_ == 2 && inSizes_)
            path_ = std::move(name);
        return true;
    }
    bool end_object() override {
        if (--depth_ == 1) inSizes_ = false;
        if (depth_ == 0) finished_ = true;
        return true;
    }
    bool start_array(std::size_t) override {
        if (depth_ == 0 || (depth_ == 2 && inSizes_)) return false;
        if (depth_ == 1) forget();
        ++depth_;
        return true;
    }
    bool end_array() override {
        --depth_;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

  private:
    // A top-level key given a value of no use to it.
    void forget() {
        if (key_ == "id")
            id_.reset();
        else if (key_ == "rootPath")
            rootPath_.reset();
        else if (key_ == "takenAt")
            takenAt_.reset();
        else if (key_ == "folderSizes")
            sizesSeen_ = false;
    }
    bool scalar() {
        if (depth_ == 0 || (depth_ == 2 && inSizes_)) return false;
        if (depth_ == 1) forget();
        return true;
    }
    bool number(std::optional<int64_t> whole, double value) {
        if (depth_ == 0) return false;
        if (depth_ == 2 && inSizes_) {
            if (!whole) return false;
            sizes_.insert_or_assign(sizes_.end(), std::move(path_), *whole);
            return true;
        }
        if (depth_ == 1) {
            forget();
            if (key_ == "takenAt" && std::isfinite(value)) takenAt_ = value;
        }
        return true;
    }

    int depth_ = 0;
    bool inSizes_ = false, sizesSeen_ = false, finished_ = false;
    std::string key_, path_;
    std::optional<std::string> id_, rootPath_;
    std::optional<double> takenAt_;
    std::map<std::string, int64_t> sizes_;
};

uint64_t magnitude(int64_t before, int64_t after) {
    return after >= before ? static_cast<uint64_t>(after) - static_cast<uint64_t>(before)
                           : static_cast<uint64_t>(before) - static_cast<uint64_t>(after);
}

} // namespace

std::string Snapshot::uuidText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper().toStdString();
}

Snapshot Snapshot::written() const {
    Snapshot copy{id, validUtf8(rootPath), takenAt, {}};
    for (const auto& [path, bytes] : folderSizes) {
        auto [it, inserted] = copy.folderSizes.try_emplace(validUtf8(path), bytes);
        if (!inserted) it->second = saturating::add(it->second, bytes);
    }
    return copy;
}

Snapshot::Summary Snapshot::summary() const {
    auto root = folderSizes.find(rootPath);
    return Summary{id, rootPath, takenAt, root == folderSizes.end() ? 0 : root->second,
                   static_cast<int64_t>(folderSizes.size())};
}

std::vector<Snapshot::Delta> Snapshot::deltas(const Snapshot& earlier, const Snapshot& later) {
    std::vector<Delta> result;
    // Both maps are in path order: one walk through the two side by side finds every difference.
    auto e = earlier.folderSizes.begin(), l = later.folderSizes.begin();
    const auto eEnd = earlier.folderSizes.end(), lEnd = later.folderSizes.end();
    while (e != eEnd || l != lEnd) {
        const int order = e == eEnd ? 1 : l == lEnd ? -1 : e->first.compare(l->first);
        if (order < 0) {
            result.push_back({e->first, e->second, 0}); // gone
            ++e;
        } else if (order > 0) {
            if (l->second != 0) result.push_back({l->first, 0, l->second}); // new
            ++l;
        } else {
            if (e->second != l->second) result.push_back({l->first, e->second, l->second});
            ++e;
            ++l;
        }
    }
    std::sort(result.begin(), result.end(), [](const Delta& a, const Delta& b) {
        uint64_t ma = magnitude(a.before, a.after), mb = magnitude(b.before, b.after);
        return ma != mb ? ma > mb : a.path < b.path;
    });
    return result;
}

std::string Snapshot::encode() const {
    json sizes = json::object();
    for (const auto& [path, bytes] : folderSizes)
        sizes[path] = bytes;
    json j{{"id", uuidText(id)},
           {"rootPath", rootPath},
           {"takenAt", takenAt},
           {"folderSizes", std::move(sizes)}};
    return dump(j);
}

std::optional<Snapshot> Snapshot::decode(std::string_view text) {
    SnapshotReader reader;
    if (!json::sax_parse(text.begin(), text.end(), &reader)) return std::nullopt;
    return reader.result();
}

std::optional<std::vector<Snapshot>> Snapshot::decodeList(std::string_view text) {
    return decodeArray(text, snapshotFromJson);
}

std::string Snapshot::encodeSummaries(const std::vector<Summary>& summaries) {
    json array = json::array();
    for (const Summary& s : summaries)
        array.push_back(summaryToJson(s));
    return dump(array);
}

std::optional<std::vector<Snapshot::Summary>> Snapshot::decodeSummaries(std::string_view text) {
    return decodeArray(text, summaryFromJson);
}
