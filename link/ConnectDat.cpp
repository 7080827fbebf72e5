#include "link/ConnectDat.h"

#include <cstdio>
#include <vector>

#include "link/SettingsText.h"
#include "platform/FileSys.h"
#include "shell/Global_Unit.h"

ConnectFields ConnectDat_Defaults() { return {"0", "0", "0", "0", "n", "", ""}; }

std::vector<std::string> ConnectDat_SplitLine(std::string_view line) {
  std::vector<std::string> out;
  if (line.empty()) return out;
  size_t i = 0;
  for (;;) {
    std::string field;
    if (i < line.size() && line[i] == '"') {
      ++i;
      while (i < line.size()) {
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += line[i++];
      }
      // Anything between the closing quote and the next comma belongs to the field.
      while (i < line.size() && line[i] != ',') field += line[i++];
    } else {
      while (i < line.size() && line[i] != ',') field += line[i++];
    }
    out.push_back(std::move(field));
    if (i >= line.size()) break;
    ++i;  // the comma; a comma at the very end still opens an empty field
  }
  return out;
}

bool ConnectDat_Parse(std::string_view content, ConnectFields& f) {
  std::vector<std::string> v = ConnectDat_SplitLine(settings::FirstLine(content));
  if (v.size() < CONNECT_FIELD_COUNT) {
    f = ConnectDat_Defaults();
    return false;
  }
  for (int i = 0; i < CONNECT_FIELD_COUNT; ++i) f[i] = v[i];
  return true;
}

std::string ConnectDat_Format(const ConnectFields& f) {
  std::string line;
  for (int i = 0; i < CONNECT_FIELD_COUNT; ++i) {
    if (i) line += ',';
    const std::string& v = f[i];
    bool quote = false;
    for (unsigned char c : v)
      if (c <= ' ' || c == '"' || c == ',' || c == 0x7F) quote = true;
    if (!quote) {
      line += v;
      continue;
    }
    line += '"';
    for (char c : v) {
      if (c == '"') line += '"';
      line += c;
    }
    line += '"';
  }
  return line + "\r\n";
}

ConnectFields ConnectDat_Read() {
  ConnectFields f = ConnectDat_Defaults();
  std::string path = fsys::Resolve(ProgramDir, "CONNECT.DAT");
  std::string content;
  if (fsys::FileExists(path) && fsys::ReadFile(path, content)) ConnectDat_Parse(content, f);
  return f;
}

int ConnectDat_Store(const ConnectFields& f) {
  return settings::StoreFile(fsys::Resolve(ProgramDir, "CONNECT.DAT"), ConnectDat_Format(f),
                             CONNECT_MSG_CREATE, CONNECT_MSG_WRITE);
}

bool Conn_SplitAddress(std::string_view text, std::array<int, 4>& groups) {
  int g = 0;
  int digits = 0;
  int value = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    char c = i < text.size() ? text[i] : '.';
    if (c == ' ') continue;
    if (c == '.') {
      // A group left blank is no number: such an address is not usable.
      if (digits == 0 || g == 4) return false;
      groups[g++] = value;
      digits = value = 0;
      continue;
    }
    if (c < '0' || c > '9' || ++digits > 3) return false;
    value = value * 10 + (c - '0');
  }
  return g == 4;
}

int Conn_CheckAddress(std::string_view text, uint32_t& hostOrder) {
  std::array<int, 4> g;
  if (!Conn_SplitAddress(text, g)) return CONN_MSG_BAD_ADDRESS;
  for (int v : g)
    if (v > 255) return CONN_MSG_BAD_ADDRESS;
  uint32_t a = (uint32_t(g[0]) << 24) | (uint32_t(g[1]) << 16) | (uint32_t(g[2]) << 8) | uint32_t(g[3]);
  if (a == 0 || a == 0xFFFFFFFFu || (g[0] >= 224 && g[0] <= 239)) return CONN_MSG_BAD_ADDRESS;
  hostOrder = a;
  return 0;
}

std::string Conn_FormatAddress(uint32_t a) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%3u.%3u.%3u.%3u", (a >> 24) & 0xFF, (a >> 16) & 0xFF,
                (a >> 8) & 0xFF, a & 0xFF);
  return buf;
}
