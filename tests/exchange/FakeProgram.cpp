#include "tests/exchange/FakeProgram.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace {

const char* const kCrLf = "\r\n";

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> SplitLines(std::string_view content) {
  std::vector<std::string_view> out;
  size_t pos = 0;
  while (pos < content.size()) {
    size_t e = content.find('\n', pos);
    if (e == std::string_view::npos) e = content.size();
    std::string_view l = content.substr(pos, e - pos);
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    out.push_back(l);
    pos = e + 1;
  }
  return out;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> out;
  if (sep == 0) return {s};
  size_t pos = 0;
  for (;;) {
    size_t e = s.find(sep, pos);
    if (e == std::string_view::npos) {
      out.push_back(s.substr(pos));
      return out;
    }
    out.push_back(s.substr(pos, e - pos));
    pos = e + 1;
  }
}

bool Digits(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool ReadFile(const std::string& path, std::string& out) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  std::ostringstream ss;
  ss << f.rdbuf();
  out = ss.str();
  return true;
}

// How the converter writes a value of an attribute into a command.
enum class Form { ZeroPad, BlankPad, Length };
Form FormOf(char attr) {
  if ((attr >= '0' && attr <= '4') || attr == 'M' || attr == 'N') return Form::ZeroPad;
  if ((attr >= '5' && attr <= '9') || attr == 'D' || attr == 'H') return Form::BlankPad;
  return Form::Length;
}

std::string ZeroPad(std::string_view v, int width) {
  std::string s(v);
  if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), '0');
  return s;
}

std::string RTrimBlanks(std::string_view v) {
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  return std::string(v);
}

// A value of a data file as the exchange keeps it: what a command carries
// of it, read back.
std::string Normalize(std::string_view v, char attr, int width) {
  switch (FormOf(attr)) {
    case Form::ZeroPad: return ZeroPad(v, width);
    case Form::BlankPad: return RTrimBlanks(v);
    case Form::Length: break;
  }
  // An empty "m" goes out as a one-character "0".
  if (attr == 'm' && v.empty()) return "0";
  return std::string(v);
}

// One value of a command at pos; false when the text ends too early.
bool ReadValue(std::string_view text, size_t& pos, char attr, int width, std::string& out) {
  Form f = FormOf(attr);
  if (f != Form::Length) {
    if (pos + static_cast<size_t>(width) > text.size()) return false;
    std::string_view v = text.substr(pos, static_cast<size_t>(width));
    pos += static_cast<size_t>(width);
    out = f == Form::ZeroPad ? std::string(v) : RTrimBlanks(v);
    return true;
  }
  if (pos + 2 > text.size() || !Digits(text.substr(pos, 2))) return false;
  size_t n = static_cast<size_t>((text[pos] - '0') * 10 + (text[pos + 1] - '0'));
  pos += 2;
  if (pos + n > text.size()) return false;
  out.assign(text.substr(pos, n));
  pos += n;
  if (attr == 'k' || attr == 'l') {
    for (char& c : out) {
      if (c == '0') c = '-';
      else if (c == '1') c = '0';
      else if (c == '2') c = '1';
      else return false;
    }
  }
  return true;
}

// The literals an FMT text begins with: what tells its commands apart.
size_t LeadingLiterals(const std::string& fmt) {
  size_t n = 0;
  while (n < fmt.size() && std::string_view("RIDN").find(fmt[n]) == std::string_view::npos) ++n;
  return n;
}

}  // namespace

std::string FakeProgram::Entry::Key() const {
  std::string k = std::to_string(item);
  for (const auto& [slot, v] : required) k += "|" + std::to_string(slot) + "=" + v;
  return k + "|N=" + number + "|D=" + index;
}

