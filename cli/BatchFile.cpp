#include "cli/BatchFile.h"

#include <set>
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

BatchFile ReadLines(std::string_view text) {
    BatchFile batch;
    if (text.find_first_not_of("\r\n") == std::string_view::npos) return batch;
    std::size_t line = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view l = text.substr(0, end);
        if (l.ends_with('\r')) l.remove_suffix(1);
        batch.rows.push_back({++line, std::string(l), {}, std::nullopt});
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return batch;
}

// Collects one design's cells, checking each against its field.
class RowBuilder {
public:
    RowBuilder(const std::string& file, BatchFile& batch) : file_(file), batch_(batch) {}

    // A column or key name: a field, or Output.
    void CheckName(const std::string& name, const std::string& where) const {
        if (name != kOutputColumn && !BannerSettings::FindField(name))
            throw Failure{file_ + where + ": unknown field '" + name + "' (the fields of --set, and Output)"};
    }

    [[noreturn]] void Refuse(const BatchRow& row, const std::string& why) const {
        throw Failure{file_ + " " + Label(batch_.rows.size() + 1, row.line) + ": " + why};
    }

    void Add(BatchRow& row, const std::string& name, std::string value) const {
        if (name == kOutputColumn) {
            row.output = std::move(value);
            batch_.hasOutput = true;
        } else {
            const std::string problem = SetValueProblem(name, value);
            if (!problem.empty()) Refuse(row, name + "=" + value + ": " + problem);
            if (name == "Text") {
                row.text = std::move(value);
            } else {
                row.fields.emplace_back(name, std::move(value));
            }
        }
    }

    static std::string Label(std::size_t number, std::size_t line) {
        return "row " + std::to_string(number) + " (line " + std::to_string(line) + ")";
    }

private:
    const std::string& file_;
    BatchFile& batch_;
};

// CSV as spreadsheets write it: cells separated by ",", records by CRLF or LF, a cell in double
// quotes may hold those and "" for a quote. The first record names the columns; empty lines are
// passed over.
BatchFile ReadCsv(const std::string& file, std::string_view text) {
    BatchFile batch;
    batch.designs = true;
    const RowBuilder builder(file, batch);
    std::vector<std::string> header;
    std::size_t line = 1;
    while (!text.empty()) {
        const std::size_t firstLine = line;
        std::vector<std::string> cells(1);
        bool quoted = false, wasQuoted = false;
        std::size_t i = 0;
        for (; i < text.size(); ++i) {
            const char c = text[i];
            if (quoted) {
                if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                    cells.back() += '"';
                    ++i;
                } else if (c == '"') {
                    quoted = false;
                } else {
                    if (c == '\n') ++line;
                    cells.back() += c;
                }
            } else if (c == '"' && cells.back().empty() && !wasQuoted) {
                quoted = wasQuoted = true;
            } else if (c == ',') {
                cells.emplace_back();
                wasQuoted = false;
            } else if (c == '\n') {
                break;
            } else if (c == '\r' && (i + 1 == text.size() || text[i + 1] == '\n')) {
                // the CR of a CRLF
            } else if (wasQuoted) {
                throw Failure{file + " line " + std::to_string(line) + ": text after a quoted cell"};
            } else {
                cells.back() += c;
            }
        }
        if (quoted) throw Failure{file + " line " + std::to_string(firstLine) + ": a quoted cell is not closed"};
        text.remove_prefix(std::min(text.size(), i + 1));
        ++line;
        if (cells.size() == 1 && cells[0].empty() && !wasQuoted) continue;  // an empty line
        if (header.empty()) {
            std::set<std::string> seen;
            for (const std::string& name : cells) {
                builder.CheckName(name, " header");
                if (!seen.insert(name).second) throw Failure{file + " header: column '" + name + "' appears twice"};
            }
            header = std::move(cells);
            continue;
        }
        BatchRow row{firstLine, std::nullopt, {}, std::nullopt};
        if (cells.size() != header.size())
            builder.Refuse(row, std::to_string(cells.size()) + " cells, the header names " + std::to_string(header.size()));
        for (std::size_t c = 0; c < cells.size(); ++c)
            if (!cells[c].empty()) builder.Add(row, header[c], std::move(cells[c]));
        batch.rows.push_back(std::move(row));
    }
    return batch;
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

BatchFile ReadJsonLines(const std::string& file, std::string_view text) {
    BatchFile batch;
    batch.designs = true;
    const RowBuilder builder(file, batch);
    std::size_t line = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view l = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++line;
        if (l.find_first_not_of(" \t\r") == std::string_view::npos) continue;
        BatchRow row{line, std::nullopt, {}, std::nullopt};
        std::vector<std::pair<std::string, std::optional<std::string>>> members;
        try {
            members = JsonLine(l).Members();
        } catch (const std::runtime_error& e) {
            builder.Refuse(row, e.what());
        }
        std::set<std::string> seen;
        for (auto& [name, value] : members) {
            builder.CheckName(name, " " + RowBuilder::Label(batch.rows.size() + 1, line));
            if (!seen.insert(name).second) builder.Refuse(row, "'" + name + "' appears twice");
            if (value) builder.Add(row, name, std::move(*value));
        }
        batch.rows.push_back(std::move(row));
    }
    return batch;
}

}  // namespace

BatchFile ReadBatchFile(const std::string& name, std::span<const std::uint8_t> bytes, BatchFormat format) {
    const std::string_view text = WithoutByteOrderMark(bytes);
    switch (format) {
        case BatchFormat::Lines: return ReadLines(text);
        case BatchFormat::Csv: return ReadCsv(name, text);
        case BatchFormat::JsonLines: return ReadJsonLines(name, text);
    }
    return {};
}

std::string RowLabel(const BatchFile& batch, std::size_t index) {
    if (!batch.designs) return "line " + std::to_string(batch.rows[index].line);
    return RowBuilder::Label(index + 1, batch.rows[index].line);
}

}  // namespace veskel::cli
