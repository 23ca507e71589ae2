#include "cli/BatchFile.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <stdexcept>
#include <string_view>

#include "banner/BannerSettings.h"
#include "platform/text/CodePage.h"

namespace veskel::cli {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kOutputColumn = "Output";

std::string_view WithoutByteOrderMark(std::span<const std::uint8_t> bytes) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    return text;
}

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// A name from the file as a message shows it: control characters (a NUL among them) as \xNN, so
// that the message stays one readable line.
std::string Shown(std::string_view name) {
    std::string out;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            constexpr char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// A field's or Output's name as the batch file may write it, in any letter case ("color1"), in the
// spelling of --set ("Color1"); nullopt for a name that is neither.
std::optional<std::string> ColumnName(std::string_view written) {
    if (SameLetters(written, kOutputColumn)) return std::string(kOutputColumn);
    for (const FieldInfo& f : BannerSettings::Fields())
        if (SameLetters(written, f.name)) return std::string(f.name);
    return std::nullopt;
}

// A CSV header's separator: of comma, semicolon and tab, the one its first line uses most outside
// quotes (spreadsheets in many locales write semicolons); a comma when it uses none.
char DetectSeparator(std::string_view text) {
    std::size_t counts[3] = {};
    constexpr char kCandidates[3] = {',', ';', '\t'};
    bool quoted = false, header = false;
    for (const char c : text) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\n' && header) break;  // lines before the header are empty
        header = header || (c != '\n' && c != '\r');
        for (int k = 0; k < 3; ++k) counts[k] += c == kCandidates[k];
    }
    int best = 0;
    for (int k = 1; k < 3; ++k)
        if (counts[k] > counts[best]) best = k;
    return kCandidates[best];
}

// One JSON object of plain values per line: strings, whole numbers, true and false (1 and 0);
// null leaves the field as the design has it.
class JsonLine {
public:
    explicit JsonLine(std::string_view text) : text_(text) {}