bool FakeProgram::ReadControl(std::string_view content) {
  menus_.clear();
  Menu m;
  bool inMenu = false;
  for (std::string_view line : SplitLines(content)) {
    if (line.empty() || line[0] == '!' || line[0] == '@') continue;
    if (line[0] == '/') {
      std::string_view t = Trim(line).substr(1);
      size_t slash = t.find('/');
      if (slash == std::string_view::npos) continue;
      m = Menu{};
      m.name.assign(t.substr(0, slash));
      std::string_view form = t.substr(slash + 1);
      if ((form.rfind("NI=", 0) == 0 || form.rfind("NO=", 0) == 0) && form.size() > 3) m.numberDigits = form[3] - '0';
      if (m.name == "SPD" || m.name == "ISPD" || m.name == "IDSPD" || m.name == "DIR") {
        m.terminator = '>', m.recordSep = 0, m.fieldSep = '<';
      } else if (m.name == "KNJ") {
        m.terminator = 0x11, m.recordSep = 0, m.fieldSep = 0x06;
      }
      inMenu = true;
      continue;
    }
    if (line[0] == '\\') {
      if (inMenu && !m.items.empty()) menus_.push_back(m);
      inMenu = false;
      continue;
    }
    if (!inMenu) continue;
    std::string_view t = Trim(line);
    size_t semi = t.find(';'), open = t.find('('), close = t.find(')');
    if (semi == std::string_view::npos || open == std::string_view::npos || close == std::string_view::npos ||
        close < open)
      continue;
    Item it;
    it.name = semi == 0 ? ";" : std::string(t.substr(0, semi));
    for (std::string_view a : Split(t.substr(open + 1, close - open - 1), ',')) {
      size_t eq = a.find('=');
      if (eq == std::string_view::npos || eq == 0) continue;
      Input in;
      // "R" and a digit: the required value of that slot; "R" alone sets none.
      in.attr = a[0] != 'R' ? a[0] : eq > 1 && a[1] >= '0' && a[1] <= '9' ? a[1] : 0;
      in.width = std::atoi(std::string(a.substr(eq + 1)).c_str());
      it.inputs.push_back(in);
    }
    std::string_view rest = t.substr(close + 1);
    rest = rest.substr(0, rest.find('!'));
    size_t idx = rest.find("IDX=");
    if (idx != std::string_view::npos && idx + 4 < rest.size()) it.indexDigits = rest[idx + 4] - '0';
    size_t fmt = rest.find("FMT=");
    if (fmt != std::string_view::npos) {
      std::string_view f = rest.substr(fmt + 4);
      it.fmt.assign(f.substr(0, f.find(';')));
    }
    m.items.push_back(std::move(it));
  }
  return !menus_.empty();
}

const FakeProgram::Menu* FakeProgram::FindMenu(std::string_view name) const {
  for (auto it = menus_.rbegin(); it != menus_.rend(); ++it)
    if (it->name == name) return &*it;
  return nullptr;
}

int FakeProgram::RequiredItem(const Menu& m, int slot) {
  for (size_t i = 0; i < m.items.size(); ++i)
    for (const Input& in : m.items[i].inputs)
      if (in.attr == '0' + slot) return static_cast<int>(i);
  return -1;
}

int FakeProgram::RequiredWidth(const Menu& m, int slot, char* attr) {
  int i = RequiredItem(m, slot);
  if (i < 0) return -1;
  for (const Input& in : m.items[static_cast<size_t>(i)].inputs)
    if (in.attr == '0' + slot) {
      *attr = in.attr;
      return in.width;
    }
  return -1;
}

