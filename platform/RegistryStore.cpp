#include "platform/RegistryStore.h"

#include <cctype>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Files.h"
#include "platform/Folders.h"

namespace {

constexpr size_t kMaxRegistryBytes = 4u * 1024u * 1024u;
constexpr int kMaxNesting = 64;

// A value we keep as its JSON text; only the two levels key -> value are taken apart.
struct RegistryKey {
    std::string name;
    bool isObject = false;
    std::string raw;  // the whole member when it is not an object
    std::vector<std::pair<std::string, std::string>> values;  // name -> JSON text
};

struct RegistryDocument {
    std::vector<RegistryKey> keys;
};

// Minimal JSON reader: enough to split the document and to skip anything else intact.
class Scanner {
public:
    explicit Scanner(const std::string& text) : s_(text) {}

    bool ParseDocument(RegistryDocument& doc) {
        SkipSpace();
        if (!Eat('{')) return false;
        SkipSpace();
        if (Eat('}')) return AtEnd();
        for (;;) {
            RegistryKey key;
            SkipSpace();
            if (!ReadString(key.name)) return false;
            SkipSpace();
            if (!Eat(':')) return false;
            SkipSpace();
            if (Peek() == '{') {
                key.isObject = true;
                if (!ParseValues(key)) return false;
            } else {
                const size_t begin = pos_;
                if (!SkipValue(0)) return false;
                key.raw = s_.substr(begin, pos_ - begin);
            }
            doc.keys.push_back(std::move(key));
            SkipSpace();
            if (Eat('}')) return AtEnd();
            if (!Eat(',')) return false;
        }
    }

private:
    bool ParseValues(RegistryKey& key) {
        Eat('{');
        SkipSpace();
        if (Eat('}')) return true;
        for (;;) {
            std::string name;
            SkipSpace();
            if (!ReadString(name)) return false;
            SkipSpace();
            if (!Eat(':')) return false;
            SkipSpace();
            const size_t begin = pos_;
            if (!SkipValue(1)) return false;
            key.values.emplace_back(std::move(name), s_.substr(begin, pos_ - begin));
            SkipSpace();
            if (Eat('}')) return true;
            if (!Eat(',')) return false;
        }
    }

    bool SkipValue(int depth) {
        if (depth > kMaxNesting) return false;
        const char c = Peek();
        if (c == '"') {
            std::string ignored;
            return ReadString(ignored);
        }
        if (c == '{' || c == '[') {
            const char close = c == '{' ? '}' : ']';
            ++pos_;
            SkipSpace();
            if (Eat(close)) return true;
            for (;;) {
                SkipSpace();
                if (c == '{') {
                    std::string ignored;
                    if (!ReadString(ignored)) return false;
                    SkipSpace();
                    if (!Eat(':')) return false;
                    SkipSpace();
                }
                if (!SkipValue(depth + 1)) return false;
                SkipSpace();
                if (Eat(close)) return true;
                if (!Eat(',')) return false;
            }
        }
        const size_t begin = pos_;
        while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '-' ||
                                    s_[pos_] == '+' || s_[pos_] == '.'))
            ++pos_;
        const std::string word = s_.substr(begin, pos_ - begin);
        if (word == "true" || word == "false" || word == "null") return true;
        return !word.empty() && (word[0] == '-' || std::isdigit(static_cast<unsigned char>(word[0])));
    }

    bool ReadString(std::string& out) {
        if (!Eat('"')) return false;
        out.clear();
        while (pos_ < s_.size()) {
            const char c = s_[pos_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= s_.size()) return false;
            const char e = s_[pos_++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                uint32_t code = 0;
                if (!ReadHex4(code)) return false;
                if (code >= 0xD800 && code < 0xDC00) {
                    uint32_t low = 0;
                    if (!Eat('\\') || !Eat('u') || !ReadHex4(low) || low < 0xDC00 || low >= 0xE000) return false;
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                AppendUtf8(out, code);
                break;
            }
            default: return false;
            }
        }
        return false;
    }

    bool ReadHex4(uint32_t& code) {
        if (pos_ + 4 > s_.size()) return false;
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = s_[pos_++];
            code <<= 4;
            if (h >= '0' && h <= '9') code |= static_cast<uint32_t>(h - '0');
            else if (h >= 'a' && h <= 'f') code |= static_cast<uint32_t>(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F') code |= static_cast<uint32_t>(h - 'A' + 10);
            else return false;
        }
        return true;
    }

    static void AppendUtf8(std::string& out, uint32_t code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    void SkipSpace() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r'))
            ++pos_;
    }
    char Peek() const { return pos_ < s_.size() ? s_[pos_] : '\0'; }
    bool Eat(char c) {
        if (Peek() != c) return false;
        ++pos_;
        return true;
    }
    bool AtEnd() {
        SkipSpace();
        return pos_ == s_.size();
    }

    const std::string& s_;
    size_t pos_ = 0;
};