    // The object's members in their order, with their values as --set reads them (nullopt: null).
    std::vector<std::pair<std::string, std::optional<std::string>>> Members() {
        std::vector<std::pair<std::string, std::optional<std::string>>> members;
        Expect('{');
        if (!Peek('}')) {
            do {
                std::string key = String();
                Expect(':');
                members.emplace_back(std::move(key), Value());
            } while (Take(','));
        }
        Expect('}');
        SkipSpace();
        if (at_ != text_.size()) Fail("text after the object");
        return members;
    }

private:
    [[noreturn]] void Fail(const std::string& why) const {
        throw std::runtime_error(why + " at column " + std::to_string(at_ + 1));
    }
    void SkipSpace() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r')) ++at_;
    }
    bool Peek(char c) {
        SkipSpace();
        return at_ < text_.size() && text_[at_] == c;
    }
    bool Take(char c) {
        if (!Peek(c)) return false;
        ++at_;
        return true;
    }
    void Expect(char c) {
        if (!Take(c)) Fail(std::string("expected '") + c + "'");
    }
    unsigned Hex4() {
        if (at_ + 4 > text_.size()) Fail("a cut \\u escape");
        unsigned v = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text_[at_++];
            v <<= 4;
            if (c >= '0' && c <= '9') v |= unsigned(c - '0');
            else if (c >= 'a' && c <= 'f') v |= unsigned(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') v |= unsigned(c - 'A' + 10);
            else Fail("a bad \\u escape");
        }
        return v;
    }
    std::string String() {
        Expect('"');
        std::string out;
        for (;;) {
            if (at_ >= text_.size()) Fail("a string is not closed");
            const char c = text_[at_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) Fail("a control character in a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) Fail("a string is not closed");
            switch (const char e = text_[at_++]) {
                case '"': case '\\': case '/': out += e; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    unsigned cp = Hex4();
                    if (cp >= 0xD800 && cp < 0xDC00 && text_.substr(at_, 2) == "\\u") {
                        at_ += 2;
                        const unsigned low = Hex4();
                        if (low < 0xDC00 || low > 0xDFFF) Fail("a lone surrogate");
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
                        Fail("a lone surrogate");
                    }
                    out += EncodeUtf8(std::u32string(1, char32_t(cp)));
                    break;
                }
                default: Fail("a bad escape");
            }
        }
    }
    std::optional<std::string> Value() {
        SkipSpace();
        if (Peek('"')) return String();
        for (const auto& [word, value] : {std::pair{"true", "1"}, std::pair{"false", "0"}})
            if (text_.substr(at_).starts_with(word)) {
                at_ += std::string_view(word).size();
                return value;
            }
        if (text_.substr(at_).starts_with("null")) {
            at_ += 4;
            return std::nullopt;
        }
        const std::size_t start = at_;
        if (at_ < text_.size() && text_[at_] == '-') ++at_;
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
        if (at_ == start || (at_ == start + 1 && text_[start] == '-')) Fail("a value must be a string, a whole number, true, false or null");
        if (at_ < text_.size() && (text_[at_] == '.' || text_[at_] == 'e' || text_[at_] == 'E'))
            Fail("a number must be whole");
        return std::string(text_.substr(start, at_ - start));
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

BatchReader::BatchReader(std::string name, std::span<const std::uint8_t> bytes, BatchFormat format)
    : name_(std::move(name)), text_(WithoutByteOrderMark(bytes)), format_(format) {
    if (format_ == BatchFormat::Lines && text_.find_first_not_of("\r\n") == std::string_view::npos) text_ = {};
    if (format_ != BatchFormat::Csv) return;
    separator_ = DetectSeparator(text_);
    std::vector<std::string> cells;
    std::size_t firstLine = 0;
    if (!CsvRecord(cells, firstLine)) return;
    std::set<std::string> seen;
    for (const std::string& written : cells) {
        const std::optional<std::string> column = ColumnName(written);
        if (!column)
            throw Failure{name_ + " header: unknown field '" + Shown(written) + "' (the fields of --set, and Output)"};
        if (!seen.insert(*column).second) throw Failure{name_ + " header: column '" + *column + "' appears twice"};
        header_.push_back(*column);
    }
}

std::string BatchReader::Label(std::size_t index, std::size_t line) const {
    if (!Designs()) return "line " + std::to_string(line);
    return "row " + std::to_string(index + 1) + " (line " + std::to_string(line) + ")";
}

void BatchReader::Refuse(const BatchRow& row, const std::string& why) const {
    throw Failure{name_ + " " + Label(rows_, row.line) + ": " + Shown(why)};
}

void BatchReader::Add(BatchRow& row, const std::string& name, std::string value) const {
    if (name == kOutputColumn) {
        row.output = std::move(value);
        return;
    }
    const std::string problem = SetValueProblem(name, value);
    if (!problem.empty()) Refuse(row, name + "=" + value + ": " + problem);
    if (name == "Text") {
        row.text = std::move(value);
    } else {
        row.fields.emplace_back(name, std::move(value));
    }
}

std::optional<BatchRow> BatchReader::Next() {
    std::optional<BatchRow> row;
    switch (format_) {
        case BatchFormat::Lines: row = NextLine(); break;
        case BatchFormat::Csv: row = NextCsvRow(); break;
        case BatchFormat::JsonLines: row = NextJsonRow(); break;
    }
    if (row) ++rows_;
    return row;
}

std::optional<BatchRow> BatchReader::NextLine() {
    if (text_.empty()) return std::nullopt;
    const std::size_t end = text_.find('\n');
    std::string_view l = text_.substr(0, end);
    if (l.ends_with('\r')) l.remove_suffix(1);
    text_.remove_prefix(end == std::string_view::npos ? text_.size() : end + 1);
    return BatchRow{line_++, std::string(l), {}, std::nullopt};
}

// CSV as spreadsheets write it: cells separated by the header's separator, records by CRLF or LF,
// a cell in double quotes may hold those and "" for a quote. Empty lines are passed over.
bool BatchReader::CsvRecord(std::vector<std::string>& cells, std::size_t& firstLine) {
    while (!text_.empty()) {
        firstLine = line_;
        cells.assign(1, std::string());
        bool quoted = false, wasQuoted = false;
        std::size_t i = 0;
        for (; i < text_.size(); ++i) {
            const char c = text_[i];
            if (quoted) {
                if (c == '"' && i + 1 < text_.size() && text_[i + 1] == '"') {
                    cells.back() += '"';
                    ++i;
                } else if (c == '"') {
                    quoted = false;
                } else {
                    if (c == '\n') ++line_;
                    cells.back() += c;
                }
            } else if (c == '"' && cells.back().empty() && !wasQuoted) {
                quoted = wasQuoted = true;
            } else if (c == separator_) {
                cells.emplace_back();
                wasQuoted = false;
            } else if (c == '\n') {
                break;
            } else if (c == '\r' && (i + 1 == text_.size() || text_[i + 1] == '\n')) {
                // the CR of a CRLF
            } else if (wasQuoted) {
                throw Failure{name_ + " line " + std::to_string(line_) + ": text after a quoted cell"};
            } else {
                cells.back() += c;
            }
        }
        if (quoted) throw Failure{name_ + " line " + std::to_string(firstLine) + ": a quoted cell is not closed"};
        text_.remove_prefix(std::min(text_.size(), i + 1));
        ++line_;
        if (cells.size() == 1 && cells[0].empty() && !wasQuoted) continue;  // an empty line
        return true;
    }
    return false;
}

std::optional<BatchRow> BatchReader::NextCsvRow() {
    std::vector<std::string> cells;
    std::size_t firstLine = 0;
    if (!CsvRecord(cells, firstLine)) return std::nullopt;
    BatchRow row{firstLine, std::nullopt, {}, std::nullopt};
    if (cells.size() != header_.size())
        Refuse(row, std::to_string(cells.size()) + " cells, the header names " + std::to_string(header_.size()));
    for (std::size_t c = 0; c < cells.size(); ++c)
        if (!cells[c].empty()) Add(row, header_[c], std::move(cells[c]));
    return row;
}

std::optional<BatchRow> BatchReader::NextJsonRow() {
    while (!text_.empty()) {
        const std::size_t end = text_.find('\n');
        const std::string_view l = text_.substr(0, end);
        text_.remove_prefix(end == std::string_view::npos ? text_.size() : end + 1);
        const std::size_t line = line_++;
        if (l.find_first_not_of(" \t\r") == std::string_view::npos) continue;
        BatchRow row{line, std::nullopt, {}, std::nullopt};
        std::vector<std::pair<std::string, std::optional<std::string>>> members;
        try {
            members = JsonLine(l).Members();
        } catch (const std::runtime_error& e) {
            Refuse(row, e.what());
        }
        std::set<std::string> seen;
        for (auto& [written, value] : members) {
            const std::optional<std::string> name = ColumnName(written);
            if (!name)
                throw Failure{name_ + " " + Label(rows_, line) + ": unknown field '" + Shown(written) +
                              "' (the fields of --set, and Output)"};
            if (!seen.insert(*name).second) Refuse(row, "'" + *name + "' appears twice");
            if (value) Add(row, *name, std::move(*value));
        }
        return row;
    }
    return std::nullopt;
}

}  // namespace veskel::cli