bool FakeProgram::ReadCommand(std::string_view text, size_t& pos, const Menu*& menu, Entry& out) const {
  const size_t start = pos;
  size_t bestLead = 0, bestEnd = start;
  bool found = false;
  for (const Menu& m : menus_) {
    for (size_t i = 0; i < m.items.size(); ++i) {
      const Item& it = m.items[i];
      size_t lead = LeadingLiterals(it.fmt);
      if (it.fmt.empty() || (found && lead <= bestLead)) continue;
      Entry e;
      e.item = static_cast<int>(i);
      e.fields.resize(it.inputs.size());
      size_t p = start;
      bool ok = true;
      for (size_t f = 0; ok && f < it.fmt.size(); ++f) {
        char c = it.fmt[f];
        if ((c == 'R' || c == 'I') && f + 1 < it.fmt.size()) {
          int d = it.fmt[++f] - '0';
          std::string v;
          if (c == 'R') {
            char attr = 0;
            int w = RequiredWidth(m, d, &attr);
            ok = w >= 0 && ReadValue(text, p, attr, w, v);
            e.required.emplace_back(d, v);
          } else {
            ok = d >= 1 && d <= static_cast<int>(it.inputs.size()) &&
                 ReadValue(text, p, it.inputs[static_cast<size_t>(d - 1)].attr,
                           it.inputs[static_cast<size_t>(d - 1)].width, v);
            if (ok) e.fields[static_cast<size_t>(d - 1)] = v;
          }
        } else if (c == 'D' || c == 'N') {
          size_t w = static_cast<size_t>(c == 'D' ? it.indexDigits : m.numberDigits);
          ok = p + w <= text.size();
          if (ok) (c == 'D' ? e.index : e.number).assign(text.substr(p, w));
          p += w;
        } else {
          ok = p < text.size() && text[p++] == c;
        }
      }
      // Later records of a ";" item follow as bare values of its last input.
      while (ok && it.name == ";" && !it.inputs.empty() && p < text.size() && text[p] != ':') {
        std::string v;
        ok = ReadValue(text, p, it.inputs.back().attr, it.inputs.back().width, v);
        e.more.push_back(v);
      }
      if (!ok || (p < text.size() && text[p] != ':')) continue;
      found = true;
      bestLead = lead;
      menu = &m;
      bestEnd = p;
      out = std::move(e);
    }
  }
  pos = bestEnd;
  return found;
}

void FakeProgram::ReadDataLine(const Menu& m, std::string_view line, std::map<int, std::string>& required,
                               std::vector<Entry>& out) const {
  for (std::string_view text : Split(line, m.terminator)) {
    text = Trim(text);
    if (text.empty()) continue;
    if (m.terminator == ';' && text[0] == '!') return;  // a trailing comment
    size_t eq = text.find('=');
    if (eq == std::string_view::npos) return;
    std::string_view key = Trim(text.substr(0, eq)), value = text.substr(eq + 1), index;
    bool dashed = false;
    size_t dash = key.find('-');
    if (dash != std::string_view::npos) {
      dashed = true;
      index = key.substr(dash + 1);
      key = key.substr(0, dash);
    }
    std::string name = Digits(key) ? (dashed ? ":" : ";") : std::string(key);
    auto found = std::find_if(m.items.begin(), m.items.end(), [&](const Item& i) { return i.name == name; });
    if (found == m.items.end()) return;
    const Item& it = *found;
    if (it.fmt.empty()) {
      // An item without a command sets the required values of the lines after it.
      std::vector<std::string_view> fields = Split(value, m.fieldSep);
      for (size_t i = 0; i < it.inputs.size() && i < fields.size(); ++i)
        if (it.inputs[i].attr >= '0' && it.inputs[i].attr <= '9')
          required[it.inputs[i].attr - '0'] = Normalize(Trim(fields[i]), it.inputs[i].attr, it.inputs[i].width);
      continue;
    }
    std::vector<std::string_view> records = Split(value, m.recordSep);
    const size_t first = out.size();
    for (size_t r = 0; r < records.size(); ++r) {
      if (it.name == ";" && r > 0) {
        if (out.size() > first)
          out.back().more.push_back(Normalize(records[r], it.inputs.back().attr, it.inputs.back().width));
        continue;
      }
      Entry e;
      e.item = static_cast<int>(found - m.items.begin());
      std::vector<std::string_view> fields = Split(records[r], m.fieldSep);
      e.fields.resize(it.inputs.size());
      for (size_t i = 0; i < it.inputs.size(); ++i) {
        const Input& in = it.inputs[i];
        std::string v = Normalize(i < fields.size() ? fields[i] : std::string_view(), in.attr, in.width);
        // A digit attribute's value goes to its required slot, as the converter puts it.
        if (in.attr >= '0' && in.attr <= '9') required[in.attr - '0'] = v;
        else e.fields[i] = v;
      }
      bool complete = true;
      for (size_t f = 0; f < it.fmt.size(); ++f) {
        char c = it.fmt[f];
        if (c == 'R' && f + 1 < it.fmt.size()) {
          int d = it.fmt[++f] - '0';
          auto have = required.find(d);
          if (have == required.end()) complete = false;
          else e.required.emplace_back(d, have->second);
        } else if (c == 'I') {
          ++f;
        } else if (c == 'N') {
          std::string n(key);
          if (it.name == ":") n = std::to_string(std::atoi(n.c_str()) + static_cast<int>(r));
          e.number = ZeroPad(n, m.numberDigits);
        } else if (c == 'D') {
          std::string d(index);
          if (it.name != ":" && it.name != ";" && Digits(d) && !d.empty())
            d = std::to_string(std::atoi(d.c_str()) + static_cast<int>(r));
          e.index = ZeroPad(d, it.indexDigits);
        }
      }
      if (complete) out.push_back(std::move(e));
    }
  }
}

