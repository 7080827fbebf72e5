#include "cmdfile/ScreenDef.h"

#include <cstdio>

#include "cmdfile/ScreenTbl_Unit.h"
#include "shell/TextLines.h"
#include "platform/FileSys.h"

ScreenDefLine Screen_DefSplit(std::string_view line) {
  // The blank becomes DEL for the split, so that only the other control
  // characters end a field; DEL turns back into the blank afterwards.
  std::string s(line);
  for (char& c : s)
    if (c == ' ') c = '\x7f';
  ScreenDefLine f = MenuCsv_Split(s);
  for (std::string& field : f)
    for (char& c : field)
      if (c == '\x7f') c = ' ';
  return f;
}

bool Screen_DefKeep(const ScreenDefLine& f, size_t minFields) {
  if (f.size() < minFields || f.size() < 3) return false;
  return !f[2].empty() || (f.size() > 3 && !f[3].empty());
}

int Screen_Def(const std::string& dir, std::string_view key, size_t minFields, std::vector<ScreenDefLine>& out) {
  out.clear();
  std::string path = fsys::Resolve(dir, std::string(key) + ".CSV");
  if (!fsys::FileExists(path)) return 9304;
  std::FILE* f = fsys::OpenRegularStream(path);
  if (!f) return 9304;
  std::string content;
  char buf[8192];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) content.append(buf, n);
  const bool readError = std::ferror(f) != 0;
  const bool closeError = std::fclose(f) != 0;
  if (readError) return 9305;
  if (closeError) return 9306;
  std::vector<std::string> lines = TextLines_Split(content);
  for (size_t i = 4; i < lines.size(); ++i) {
    ScreenDefLine fields = Screen_DefSplit(lines[i]);
    if (Screen_DefKeep(fields, minFields)) out.push_back(std::move(fields));
  }
  return 0;
}
