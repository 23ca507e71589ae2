#include "serve/Request.h"

#include <algorithm>

#include "banner/BannerSettings.h"
#include "cli/DesignEdit.h"

namespace veskel::serve {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int Base64UrlDigit(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '-') return 62;
    if (c == '_') return 63;
    return -1;
}

constexpr char kBase64UrlAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// The formats this service writes, by the extension the address ends in.
std::optional<ExportFormat> FormatOf(std::string_view extension) {
    if (extension == "png") return ExportFormat::Png;
    if (extension == "jpg" || extension == "jpeg") return ExportFormat::Jpeg;
    if (extension == "gif") return ExportFormat::Gif;
    if (extension == "bmp") return ExportFormat::Bmp;
    return std::nullopt;
}

// Only what a file name in the designs' folder can hold ends up compared with the listing; the
// name is never joined to a path.
bool PlausibleName(std::string_view name) {
    if (name.empty() || name.size() > 255 || name[0] == '.') return false;
    return std::all_of(name.begin(), name.end(), [](char c) { return c != '/' && c != '\0'; });
}

// Values quoted in reasons are cut short and kept on one line.
std::string Quoted(std::string_view text) {
    std::string out;
    for (char c : text.substr(0, 64)) out += (c == '\r' || c == '\n') ? ' ' : c;
    if (text.size() > 64) out += "...";
    return "'" + out + "'";
}

void ReadQuery(std::string_view query, BannerRequest& r) {
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        if (pair.empty()) continue;
        const std::size_t eq = pair.find('=');
        const std::optional<std::string> name = DecodeComponent(pair.substr(0, eq));
        if (!name) throw RequestProblem{400, "malformed escape in the query"};
        if (eq == std::string_view::npos) throw RequestProblem{400, "field " + Quoted(*name) + " has no value"};
        const std::optional<std::string> value = DecodeComponent(pair.substr(eq + 1));
        if (!value) throw RequestProblem{400, "malformed escape in the value of " + Quoted(*name)};
        const bool repeated = *name == "Text" ? r.text.has_value()
                                              : std::any_of(r.fields.begin(), r.fields.end(),
                                                            [&](const auto& f) { return f.first == *name; });
        if (repeated) throw RequestProblem{400, "field " + Quoted(*name) + " is given twice"};
        if (const std::string problem = cli::SetValueProblem(*name, *value); !problem.empty())
            throw RequestProblem{400, problem};
        if (*name == "Text")
            r.text = *value;
        else
            r.fields.emplace_back(*name, *value);
    }
    std::sort(r.fields.begin(), r.fields.end());
}

}  // namespace

std::optional<std::string> DecodeComponent(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] != '%') {
            out += text[i];
        } else {
            if (i + 2 >= text.size()) return std::nullopt;
            const int hi = HexDigit(text[i + 1]), lo = HexDigit(text[i + 2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            out += char(hi * 16 + lo);
            i += 2;
        }
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> DecodeBase64Url(std::string_view text) {
    while (!text.empty() && text.back() == '=') text.remove_suffix(1);
    if (text.size() % 4 == 1) return std::nullopt;
    std::vector<std::uint8_t> out;
    out.reserve(text.size() * 3 / 4);
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const int d = Base64UrlDigit(c);
        if (d < 0) return std::nullopt;
        bits = (bits << 6) | std::uint32_t(d);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(std::uint8_t(bits >> count));
        }
    }
    return out;
}

std::string EncodeBase64Url(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    std::uint32_t bits = 0;
    int count = 0;
    for (std::uint8_t b : bytes) {
        bits = (bits << 8) | b;
        count += 8;
        while (count >= 6) {
            count -= 6;
            out += kBase64UrlAlphabet[(bits >> count) & 63];
        }
    }
    if (count > 0) out += kBase64UrlAlphabet[(bits << (6 - count)) & 63];
    return out;
}

std::string BannerRequest::CanonicalQuery() const {
    // Lengths before values, so that no value can pose as a separator.
    std::string out;
    if (text) out += "Text:" + std::to_string(text->size()) + ":" + *text;
    for (const auto& [name, value] : fields) out += "&" + name + ":" + std::to_string(value.size()) + ":" + value;
    return out;
}

namespace {

BannerRequest Parse(std::string_view target) {
    if (target.size() > kMaxTargetBytes) throw RequestProblem{414, "the address is longer than 4096 bytes"};
    const std::size_t question = target.find('?');
    std::string_view path = target.substr(0, question);
    const std::string_view query = question == std::string_view::npos ? std::string_view() : target.substr(question + 1);
    constexpr std::string_view kPrefix = "/v1/", kRecordPrefix = "/v1/r/";
    if (path.substr(0, kPrefix.size()) != kPrefix) throw RequestProblem{404, "no such address"};

    BannerRequest r;
    const bool isRecord = path.substr(0, kRecordPrefix.size()) == kRecordPrefix;
    const std::optional<std::string> file = DecodeComponent(path.substr(isRecord ? kRecordPrefix.size() : kPrefix.size()));
    if (!file) throw RequestProblem{400, "malformed escape in the address"};
    const std::size_t dot = file->rfind('.');
    if (dot == std::string::npos) throw RequestProblem{404, "the address names no picture format (.png, .gif, .jpg, .bmp)"};
    r.extension = file->substr(dot + 1);
    const std::optional<ExportFormat> format = FormatOf(r.extension);
    if (!format) throw RequestProblem{404, "no picture format " + Quoted(r.extension) + ": .png, .gif, .jpg or .bmp"};
    r.format = *format;
    const std::string name = file->substr(0, dot);
    if (isRecord) {
        std::optional<std::vector<std::uint8_t>> record = DecodeBase64Url(name);
        if (!record) throw RequestProblem{400, "the record is not base64url"};
        if (record->size() != BannerSettings::kSize)
            throw RequestProblem{400, "the record is " + std::to_string(record->size()) + " bytes, not 593"};
        const BannerSettings settings = BannerSettings::FromBytes([&] {
            BannerSettings::Bytes bytes{};
            std::copy(record->begin(), record->end(), bytes.begin());
            return bytes;
        }());
        if (settings.PictureSize() != 0) throw RequestProblem{400, "a record in the address carries no picture: PictureSize must be 0"};
        r.record = std::move(*record);
    } else {
        if (!PlausibleName(name)) throw RequestProblem{404, "no design " + Quoted(name)};
        r.design = name;
    }
    ReadQuery(query, r);
    return r;
}

}  // namespace

BannerRequest ParseBannerTarget(std::string_view target) {
    try {
        return Parse(target);
    } catch (RequestProblem& p) {
        // A reason quotes what the client sent: it is kept on one line.
        std::replace_if(p.reason.begin(), p.reason.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        throw;
    }
}

}  // namespace veskel::serve