void FakeProgram::ReadDataFile(char code, std::string_view content) {
  std::lock_guard<std::mutex> g(mu_);
  std::vector<std::string>& served = served_[code];
  const Menu* menu = nullptr;
  std::map<int, std::string> required;
  for (std::string_view line : SplitLines(content)) {
    std::string_view t = Trim(line);
    if (t.empty() || t[0] == '!') continue;
    if (t[0] == '/') {
      size_t slash = t.find('/', 1);
      menu = slash == std::string_view::npos ? nullptr : FindMenu(t.substr(1, slash - 1));
      required.clear();
      if (menu && std::find(served.begin(), served.end(), menu->name) == served.end()) served.push_back(menu->name);
      continue;
    }
    if (!menu) continue;
    std::vector<Entry> entries;
    ReadDataLine(*menu, t, required, entries);
    for (Entry& e : entries) Put(*menu, std::move(e));
  }
}

bool FakeProgram::ReadFolder(const std::string& folder, std::string* error) {
  std::string control;
  if (!ReadFile(folder + "CONTROL.DAT", control) || !ReadControl(control)) {
    if (error) *error = "cannot read the definitions of " + folder + "CONTROL.DAT";
    return false;
  }
  static const std::pair<char, const char*> kinds[] = {{'0', "PrgSetAll.DAT"}, {'1', "SdSystem.DAT"},
                                                       {'2', "SdPersonal.DAT"}, {'3', "SdExtensions.DAT"},
                                                       {'4', "SdWireless.DAT"}, {'5', "SdIdCard.DAT"}};
  // Every kind and part is there, with or without a file to begin with.
  std::string content;
  for (const auto& [code, name] : kinds) {
    ReadDataFile(code, {});
    if (ReadFile(folder + "data/" + name, content)) ReadDataFile(code, content);
  }
  // The parts as the data-kind selection numbers them: the "@" lines of
  // the first block that name a file.
  char part = 'A';
  bool inBlock = false;
  for (std::string_view line : SplitLines(control)) {
    std::string_view t = Trim(line);
    if (t.size() <= 1 || t[0] != '@') {
      if (inBlock) break;
      continue;
    }
    inBlock = true;
    size_t semi = t.find(';');
    if (semi == std::string_view::npos || semi < 2) continue;
    ReadDataFile(part, {});
    std::string file = folder + "data/" + std::string(Trim(t.substr(semi + 1))) + ".DAT";
    if (ReadFile(file, content)) ReadDataFile(part, content);
    if (++part > 'O') break;
  }
  return true;
}

