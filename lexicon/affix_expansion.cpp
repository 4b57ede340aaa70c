#include "affix_expansion.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "text/utf8.h"

namespace lettermorph {
namespace {

using Flag = char32_t;

enum class FlagType { Single, Long, Numbers };

// One character of a condition: any character, or one of a set, or one not in it.
struct CharacterClass {
  bool any = false;
  bool negated = false;
  std::u32string set;

  bool Matches(char32_t c) const { return any || (set.find(c) != set.npos) != negated; }
};

struct Rule {
  std::u32string strip;
  std::u32string add;
  std::vector<CharacterClass> condition;
};

struct AffixGroup {
  bool prefix = false;
  bool crossProduct = false;
  std::vector<Rule> rules;
};

std::u32string Utf32(std::string_view utf8) {
  std::u32string text;
  const std::u16string units = Utf16FromUtf8(utf8);
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units.size()) {
      text += static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00));
    } else {
      text += unit;
    }
  }
  return text;
}

void AppendUtf8(std::u32string_view text, std::string& out) {
  for (const char32_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  while (true) {
    at = line.find_first_not_of(" \t\r", at);
    if (at == line.npos) {
      return fields;
    }
    const std::size_t end = std::min(line.find_first_of(" \t\r", at), line.size());
    fields.push_back(line.substr(at, end - at));
    at = end;
  }
}

std::vector<CharacterClass> ParseCondition(std::u32string_view text) {
  std::vector<CharacterClass> condition;
  if (text == U".") {
    return condition;
  }
  for (std::size_t at = 0; at < text.size(); ++at) {
    CharacterClass character;
    if (text[at] == U'.') {
      character.any = true;
    } else if (text[at] == U'[') {
      std::size_t end = text.find(U']', at);
      if (end == text.npos) {
        end = text.size();
      }
      std::u32string_view inside = text.substr(at + 1, end - at - 1);
      if (inside.starts_with(U'^')) {
        character.negated = true;
        inside.remove_prefix(1);
      }
      character.set.assign(inside.begin(), inside.end());
      at = end;
    } else {
      character.set = text[at];
    }
    condition.push_back(std::move(character));
  }
  return condition;
}

// The flags of a .dic word or an affix's continuation, in the dictionary's flag format.
std::optional<std::vector<Flag>> ParseFlags(std::string_view text, FlagType type) {
  std::vector<Flag> flags;
  const std::u32string characters = Utf32(text);
  switch (type) {
    case FlagType::Single:
      flags.assign(characters.begin(), characters.end());
      break;
    case FlagType::Long:
      for (std::size_t i = 0; i + 1 < characters.size(); i += 2) {
        flags.push_back((characters[i] << 16) | characters[i + 1]);
      }
      break;
    case FlagType::Numbers: {
      Flag number = 0;
      bool digits = false;
      for (const char c : text) {
        if (c >= '0' && c <= '9') {
          number = number * 10 + static_cast<Flag>(c - '0');
          digits = true;
        } else if (c == ',') {
          if (digits) {
            flags.push_back(number);
          }
          number = 0;
          digits = false;
        } else {
          return std::nullopt;
        }
      }
      if (digits) {
        flags.push_back(number);
      }
      break;
    }
  }
  return flags;
}

class AffixFile {
 public:
  bool Read(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at <= text.size();) {
      const std::size_t end = std::min(text.find('\n', at), text.size());
      lines.push_back(text.substr(at, end - at));
      at = end + 1;
    }
    // The character set and the flag format come before the rules that use them, but are
    // looked for first anyway. Without a character set Hunspell reads ISO 8859-1.
    bool utf8 = false;
    for (const std::string_view line : lines) {
      const std::vector<std::string_view> fields = Fields(line);
      if (fields.size() >= 2 && fields[0] == "SET") {
        utf8 = fields[1] == "UTF-8";
      }
      if (fields.size() >= 2 && fields[0] == "FLAG") {
        if (fields[1] == "long") {
          type_ = FlagType::Long;
        } else if (fields[1] == "num") {
          type_ = FlagType::Numbers;
        } else if (fields[1] != "UTF-8") {
          return false;
        }
      }
    }
    if (!utf8) {
      return false;
    }
    for (const std::string_view line : lines) {
      const std::vector<std::string_view> fields = Fields(line);
      if (fields.size() < 2) {
        continue;
      }
      if (fields[0] == "NEEDAFFIX" || fields[0] == "ONLYINCOMPOUND" ||
          fields[0] == "FORBIDDENWORD") {
        const std::optional<std::vector<Flag>> flag = ParseFlags(fields[1], type_);
        if (flag && flag->size() == 1) {
          (fields[0] == "NEEDAFFIX" ? needAffix_ : excluded_).push_back(flag->front());
        }
        continue;
      }
      if (fields[0] != "PFX" && fields[0] != "SFX") {
        continue;
      }
      const std::optional<std::vector<Flag>> flag = ParseFlags(fields[1], type_);
      if (!flag || flag->size() != 1) {
        return false;
      }
      AffixGroup& group = groups_[flag->front()];
      if (fields.size() == 4 && (fields[2] == "Y" || fields[2] == "N")) {
        group.prefix = fields[0] == "PFX";
        group.crossProduct = fields[2] == "Y";
        continue;
      }
      if (fields.size() < 4) {
        continue;
      }
      // The affix may carry continuation flags after a slash; one level of affixes is applied.
      const std::string_view add = fields[3].substr(0, fields[3].find('/'));
      Rule rule;
      rule.strip = fields[2] == "0" ? U"" : Utf32(fields[2]);
      rule.add = add == "0" ? U"" : Utf32(add);
      rule.condition = ParseCondition(fields.size() > 4 ? Utf32(fields[4]) : U".");
      group.rules.push_back(std::move(rule));
    }
    return true;
  }

  void Expand(std::string_view line, const std::function<void(std::string_view)>& form) const {
    // "word/flags", then morphological fields after white space; "\/" is a slash of the word.
    std::string_view entry = line.substr(0, line.find_first_of("\t \r"));
    std::size_t slash = entry.find('/');
    while (slash != entry.npos && slash > 0 && entry[slash - 1] == '\\') {
      slash = entry.find('/', slash + 1);
    }
    std::string stemBytes(entry.substr(0, slash));
    for (std::size_t at; (at = stemBytes.find("\\/")) != stemBytes.npos;) {
      stemBytes.erase(at, 1);
    }
    if (stemBytes.empty()) {
      return;
    }
    std::vector<Flag> flags;
    if (slash != entry.npos) {
      std::optional<std::vector<Flag>> parsed = ParseFlags(entry.substr(slash + 1), type_);
      if (!parsed) {
        return;
      }
      flags = std::move(*parsed);
    }
    const auto has = [&](const std::vector<Flag>& these) {
      return std::any_of(flags.begin(), flags.end(), [&](Flag f) {
        return std::find(these.begin(), these.end(), f) != these.end();
      });
    };
    if (has(excluded_)) {
      return;
    }
    const std::u32string stem = Utf32(stemBytes);
    std::string out;
    if (!has(needAffix_)) {
      form(stemBytes);
    }
    std::vector<std::u32string> crossSuffixed;
    for (const Flag flag : flags) {
      const auto group = groups_.find(flag);
      if (group == groups_.end() || group->second.prefix) {
        continue;
      }
      for (const Rule& rule : group->second.rules) {
        if (std::optional<std::u32string> made = Suffixed(stem, rule)) {
          Emit(*made, out, form);
          if (group->second.crossProduct) {
            crossSuffixed.push_back(std::move(*made));
          }
        }
      }
    }
    for (const Flag flag : flags) {
      const auto group = groups_.find(flag);
      if (group == groups_.end() || !group->second.prefix) {
        continue;
      }
      for (const Rule& rule : group->second.rules) {
        if (std::optional<std::u32string> made = Prefixed(stem, rule)) {
          Emit(*made, out, form);
        }
        if (!group->second.crossProduct || !Prefixed(stem, rule)) {
          continue;
        }
        for (const std::u32string& suffixed : crossSuffixed) {
          Emit(rule.add + suffixed.substr(rule.strip.size()), out, form);
        }
      }
    }
  }

 private:
  static std::optional<std::u32string> Suffixed(const std::u32string& stem, const Rule& rule) {
    if (!stem.ends_with(rule.strip) || stem.size() == rule.strip.size() ||
        stem.size() < rule.condition.size()) {
      return std::nullopt;
    }
    const std::size_t from = stem.size() - rule.condition.size();
    for (std::size_t i = 0; i < rule.condition.size(); ++i) {
      if (!rule.condition[i].Matches(stem[from + i])) {
        return std::nullopt;
      }
    }
    return stem.substr(0, stem.size() - rule.strip.size()) + rule.add;
  }

  static std::optional<std::u32string> Prefixed(const std::u32string& stem, const Rule& rule) {
    if (!stem.starts_with(rule.strip) || stem.size() == rule.strip.size() ||
        stem.size() < rule.condition.size()) {
      return std::nullopt;
    }
    for (std::size_t i = 0; i < rule.condition.size(); ++i) {
      if (!rule.condition[i].Matches(stem[i])) {
        return std::nullopt;
      }
    }
    return rule.add + stem.substr(rule.strip.size());
  }

  static void Emit(const std::u32string& made, std::string& out,
                   const std::function<void(std::string_view)>& form) {
    out.clear();
    AppendUtf8(made, out);
    form(out);
  }

  FlagType type_ = FlagType::Single;
  std::map<Flag, AffixGroup> groups_;
  std::vector<Flag> needAffix_;
  std::vector<Flag> excluded_;
};

}  // namespace

bool ExpandDictionary(std::string_view affix, std::string_view words,
                      const std::function<void(std::string_view form)>& form) {
  AffixFile rules;
  if (!rules.Read(affix)) {
    return false;
  }
  // The first line gives the number of words.
  std::size_t at = words.find('\n');
  while (at != words.npos && at < words.size()) {
    const std::size_t end = std::min(words.find('\n', at + 1), words.size());
    rules.Expand(words.substr(at + 1, end - at - 1), form);
    at = end;
  }
  return true;
}

}  // namespace lettermorph
