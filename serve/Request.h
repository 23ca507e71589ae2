#pragma once
// The address of a banner request, read without any network code so that it can be fuzzed and
// tested alone:
//   /v1/{design}.{png|gif|jpg|bmp}?Field=Value&...   a design of the folder, edited by the query
//   /v1/r/{record}.{ext}?...                          the 593-byte record itself, in base64url
// The query names fields as veskel-render's --set does; Text is taken as --text followed by
// --reset-position. Every value is checked against the field table before anything is rendered.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "project/Export.h"

namespace veskel::serve {

// An address or a query that cannot be answered: the HTTP status and a one-line reason.
struct RequestProblem {
    int status;
    std::string reason;
};

struct BannerRequest {
    std::string design;                  // the design's name (without .vzk); empty for a record
    std::vector<std::uint8_t> record;    // the 593 bytes of /v1/r/..., empty otherwise
    ExportFormat format = ExportFormat::Png;
    std::string extension;               // as the address gave it: "png", "jpg", ...
    std::optional<std::string> text;     // UTF-8
    std::vector<std::pair<std::string, std::string>> fields;  // sorted by name, each at most once

    bool IsRecord() const { return !record.empty(); }
    // The edits in one fixed form, whatever order and spelling of the query they came from: equal
    // forms render the same banner. Part of the cache key and of the ETag.
    std::string CanonicalQuery() const;
};

// The longest address answered; a longer one gets 414. A record (791 characters) with a text of
// 255 Cyrillic characters, escaped (1530), and every other field fits with room to spare.
inline constexpr std::size_t kMaxTargetBytes = 4096;

// Reads a target that starts with "/v1/". Throws RequestProblem: 400 for a malformed escape, an
// unknown or repeated field, a value its field cannot take or a record that is not 593 bytes
// without a picture; 404 for an extension that is not a picture format this service writes.
BannerRequest ParseBannerTarget(std::string_view target);

// Percent-decoding of one query component ("+" is a space, as forms send it). nullopt for a
// malformed escape.
std::optional<std::string> DecodeComponent(std::string_view text);

// base64url (RFC 4648, "=" padding optional). nullopt for any other character or a bad length.
std::optional<std::vector<std::uint8_t>> DecodeBase64Url(std::string_view text);
std::string EncodeBase64Url(const std::vector<std::uint8_t>& bytes);

}  // namespace veskel::serve