void FakeProgram::Put(const Menu& m, Entry e) {
  if (std::find(order_.begin(), order_.end(), m.name) == order_.end()) order_.push_back(m.name);
  std::vector<Entry>& entries = stored_[m.name].entries;
  const std::string key = e.Key();
  for (Entry& have : entries) {
    if (have.Key() == key) {
      have = std::move(e);
      return;
    }
  }
  entries.push_back(std::move(e));
}

char FakeProgram::CodeOf(const std::string& menu) const {
  for (const auto& [code, menus] : served_)
    if (std::find(menus.begin(), menus.end(), menu) != menus.end()) return code;
  return 0;
}

std::set<char> FakeProgram::Take(std::string_view text) {
  std::lock_guard<std::mutex> g(mu_);
  std::set<char> changed;
  size_t pos = 0;
  while (pos < text.size() && text[pos] == ':') {
    ++pos;
    const Menu* m = nullptr;
    Entry e;
    if (!ReadCommand(text, pos, m, e)) break;
    if (!CodeOf(m->name)) {
      // A program-setting menu that no file named yet belongs to all of them.
      if (m->terminator != ';') continue;
      served_['0'].push_back(m->name);
    }
    Put(*m, std::move(e));
    for (const auto& [code, menus] : served_)
      if (std::find(menus.begin(), menus.end(), m->name) != menus.end()) changed.insert(code);
  }
  return changed;
}

std::vector<std::string> FakeProgram::Render(const Menu& m) const {
  std::vector<std::string> out;
  auto s = stored_.find(m.name);
  if (s == stored_.end() || s->second.entries.empty()) return out;
  const char term[2] = {m.terminator, 0};
  out.push_back("/" + m.name + "/" + kCrLf);
  std::map<int, std::string> shown;  // required values on lines of their own so far
  for (const Entry& e : s->second.entries) {
    const Item& it = m.items[static_cast<size_t>(e.item)];
    std::string line;
    bool changed = false;
    for (size_t r = 0; r < e.required.size(); ++r) {
      const auto& [slot, value] = e.required[r];
      int ri = RequiredItem(m, slot);
      if (ri < 0) continue;
      std::string head = m.items[static_cast<size_t>(ri)].name + "=" + value + term;
      // A speed-dial entry carries its own number on its line; owners and
      // blocks head the entries below them on lines of their own.
      if (m.terminator == '>' && r + 1 == e.required.size()) {
        line += head;
      } else if (changed || shown.count(slot) == 0 || shown[slot] != value) {
        out.push_back(head + kCrLf);
        shown[slot] = value;
        changed = true;
      }
    }
    if (it.name == ":") line += e.number + "-" + e.index;
    else if (it.name == ";") line += e.number;
    else line += it.name + (it.indexDigits > 0 ? "-" + e.index : std::string());
    line += "=";
    const char field[2] = {m.fieldSep, 0}, record[2] = {m.recordSep, 0};
    for (size_t f = 0; f < e.fields.size(); ++f) {
      std::string v = e.fields[f];
      char attr = it.inputs[f].attr;
      if (attr >= '0' && attr <= '9')
        for (const auto& [slot, value] : e.required)
          if (slot == attr - '0') v = value;
      line += (f ? field : "") + v;
    }
    for (const std::string& v : e.more) line += record + v;
    out.push_back(line + term + kCrLf);
  }
  return out;
}

std::vector<std::string> FakeProgram::Lines(char code) const {
  std::lock_guard<std::mutex> g(mu_);
  std::vector<std::string> out;
  auto s = served_.find(code);
  if (s == served_.end()) return out;
  for (const std::string& name : s->second) {
    const Menu* m = FindMenu(name);
    if (!m) continue;
    std::vector<std::string> lines = Render(*m);
    out.insert(out.end(), lines.begin(), lines.end());
  }
  return out;
}

std::vector<char> FakeProgram::Codes() const {
  std::lock_guard<std::mutex> g(mu_);
  std::vector<char> out;
  for (const auto& [code, menus] : served_) out.push_back(code);
  return out;
}