std::string QuoteJson(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string DocumentText(const RegistryDocument& doc) {
    std::string out = "{\n";
    for (size_t k = 0; k < doc.keys.size(); ++k) {
        const RegistryKey& key = doc.keys[k];
        out += "   " + QuoteJson(key.name) + " : ";
        if (!key.isObject) {
            out += key.raw;
        } else if (key.values.empty()) {
            out += "{}";
        } else {
            out += "{\n";
            for (size_t v = 0; v < key.values.size(); ++v) {
                out += "      " + QuoteJson(key.values[v].first) + " : " + key.values[v].second;
                out += v + 1 < key.values.size() ? ",\n" : "\n";
            }
            out += "   }";
        }
        out += k + 1 < doc.keys.size() ? ",\n" : "\n";
    }
    return out + "}\n";
}

enum class LoadResult { Missing, Loaded, Damaged };

LoadResult LoadDocument(const std::string& path, RegistryDocument& doc) {
    std::string text;
    if (!ReadWholeFile(path, text)) return LoadResult::Missing;
    if (text.size() > kMaxRegistryBytes) return LoadResult::Damaged;
    Scanner scanner(text);
    if (!scanner.ParseDocument(doc)) {
        doc.keys.clear();
        return LoadResult::Damaged;
    }
    return LoadResult::Loaded;
}

const RegistryKey* FindKey(const RegistryDocument& doc, const std::string& name) {
    for (const RegistryKey& key : doc.keys)
        if (key.name == name && key.isObject) return &key;
    return nullptr;
}

std::optional<uint32_t> ParseDword(const std::string& raw) {
    if (raw.empty() || raw.size() > 10) return std::nullopt;
    uint64_t value = 0;
    for (const char c : raw) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<uint32_t>(value);
}

// The unreadable file moves aside so that replacing it loses nothing.
void KeepDamagedRegistry(const std::string& path) {
    std::string target = path + ".damaged";
    for (int n = 2; FileExists(target) && n < 100; ++n) target = path + ".damaged." + std::to_string(n);
    std::rename(path.c_str(), target.c_str());
}

}  // namespace

std::string CurrentUserSoftwareKey(const std::string& appName) { return "HKEY_CURRENT_USER\\SOFTWARE\\" + appName; }

std::string RegistryStore::DefaultPath() { return ConfigFolder() + kAppName + "/registry.json"; }

RegistryStore::RegistryStore(std::string filePath) : path_(std::move(filePath)) {}

bool RegistryStore::KeyExists(const std::string& key) const {
    RegistryDocument doc;
    return LoadDocument(path_, doc) == LoadResult::Loaded && FindKey(doc, key) != nullptr;
}

bool RegistryStore::ReadDword(const std::string& key, const std::string& name, uint32_t& value) const {
    RegistryDocument doc;
    if (LoadDocument(path_, doc) != LoadResult::Loaded) return false;
    const RegistryKey* found = FindKey(doc, key);
    if (!found) return false;
    for (const auto& [valueName, raw] : found->values) {
        if (valueName != name) continue;
        const auto parsed = ParseDword(raw);
        if (!parsed) return false;
        value = *parsed;
        return true;
    }
    return false;
}

bool RegistryStore::WriteDword(const std::string& key, const std::string& name, uint32_t value, bool createKey) {
    RegistryDocument doc;
    const LoadResult loaded = LoadDocument(path_, doc);
    RegistryKey* target = nullptr;
    for (RegistryKey& k : doc.keys)
        if (k.name == key && k.isObject) target = &k;
    if (!target) {
        if (!createKey) return false;
        // A same-named member that is no object cannot hold values; it gives way to the key.
        std::erase_if(doc.keys, [&](const RegistryKey& k) { return k.name == key; });
        doc.keys.push_back(RegistryKey{key, true, {}, {}});
        target = &doc.keys.back();
    }
    const std::string raw = std::to_string(value);
    bool replaced = false;
    for (auto& [valueName, valueRaw] : target->values) {
        if (valueName == name) {
            valueRaw = raw;
            replaced = true;
        }
    }
    if (!replaced) target->values.emplace_back(name, raw);

    const size_t slash = path_.find_last_of('/');
    if (slash != std::string::npos && !EnsureFolder(path_.substr(0, slash + 1))) return false;
    if (loaded == LoadResult::Damaged) KeepDamagedRegistry(path_);
    return WriteFileAtomic(path_, DocumentText(doc));
}
